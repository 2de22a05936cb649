#include "core/CodeTree.h"

#include "core/CatalogueModel.h"
#include "core/GroupNames.h"
#include "core/SnippetStore.h"

namespace verdane {

QStringList loadCodeTree(CatalogueModel& tree, SnippetStore& store) {
    QStringList failures;
    auto note = [&](const StoreStatus& status) {
        if (!status.ok && !failures.contains(status.error))
            failures << status.error;
    };
    tree.beginRebuild();
    tree.clear();
    const SnippetStore::ReopenResult opened = store.reopenDatabases();
    note(opened.library);
    note(opened.user);
    const int libraryRoot = tree.addRoot(kPublisherLabel);
    const int userRoot = tree.addRoot(kUserCodeCaption);
    const QStringList& groups = groupNames();
    for (const QString& group : groups)
        tree.addChild(libraryRoot, group);
    for (int g = 0; g < groups.size(); ++g) {
        const int groupNode = g + 3;
        if (opened.library)
            note(store.listSnippetNames(Database::Library, groups[g],
                                        [&](QString name) { tree.addChild(groupNode, name); }));
    }
    if (opened.user)
        note(store.listSnippetNames(Database::User, kUserCodeTable,
                                    [&](QString name) { tree.addChild(userRoot, name); }));
    tree.endRebuild();
    return failures;
}

SnippetLocation locateSnippet(const CatalogueModel& tree, int node) {
    SnippetLocation where;
    const QString caption = tree.caption(node);
    if (caption == kUserCodeCaption || tree.childCount(node) != 0)
        return where;
    // A group whose table is empty has no children either, yet it is a group: its parent, the library root (always
    // node 1), names no table.
    if (tree.parentNode(node) == 1)
        return where;
    where.isSnippet = true;
    where.name = caption;
    const QString parentCaption = tree.caption(tree.parentNode(node));
    if (parentCaption == kUserCodeCaption) {
        where.inUserDatabase = true;
        where.table = kUserCodeTable;
    } else {
        where.table = parentCaption;
    }
    return where;
}

} // namespace verdane
