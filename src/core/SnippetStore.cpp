#include "core/SnippetStore.h"

#include "core/GroupNames.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <QVariant>

#include <atomic>
#include <sqlite3.h>
#include <vector>

namespace verdane {

namespace {

QString quotedIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QString uniqueConnectionName(const char* role) {
    static std::atomic<int> counter{0};
    return QStringLiteral("verdane-%1-%2").arg(QLatin1String(role)).arg(counter.fetch_add(1));
}

// One prepared statement on the SQLite handle under a Qt SQL connection. Records are read straight from SQLite:
// going through QVariant for each field costs a third of a tree build on large libraries.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql)
        : m_db(db) {
        if (!db) {
            m_rc = SQLITE_MISUSE;
            return;
        }
        const QByteArray utf8 = sql.toUtf8();
        m_rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
        m_prepared = m_rc == SQLITE_OK && m_stmt;
    }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool prepared() const { return m_prepared; }
    // A value that cannot be bound (more than SQLite takes) makes the next step fail with the reason.
    void bind(int position, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        keepBindResult(sqlite3_bind_text64(m_stmt, position, utf8.constData(), sqlite3_uint64(utf8.size()),
                                           SQLITE_TRANSIENT, SQLITE_UTF8));
    }
    void bind(int position, qint64 value) { keepBindResult(sqlite3_bind_int64(m_stmt, position, value)); }
    // True while a record is there; false at the end or on a failure, which failed() then tells.
    bool next() {
        if (m_bindResult != SQLITE_OK) {
            m_rc = m_bindResult;
            return false;
        }
        m_rc = sqlite3_step(m_stmt);
        return m_rc == SQLITE_ROW;
    }
    bool failed() const { return m_rc != SQLITE_OK && m_rc != SQLITE_ROW && m_rc != SQLITE_DONE; }
    bool isNull(int column) const { return sqlite3_column_type(m_stmt, column) == SQLITE_NULL; }
    qint64 integer(int column) const { return sqlite3_column_int64(m_stmt, column); }
    QByteArrayView bytes(int column) const {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return data ? QByteArrayView(data, sqlite3_column_bytes(m_stmt, column)) : QByteArrayView();
    }
    QString text(int column) const {
        const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return data ? QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column)) : QString();
    }
    QString error() const {
        if (!m_db)
            return QStringLiteral("the file is not open");
        if (m_bindResult != SQLITE_OK)
            return QString::fromUtf8(sqlite3_errstr(m_bindResult));
        return QString::fromUtf8(sqlite3_errmsg(m_db));
    }

private:
    void keepBindResult(int rc) {
        if (m_bindResult == SQLITE_OK)
            m_bindResult = rc;
    }

    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_OK;
    int m_bindResult = SQLITE_OK;
    bool m_prepared = false;
};

} // namespace

// One database file and its Qt SQL connection.
struct SnippetStore::Connection {
    QString connectionName;
    QString fileName;
    sqlite3* handle = nullptr;
    QString notWritable; // why records cannot be added to the user's table; checked once at opening

    QSqlDatabase database() const { return QSqlDatabase::database(connectionName, false); }

    QString describe(const QString& what, const QString& reason) const {
        return reason.isEmpty() ? QStringLiteral("%1 of %2 could not be read.").arg(what, fileName)
                                : QStringLiteral("%1 of %2 could not be read: %3").arg(what, fileName, reason);
    }
    QString describeTable(const QString& table, const QString& reason) const {
        if (!handle)
            return QStringLiteral("%1 could not be opened.").arg(fileName);
        return describe(QStringLiteral("The table \"%1\"").arg(table), reason);
    }

    // SQLite's counter of commits made by other connections. -1 when it cannot be read.
    qint64 dataVersion() const {
        Statement query(handle, QStringLiteral("PRAGMA data_version"));
        return query.prepared() && query.next() ? query.integer(0) : -1;
    }

    bool exec(const char* sql) const {
        Statement statement(handle, QString::fromLatin1(sql));
        return statement.prepared() && (statement.next(), !statement.failed());
    }

    void close() {
        handle = nullptr;
        if (!QSqlDatabase::contains(connectionName))
            return;
        {
            QSqlDatabase db = database();
            db.close();
        }
        QSqlDatabase::removeDatabase(connectionName);
    }
};

SnippetStore::SnippetStore(QString dataDir, int busyTimeoutMs)
    : m_dataDir(std::move(dataDir))
    , m_busyTimeoutMs(busyTimeoutMs)
    , m_library(std::make_unique<Connection>())
    , m_user(std::make_unique<Connection>()) {
    m_library->connectionName = uniqueConnectionName("library");
    m_library->fileName = kLibraryFileName;
    m_user->connectionName = uniqueConnectionName("user");
    m_user->fileName = kUserFileName;
}

SnippetStore::~SnippetStore() {
    closeDatabases();
}

QString SnippetStore::filePath(Database db) const {
    return QDir(m_dataDir).filePath(connection(db).fileName);
}

