#include "core/SnippetSearch.h"

#include "core/GroupNames.h"
#include "core/SearchSegment.h"
#include "core/SnippetStore.h"

#include <QDir>
#include <QStandardPaths>

namespace verdane {

struct SnippetSearch::Source {
    SearchSegment::Source where;
    std::unique_ptr<SearchSegment> segment;
};

SnippetSearch::SnippetSearch(QString libraryPath, QString userPath, QString cacheDir)
    : m_cacheDir(std::move(cacheDir))
    , m_library(std::make_unique<Source>())
    , m_user(std::make_unique<Source>()) {
    const int userTable = snippetTableNumber(Database::User, kUserCodeTable);
    for (int table = 0; table < userTable; ++table)
        m_library->where.tables << table;
    m_library->where.databasePath = std::move(libraryPath);
    m_user->where = {std::move(userPath), {userTable}};
}

SnippetSearch::SnippetSearch(const SnippetStore& store, QString cacheDir)
    : SnippetSearch(store.filePath(Database::Library), store.filePath(Database::User), std::move(cacheDir)) {}

SnippetSearch::~SnippetSearch() = default;

QString SnippetSearch::defaultCacheDir() {
    // Shared by the window and the terminal, whatever name each runs under.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("Verdane"));
}

QStringList SnippetSearch::run(const QString& text, const std::function<void(int, qint64, QByteArrayView)>& onHit,
                               const std::atomic<bool>* cancel) {
    const std::lock_guard lock(m_running);
    const QByteArray needle = searchBytes(text);
    const SegmentHitSink deliver = [&](const SegmentView& view, const SegmentRecord& r) {
        onHit(r.table, r.record, view.nameOf(r));
    };
    QStringList unreadable;
    for (Source* source : {m_library.get(), m_user.get()}) {
        if (cancel && cancel->load())
            break;
        bool searchedWhileReading = false;
        if (!source->segment || !source->segment->isCurrent()) {
            source->segment.reset();
            // A segment read afresh is searched part by part as it is read, so the first hits come at once.
            source->segment = SearchSegment::load(
                source->where, m_cacheDir, [&](const SegmentView& part) { scanSegment(part, needle, deliver, cancel); },
                cancel);
            if (!source->segment)
                break; // cancelled
            searchedWhileReading = !source->segment->fromCacheFile();
        }
        if (!searchedWhileReading && !scanSegment(source->segment->view(), needle, deliver, cancel))
            break;
        for (const QString& message : source->segment->unreadable()) {
            if (!unreadable.contains(message))
                unreadable << message;
        }
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
