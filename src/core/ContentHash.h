#pragma once

#include <QtGlobal>

#include <cstddef>

namespace verdane {

// A 64-bit hash of bytes (XXH3), quick enough to check text at the speed it is searched: any change of the bytes
// changes it but by a chance of one in 2^64. seed tells apart the same bytes in different places.
quint64 contentHash(const void* data, size_t size, quint64 seed = 0);

// The same hash of bytes that come in pieces: digest() after adding them equals contentHash of them all.
class ContentHasher final {
public:
    explicit ContentHasher(quint64 seed = 0);
    ~ContentHasher();
    ContentHasher(const ContentHasher&) = delete;
    ContentHasher& operator=(const ContentHasher&) = delete;

    void reset(quint64 seed);
    void add(const void* data, size_t size);
    quint64 digest() const;

private:
    struct State;
    State* m_state;
};

} // namespace verdane