SnippetStore::Connection& SnippetStore::connection(Database db) {
    return db == Database::Library ? *m_library : *m_user;
}

const SnippetStore::Connection& SnippetStore::connection(Database db) const {
    return db == Database::Library ? *m_library : *m_user;
}

SnippetStore::ReopenResult SnippetStore::reopenDatabases() {
    closeDatabases();
    ++m_generation;

    auto openOne = [this](Database which) -> StoreStatus {
        Connection& c = connection(which);
        const QString what = QStringLiteral("The file");
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), c.connectionName);
        // mode=rw: SQLite would otherwise create an empty database where the file is missing.
        QUrl url = QUrl::fromLocalFile(QDir(m_dataDir).absoluteFilePath(c.fileName));
        url.setQuery(QStringLiteral("mode=rw"));
        db.setDatabaseName(url.toString(QUrl::FullyEncoded));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeoutMs));
        if (!db.open())
            return StoreStatus::failure(c.describe(what, db.lastError().driverText()));
        const QVariant driverHandle = db.driver()->handle();
        sqlite3* handle = qstrcmp(driverHandle.typeName(), "sqlite3*") == 0
                              ? *static_cast<sqlite3* const*>(driverHandle.constData())
                              : nullptr;
        if (!handle)
            return StoreStatus::failure(c.describe(what, QStringLiteral("no SQLite handle")));
        // Opening is lazy; reading the schema is what tells a database from any other file.
        Statement probe(handle, QStringLiteral("PRAGMA schema_version"));
        if (!probe.prepared() || (probe.next(), probe.failed()))
            return StoreStatus::failure(c.describe(what, probe.error()));
        c.handle = handle;
        return StoreStatus::success();
    };

    ReopenResult result;
    result.library = openOne(Database::Library);
    result.user = openOne(Database::User);
    if (result.user)
        m_user->notWritable = userTableProblem(*m_user);
    return result;
}

// Imports write name and code into the first two columns; a table made by hand or by an older program may have
// other columns first, and would get name and code in the wrong places.
QString SnippetStore::userTableProblem(Connection& c) {
    QStringList columns;
    Statement info(c.handle, QStringLiteral("PRAGMA table_info(%1)").arg(quotedIdentifier(kUserCodeTable)));
    while (info.prepared() && columns.size() < 2 && info.next())
        columns << info.text(1);
    if (!info.prepared() || info.failed())
        return info.error();
    if (columns.isEmpty())
        return QStringLiteral("it has no table \"%1\"").arg(kUserCodeTable);
    if (columns.size() < 2 || columns[0].compare(QLatin1String("CodeName"), Qt::CaseInsensitive) != 0 ||
        columns[1].compare(QLatin1String("Code"), Qt::CaseInsensitive) != 0)
        return QStringLiteral("its table \"%1\" begins with the columns %2, not CodeName and Code")
            .arg(kUserCodeTable, columns.join(QStringLiteral(" and ")));
    return {};
}

void SnippetStore::closeDatabases() {
    m_library->close();
    m_user->close();
}

bool SnippetStore::isOpen(Database db) const {
    return connection(db).handle != nullptr;
}

StoreStatus SnippetStore::listSnippets(Database db, const QString& table,
                                       const std::function<void(qint64, QString)>& sink) {
    Connection& c = connection(db);
    Statement query(c.handle,
                    QStringLiteral("SELECT rowid, CodeName FROM %1 ORDER BY rowid").arg(quotedIdentifier(table)));
    if (!query.prepared())
        return StoreStatus::failure(c.describeTable(table, query.error()));
    while (query.next())
        sink(query.integer(0), query.text(1));
    if (query.failed())
        return StoreStatus::failure(c.describeTable(table, query.error()));
    return StoreStatus::success();
}

StoreStatus SnippetStore::listSnippetNames(Database db, const QString& table,
                                           const std::function<void(QString)>& sink) {
    return listSnippets(db, table, [&](qint64, QString name) { sink(std::move(name)); });
}

namespace {

// A record's code as a lookup's outcome: a null code is a failure, like a table that cannot be read.
SnippetLookup codeOf(Statement& query, const std::function<QString(const QString&)>& unreadable, const QString& name,
                     const QString& fileName) {
    SnippetLookup result;
    if (query.prepared() && query.next()) {
        if (query.isNull(0)) {
            result.outcome = SnippetLookup::Outcome::Failed;
            result.error = QStringLiteral("The snippet \"%1\" in %2 has no code.").arg(name, fileName);
        } else {
            result.outcome = SnippetLookup::Outcome::Found;
            result.code = query.text(0);
        }
    } else if (!query.prepared() || query.failed()) {
        result.outcome = SnippetLookup::Outcome::Failed;
        result.error = unreadable(query.error());
    }
    return result;
}

} // namespace

SnippetLookup SnippetStore::readSnippet(const SnippetRef& ref, const QString& name) {
    Connection& c = connection(ref.database);
    Statement query(c.handle, QStringLiteral("SELECT Code FROM %1 WHERE rowid = ? AND coalesce(CodeName, '') = ?")
                                  .arg(quotedIdentifier(ref.table)));
    if (query.prepared()) {
        query.bind(1, ref.record);
        query.bind(2, name);
    }
    return codeOf(
        query, [&](const QString& reason) { return c.describeTable(ref.table, reason); }, name, c.fileName);
}

