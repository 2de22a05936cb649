#include "core/SnippetRef.h"

#include "core/GroupNames.h"

namespace verdane {

int snippetTableCount() {
    return int(groupNames().size()) + 1;
}

SnippetRef snippetTable(int number, qint64 record) {
    if (number >= 0 && number < groupNames().size())
        return {Database::Library, groupNames()[number], record};
    if (number == groupNames().size())
        return {Database::User, kUserCodeTable, record};
    return {};
}

int snippetTableNumber(Database database, const QString& table) {
    if (database == Database::User)
        return table == kUserCodeTable ? int(groupNames().size()) : -1;
    return int(groupNames().indexOf(table));
}

} // namespace verdane
