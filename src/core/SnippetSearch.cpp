#include "core/SnippetSearch.h"

#include "core/SearchSegment.h"
#include "core/SqliteStore.h"
#include "platform/DefaultFolders.h"


namespace verdane {

struct SnippetSearch::Source {
    std::unique_ptr<SegmentSource> where;
    std::unique_ptr<SearchSegment> segment;
};

SnippetSearch::SnippetSearch(std::vector<std::unique_ptr<SegmentSource>> sources, QString cacheDir)
    : m_cacheDir(std::move(cacheDir)) {
    for (auto& source : sources)
        m_sources.push_back(Source{std::move(source), nullptr});
}

SnippetSearch::SnippetSearch(const QString& libraryPath, const QString& userPath, QString cacheDir)
    : SnippetSearch(SqliteStore(libraryPath, userPath).searchSources(), std::move(cacheDir)) {}

SnippetSearch::SnippetSearch(const SnippetStore& store, QString cacheDir)
    : SnippetSearch(store.searchSources(), std::move(cacheDir)) {}

SnippetSearch::~SnippetSearch() = default;

QString SnippetSearch::defaultCacheDir() {
    return platform::cacheFolder();
}

QStringList SnippetSearch::run(const QString& text, const std::function<void(int, qint64, QByteArrayView)>& onHit,
                               const std::atomic<bool>* cancel) {
    const std::lock_guard lock(m_running);
    const QByteArray needle = searchBytes(text);
    // A segment read again after its cache file proved damaged is searched from the start; the hits the damaged one
    // gave before the damage were sound, and are not handed on twice.
    size_t given = 0;
    size_t skip = 0;
    const SegmentHitSink deliver = [&](const SegmentRecord& r, QByteArrayView name) {
        if (skip > 0) {
            --skip;
            return;
        }
        ++given;
        onHit(r.table, r.record, name);
    };
    QStringList unreadable;
    auto note = [&](const QString& message) {
        if (!unreadable.contains(message))
            unreadable << message;
    };
    // A segment read afresh is searched part by part as it is read, so the first hits come at once.
    auto readAfresh = [&](Source& source, SearchSegment::CacheFile cacheFile) {
        source.segment.reset();
        source.segment = SearchSegment::load(
            *source.where, m_cacheDir, [&](const SegmentView& part) { scanSegment(part, needle, deliver, cancel); },
            cancel, cacheFile);
        return source.segment != nullptr;
    };
    for (Source& source : m_sources) {
        if (cancel && cancel->load())
            break;
        given = 0;
        bool searchedWhileReading = false;
        QString problem;
        const SearchSegment::Freshness freshness =
            source.segment ? source.segment->freshness(&problem) : SearchSegment::Freshness::Changed;
        if (freshness == SearchSegment::Freshness::Unknown)
            note(QStringLiteral("%1 Find searched the snippets as they were when last read.").arg(problem));
        if (freshness == SearchSegment::Freshness::Changed) {
            if (!readAfresh(source, SearchSegment::CacheFile::Use))
                break; // cancelled
            searchedWhileReading = !source.segment->fromCacheFile();
        }
        if (!searchedWhileReading) {
            const ScanEnd end = scanSegment(source.segment->view(), needle, deliver, cancel);
            if (end == ScanEnd::Cancelled)
                break;
            if (end == ScanEnd::Damaged) {
                skip = std::exchange(given, 0);
                if (!readAfresh(source, SearchSegment::CacheFile::Rebuild))
                    break;
                skip = 0;
            }
        }
        for (const QString& message : source.segment->unreadable())
            note(message);
    }
    return unreadable;
}

QStringList SnippetSearch::find(const QString& text, const std::function<void(const Hit&)>& onHit,
                                const std::atomic<bool>* cancel) {
    return run(
        text,
        [&](int table, qint64 record, QByteArrayView name) {
            onHit(Hit{QString::fromUtf8(name), snippetTable(table, record)});
        },
        cancel);
}

QStringList SnippetSearch::findNames(const QString& text, const std::function<void(QByteArrayView)>& onHit,
                                     const std::atomic<bool>* cancel) {
    return run(
        text, [&](int, qint64, QByteArrayView name) { onHit(name); }, cancel);
}

} // namespace verdane
