#pragma once

#include <QString>
#include <QStringList>

namespace verdane {

class CatalogueModel;
class SnippetStore;

// Rebuilds the whole catalogue from both databases: the two roots and the seven groups always, then every library
// snippet group by group, then the user's snippets. A step that fails (a file or table that cannot be read) is
// skipped and the build goes on; what failed is returned, for callers that report it (the window does not).
QStringList loadCodeTree(CatalogueModel& tree, SnippetStore& store);

// Where a node's snippet lives, decided by caption and structure alone.
struct SnippetLocation {
    bool isSnippet = false; // false: a root or a group
    bool inUserDatabase = false;
    QString table;
    QString name;
};
SnippetLocation locateSnippet(const CatalogueModel& tree, int node);

} // namespace verdane
