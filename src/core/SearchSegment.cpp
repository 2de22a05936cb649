#include "core/SearchSegment.h"

#include "core/ByteSearch.h"
#include "core/ContentHash.h"
#include "core/SnippetRef.h"
#include "core/SnippetStore.h"
#include "core/Sqlite.h"
#include "platform/FileIdentity.h"
#include "platform/FileSystem.h"
#include "platform/MappedMemory.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace verdane {

namespace {

// Ends every record's text. It never occurs in the encoding below, so no match runs from one record into the next.
constexpr char kRecordEnd = '\xFF';
// Read text is handed on, and written out, in parts of about this size.
constexpr size_t kPartBytes = 4u << 20;
// The text is checked and searched a block at a time: small enough for a block just checked to be searched from the
// processor's cache, large enough for the checksums to be few. The scan also looks at the cancel flag after each.
constexpr size_t kBlockBytes = 256u << 10;

constexpr char kMagic[8] = {'V', 'R', 'D', 'N', 'S', 'R', 'C', 'H'};
// Raised whenever the layout or the text encoding changes, so that no older file is believed.
constexpr quint32 kFormatVersion = 2;

// A cache file: the text, then its index (the block checksums, the record starts, the records, their names, the
// messages and the key, each at an offset divisible by 8 where it holds numbers), then this footer. The footer's
// checksum covers every byte after the text up to itself; the block checksums cover the text.
struct Footer {
    char magic[8];
    quint32 version;
    quint32 keySize;
    quint64 textSize;
    quint64 recordCount;
    quint64 namesSize;
    quint64 messagesSize;
    quint64 blockSumsOffset;
    quint64 startsOffset;
    quint64 recordsOffset;
    quint64 namesOffset;
    quint64 messagesOffset;
    quint64 keyOffset;
    quint64 totalSize;
    quint64 checksum;
};
static_assert(sizeof(Footer) % 8 == 0 && sizeof(SegmentRecord) == 24);

size_t blockCount(quint64 textSize) {
    return size_t((textSize + kBlockBytes - 1) / kBlockBytes);
}

// Whether the blocks of text that [from, to) touches, and have not been checked yet, hold what was written. Blocks
// before *next have been checked; the scan only goes forwards.
bool checkBlocks(const SegmentView& view, const char* from, const char* to, size_t* next) {
    if (!view.blockSums || from >= to)
        return true;
    const size_t last = size_t(to - view.text - 1) / kBlockBytes;
    for (size_t block = std::max(*next, size_t(from - view.text) / kBlockBytes); block <= last; ++block) {
        const size_t begin = block * kBlockBytes;
        const size_t size = std::min(kBlockBytes, view.textSize - begin);
        if (contentHash(view.text + begin, size, block) != view.blockSums[block])
            return false;
        *next = block + 1;
    }
    return true;
}

void appendRaw(QByteArray& out, const void* data, size_t size) {
    out.append(static_cast<const char*>(data), qsizetype(size));
}

// Appends code, upper-cased, as searchBytes writes it. Most VB code is plain ASCII, which is upper-cased byte by
// byte; only the runs of other characters go through Unicode's upper-casing (which works character by character,
// so a run can be cased on its own).
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
            const QByteArray upper = searchBytes(QString::fromUtf8(p, q - p));
            out.append(upper.constData(), size_t(upper.size()));
        }
        p = q;
    }
}

template <typename T> size_t bytesOf(const std::vector<T>& v) {
    return v.size() * sizeof(T);
}

} // namespace