SnippetLookup SnippetStore::findSnippetCode(Database db, const QString& table, const QString& name) {
    Connection& c = connection(db);
    Statement query(
        c.handle,
        QStringLiteral("SELECT Code FROM %1 WHERE CodeName = ? ORDER BY rowid LIMIT 1").arg(quotedIdentifier(table)));
    if (query.prepared())
        query.bind(1, name);
    return codeOf(
        query, [&](const QString& reason) { return c.describeTable(table, reason); }, name, c.fileName);
}

SnippetStore::NamedRecords SnippetStore::recordsNamed(Database db, const QString& table, const QString& name) {
    Connection& c = connection(db);
    NamedRecords result;
    Statement query(
        c.handle,
        QStringLiteral("SELECT rowid FROM %1 WHERE CodeName = ? ORDER BY rowid").arg(quotedIdentifier(table)));
    if (query.prepared()) {
        query.bind(1, name);
        while (query.next())
            result.records << query.integer(0);
    }
    if (!query.prepared() || query.failed())
        result.status = StoreStatus::failure(c.describeTable(table, query.error()));
    return result;
}

SnippetStore::Fingerprint SnippetStore::fingerprint() const {
    auto fileStamp = [this](Database db) {
        const QFileInfo info(filePath(db));
        return info.exists() ? QStringLiteral("%1/%2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch())
                             : QString();
    };
    return Fingerprint{m_generation,
                       m_writes,
                       m_library->dataVersion(),
                       m_user->dataVersion(),
                       fileStamp(Database::Library),
                       fileStamp(Database::User)};
}

StoreStatus SnippetStore::scanSnippets(Database db, const QString& table,
                                       const std::function<bool(const QString&, const QString&)>& visit) {
    return scanSnippetBytes(db, table, [&](qint64, const QString& name, QByteArrayView code) {
        return visit(name, QString::fromUtf8(code));
    });
}

StoreStatus SnippetStore::scanSnippetBytes(Database db, const QString& table,
                                           const std::function<bool(qint64, const QString&, QByteArrayView)>& visit) {
    Connection& c = connection(db);
    Statement query(c.handle,
                    QStringLiteral("SELECT rowid, CodeName, Code FROM %1 ORDER BY rowid").arg(quotedIdentifier(table)));
    if (!query.prepared())
        return StoreStatus::failure(c.describeTable(table, query.error()));
    while (query.next()) {
        if (!visit(query.integer(0), query.text(1), query.bytes(2)))
            return StoreStatus::success();
    }
    if (query.failed())
        return StoreStatus::failure(c.describeTable(table, query.error()));
    return StoreStatus::success();
}

StoreStatus SnippetStore::addUserSnippet(const QString& name, const QString& code, qint64* record) {
    Connection& c = connection(Database::User);
    auto fail = [&](const QString& reason) {
        return StoreStatus::failure(
            QStringLiteral("The snippet could not be stored in %1: %2").arg(c.fileName, reason));
    };
    if (!c.handle)
        return fail(QStringLiteral("the file is not open"));
    if (!c.notWritable.isEmpty())
        return fail(c.notWritable);
    // Taking the write lock first makes the name check and the insert one step for every other writer; the wait
    // for another program's lock is the connection's busy timeout.
    if (!c.exec("BEGIN IMMEDIATE"))
        return fail(QString::fromUtf8(sqlite3_errmsg(c.handle)));
    const StoreStatus status = [&] {
        const QString table = quotedIdentifier(kUserCodeTable);
        Statement taken(c.handle, QStringLiteral("SELECT 1 FROM %1 WHERE CodeName = ? LIMIT 1").arg(table));
        if (!taken.prepared())
            return fail(taken.error());
        taken.bind(1, name);
        if (taken.next())
            return StoreStatus::nameAlreadyTaken(
                QStringLiteral("User Code already holds a snippet named \"%1\". Please choose another name.")
                    .arg(name));
        if (taken.failed())
            return fail(taken.error());
        Statement insert(c.handle, QStringLiteral("INSERT INTO %1 (CodeName, Code) VALUES (?, ?)").arg(table));
        if (!insert.prepared())
            return fail(insert.error());
        insert.bind(1, name);
        insert.bind(2, code);
        insert.next();
        if (insert.failed())
            return fail(insert.error());
        if (record)
            *record = sqlite3_last_insert_rowid(c.handle);
        return StoreStatus::success();
    }();
    if (!status) {
        c.exec("ROLLBACK");
        return status;
    }
    if (!c.exec("COMMIT")) {
        const QString reason = QString::fromUtf8(sqlite3_errmsg(c.handle));
        c.exec("ROLLBACK");
        return fail(reason);
    }
    ++m_writes;
    return StoreStatus::success();
}

} // namespace verdane
