#include "core/CodeTree.h"

#include "core/CatalogueModel.h"
#include "core/GroupNames.h"
#include "core/SnippetStore.h"

namespace verdane {

QStringList loadCodeTree(CatalogueModel& tree, SnippetStore& store) {
    QStringList failures;
    auto note = [&](const Status& status) {
        if (!status && !failures.contains(status.message()))
            failures << status.message();
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
            note(store.listSnippets(Database::Library, groups[g],
                                    [&](qint64 record, QString name) { tree.addSnippet(groupNode, g, record, name); }));
    }
    const int userTable = snippetTableNumber(Database::User, kUserCodeTable);
    if (opened.user)
        note(store.listSnippets(Database::User, kUserCodeTable, [&](qint64 record, QString name) {
            tree.addSnippet(userRoot, userTable, record, name);
        }));
    tree.endRebuild();
    return failures;
}

SnippetLocation locateSnippet(const CatalogueModel& tree, int node) {
    SnippetLocation where;
    const int table = tree.tableOf(node);
    if (table < 0)
        return where;
    where.isSnippet = true;
    where.ref = snippetTable(table, tree.recordOf(node));
    where.name = tree.caption(node);
    return where;
}

} // namespace verdane
