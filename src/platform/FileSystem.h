#pragma once

// What the program needs to know of a path beyond what Qt tells: whether it names a regular file or a pipe or a
// device (which must be neither read nor replaced as if it were a file), and the parts of a file that a new file
// written in its place would not have (its hard links, owner, group and permission bits).

#include <QByteArray>
#include <QString>

namespace verdane::filesystem {

enum class Kind { Missing, Regular, Folder, Pipe, Device, Socket, Link, Other };

// Whether a symbolic link at the path itself is followed to what it names, or taken as what the path names (Link).
enum class Links { Followed, NotFollowed };

struct Facts {
    Kind kind = Kind::Missing;
    qint64 size = 0;
    quint64 links = 0; // names the file has (hard links)
    quint32 owner = 0;
    quint32 group = 0;
    quint32 mode = 0; // permission bits, set-user-ID, set-group-ID and sticky included
    QString error;    // why the path could not be looked at, when it exists but cannot be
};

// What path names, following symbolic links unless told not to (a link to a pipe is a pipe). Never opens it.
Facts facts(const QString& path, Links links = Links::Followed);
// The kind as the middle of a sentence: "a pipe (FIFO)", "a device", "a folder".
QString kindText(Kind kind);

// A file opened for reading that never waits for a writer or a device: what it is comes from the open file itself,
// so a path changed between a look and the open is still told right. The descriptor belongs to the caller. A link
// that is not to be followed is not opened (fd -1, kind Link).
struct OpenedFile {
    int fd = -1;
    Facts facts;
};
OpenedFile openForReading(const QString& path, Links links = Links::Followed);
// Reads up to size bytes from offset of an open file; fewer where the file ends sooner, -1 on a failure.
qint64 readAt(int fd, qint64 offset, char* data, qint64 size);
void close(int fd);

// Puts the file from in the place of the name to, in one step: whatever to named before (a file, or a link, which is
// replaced and never followed) is gone, and no reader ever sees a file half-written. Returns why it could not be done;
// empty on success.
QString replace(const QString& from, const QString& to);

// Gives the new file behind fd the owner, group and permission bits the old file had. False when the system does
// not allow it (a file of another user, when not run as the administrator).
bool takeOver(int fd, const Facts& old);

// Writes bytes into the existing regular file path itself, so that it keeps its hard links, owner and permissions.
// The room for the new contents is claimed before the old contents are touched, so a full disk fails with the file
// unchanged. Returns why it could not be written; empty on success.
QString overwriteInPlace(const QString& path, const QByteArray& bytes);

// The standard input, output and error carry bytes as they are: a snippet's CR LF goes out as CR LF (not CR CR LF),
// and what is piped in arrives unchanged. Called once, before anything is read or written.
void useBinaryStandardStreams();

} // namespace verdane::filesystem