QByteArray searchBytes(const QString& text) {
    const QString upper = text.toUpper();
    const bool hasSurrogates = std::any_of(upper.cbegin(), upper.cend(), [](QChar c) { return c.isSurrogate(); });
    if (!hasSurrogates)
        return upper.toUtf8();
    QByteArray out;
    out.reserve(upper.size() * 3);
    for (const QChar c : upper) {
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

namespace {

// Copies a record and its name out of the segment, which may be a mapped file: false where it can no longer be read.
bool copyHit(const SegmentView& view, size_t i, SegmentRecord* record, QByteArray* name) {
    if (!platform::readMapped([&] { *record = view.records[i]; }))
        return false;
    name->resize(qsizetype(record->nameSize));
    return platform::readMapped([&] { std::memcpy(name->data(), view.names + record->nameOffset, record->nameSize); });
}

} // namespace

ScanEnd scanSegment(const SegmentView& view, const QByteArray& needle, const SegmentHitSink& onHit,
                    const std::atomic<bool>* cancel) {
    auto cancelled = [&] { return cancel && cancel->load(std::memory_order_relaxed); };
    SegmentRecord record;
    QByteArray name;
    if (needle.isEmpty()) {
        for (size_t i = 0; i < view.recordCount; ++i) {
            if (i % 4096 == 0 && cancelled())
                return ScanEnd::Cancelled;
            if (!copyHit(view, i, &record, &name))
                return ScanEnd::Damaged;
            if (record.hasCode)
                onHit(record, name);
        }
        return ScanEnd::Done;
    }
    const char* const end = view.text + view.textSize;
    const size_t window = std::max<size_t>(kBlockBytes, 2 * size_t(needle.size()));
    const char* from = view.text;
    size_t checked = 0; // the blocks before this one are known to be sound
    while (from < end) {
        if (cancelled())
            return ScanEnd::Cancelled;
        // A window ends far enough on for a match that begins inside it to end inside it too.
        const char* windowEnd = size_t(end - from) > window ? from + window : end;
        const char* at = nullptr;
        const char* next = nullptr;
        size_t hit = 0;
        bool sound = true;
        const bool readable = platform::readMapped([&] {
            sound = checkBlocks(view, from, windowEnd, &checked);
            at = sound ? findBytes(from, windowEnd, needle.constData(), size_t(needle.size())) : nullptr;
            if (at) {
                // The record holding the match is reported once; the search goes on at the next record.
                const auto offset = quint64(at - view.text);
                hit = size_t(std::upper_bound(view.starts, view.starts + view.recordCount, offset) - view.starts) - 1;
                next = view.text + view.starts[hit + 1];
            }
        });
        if (!readable || !sound)
            return ScanEnd::Damaged;
        if (!at) {
            if (windowEnd == end)
                break;
            from = windowEnd - (needle.size() - 1);
            continue;
        }
        if (!copyHit(view, hit, &record, &name))
            return ScanEnd::Damaged;
        onHit(record, name);
        from = next;
    }
    return ScanEnd::Done;
}

SegmentSource::~SegmentSource() = default;

FileSegmentSource::FileSegmentSource(QString databasePath, QList<int> tables)
    : m_path(std::move(databasePath))
    , m_tables(std::move(tables)) {}

QString FileSegmentSource::identity() const {
    return QFileInfo(m_path).absoluteFilePath();
}

QByteArray FileSegmentSource::key(QString*) {
    QByteArray key("verdane-search");
    appendRaw(key, &kFormatVersion, sizeof kFormatVersion);
    key += identity().toUtf8() + '\0';
    for (const int table : m_tables)
        appendRaw(key, &table, sizeof table);
    for (const QString& file : {m_path, m_path + QStringLiteral("-wal")}) {
        const platform::FileIdentity id = platform::fileIdentity(file);
        appendRaw(key, &id.exists, sizeof id.exists);
        appendRaw(key, &id.device, sizeof id.device);
        appendRaw(key, &id.inode, sizeof id.inode);
        appendRaw(key, &id.size, sizeof id.size);
        appendRaw(key, &id.modifiedNs, sizeof id.modifiedNs);
        appendRaw(key, &id.statusChangedNs, sizeof id.statusChangedNs);
    }
    // SQLite's header, with its counters of commits and schema changes; only a regular file is read, so that a pipe
    // in the database's place is never waited for.
    const filesystem::OpenedFile database = filesystem::openForReading(m_path);
    const auto kind = quint8(database.facts.kind);
    appendRaw(key, &kind, sizeof kind);
    if (database.fd >= 0 && database.facts.kind == filesystem::Kind::Regular) {
        char header[100];
        const qint64 got = filesystem::readAt(database.fd, 0, header, sizeof header);
        if (got > 0)
            key.append(header, got);
    }
    filesystem::close(database.fd);
    return key;
}

QByteArray FileSegmentSource::read(const RecordSink& add, QStringList* unreadable, const std::atomic<bool>* cancel) {
    // Taken before reading: a commit while reading makes the next look at the file see a change.
    const QByteArray key = this->key(nullptr);
    const QString fileName = QFileInfo(m_path).fileName();
    const sqlite::Connection db(m_path, sqlite::Connection::Mode::ReadWrite, 5000, cancel);
    if (!db.isOpen()) {
        *unreadable << SnippetStore::unopenedFile(fileName, db.openError());
        return key;
    }
    // One read transaction: the segment is one moment of the file, whatever others commit meanwhile.
    db.exec("BEGIN");
    for (const int table : m_tables) {
        const QString name = snippetTable(table).table;
        sqlite::Statement query =
            db.prepare(QStringLiteral("SELECT rowid, CodeName, Code FROM %1 ORDER BY rowid").arg(sqlite::quoted(name)));
        while (query.next()) {
            if (!add(table, query.integer(0), query.bytes(1), query.bytes(2)))
                return key;
        }
        if (query.failed())
            *unreadable << SnippetStore::unreadableTable(fileName, name, query.error());
    }
    db.exec("COMMIT");
    return key;
}

// What a segment's view points into: a mapped cache file, or memory of its own.
struct SearchSegment::Storage {
    QString path;
    QFile file;
    const uchar* mapped = nullptr;
    platform::FileIdentity mappedIdentity;
    std::string text;
    std::vector<quint64> starts;
    std::vector<SegmentRecord> records;
    QByteArray names;
};

SearchSegment::~SearchSegment() {
    if (m_storage && m_storage->mapped)
        m_storage->file.unmap(const_cast<uchar*>(m_storage->mapped));
}

QString SearchSegment::cacheFilePath(const SegmentSource& source, const QString& cacheDir) {
    const QByteArray id =
        QCryptographicHash::hash(source.identity().toUtf8(), QCryptographicHash::Sha1).toHex().left(20);
    return QDir(cacheDir).filePath(QStringLiteral("search-%1.cache").arg(QString::fromLatin1(id)));
}

SearchSegment::Freshness SearchSegment::freshness(QString* problem) const {
    // A mapped cache file changed in place by someone else would show the search other bytes than those checked.
    if (m_storage->mapped && platform::fileIdentity(m_storage->path) != m_storage->mappedIdentity)
        return Freshness::Changed;
    const QByteArray key = m_source->key(problem);
    if (key.isEmpty())
        return Freshness::Unknown;
    return key == m_key ? Freshness::Current : Freshness::Changed;
}

// Reads a database's tables into a new segment, part by part, writing the cache file as it goes: into a new file of
// the cache folder, which takes the cache file's name once it is whole.
class SegmentBuilder {
public:
    SegmentBuilder(SegmentSource& source, const QString& cachePath,
                   const std::function<void(const SegmentView&)>& onPart, const std::atomic<bool>* cancel)
        : m_source(source)
        , m_onPart(onPart)
        , m_cancel(cancel)
        , m_cachePath(cachePath) {
        if (cachePath.isEmpty() || !QDir().mkpath(QFileInfo(cachePath).path()))
            return;
        // Something other than a file at the name (a link, a pipe, a folder) was put there by someone else: it is
        // left as it is, and the segment lives in memory.
        const filesystem::Kind there = filesystem::facts(cachePath, filesystem::Links::NotFollowed).kind;
        if (there != filesystem::Kind::Missing && there != filesystem::Kind::Regular)
            return;
        // A name of its own, made new so that nothing already there is written through. Not a QTemporaryFile: on
        // Windows its handle stays open until it is destroyed, and an open file cannot be renamed there.
        for (int attempt = 0; attempt < 16 && !m_writing; ++attempt) {
            m_file.setFileName(cachePath + QLatin1Char('.') +
                               QString::number(QRandomGenerator::global()->generate64(), 36));
            m_writing = m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
        }
    }

    ~SegmentBuilder() {
        if (m_writing && !m_committed)
            m_file.remove();
    }
    SegmentBuilder(const SegmentBuilder&) = delete;
    SegmentBuilder& operator=(const SegmentBuilder&) = delete;

    std::unique_ptr<SearchSegment> build() {
        auto segment = std::unique_ptr<SearchSegment>(new SearchSegment);
        segment->m_source = &m_source;
        m_storage = std::make_unique<SearchSegment::Storage>();
        bool stopped = false;
        segment->m_key = m_source.read(
            [&](int table, qint64 record, QByteArrayView name, QByteArrayView code) {
                add(table, record, name, code);
                stopped = m_part.size() >= kPartBytes && !finishPart();
                return !stopped;
            },
            &segment->m_unreadable, m_cancel);
        if (stopped || !finishPart())
            return nullptr;
        if (segment->m_key.isEmpty()) {
            // Not one whole moment of the source: searched as far as it came while it was read, and neither kept
            // nor searched again.
            return SegmentBuilder(m_source, {}, {}, m_cancel).empty(std::move(segment->m_unreadable));
        }
        m_starts.push_back(m_textSize);
        QByteArray messages = segment->m_unreadable.join(QLatin1Char('\n')).toUtf8();
        if (m_writing && !m_writeFailed && writeIndex(segment->m_key, messages) && commit()) {
            if (auto mapped = SearchSegment::openCacheFile(m_source, m_cachePath, segment->m_key)) {
                mapped->m_fromCacheFile = false; // read from the database now, and only kept in the file
                return mapped;
            }
        }
        if (m_writing) {
            // The cache file could not be written whole (a full disk): the text went to it, so read once more,
            // into memory.
            return SegmentBuilder(m_source, {}, {}, m_cancel).build();
        }
        return inMemory(std::move(segment));
    }

    // A segment of no records, with what could not be read.
    std::unique_ptr<SearchSegment> empty(QStringList unreadable) {
        auto segment = std::unique_ptr<SearchSegment>(new SearchSegment);
        segment->m_source = &m_source;
        segment->m_unreadable = std::move(unreadable);
        m_storage = std::make_unique<SearchSegment::Storage>();
        m_starts.push_back(0);
        return inMemory(std::move(segment));
    }

private:
    std::unique_ptr<SearchSegment> inMemory(std::unique_ptr<SearchSegment> segment) {
        m_storage->starts = std::move(m_starts);
        m_storage->records = std::move(m_records);
        m_storage->names = std::move(m_names);
        segment->m_view = {m_storage->text.data(),         m_storage->text.size(),    m_storage->starts.data(),
                           m_storage->records.data(),      m_storage->records.size(), m_storage->names.constData(),
                           size_t(m_storage->names.size())};
        segment->m_storage = std::move(m_storage);
        return segment;
    }

    void add(int table, qint64 record, QByteArrayView name, QByteArrayView code) {
        SegmentRecord r;
        r.record = record;
        r.nameOffset = quint32(m_names.size());
        r.nameSize = quint32(name.size());
        r.table = quint8(table);
        r.hasCode = !code.isEmpty();
        m_names.append(name);
        m_records.push_back(r);
        m_partStarts.push_back(m_part.size());
        appendUpper(m_part, code);
        m_part.push_back(kRecordEnd);
    }

    // Hands the part read since the last one to whoever searches while reading, then writes it out (or keeps it).
    bool finishPart() {
        if (m_cancel && m_cancel->load())
            return false;
        const size_t first = m_records.size() - m_partStarts.size();
        std::vector<quint64> starts = m_partStarts;
        starts.push_back(m_part.size());
        if (m_onPart && !m_partStarts.empty())
            m_onPart(SegmentView{m_part.data(), m_part.size(), starts.data(), m_records.data() + first,
                                 m_partStarts.size(), m_names.constData(), size_t(m_names.size())});
        for (const quint64 start : m_partStarts)
            m_starts.push_back(m_textSize + start);
        m_textSize += m_part.size();
        if (!m_writing) {
            m_storage->text += m_part;
        } else if (!m_writeFailed) {
            sumBlocks(m_part.data(), m_part.size());
            m_writeFailed = !write(m_part.data(), m_part.size());
        }
        m_part.clear();
        m_partStarts.clear();
        return !(m_cancel && m_cancel->load());
    }

    // Each block of the text gets its checksum, seeded with its number so that blocks cannot change places.
    void sumBlocks(const char* data, size_t size) {
        while (size > 0) {
            const size_t take = std::min(size, kBlockBytes - m_blockFill);
            m_blockHash.add(data, take);
            m_blockFill += take;
            data += take;
            size -= take;
            if (m_blockFill == kBlockBytes) {
                m_blockSums.push_back(m_blockHash.digest());
                m_blockHash.reset(m_blockSums.size());
                m_blockFill = 0;
            }
        }
    }

    bool write(const void* data, size_t size) {
        return m_file.write(static_cast<const char*>(data), qint64(size)) == qint64(size);
    }

    bool writeIndex(const QByteArray& key, const QByteArray& messages) {
        if (m_blockFill > 0)
            m_blockSums.push_back(m_blockHash.digest());
        // The index is made in memory first, so that its checksum covers exactly the bytes written.
        QByteArray index;
        auto offset = [&] { return quint64(m_textSize) + quint64(index.size()); };
        auto pad = [&] { index.append(qsizetype((8 - offset() % 8) % 8), '\0'); };
        auto append = [&](const void* data, size_t size) {
            index.append(static_cast<const char*>(data), qsizetype(size));
        };
        Footer f{};
        std::memcpy(f.magic, kMagic, sizeof kMagic);
        f.version = kFormatVersion;
        f.keySize = quint32(key.size());
        f.textSize = m_textSize;
        f.recordCount = m_records.size();
        f.namesSize = quint64(m_names.size());
        f.messagesSize = quint64(messages.size());
        pad();
        f.blockSumsOffset = offset();
        append(m_blockSums.data(), bytesOf(m_blockSums));
        f.startsOffset = offset();
        append(m_starts.data(), bytesOf(m_starts));
        f.recordsOffset = offset();
        append(m_records.data(), bytesOf(m_records));
        f.namesOffset = offset();
        append(m_names.constData(), size_t(m_names.size()));
        f.messagesOffset = offset();
        append(messages.constData(), size_t(messages.size()));
        f.keyOffset = offset();
        append(key.constData(), size_t(key.size()));
        pad();
        f.totalSize = offset() + sizeof(Footer);
        append(&f, offsetof(Footer, checksum));
        f.checksum = contentHash(index.constData(), size_t(index.size()));
        append(&f.checksum, sizeof f.checksum);
        return write(index.constData(), size_t(index.size()));
    }

    // The new file takes the cache file's name: a reader sees the old file or the new one, never a part of one. It is
    // closed first, as Windows renames no file that is open.
    bool commit() {
        const bool flushed = m_file.flush();
        m_file.close();
        if (!flushed || !filesystem::replace(m_file.fileName(), m_cachePath).isEmpty())
            return false;
        m_committed = true;
        return true;
    }

    SegmentSource& m_source;
    const std::function<void(const SegmentView&)>& m_onPart;
    const std::atomic<bool>* m_cancel;
    QString m_cachePath;
    QFile m_file;
    bool m_writing = false;
    bool m_committed = false;
    bool m_writeFailed = false;
    std::unique_ptr<SearchSegment::Storage> m_storage;
    std::string m_part;
    std::vector<quint64> m_partStarts;
    std::vector<quint64> m_starts;
    std::vector<SegmentRecord> m_records;
    QByteArray m_names;
    quint64 m_textSize = 0;
    ContentHasher m_blockHash{0};
    size_t m_blockFill = 0;
    std::vector<quint64> m_blockSums;
};

std::unique_ptr<SearchSegment> SearchSegment::openCacheFile(SegmentSource& source, const QString& path,
                                                            const QByteArray& key) {
    // Never through a link, and never a pipe or a device, which could be waited on for good.
    const filesystem::OpenedFile opened = filesystem::openForReading(path, filesystem::Links::NotFollowed);
    auto storage = std::make_unique<Storage>();
    if (opened.fd < 0 || !storage->file.open(opened.fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        filesystem::close(opened.fd);
        return nullptr;
    }
    storage->path = path;
    storage->mappedIdentity = platform::fileIdentity(opened.fd);
    const qint64 size = opened.facts.size;
    if (opened.facts.kind != filesystem::Kind::Regular || size < qint64(sizeof(Footer)) || size % 8 != 0)
        return nullptr;
    const uchar* base = storage->file.map(0, size);
    if (!base)
        return nullptr;
    storage->mapped = base;
    auto segment = std::unique_ptr<SearchSegment>(new SearchSegment);
    segment->m_storage = std::move(storage); // unmaps on every way out
    const auto* data = reinterpret_cast<const char*>(base);

    // Everything after the text is checked against the footer's checksum before anything in it is believed, and
    // every offset too: a file made to fit its checksum must still never make the search read outside it. Read
    // through the mapping, where a file cut short meanwhile stops the check rather than the program.
    Footer f;
    bool sound = false;
    const auto within = [&](quint64 offset, quint64 bytes) {
        return offset >= f.textSize && offset <= quint64(size) && bytes <= quint64(size) - offset;
    };
    const bool readable = platform::readMapped([&] {
        std::memcpy(&f, data + size - sizeof f, sizeof f);
        if (std::memcmp(f.magic, kMagic, sizeof kMagic) != 0 || f.version != kFormatVersion ||
            f.totalSize != quint64(size) || f.textSize > quint64(size) - sizeof f ||
            contentHash(data + f.textSize, size_t(quint64(size) - f.textSize - sizeof f.checksum)) != f.checksum)
            return;
        if (f.keySize != quint64(key.size()) || !within(f.keyOffset, f.keySize) ||
            std::memcmp(data + f.keyOffset, key.constData(), size_t(key.size())) != 0 ||
            f.recordCount > quint64(size) / sizeof(SegmentRecord) || f.blockSumsOffset % 8 != 0 ||
            f.startsOffset % 8 != 0 || f.recordsOffset % 8 != 0 ||
            !within(f.blockSumsOffset, blockCount(f.textSize) * sizeof(quint64)) ||
            !within(f.startsOffset, (f.recordCount + 1) * sizeof(quint64)) ||
            !within(f.recordsOffset, f.recordCount * sizeof(SegmentRecord)) || !within(f.namesOffset, f.namesSize) ||
            !within(f.messagesOffset, f.messagesSize))
            return;
        const auto* starts = reinterpret_cast<const quint64*>(data + f.startsOffset);
        const auto* records = reinterpret_cast<const SegmentRecord*>(data + f.recordsOffset);
        if (starts[0] != 0 || starts[f.recordCount] != f.textSize)
            return;
        for (quint64 i = 0; i < f.recordCount; ++i) {
            const SegmentRecord& r = records[i];
            if (starts[i + 1] < starts[i] || quint64(r.nameOffset) + r.nameSize > f.namesSize ||
                r.table >= snippetTableCount())
                return;
        }
        sound = true;
    });
    if (!readable || !sound)
        return nullptr;
    QByteArray messages(qsizetype(f.messagesSize), Qt::Uninitialized);
    if (!platform::readMapped([&] { std::memcpy(messages.data(), data + f.messagesOffset, f.messagesSize); }))
        return nullptr;
    segment->m_source = &source;
    segment->m_key = key;
    segment->m_fromCacheFile = true;
    segment->m_view = {data,
                       size_t(f.textSize),
                       reinterpret_cast<const quint64*>(data + f.startsOffset),
                       reinterpret_cast<const SegmentRecord*>(data + f.recordsOffset),
                       size_t(f.recordCount),
                       data + f.namesOffset,
                       size_t(f.namesSize),
                       reinterpret_cast<const quint64*>(data + f.blockSumsOffset)};
    if (!messages.isEmpty())
        segment->m_unreadable = QString::fromUtf8(messages).split(QLatin1Char('\n'));
    return segment;
}

std::unique_ptr<SearchSegment> SearchSegment::load(SegmentSource& source, const QString& cacheDir,
                                                   const std::function<void(const SegmentView&)>& onPart,
                                                   const std::atomic<bool>* cancel, CacheFile cacheFile) {
    const QString cachePath = cacheDir.isEmpty() ? QString() : cacheFilePath(source, cacheDir);
    if (!cachePath.isEmpty() && cacheFile == CacheFile::Use) {
        if (const QByteArray key = source.key(nullptr); !key.isEmpty()) {
            if (std::unique_ptr<SearchSegment> cached = openCacheFile(source, cachePath, key))
                return cached;
        }
    }
    return SegmentBuilder(source, cachePath, onPart, cancel).build();
}

} // namespace verdane
