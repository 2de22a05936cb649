#include "exchange/ImportText.h"

#include "exchange/Windows1252.h"

#include <QStringDecoder>

namespace verdane {

QString decodeImportedFile(QByteArrayView bytes) {
    // UTF-16 is told by its byte-order mark (without one, nothing tells it from other bytes); the mark is no text.
    if (bytes.startsWith("\xff\xfe") || bytes.startsWith("\xfe\xff")) {
        QStringDecoder utf16(bytes[0] == '\xff' ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                             QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
        return utf16.decode(bytes.sliced(2));
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    return windows1252::decode(bytes);
}

QString withWindowsLineBreaks(const QString& text) {
    if (!text.contains(QLatin1Char('\n')))
        return text;
    QString out;
    out.reserve(text.size() + text.size() / 16);
    QChar previous;
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') && previous != QLatin1Char('\r'))
            out += QLatin1Char('\r');
        out += c;
        previous = c;
    }
    return out;
}

} // namespace verdane
