#include "core/ByteSearch.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VERDANE_X86 1
#endif

namespace verdane {

namespace {

// How common each byte is in upper-cased VB code, lower is rarer: letters and signs in order of their use in
// source code, everything else (control bytes, UTF-8) rare.
constexpr std::array<uint8_t, 256> kCommonness = [] {
    std::array<uint8_t, 256> rank{};
    const char* const byUse = " ETAONIRSLDCUHMPFBGYW\r\n()\"',.=_&LVKX0123456789:-+*/<>#$\tJQZ!%;[]{}|\\?@^`~";
    const int count = int(std::char_traits<char>::length(byUse));
    for (int i = 0; i < count; ++i) {
        const auto byte = static_cast<unsigned char>(byUse[i]);
        if (rank[byte] == 0)
            rank[byte] = uint8_t(255 - i);
    }
    return rank;
}();

// The two places of the needle whose bytes are rarest (first < second).
struct Probes {
    size_t first = 0;
    size_t second = 1;
};

Probes rarestPair(const char* needle, size_t size) {
    auto commonness = [&](size_t i) { return kCommonness[static_cast<unsigned char>(needle[i])]; };
    size_t a = 0;
    for (size_t i = 1; i < size; ++i) {
        if (commonness(i) < commonness(a))
            a = i;
    }
    // A second byte unlike the first filters better than a rarer copy of it.
    auto betterSecond = [&](size_t i, size_t j) {
        const bool iDiffers = needle[i] != needle[a];
        const bool jDiffers = needle[j] != needle[a];
        return iDiffers != jDiffers ? iDiffers : commonness(i) < commonness(j);
    };
    size_t b = a == 0 ? 1 : 0;
    for (size_t i = 0; i < size; ++i) {
        if (i != a && betterSecond(i, b))
            b = i;
    }
    return a < b ? Probes{a, b} : Probes{b, a};
}

const char* findScalar(const char* from, const char* end, const char* needle, size_t size, const Probes& p) {
    for (const char* at = from; at + size <= end; ++at) {
        if (at[p.first] == needle[p.first] && at[p.second] == needle[p.second] && std::memcmp(at, needle, size) == 0)
            return at;
    }
    return nullptr;
}

#ifdef VERDANE_X86

// Every bit of mask is a place where both probes matched; the first where the whole needle does is the answer.
inline const char* verify(uint32_t mask, const char* block, const char* needle, size_t size) {
    while (mask) {
        const char* at = block + __builtin_ctz(mask);
        if (std::memcmp(at, needle, size) == 0)
            return at;
        mask &= mask - 1;
    }
    return nullptr;
}

const char* findSse2(const char* from, const char* end, const char* needle, size_t size, const Probes& p) {
    const __m128i first = _mm_set1_epi8(needle[p.first]);
    const __m128i second = _mm_set1_epi8(needle[p.second]);
    const char* at = from;
    // Each block reads up to at + second + 16 and may compare the needle up to at + 15 + size.
    while (end - at >= std::ptrdiff_t(size + 15) && end - at >= std::ptrdiff_t(p.second + 16)) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + p.first));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + p.second));
        const auto mask =
            uint32_t(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, second))));
        if (mask) {
            if (const char* found = verify(mask, at, needle, size))
                return found;
        }
        at += 16;
    }
    return findScalar(at, end, needle, size, p);
}

__attribute__((target("avx2"))) const char* findAvx2(const char* from, const char* end, const char* needle, size_t size,
                                                     const Probes& p) {
    const __m256i first = _mm256_set1_epi8(needle[p.first]);
    const __m256i second = _mm256_set1_epi8(needle[p.second]);
    const char* at = from;
    while (end - at >= std::ptrdiff_t(size + 31) && end - at >= std::ptrdiff_t(p.second + 32)) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + p.first));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at + p.second));
        const auto mask =
            uint32_t(_mm256_movemask_epi8(_mm256_and_si256(_mm256_cmpeq_epi8(a, first), _mm256_cmpeq_epi8(b, second))));
        if (mask) {
            if (const char* found = verify(mask, at, needle, size))
                return found;
        }
        at += 32;
    }
    return findSse2(at, end, needle, size, p);
}

bool hasAvx2() {
    static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    return has;
}

#endif

} // namespace

const char* findBytes(const char* begin, const char* end, const char* needle, size_t needleSize) {
    if (needleSize == 0)
        return begin;
    if (begin >= end || size_t(end - begin) < needleSize)
        return nullptr;
    if (needleSize == 1)
        return static_cast<const char*>(std::memchr(begin, needle[0], size_t(end - begin)));
    const Probes probes = rarestPair(needle, needleSize);
#ifdef VERDANE_X86
    return hasAvx2() ? findAvx2(begin, end, needle, needleSize, probes)
                     : findSse2(begin, end, needle, needleSize, probes);
#else
    return findScalar(begin, end, needle, needleSize, probes);
#endif
}

} // namespace verdane
