#include "core/SnippetSearch.h"

#include <algorithm>
#include <cstring>
#include <sys/mman.h>

namespace verdane {

namespace {

// Upper-cased code is kept in chunks of about this size, so the copy grows without ever being moved whole.
constexpr size_t kChunkBytes = 8u << 20;
// Ends every record's text. It never occurs in the encoding below, so no match runs from one record into the next.
constexpr char kRecordEnd = '\xFF';

// Text as bytes in which every UTF-16 unit has a byte sequence of its own (CESU-8: UTF-8, except that each half of
// a surrogate pair is written on its own). A byte match is then exactly a match of UTF-16 units, as the search is
// defined, even for a search text holding half a pair. Text without surrogates is plain UTF-8.
QByteArray unitBytes(const QString& text) {
    const bool hasSurrogates = std::any_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSurrogate(); });
    if (!hasSurrogates)
        return text.toUtf8();
    QByteArray out;
    out.reserve(text.size() * 3);
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80) {
            out += char(u);
        } else if (u < 0x800) {
            out += char(0xC0 | (u >> 6));
            out += char(0x80 | (u & 0x3F));
        } else {
            out += char(0xE0 | (u >> 12));
            out += char(0x80 | ((u >> 6) & 0x3F));
            out += char(0x80 | (u & 0x3F));
        }
    }
    return out;
}

// Filling a few hundred megabytes page by page costs more in page faults than the copying itself; large pages,
// where the system offers them, cut that by a factor of 512.
void adviseLargePages(char* data, size_t size) {
#ifdef MADV_HUGEPAGE
    constexpr uintptr_t kLargePage = 2u << 20;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(kLargePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(size);
#endif
}

// Appends code, upper-cased, in the encoding above. Most VB code is plain ASCII, which is upper-cased byte by byte;
// only the runs of other characters go through Unicode's upper-casing (which works character by character, so a
// run can be cased on its own).
void appendUpper(std::string& out, QByteArrayView code) {
    const char* p = code.data();
    const char* const end = p + code.size();
    while (p < end) {
        const char* q = p;
        while (q < end && static_cast<unsigned char>(*q) < 0x80)
            ++q;
        const size_t from = out.size();
        out.append(p, size_t(q - p));
        for (size_t i = from; i < out.size(); ++i) {
            const char c = out[i];
            out[i] = (c >= 'a' && c <= 'z') ? char(c - ('a' - 'A')) : c;
        }
        p = q;
        while (q < end && static_cast<unsigned char>(*q) >= 0x80)
            ++q;
        if (q > p) {
            const QByteArray upper = unitBytes(QString::fromUtf8(p, q - p).toUpper());
            out.append(upper.constData(), size_t(upper.size()));
        }
        p = q;
    }
}

} // namespace

struct SnippetSearch::Cache {
    // Filled one record after the other; a chunk is complete once the next one has begun.
    struct Chunk {
        std::string text;               // records' upper-cased code in UTF-8, each followed by kRecordEnd
        std::vector<uint32_t> starts;   // where each record's text begins
        std::vector<uint32_t> recordOf; // the record number of each of them
    };
    SnippetStore::Fingerprint fingerprint;
    std::vector<QString> names;  // every record's name, in search order
    std::vector<qint64> records; // its record number
    std::vector<quint8> tables;  // its table number
    std::vector<bool> hasCode;   // whether its code is not empty
    std::vector<Chunk> chunks;
    QStringList unreadable; // the tables that could not be read when the copy was made

    SnippetSearch::Hit hit(size_t i) const { return {names[i], snippetTable(tables[i], records[i])}; }

