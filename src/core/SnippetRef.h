#pragma once

#include <QString>

namespace verdane {

enum class Database { Library, User };

// Which record a tree node, a search hit or the shown snippet stands for: its table and its place there (SQLite's
// rowid). Names are not unique, so everything that acts on one snippet carries this rather than a name.
struct SnippetRef {
    Database database = Database::Library;
    QString table;
    qint64 record = 0;

    bool isNull() const { return table.isEmpty(); }
    friend bool operator==(const SnippetRef&, const SnippetRef&) = default;
};

// The catalogue's snippet tables in the order of the tree and of the search: the seven groups, then the user's.
// A table's number is its place in this order.
int snippetTableCount();
SnippetRef snippetTable(int number, qint64 record = 0);
// -1 for a table that is not one of them.
int snippetTableNumber(Database database, const QString& table);

} // namespace verdane
