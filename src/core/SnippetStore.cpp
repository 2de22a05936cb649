#include "core/SnippetStore.h"

namespace verdane {

SnippetStore::~SnippetStore() = default;

QString SnippetStore::unopenedFile(const QString& fileName, const QString& reason) {
    return reason.isEmpty() ? QStringLiteral("%1 could not be opened.").arg(fileName)
                            : QStringLiteral("%1 could not be opened: %2").arg(fileName, reason);
}

QString SnippetStore::unreadableTable(const QString& fileName, const QString& table, const QString& reason) {
    const QString what = QStringLiteral("The table \"%1\"").arg(table);
    return reason.isEmpty() ? QStringLiteral("%1 of %2 could not be read.").arg(what, fileName)
                            : QStringLiteral("%1 of %2 could not be read: %3").arg(what, fileName, reason);
}

QString SnippetStore::changedSinceShown(const QString& name) {
    return QStringLiteral("The snippet \"%1\" was changed or removed by another program since it was shown; nothing "
                          "was changed.")
        .arg(name);
}

QString SnippetStore::nameTaken(const QString& name) {
    return QStringLiteral("User Code already holds a snippet named \"%1\". Please choose another name.").arg(name);
}

Status SnippetStore::listSnippetNames(Database db, const QString& table, const std::function<void(QString)>& sink) {
    return listSnippets(db, table, [&](qint64, QString name) { sink(std::move(name)); });
}

Status SnippetStore::scanSnippets(Database db, const QString& table,
                                  const std::function<bool(const QString&, const QString&)>& visit) {
    return scanSnippetBytes(db, table, [&](qint64, const QString& name, QByteArrayView code) {
        return visit(name, QString::fromUtf8(code));
    });
}

} // namespace verdane
