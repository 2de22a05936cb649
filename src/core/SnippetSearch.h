#pragma once

#include "core/SnippetStore.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace verdane {

// Finds the snippets whose code contains a text, letter case aside: a snippet is a hit when the upper-cased text
// occurs in its upper-cased code (full Unicode upper-casing, so é finds É and ß finds SS). The tables are searched
// in group order, then the user's table, each in record order; a name is reported once per matching record, and a
// snippet with empty code never. Only the code is searched, never the name. A table that cannot be read is passed
// over, and the others are searched all the same.
//
// The upper-cased code of every snippet is kept in memory after the first search, and searched with memmem; it is
// thrown away whenever the store's fingerprint changes (a tree rebuild, an import, another program's commit, a file
// changed on disk), so the results are always those of reading the tables afresh.
class SnippetSearch final {
public:
    explicit SnippetSearch(SnippetStore& store);
    ~SnippetSearch();

    struct Hit {
        QString name;
        SnippetRef ref;
    };
    // Hands each hit to onHit in order. Returns what could not be read, one message per table; empty when every
    // table was searched.
    QStringList find(const QString& text, const std::function<void(const Hit& hit)>& onHit);

    // Whether the in-memory copy is there and current (for tests and benchmarks).
    bool isCached() const;

    struct Cache;

private:
    SnippetStore& m_store;
    std::unique_ptr<Cache> m_cache;
};

} // namespace verdane
