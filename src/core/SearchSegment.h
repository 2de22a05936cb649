#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>

namespace verdane {

// Text as the search compares it: upper-cased (full Unicode upper-casing, so é finds É and ß finds SS) and written
// so that every UTF-16 unit has a byte sequence of its own (UTF-8, except that each half of a surrogate pair is
// written on its own): a byte match is then exactly a match of UTF-16 units.
QByteArray searchBytes(const QString& text);

// One record as the search knows it.
struct SegmentRecord {
    qint64 record = 0;
    quint32 nameOffset = 0; // its name, UTF-8, in the segment's names
    quint32 nameSize = 0;
    quint8 table = 0; // its table number (see SnippetRef.h)
    quint8 hasCode = 0;
    quint8 reserved[6] = {};
};

// A run of records and their searchable text: a whole segment, or the part of one read so far.
struct SegmentView {
    const char* text = nullptr; // each record's text followed by a byte that no text holds
    size_t textSize = 0;
    const quint64* starts = nullptr; // where each record's text begins; one more entry: textSize
    const SegmentRecord* records = nullptr;
    size_t recordCount = 0;
    const char* names = nullptr;
    size_t namesSize = 0;
    // Where the text comes from a file and is believed only once checked: a checksum of every block of the text
    // (see scanSegment), in the file's index. Null where the text is held in memory.
    const quint64* blockSums = nullptr;
};

// A hit: its record and its name, both copied out of the segment, valid during the call.
using SegmentHitSink = std::function<void(const SegmentRecord& record, QByteArrayView name)>;

// Hands each record of view whose text holds needle (every record with code, for the empty needle) to onHit, in
// order. Text from a file is checked block by block just before it is searched, so every hit handed on comes from
// text known to be as it was written; where a block is not (the file was changed, or cut short so that what is
// mapped of it can no longer be read), the scan ends as Damaged, after the hits found before that block.
enum class ScanEnd { Done, Cancelled, Damaged };
ScanEnd scanSegment(const SegmentView& view, const QByteArray& needle, const SegmentHitSink& onHit,
                    const std::atomic<bool>* cancel = nullptr);

// Where a segment's records come from, and what tells whether they have changed since they were read.
class SegmentSource {
public:
    virtual ~SegmentSource();

    // Names the source alike in every run; its cache file is named after it.
    virtual QString identity() const = 0;
    // Everything that must be unchanged for a segment read earlier to be believed. Empty when that cannot be told
    // now (a server out of reach); *problem then says why.
    virtual QByteArray key(QString* problem) = 0;
    // Hands every record of the source's tables to add, in search order, all from one moment of the source, and
    // returns the key of that moment: empty when the records could not be read as one whole, which is then not to
    // be kept. What could not be read goes to *unreadable, one message per file or table. add returns false to
    // stop.
    using RecordSink = std::function<bool(int table, qint64 record, QByteArrayView name, QByteArrayView code)>;
    virtual QByteArray read(const RecordSink& add, QStringList* unreadable, const std::atomic<bool>* cancel) = 0;
};

// Tables of an SQLite file, believed while the file is exactly the one read: the system's identity of the file and
// of its write-ahead log, and SQLite's own commit and schema counters from the file's header.
class FileSegmentSource final : public SegmentSource {
public:
    FileSegmentSource(QString databasePath, QList<int> tables);
    QString identity() const override;
    QByteArray key(QString* problem) override;
    QByteArray read(const RecordSink& add, QStringList* unreadable, const std::atomic<bool>* cancel) override;

private:
    QString m_path;
    QList<int> m_tables; // table numbers, in search order
};

// What one source holds for the search: its tables' records in order, with their upper-cased code. It is kept in a
// cache file, and believed only while the source's key is the one it was made with and the file holds exactly what
// was written (a checksum of its index when it is opened, and of each block of its text as it is searched);
// otherwise it is read afresh from the source and the cache file is written again. The cache file is only ever
// written as a new file that then takes the place of the old name, and only read when that name is a regular file
// itself (never a link, a pipe or a device), so that nothing at that name is ever written through or waited for.
// Where no cache file can be written, or the source could not be read whole, the segment lives in memory.
class SearchSegment final {
public:
    ~SearchSegment();
    SearchSegment(const SearchSegment&) = delete;
    SearchSegment& operator=(const SearchSegment&) = delete;

    // The segment from its cache file when that is valid (unless it is known to be damaged: Rebuild); otherwise
    // read afresh, handing each part read to onPart as it comes, so that a search can go on while reading. Nothing
    // (and no cache file) when cancelled. The source must outlive the segment.
    enum class CacheFile { Use, Rebuild };
    static std::unique_ptr<SearchSegment> load(SegmentSource& source, const QString& cacheDir,
                                               const std::function<void(const SegmentView& part)>& onPart = {},
                                               const std::atomic<bool>* cancel = nullptr,
                                               CacheFile cacheFile = CacheFile::Use);

    // Whether the source still holds what the segment was made from: Unknown when that cannot be told now, and
    // *problem then says why.
    enum class Freshness { Current, Changed, Unknown };
    Freshness freshness(QString* problem = nullptr) const;
    // Whether the segment came from a cache file made earlier, rather than from reading the database now.
    bool fromCacheFile() const { return m_fromCacheFile; }
    // The cache file this source uses (for tests and benchmarks).
    static QString cacheFilePath(const SegmentSource& source, const QString& cacheDir);

    const SegmentView& view() const { return m_view; }
    // What could not be read when the segment was made, one message per file or table.
    const QStringList& unreadable() const { return m_unreadable; }

private:
    SearchSegment() = default;
    struct Storage;
    // The segment in a cache file, if the file is a regular one, whole, ours, and made for exactly this key.
    static std::unique_ptr<SearchSegment> openCacheFile(SegmentSource& source, const QString& path,
                                                        const QByteArray& key);

    SegmentSource* m_source = nullptr;
    QByteArray m_key;
    SegmentView m_view;
    QStringList m_unreadable;
    bool m_fromCacheFile = false;
    std::unique_ptr<Storage> m_storage;

    friend class SegmentBuilder;
};

} // namespace verdane
