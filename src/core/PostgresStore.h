#pragma once

#include "core/Postgres.h"
#include "core/SnippetStore.h"

#include <memory>

namespace verdane {

// A team's snippets on a PostgreSQL server, in the schema "verdane" of the database the URL names: the seven groups
// and UserCode, each with the columns CodeName, Code and Record (the record number, in whose order records come).
// Names in UserCode are unique by a constraint of the server's, so that of two programs adding one name at once one
// is refused whatever the timing. Every change is one statement in a transaction of its own, that changes the record
// only where it is still as the user was shown it. A connection the server dropped is made again on the next
// operation; a read that meets a dropped connection is tried once more, a write never: where the connection was lost
// after its commit was sent, the server is asked once reached again whether it was done. The server's text cannot
// hold the character NUL, so a name or code holding it is refused.
class PostgresStore final : public SnippetStore {
public:
    // url holds no password (see pg::urlProblem); libpq finds it in ~/.pgpass or PGPASSWORD.
    explicit PostgresStore(QString url);
    ~PostgresStore() override;
    PostgresStore(const PostgresStore&) = delete;
    PostgresStore& operator=(const PostgresStore&) = delete;

    QString location(Database) const override { return m_url; }
    // Keeps a connection that is still sound, and makes a new one otherwise.
    ReopenResult reopenDatabases() override;
    void closeDatabases() override;
    bool isOpen(Database db) const override;

    Status listSnippets(Database db, const QString& table,
                        const std::function<void(qint64 record, QString name)>& sink) override;
    Status listNameBytes(Database db, const QString& table, const std::function<void(QByteArrayView)>& sink) override;
    SnippetLookup readSnippet(const SnippetRef& ref, const QString& name) override;
    SnippetLookup findSnippetCode(Database db, const QString& table, const QString& name) override;
    NamedRecords recordsNamed(Database db, const QString& table, const QString& name) override;
    Status scanSnippetBytes(
        Database db, const QString& table,
        const std::function<bool(qint64 record, const QString& name, QByteArrayView code)>& visit) override;

    // User Code never holds two records of one name here, so namesakes is always 0.
    Status addUserSnippet(const QString& name, const QString& code, qint64* record = nullptr) override;
    Status renameUserSnippet(qint64 record, const QString& shownName, const QString& newName, int namesakes = 0,
                             PriorSnippet* prior = nullptr) override;
    Status replaceUserCode(qint64 record, const QString& shownName, const QString& shownCode,
                           const QString& newCode) override;
    Status deleteUserSnippet(qint64 record, const QString& shownName, const QString& shownCode,
                             PriorSnippet* prior = nullptr) override;
    Status restoreUserSnippet(const PriorSnippet& prior, qint64* record = nullptr) override;

    // The library's groups, then User Code, each believed while the server's counter of its changes stands still.
    std::vector<std::unique_ptr<SegmentSource>> searchSources() const override;
    ChangeWatch* watchChanges() override;

    // Creates the schema on the server, with what notices of changes need, and fills the groups (and, with
    // withUserCode, User Code) from another store, all in one transaction. Refused, changing nothing, where the
    // schema holds tables already.
    static Status createSchema(const QString& url, SnippetStore& from, bool withUserCode = false);

    // How a server that cannot be used is reported: naming it, never a password.
    static QString unreachable(const QString& url, const QString& reason);

private:
    struct Outcome;
    pg::Connection* live(QString* failure);
    Status names(Database db, const QString& table, const std::function<void(qint64, QByteArrayView)>& sink);
    Outcome read(const QString& sql, const QList<pg::Value>& values, const QString& table);
    Outcome write(const QString& failure, const QString& sql, const QList<pg::Value>& values, const QString& name);
    Status settle(const QString& failure, qint64 transaction, const QString& lost);
    Status changeShown(const QString& failure, const QString& sql, const QList<pg::Value>& values,
                       const QString& shownName, const QString& takenName, qint64* record,
                       PriorSnippet* prior = nullptr, const QString& shownCode = {});
    SnippetLookup lookup(const QString& sql, const QList<pg::Value>& values, const QString& table);

    QString m_url;
    pg::Connection m_connection;
    bool m_closed = true;
    qint64 m_seen = -1; // the change counter at the last reopen
    std::unique_ptr<ChangeWatch> m_watch;
};

} // namespace verdane