    void add(int table, qint64 record, const QString& name, QByteArrayView code) {
        if (chunks.empty() || chunks.back().text.size() >= kChunkBytes) {
            chunks.emplace_back();
            chunks.back().text.reserve(kChunkBytes + kChunkBytes / 8);
            adviseLargePages(chunks.back().text.data(), chunks.back().text.capacity());
        }
        Chunk& chunk = chunks.back();
        chunk.starts.push_back(uint32_t(chunk.text.size()));
        chunk.recordOf.push_back(uint32_t(names.size()));
        appendUpper(chunk.text, code);
        chunk.text.push_back(kRecordEnd);
        names.push_back(name);
        records.push_back(record);
        tables.push_back(quint8(table));
        hasCode.push_back(!code.isEmpty());
    }
};

namespace {

using HitSink = std::function<void(const SnippetSearch::Hit&)>;

// Hands over the records of one chunk that hold the needle (all with code, for the empty needle), in order.
void searchChunk(const SnippetSearch::Cache& cache, size_t chunkIndex, const QByteArray& needle, const HitSink& onHit);

} // namespace

SnippetSearch::SnippetSearch(SnippetStore& store)
    : m_store(store) {}

SnippetSearch::~SnippetSearch() = default;

bool SnippetSearch::isCached() const {
    return m_cache && m_cache->fingerprint == m_store.fingerprint();
}

QStringList SnippetSearch::find(const QString& text, const HitSink& onHit) {
    const QByteArray needle = unitBytes(text.toUpper());
    const SnippetStore::Fingerprint now = m_store.fingerprint();
    if (m_cache && m_cache->fingerprint == now) {
        for (size_t c = 0; c < m_cache->chunks.size(); ++c)
            searchChunk(*m_cache, c, needle, onHit);
        return m_cache->unreadable;
    }

    // Read every snippet into a fresh copy, searching each chunk as soon as it is full, so that the first search
    // shows its hits while it reads.
    m_cache.reset();
    auto cache = std::make_unique<Cache>();
    cache->fingerprint = now;
    size_t searched = 0;
    for (int table = 0; table < snippetTableCount(); ++table) {
        const SnippetRef where = snippetTable(table);
        const StoreStatus status =
            m_store.scanSnippetBytes(where.database, where.table, [&](qint64 record, const QString& name, auto code) {
                cache->add(table, record, name, code);
                while (searched + 1 < cache->chunks.size())
                    searchChunk(*cache, searched++, needle, onHit);
                return true;
            });
        if (!status && !cache->unreadable.contains(status.error))
            cache->unreadable << status.error;
    }
    while (searched < cache->chunks.size())
        searchChunk(*cache, searched++, needle, onHit);
    if (!cache->chunks.empty())
        cache->chunks.back().text.shrink_to_fit();
    // A commit that raced the walk leaves a copy whose fingerprint is already old: the next search reads again.
    m_cache = std::move(cache);
    return m_cache->unreadable;
}

namespace {

void searchChunk(const SnippetSearch::Cache& cache, size_t chunkIndex, const QByteArray& needle, const HitSink& onHit) {
    const SnippetSearch::Cache::Chunk& chunk = cache.chunks[chunkIndex];
    if (needle.isEmpty()) {
        for (const uint32_t record : chunk.recordOf) {
            if (cache.hasCode[record])
                onHit(cache.hit(record));
        }
        return;
    }
    const char* const begin = chunk.text.data();
    const char* const end = begin + chunk.text.size();
    const char* from = begin;
    while (from < end) {
        const auto* at =
            static_cast<const char*>(memmem(from, size_t(end - from), needle.constData(), size_t(needle.size())));
        if (!at)
            break;
        // The record holding the match is reported once; the search goes on at the next record.
        const auto offset = uint32_t(at - begin);
        const size_t i =
            size_t(std::upper_bound(chunk.starts.begin(), chunk.starts.end(), offset) - chunk.starts.begin()) - 1;
        onHit(cache.hit(chunk.recordOf[i]));
        from = i + 1 < chunk.starts.size() ? begin + chunk.starts[i + 1] : end;
    }
}

} // namespace

} // namespace verdane
