#include "core/PostgresStore.h"

#include "core/ChangeWatch.h"
#include "core/GroupNames.h"
#include "core/SearchSegment.h"
#include "core/Sqlite.h"

#include <chrono>
#include <thread>

namespace verdane {

namespace {

const QString kSchema = QStringLiteral("verdane");
const QString kChannel = QStringLiteral("verdane_changes");
const QByteArray kNamesUnique = "UserCode names are unique";
const QByteArray kUniqueViolation = "23505";
// The scopes whose changes are counted apart, the library's groups and User Code: the search reads each again only
// when it changed.
const QString kLibraryScope = QStringLiteral("library");
const QString kUserScope = QStringLiteral("user");
const QString kAllChanges = QStringLiteral("SELECT coalesce(sum(\"Counter\"), 0) FROM verdane.\"Changes\"");
const QString kScopeChanges =
    QStringLiteral("SELECT \"Counter\", \"Made\" FROM verdane.\"Changes\" WHERE \"Scope\" = $1");

// The server's name for a table of the schema.
QString relation(const QString& table) {
    return kSchema + QLatin1Char('.') + sqlite::quoted(table);
}

const QString kUserRelation = relation(kUserCodeTable);

// Whether a database of the program holds the table: the library its groups, the user's database User Code.
bool holds(Database db, const QString& table) {
    return db == Database::User ? table == kUserCodeTable : groupNames().contains(table);
}

// The server's text cannot hold the character NUL, and would keep a text only up to it: such a text is refused
// rather than stored shorter than it was given.
Status refuseNul(const QString& code, const QString& name) {
    const QString& holder = name.contains(QChar(0)) ? name : code;
    if (!holder.contains(QChar(0)))
        return Status::ok();
    return Status::refused(QStringLiteral("The %1 holds the character NUL (U+0000), which the team library's server "
                                          "cannot hold; nothing was changed.")
                               .arg(&holder == &name ? QStringLiteral("name") : QStringLiteral("code")));
}

QString scopeOf(int table) {
    return snippetTable(table).database == Database::User ? kUserScope : kLibraryScope;
}

// The library's groups or User Code on the server, for the search, believed while the scope's change counter stands
// still. The sources of one search share a connection of their own: the search runs on a thread of its own, one
// source after another.
class ServerSegmentSource final : public SegmentSource {
public:
    ServerSegmentSource(QString url, QList<int> tables, std::shared_ptr<pg::Connection> connection)
        : m_url(std::move(url))
        , m_scope(scopeOf(tables.value(0)))
        , m_tables(std::move(tables))
        , m_shared(std::move(connection))
        , m_connection(*m_shared) {}

    QString identity() const override { return QStringLiteral("%1 %2 %3").arg(m_url, kSchema, m_scope); }

    QByteArray key(QString* problem) override {
        pg::Result counter;
        if (m_connection.reconnectIfLost(m_url))
            counter = m_connection.exec(kScopeChanges, {m_scope});
        if (counter.ok() && counter.rows() == 1)
            return keyOf(counter);
        if (problem)
            *problem = pg::unreachable(m_url, m_connection.isOpen() ? counter.error() : m_connection.error());
        return {};
    }

