#pragma once

#include <QByteArray>
#include <QString>

namespace verdane::windows1252 {

// Windows-1252, the code page the VB IDE reads and writes source files in. A character it cannot hold is written
// as "?", one for each character (a character outside the BMP is one, not two).
QByteArray encode(const QString& text);

// The characters of a text the code page cannot hold, which encode writes as "?".
struct Unencodable {
    qsizetype count = 0; // characters, as encode counts them
    QString first;       // the first of them, whole (two UTF-16 units for a character outside the BMP)
};
Unencodable unencodable(const QString& text);
// Every byte has a character: the five bytes Windows-1252 leaves undefined read as the C1 controls of their value,
// as Windows reads them.
QString decode(QByteArrayView bytes);

} // namespace verdane::windows1252
