#pragma once

// Reading what the user imports, shared by the Import window and verdane-cli: only regular files and streams, never
// more than one snippet may hold.

#include "core/Status.h"

#include <QByteArray>
#include <QString>

class QIODevice;

namespace verdane {

// The most one imported snippet may hold: 64 MB (67,108,864 bytes) read from a file or a stream. Far more than any
// source file, and a bound on memory: decoded and stored as UTF-8 it stays well within what SQLite keeps in one value.
inline constexpr qint64 kImportSizeLimit = 64 * 1024 * 1024;

// What a read gave: the bytes, or what kept them from being read, as a sentence for the user that names the input.
struct ImportInput {
    enum class Outcome {
        Read,       // bytes holds everything, 1 byte to the limit
        NoPath,     // no file named
        Missing,    // nothing at the path
        Folder,     // a folder
        NotRegular, // a pipe, a device or a socket: refused without being opened, so without waiting for a writer
        TooLarge,   // more than the limit; a file is refused before anything is read, a stream stops at the limit
        Empty,      // nothing in it
        Failed,     // the system could not read it
    };
    Outcome outcome = Outcome::Read;
    QByteArray bytes;
    // Failed only where the system could not read (Outcome::Failed); every other outcome but Read is a refusal.
    Status status;

    bool read() const { return status.isOk(); }
};

// Refuses code that, stored, would be more than the limit as the export writes it (a byte per character, the final
// line break included): what is checked is the text to be stored, after its line breaks were made CR LF, so that
// whatever is stored can be exported and imported again. what names where it came from, as the message begins with
// it ("The file ...", "The clipboard").
Status checkStoredSize(const QString& code, const QString& what, qint64 limit = kImportSizeLimit);

// The whole of the regular file at path (a symbolic link to one included).
ImportInput readImportFile(const QString& path, qint64 limit = kImportSizeLimit);
// Everything an open stream (such as the standard input) gives until its end, read until the limit and not further.
// name says where it comes from, as the messages begin with it ("The standard input").
ImportInput readImportStream(QIODevice& stream, const QString& name, qint64 limit = kImportSizeLimit);

} // namespace verdane
