#pragma once

// The rules the windows and the command-line tool share for taking snippets in and writing them out.

#include "core/Status.h"

#include <QByteArray>
#include <QString>

namespace verdane {

// A snippet's name holds 1 to 50 characters, taken as typed (spaces included), none of them a control character or
// a line break.
inline constexpr int kSnippetNameLimit = 50;
// Refuses a name that cannot be stored, saying why.
Status checkName(const QString& name);

inline const QString kZeroLengthRefusal = QStringLiteral("Zero Length files not allowed");

// Refuses a code that Windows-1252 cannot hold whole, saying how many characters it would lose and the first of
// them with its code point, in one sentence.
Status checkWindows1252(const QString& code);

// Imported bytes as the text to store: decoded as they were written, with Windows line breaks.
QString importedCode(QByteArrayView bytes);

// Writes an exported file whole or not at all: an existing file is replaced only by a complete new one, which keeps
// its owner and permissions, and a file marked read-only is not replaced. Anything at path that is not a regular
// file (a pipe, a device, a folder) is refused and left as it is. A file that a new one cannot stand in for (one
// with other hard links, or whose owner cannot be given to a new file) is written over in place instead. A failure
// says why the file could not be written.
Status writeFileWhole(const QString& path, const QByteArray& bytes);

} // namespace verdane
