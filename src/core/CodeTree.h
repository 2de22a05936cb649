#pragma once

#include "core/SnippetRef.h"

#include <QString>
#include <QStringList>

namespace verdane {

class CatalogueModel;
class SnippetStore;

// Rebuilds the whole catalogue from both databases: the two roots and the seven groups always, then every library
// snippet group by group, then the user's snippets. A step that fails (a file or table that cannot be read) is
// skipped and the build goes on; what failed is returned, for callers that report it.
QStringList loadCodeTree(CatalogueModel& tree, SnippetStore& store);

// The record a node stands for, and the name it is shown under. Roots and groups stand for none, whatever their
// captions or children.
struct SnippetLocation {
    bool isSnippet = false; // false: a root or a group
    SnippetRef ref;
    QString name;
};
SnippetLocation locateSnippet(const CatalogueModel& tree, int node);

} // namespace verdane