    QByteArray read(const RecordSink& add, QStringList* unreadable, const std::atomic<bool>* cancel) override {
        // One snapshot for the counter and every table: the key says exactly what was read.
        QByteArray key;
        QString reason;
        if (!m_connection.reconnectIfLost(m_url)) {
            reason = m_connection.error();
        } else if (const pg::Result begun =
                       m_connection.exec(QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"));
                   !begun.ok()) {
            reason = begun.error();
        } else if (const pg::Result counter = m_connection.exec(kScopeChanges, {m_scope});
                   counter.ok() && counter.rows() == 1) {
            key = keyOf(counter);
        } else {
            reason = counter.error();
        }
        for (const int table : m_tables) {
            if (key.isEmpty())
                break;
            const QString name = snippetTable(table).table;
            bool stopped = false;
            const pg::Result end = m_connection.stream(
                QStringLiteral("SELECT \"Record\", \"CodeName\", \"Code\" FROM %1 ORDER BY \"Record\"")
                    .arg(relation(name)),
                [&](const pg::Result& row) {
                    // A search cancelled stops at the next row, not at the end of a part.
                    stopped = (cancel && cancel->load()) ||
                              !add(table, row.integer(0, 0), row.bytes(0, 1), row.bytes(0, 2));
                    return !stopped;
                });
            if (stopped)
                break;
            if (!end.ok()) {
                *unreadable << SnippetStore::unreadableTable(m_url, name, end.error());
                key.clear();
            }
        }
        if (key.isEmpty() && unreadable->isEmpty())
            *unreadable << pg::unreachable(m_url, reason);
        m_connection.exec(key.isEmpty() ? QStringLiteral("ROLLBACK") : QStringLiteral("COMMIT"));
        return key;
    }

private:
    QByteArray keyOf(const pg::Result& counter) const {
        return identity().toUtf8() + '\0' + counter.bytes(0, 1).toByteArray() + '\0' +
               counter.bytes(0, 0).toByteArray();
    }

    QString m_url;
    QString m_scope;
    QList<int> m_tables;
    std::shared_ptr<pg::Connection> m_shared;
    pg::Connection& m_connection;
};

// What the schema is made of, statement by statement: the tables, the counter of changes, and the triggers that
// count every change that touched a row and notify every listening program of it.
QStringList schemaStatements() {
    QStringList sql{
        QStringLiteral("CREATE SCHEMA IF NOT EXISTS verdane"),
        QStringLiteral("CREATE TABLE verdane.\"Changes\" (\"Scope\" text PRIMARY KEY, \"Counter\" bigint NOT NULL "
                       "DEFAULT 0, \"Made\" text NOT NULL DEFAULT gen_random_uuid()::text)"),
        QStringLiteral("INSERT INTO verdane.\"Changes\" (\"Scope\") VALUES ('%1'), ('%2')")
            .arg(kLibraryScope, kUserScope),
        // A statement that touched no row (a change refused because the record moved on) is no change.
        QStringLiteral(
            "CREATE FUNCTION verdane.note_change() RETURNS trigger LANGUAGE plpgsql AS $$\n"
            "BEGIN\n"
            "    IF TG_OP <> 'TRUNCATE' THEN\n"
            "        IF NOT EXISTS (SELECT 1 FROM changed) THEN\n"
            "            RETURN NULL;\n"
            "        END IF;\n"
            "    END IF;\n"
            "    UPDATE verdane.\"Changes\" SET \"Counter\" = \"Counter\" + 1 WHERE \"Scope\" = TG_ARGV[0];\n"
            "    PERFORM pg_notify('%1', TG_ARGV[0]);\n"
            "    RETURN NULL;\n"
            "END $$")
            .arg(kChannel),
    };
    for (int table = 0; table < snippetTableCount(); ++table) {
        const QString name = snippetTable(table).table;
        const bool user = snippetTable(table).database == Database::User;
        sql << QStringLiteral("CREATE TABLE %1 (\"CodeName\" text%2, \"Code\" text%3, \"Record\" bigint GENERATED BY "
                              "DEFAULT AS IDENTITY PRIMARY KEY)")
                   .arg(relation(name),
                        user ? QStringLiteral(" NOT NULL CONSTRAINT \"%1\" UNIQUE").arg(QLatin1String(kNamesUnique))
                             : QString(),
                        user ? QStringLiteral(" NOT NULL") : QString());
    }
    return sql;
}

QStringList indexAndTriggerStatements() {
    QStringList sql;
    for (int table = 0; table < snippetTableCount(); ++table) {
        const QString name = snippetTable(table).table;
        const QString on = relation(name);
        const QString scope = scopeOf(table);
        // User Code's names have the unique constraint's index.
        if (snippetTable(table).database == Database::Library)
            sql << QStringLiteral("CREATE INDEX %1 ON %2 (\"CodeName\")")
                       .arg(sqlite::quoted(name + QStringLiteral(" names")), on);
        const std::pair<const char*, const char*> events[] = {
            {"INSERT", "NEW"}, {"UPDATE", "NEW"}, {"DELETE", "OLD"}, {"TRUNCATE", nullptr}};
        for (const auto& [event, rows] : events) {
            sql << QStringLiteral("CREATE TRIGGER %1 AFTER %2 ON %3 %4 FOR EACH STATEMENT EXECUTE FUNCTION "
                                  "verdane.note_change('%5')")
                       .arg(sqlite::quoted(name + QLatin1Char(' ') + QLatin1String(event)), QLatin1String(event), on,
                            rows ? QStringLiteral("REFERENCING %1 TABLE AS changed").arg(QLatin1String(rows))
                                 : QString(),
                            scope);
        }
    }
    return sql;
}

} // namespace

struct PostgresStore::Outcome {
    pg::Result result;
    Status status;
};

PostgresStore::PostgresStore(QString url)
    : m_url(std::move(url)) {}

PostgresStore::~PostgresStore() = default;

QString PostgresStore::unreachable(const QString& url, const QString& reason) {
    return pg::unreachable(url, reason);
}

pg::Connection* PostgresStore::live(QString* failure) {
    if (m_closed) {
        *failure = QStringLiteral("the connection is closed");
        return nullptr;
    }
    if (m_connection.reconnectIfLost(m_url))
        return &m_connection;
    *failure = m_connection.error();
    return nullptr;
}

PostgresStore::ReopenResult PostgresStore::reopenDatabases() {
    m_closed = false;
    m_seen = -1;
    QString reason;
    Status status;
    if (!live(&reason)) {
        status = Status::failed(unreachable(m_url, reason));
    } else if (const pg::Result counter = m_connection.exec(kAllChanges); counter.ok() && counter.rows() == 1) {
        m_seen = counter.integer(0, 0);
    } else if (counter.state() == "42P01" || counter.state() == "3F000") {
        status = Status::failed(
            QStringLiteral("The database at %1 holds no team library yet: verdane-cli init-server %1 makes one.")
                .arg(m_url));
    } else {
        status = Status::failed(unreachable(m_url, counter.error()));
    }
    return {status, status};
}

void PostgresStore::closeDatabases() {
    m_connection = {};
    m_closed = true;
}

bool PostgresStore::isOpen(Database) const {
    return !m_closed && m_connection.isOpen();
}

PostgresStore::Outcome PostgresStore::read(const QString& sql, const QList<pg::Value>& values, const QString& table) {
    Outcome out;
    // A read changes nothing, so one that met a connection lost meanwhile is simply made again.
    for (int attempt = 0; attempt < 2; ++attempt) {
        QString reason;
        pg::Connection* connection = live(&reason);
        if (!connection) {
            out.status = Status::failed(unreachable(m_url, reason));
            return out;
        }
        out.result = connection->exec(sql, values);
        if (out.result.ok() || connection->isOpen())
            break;
    }
    if (!out.result.ok())
        out.status = Status::failed(unreadableTable(m_url, table, out.result.error()));
    return out;
}

Status PostgresStore::names(Database db, const QString& table,
                            const std::function<void(qint64, QByteArrayView)>& sink) {
    if (!holds(db, table))
        return Status::failed(unreadableTable(m_url, table, QStringLiteral("there is no such table")));
    const Outcome out = read(
        QStringLiteral("SELECT \"Record\", \"CodeName\" FROM %1 ORDER BY \"Record\"").arg(relation(table)), {}, table);
    for (int row = 0; row < out.result.rows(); ++row)
        sink(out.result.integer(row, 0), out.result.bytes(row, 1));
    return out.status;
}

Status PostgresStore::listSnippets(Database db, const QString& table,
                                   const std::function<void(qint64, QString)>& sink) {
    return names(db, table, [&](qint64 record, QByteArrayView name) { sink(record, QString::fromUtf8(name)); });
}

Status PostgresStore::listNameBytes(Database db, const QString& table,
                                    const std::function<void(QByteArrayView)>& sink) {
    return names(db, table, [&](qint64, QByteArrayView name) { sink(name); });
}

SnippetLookup PostgresStore::lookup(const QString& sql, const QList<pg::Value>& values, const QString& table) {
    const Outcome out = read(sql, values, table);
    SnippetLookup result{out.status, {}};
    // A null code reads as empty, as it is listed and searched.
    if (out.status && out.result.rows() > 0)
        result.code = out.result.isNull(0, 0) ? QStringLiteral("") : out.result.text(0, 0);
    return result;
}

SnippetLookup PostgresStore::readSnippet(const SnippetRef& ref, const QString& name) {
    if (!holds(ref.database, ref.table))
        return {Status::failed(unreadableTable(m_url, ref.table, QStringLiteral("there is no such table"))), {}};
    return lookup(QStringLiteral("SELECT \"Code\" FROM %1 WHERE \"Record\" = $1 AND coalesce(\"CodeName\", '') = $2")
                      .arg(relation(ref.table)),
                  {ref.record, name}, ref.table);
}

SnippetLookup PostgresStore::findSnippetCode(Database db, const QString& table, const QString& name) {
    if (!holds(db, table))
        return {Status::failed(unreadableTable(m_url, table, QStringLiteral("there is no such table"))), {}};
    return lookup(QStringLiteral("SELECT \"Code\" FROM %1 WHERE \"CodeName\" = $1 ORDER BY \"Record\" LIMIT 1")
                      .arg(relation(table)),
                  {name}, table);
}

SnippetStore::NamedRecords PostgresStore::recordsNamed(Database db, const QString& table, const QString& name) {
    NamedRecords named;
    if (!holds(db, table)) {
        named.status = Status::failed(unreadableTable(m_url, table, QStringLiteral("there is no such table")));
        return named;
    }
    const Outcome out =
        read(QStringLiteral("SELECT \"Record\" FROM %1 WHERE coalesce(\"CodeName\", '') = $1 ORDER BY \"Record\"")
                 .arg(relation(table)),
             {name}, table);
    named.status = out.status;
    for (int row = 0; row < out.result.rows(); ++row)
        named.records << out.result.integer(row, 0);
    return named;
}

Status PostgresStore::scanSnippetBytes(Database db, const QString& table,
                                       const std::function<bool(qint64, const QString&, QByteArrayView)>& visit) {
    if (!holds(db, table))
        return Status::failed(unreadableTable(m_url, table, QStringLiteral("there is no such table")));
    QString reason;
    pg::Connection* connection = live(&reason);
    if (!connection)
        return Status::failed(unreachable(m_url, reason));
    const pg::Result end = connection->stream(
        QStringLiteral("SELECT \"Record\", \"CodeName\", \"Code\" FROM %1 ORDER BY \"Record\"").arg(relation(table)),
        [&](const pg::Result& row) { return visit(row.integer(0, 0), row.text(0, 1), row.bytes(0, 2)); });
    return end.ok() ? Status::ok() : Status::failed(unreadableTable(m_url, table, end.error()));
}

// Runs one statement that changes User Code, in a transaction of its own, done whole or not at all; the server's
// unique constraint refuses a name taken whoever took it first. The transaction's number is known before the change
// is sent, so that where the connection is lost after the commit was sent, the server can be asked afterwards
// whether it was done.
PostgresStore::Outcome PostgresStore::write(const QString& failure, const QString& sql, const QList<pg::Value>& values,
                                            const QString& name) {
    Outcome out;
    QString reason;
    if (pg::Connection* connection = live(&reason)) {
        pg::Result transaction = connection->exec(QStringLiteral("BEGIN"));
        if (transaction.ok())
            transaction = connection->exec(QStringLiteral("SELECT txid_current()"));
        if (transaction.ok())
            out.result = connection->exec(sql, values);
        if (out.result.ok()) {
            const pg::Result committed = connection->exec(QStringLiteral("COMMIT"));
            if (committed.ok())
                return out;
            if (!connection->isOpen()) {
                out.status = settle(failure, transaction.integer(0, 0), committed.error());
                return out;
            }
            reason = committed.error();
        } else {
            reason = transaction.ok() ? out.result.error() : transaction.error();
        }
        // A connection lost before the commit was sent takes its transaction with it.
        if (connection->isOpen())
            connection->exec(QStringLiteral("ROLLBACK"));
    }
    if (out.result.state() == kUniqueViolation && out.result.constraint() == kNamesUnique)
        out.status = Status::refused(nameTaken(name));
    else
        out.status = Status::failed(QStringLiteral("%1 in %2: %3").arg(failure, m_url, reason));
    return out;
}

// What became of a transaction whose commit was sent but not answered: the server, once reached again, tells.
Status PostgresStore::settle(const QString& failure, qint64 transaction, const QString& lost) {
    QString reason = lost;
    // A commit still being written is waited for a little; the server ends the transaction of a lost client soon.
    for (int attempt = 0; attempt < 50; ++attempt) {
        if (!m_connection.reconnectIfLost(m_url)) {
            reason = m_connection.error();
            break;
        }
        const pg::Result status = m_connection.exec(QStringLiteral("SELECT txid_status($1)"), {transaction});
        if (!status.ok()) {
            reason = status.error();
            break;
        }
        const QByteArrayView state = status.bytes(0, 0);
        if (state == "committed")
            return Status::ok();
        if (state == "aborted")
            return Status::failed(QStringLiteral("%1 in %2: %3").arg(failure, m_url, lost));
        if (state != "in progress")
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return Status::failed(
        QStringLiteral("It is not known whether the change reached %1: the connection was lost before the server "
                       "answered (%2), and the server cannot tell now (%3). Refresh once it can be reached to see.")
            .arg(m_url, lost, reason));
}

// A write that touches the record only where it is still as shown: no row back means it is not. What undoing it
// needs goes to *prior: the record as shown, with shownCode where the change takes the code away.
Status PostgresStore::changeShown(const QString& failure, const QString& sql, const QList<pg::Value>& values,
                                  const QString& shownName, const QString& takenName, qint64* record,
                                  PriorSnippet* prior, const QString& shownCode) {
    const Outcome out = write(failure, sql.arg(kUserRelation), values, takenName);
    if (!out.status)
        return out.status;
    if (out.result.rows() == 0)
        return Status::refused(changedSinceShown(shownName));
    if (record)
        *record = out.result.integer(0, 0);
    if (prior)
        *prior = PriorSnippet{out.result.integer(0, 0), shownName, shownCode, 0};
    return Status::ok();
}

Status PostgresStore::addUserSnippet(const QString& name, const QString& code, qint64* record) {
    if (const Status nul = refuseNul(code, name); !nul)
        return nul;
    return changeShown(QStringLiteral("The snippet could not be stored"),
                       QStringLiteral("INSERT INTO %1 (\"CodeName\", \"Code\") VALUES ($1, $2) RETURNING \"Record\""),
                       {name, code}, name, name, record);
}

Status PostgresStore::renameUserSnippet(qint64 record, const QString& shownName, const QString& newName, int,
                                        PriorSnippet* prior) {
    if (const Status nul = refuseNul({}, newName); !nul)
        return nul;
    return changeShown(QStringLiteral("The snippet could not be renamed"),
                       QStringLiteral("UPDATE %1 SET \"CodeName\" = $1 WHERE \"Record\" = $2 AND \"CodeName\" = $3 "
                                      "RETURNING \"Record\""),
                       {newName, record, shownName}, shownName, newName, nullptr, prior);
}

Status PostgresStore::replaceUserCode(qint64 record, const QString& shownName, const QString& shownCode,
                                      const QString& newCode) {
    if (const Status nul = refuseNul(newCode, {}); !nul)
        return nul;
    return changeShown(QStringLiteral("The code could not be saved"),
                       QStringLiteral("UPDATE %1 SET \"Code\" = $1 WHERE \"Record\" = $2 AND \"CodeName\" = $3 AND "
                                      "\"Code\" = $4 RETURNING \"Record\""),
                       {newCode, record, shownName, shownCode}, shownName, shownName, nullptr);
}

Status PostgresStore::deleteUserSnippet(qint64 record, const QString& shownName, const QString& shownCode,
                                        PriorSnippet* prior) {
    return changeShown(QStringLiteral("The snippet could not be deleted"),
                       QStringLiteral("DELETE FROM %1 WHERE \"Record\" = $1 AND \"CodeName\" = $2 AND \"Code\" = $3 "
                                      "RETURNING \"Record\""),
                       {record, shownName, shownCode}, shownName, shownName, nullptr, prior, shownCode);
}

Status PostgresStore::restoreUserSnippet(const PriorSnippet& prior, qint64* record) {
    // Its own number where that is free, else the next the table gives.
    return changeShown(
        QStringLiteral("The snippet could not be put back"),
        QStringLiteral("INSERT INTO %1 (\"Record\", \"CodeName\", \"Code\") SELECT CASE WHEN EXISTS (SELECT 1 FROM %1 "
                       "WHERE \"Record\" = $1) THEN nextval(pg_get_serial_sequence('%1', 'Record')) ELSE $1::bigint "
                       "END, $2, $3 RETURNING \"Record\""),
        {prior.record, prior.name, prior.code}, prior.name, prior.name, record);
}

std::vector<std::unique_ptr<SegmentSource>> PostgresStore::searchSources() const {
    QList<int> library;
    const int userTable = snippetTableNumber(Database::User, kUserCodeTable);
    for (int table = 0; table < userTable; ++table)
        library << table;
    const auto connection = std::make_shared<pg::Connection>();
    std::vector<std::unique_ptr<SegmentSource>> sources;
    sources.push_back(std::make_unique<ServerSegmentSource>(m_url, library, connection));
    sources.push_back(std::make_unique<ServerSegmentSource>(m_url, QList<int>{userTable}, connection));
    return sources;
}

ChangeWatch* PostgresStore::watchChanges() {
    if (!m_watch)
        m_watch = std::make_unique<ChangeWatch>(ChangeWatch::Server{
            m_url, kChannel, kAllChanges, [this] { return m_connection.backendPid(); }, [this] { return m_seen; }});
    return m_watch.get();
}

Status PostgresStore::createSchema(const QString& url, SnippetStore& from, bool withUserCode) {
    const pg::Connection connection(url);
    if (!connection.isOpen())
        return Status::failed(unreachable(url, connection.error()));
    auto fail = [&](const QString& reason) {
        connection.exec(QStringLiteral("ROLLBACK"));
        return Status::failed(QStringLiteral("The team library could not be made at %1: %2").arg(url, reason));
    };
    auto run = [&](const QString& sql) {
        const pg::Result done = connection.exec(sql);
        return done.ok() ? QString() : done.error();
    };
    // Two programs making the schema at once: the second waits for the first, then finds its tables.
    for (const QString& sql :
         {QStringLiteral("BEGIN"), QStringLiteral("SELECT pg_advisory_xact_lock(hashtext('verdane init-server'))")}) {
        if (const QString error = run(sql); !error.isEmpty())
            return fail(error);
    }
    const pg::Result tables =
        connection.exec(QStringLiteral("SELECT count(*) FROM pg_tables WHERE schemaname = $1"), {kSchema});
    if (!tables.ok())
        return fail(tables.error());
    if (tables.integer(0, 0) > 0) {
        connection.exec(QStringLiteral("ROLLBACK"));
        return Status::refused(
            QStringLiteral("The schema \"%1\" at %2 holds tables already; nothing was changed.").arg(kSchema, url));
    }
    for (const QString& sql : schemaStatements()) {
        if (const QString error = run(sql); !error.isEmpty())
            return fail(error);
    }
    for (int table = 0; table < snippetTableCount(); ++table) {
        const SnippetRef where = snippetTable(table);
        if (where.database == Database::User && !withUserCode)
            continue;
        Status scanned;
        const pg::Result copied =
            connection.copyIn(QStringLiteral("COPY %1 (\"CodeName\", \"Code\") FROM STDIN").arg(relation(where.table)),
                              [&](const pg::Connection::Send& send) {
                                  QByteArray rows;
                                  bool sent = true;
                                  scanned =
                                      from.scanSnippetBytes(where.database, where.table,
                                                            [&](qint64, const QString& name, QByteArrayView code) {
                                                                pg::appendCopyText(rows, name.toUtf8());
                                                                rows += '\t';
                                                                pg::appendCopyText(rows, code);
                                                                rows += '\n';
                                                                if (rows.size() >= (1 << 20)) {
                                                                    sent = send(rows);
                                                                    rows.clear();
                                                                }
                                                                return sent;
                                                            });
                                  return scanned && sent && send(rows);
                              });
        if (!scanned)
            return fail(scanned.message());
        if (!copied.ok())
            return fail(copied.error());
    }
    QStringList finish = indexAndTriggerStatements();
    finish << QStringLiteral("COMMIT");
    for (const QString& sql : std::as_const(finish)) {
        if (const QString error = run(sql); !error.isEmpty())
            return fail(error);
    }
    return Status::ok();
}

} // namespace verdane
