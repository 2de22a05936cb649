#pragma once

// The fuzzers' shared reading of their input, and how they report a broken rule: abort, which libFuzzer records
// together with the input that caused it.

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace verdane::fuzz {

inline QByteArrayView bytes(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), qsizetype(size)};
}

// Text from outside as it reaches the program: an odd first byte makes the rest UTF-16 units as they come (lone
// surrogates and NULs included, as a clipboard or a UTF-16 file can give), an even one makes it UTF-8.
inline QString text(const uint8_t* data, size_t size) {
    if (size == 0)
        return {};
    if (data[0] % 2 == 0)
        return QString::fromUtf8(bytes(data + 1, size - 1));
    std::vector<char16_t> units((size - 1) / 2);
    if (!units.empty())
        std::memcpy(units.data(), data + 1, units.size() * sizeof(char16_t));
    return QString::fromUtf16(units.data(), qsizetype(units.size()));
}

inline void require(bool rule, const char* what) {
    if (!rule) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

} // namespace verdane::fuzz
