#pragma once

// What the program needs to know of a path beyond what Qt tells: whether it names a regular file or a pipe or a
// device (which must be neither read nor replaced as if it were a file), and the parts of a file that a new file
// written in its place would not have (its hard links, owner, group and permission bits).

#include <QByteArray>
#include <QString>

namespace verdane::filesystem {

enum class Kind { Missing, Regular, Folder, Pipe, Device, Socket, Other };

struct Facts {
    Kind kind = Kind::Missing;
    qint64 size = 0;
    quint64 links = 0; // names the file has (hard links)
    quint32 owner = 0;
    quint32 group = 0;
    quint32 mode = 0; // permission bits, set-user-ID, set-group-ID and sticky included
    QString error;    // why the path could not be looked at, when it exists but cannot be
};

// What path names, following symbolic links (a link to a pipe is a pipe). Never opens it.
Facts facts(const QString& path);
// The kind as the middle of a sentence: "a pipe (FIFO)", "a device", "a folder".
QString kindText(Kind kind);

// A file opened for reading that never waits for a writer or a device: what it is comes from the open file itself,
// so a path changed between a look and the open is still told right. The descriptor belongs to the caller.
struct OpenedFile {
    int fd = -1;
    Facts facts;
};
OpenedFile openForReading(const QString& path);

// Gives the new file behind fd the owner, group and permission bits the old file had. False when the system does
// not allow it (a file of another user, when not run as the administrator).
bool takeOver(int fd, const Facts& old);

// Writes bytes into the existing regular file path itself, so that it keeps its hard links, owner and permissions.
// The room for the new contents is claimed before the old contents are touched, so a full disk fails with the file
// unchanged. Returns why it could not be written; empty on success.
QString overwriteInPlace(const QString& path, const QByteArray& bytes);

} // namespace verdane::filesystem
