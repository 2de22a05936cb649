#pragma once

#include "core/SnippetRef.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace verdane {

class SearchSegment;
class SegmentSource;
class SnippetStore;

// Finds the snippets whose code contains a text, letter case aside: a snippet is a hit when the upper-cased text
// occurs in its upper-cased code (full Unicode upper-casing, so é finds É and ß finds SS). The tables are searched
// in group order, then the user's table, each in record order; a name is reported once per matching record, and a
// snippet with empty code never. Only the code is searched, never the name. A table that cannot be read is passed
// over, and the others are searched all the same.
//
// The upper-cased code of each source (a database file, the groups or User Code on a server) is kept in a cache file
// under cacheDir, made afresh whenever the source changes (see SearchSegment), so a search rarely reads the databases
// at all. A source whose changes cannot be told now (a server out of reach) is searched as it was last read, and said
// to be so among what could not be read. One search runs at a time; find may be called from any thread.
class SnippetSearch final {
public:
    // Searches two SQLite files.
    SnippetSearch(const QString& libraryPath, const QString& userPath, QString cacheDir = defaultCacheDir());
    // Searches what the store holds.
    explicit SnippetSearch(const SnippetStore& store, QString cacheDir = defaultCacheDir());
    ~SnippetSearch();

    // Where the cache files live: the user's cache folder.
    static QString defaultCacheDir();

    struct Hit {
        QString name;
        SnippetRef ref;
    };
    // Hands each hit to onHit in order. Returns what could not be read, one message per file or table; empty when
    // every table was searched. Stops early, with the hits so far, once cancel is set.
    QStringList find(const QString& text, const std::function<void(const Hit& hit)>& onHit,
                     const std::atomic<bool>* cancel = nullptr);
    // The same, handing over only each hit's name as stored, in UTF-8, for readers that need no more.
    QStringList findNames(const QString& text, const std::function<void(QByteArrayView name)>& onHit,
                          const std::atomic<bool>* cancel = nullptr);

private:
    struct Source;
    SnippetSearch(std::vector<std::unique_ptr<SegmentSource>> sources, QString cacheDir);
    QStringList run(const QString& text,
                    const std::function<void(int table, qint64 record, QByteArrayView name)>& onHit,
                    const std::atomic<bool>* cancel);

    QString m_cacheDir;
    std::mutex m_running;
    std::vector<Source> m_sources;
};

} // namespace verdane
