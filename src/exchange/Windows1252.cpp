#include "exchange/Windows1252.h"

#include <QHash>

namespace verdane::windows1252 {

namespace {
// Bytes 0x80 to 0x9F; the rest of the code page is Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

const QHash<char16_t, char>& encodingOfHighControls() {
    static const QHash<char16_t, char> table = [] {
        QHash<char16_t, char> t;
        for (int i = 0; i < 32; ++i)
            t.insert(kHighControls[i], char(0x80 + i));
        return t;
    }();
    return table;
}
} // namespace

namespace {
// The byte of a UTF-16 unit in the code page; 0 for a unit it cannot hold (NUL itself is 0 and held).
char byteFor(char16_t u) {
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return char(u);
    const auto& high = encodingOfHighControls();
    const auto found = high.constFind(u);
    return found != high.constEnd() ? *found : char(0);
}

bool holds(char16_t u) {
    return u == 0 || byteFor(u) != 0;
}

// How many UTF-16 units the character at i takes: two for a surrogate pair, one otherwise.
qsizetype unitsAt(const QString& text, qsizetype i) {
    return text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate() ? 2 : 1;
}
} // namespace

QByteArray encode(const QString& text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (holds(u)) {
            out += byteFor(u);
        } else {
            out += '?';
            i += unitsAt(text, i) - 1;
        }
    }
    return out;
}

Unencodable unencodable(const QString& text) {
    Unencodable found;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (holds(text[i].unicode()))
            continue;
        const qsizetype units = unitsAt(text, i);
        if (found.count++ == 0)
            found.first = text.mid(i, units);
        i += units - 1;
    }
    return found;
}

QString decode(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (const char b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        *d++ = QChar(c >= 0x80 && c < 0xA0 ? kHighControls[c - 0x80] : char16_t(c));
    }
    return out;
}

} // namespace verdane::windows1252
