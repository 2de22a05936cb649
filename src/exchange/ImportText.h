#pragma once

#include <QByteArray>
#include <QString>

namespace verdane {

// A file's bytes as the text to store: UTF-16 (little or big endian) where they begin with its byte-order mark, UTF-8
// where the bytes are valid UTF-8 (a byte-order mark dropped), Windows-1252 otherwise, the code page VB source files
// are written in. A byte-order mark is never part of the text.
QString decodeImportedFile(QByteArrayView bytes);
// Every line feed without its carriage return gets one, so that text from a Unix system has lines for the pane, the
// export and the chat sender; CR LF text stays as it is.
QString withWindowsLineBreaks(const QString& text);

} // namespace verdane
