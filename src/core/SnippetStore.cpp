#include "core/SnippetStore.h"

#include "core/GroupNames.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QUrl>
#include <QVariant>

#include <atomic>
#include <map>
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
    void bind(int position, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        m_rc = sqlite3_bind_text(m_stmt, position, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void bind(int position, qint64 value) { m_rc = sqlite3_bind_int64(m_stmt, position, value); }
    // True while a record is there; false at the end or on a failure, which failed() then tells.
    bool next() {
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
        return QString::fromUtf8(sqlite3_errmsg(m_db));
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_OK;
    bool m_prepared = false;
};

} // namespace

// One database file: its Qt SQL connection, and for each table walked by the last tree build the record number of
// the first record of every name, so that a lookup need not walk the table again while the file is unchanged.
struct SnippetStore::Connection {
    QString connectionName;
    QString fileName;
    sqlite3* handle = nullptr;

    struct NameIndex {
        qint64 dataVersion = -1;
        std::vector<std::pair<QString, qint64>> names; // as the walk met them
        QHash<QString, qint64> firstRowid;             // made from names by the first lookup
    };
    std::map<QString, NameIndex> indexes;

    QSqlDatabase database() const { return QSqlDatabase::database(connectionName, false); }

    QString describe(const QString& what, const QString& reason) const {
        return reason.isEmpty() ? QStringLiteral("%1 of %2 could not be read.").arg(what, fileName)
                                : QStringLiteral("%1 of %2 could not be read: %3").arg(what, fileName, reason);
    }

    // SQLite's counter of commits made by other connections; it tells whether a cached index still holds.
    // -1 when it cannot be read, which no index ever holds.
    qint64 dataVersion() const {
        Statement query(handle, QStringLiteral("PRAGMA data_version"));
        return query.prepared() && query.next() ? query.integer(0) : -1;
    }

    void close() {
        indexes.clear();
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
    return result;
}

void SnippetStore::closeDatabases() {
    m_library->close();
    m_user->close();
}

bool SnippetStore::isOpen(Database db) const {
    return connection(db).handle != nullptr;
}

StoreStatus SnippetStore::listSnippetNames(Database db, const QString& table,
                                           const std::function<void(QString)>& sink) {
    Connection& c = connection(db);
    const QString what = QStringLiteral("The table \"%1\"").arg(table);
    Connection::NameIndex index;
    index.dataVersion = c.dataVersion();
    Statement query(c.handle,
                    QStringLiteral("SELECT rowid, CodeName FROM %1 ORDER BY rowid").arg(quotedIdentifier(table)));
    if (!query.prepared())
        return StoreStatus::failure(c.describe(what, query.error()));
    while (query.next()) {
        QString name = query.text(1);
        // A null name never matches a lookup, so it takes no place in the index.
        if (!query.isNull(1))
            index.names.emplace_back(name, query.integer(0));
        sink(std::move(name));
    }
    if (query.failed())
        return StoreStatus::failure(c.describe(what, query.error()));
    if (index.dataVersion >= 0)
        c.indexes[table] = std::move(index);
    return StoreStatus::success();
}

// The first record of a table with a given name, found through the index of the last walk while the file is as
// that walk saw it, by SQLite's own walk otherwise.
struct SnippetStore::RowLookup {
    bool failed = false;
    bool found = false;
    bool null = false; // the column read is null
    QString value;
    QString error;
};

SnippetStore::RowLookup SnippetStore::firstRecordNamed(Connection& c, const QString& table, const QString& name,
                                                       const QString& column) {
    RowLookup result;
    auto read = [&](Statement& query) {
        if (query.prepared() && query.next()) {
            result.found = true;
            result.null = query.isNull(0);
            result.value = query.text(0);
        } else if (!query.prepared() || query.failed()) {
            result.failed = true;
            result.error = query.error();
        }
        return result;
    };
    const QString quotedTable = quotedIdentifier(table);
    const auto cached = c.indexes.find(table);
    if (cached != c.indexes.end() && cached->second.dataVersion == c.dataVersion()) {
        Connection::NameIndex& index = cached->second;
        if (index.firstRowid.isEmpty() && !index.names.empty()) {
            index.firstRowid.reserve(qsizetype(index.names.size()));
            for (const auto& [n, rowid] : index.names) {
                if (!index.firstRowid.contains(n))
                    index.firstRowid.insert(n, rowid);
            }
            index.names = {};
        }
        const auto hit = index.firstRowid.constFind(name);
        if (hit == index.firstRowid.constEnd())
            return result; // the file is as the index saw it: no such record
        Statement query(c.handle, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?").arg(column, quotedTable));
        if (query.prepared())
            query.bind(1, *hit);
        return read(query);
    }
    // The walk in record order, done by SQLite: the first record whose name is the same text, compared byte by
    // byte whatever collation the column declares.
    Statement query(c.handle, QStringLiteral("SELECT %1 FROM %2 WHERE CAST(CodeName AS TEXT) = ? COLLATE BINARY "
                                             "ORDER BY rowid LIMIT 1")
                                  .arg(column, quotedTable));
    if (query.prepared())
        query.bind(1, name);
    return read(query);
}

SnippetLookup SnippetStore::findSnippetCode(Database db, const QString& table, const QString& name) {
    Connection& c = connection(db);
    const RowLookup row = firstRecordNamed(c, table, name, QStringLiteral("Code"));
    SnippetLookup result;
    if (row.failed) {
        result.outcome = SnippetLookup::Outcome::Failed;
        result.error = c.describe(QStringLiteral("The table \"%1\"").arg(table), row.error);
    } else if (row.found && row.null) {
        result.outcome = SnippetLookup::Outcome::Failed;
        result.error = QStringLiteral("The snippet \"%1\" in %2 has no code.").arg(name, c.fileName);
    } else if (row.found) {
        result.outcome = SnippetLookup::Outcome::Found;
        result.code = row.value;
    }
    return result;
}

SnippetStore::NameCheck SnippetStore::hasSnippetNamed(Database db, const QString& table, const QString& name) {
    Connection& c = connection(db);
    const RowLookup row = firstRecordNamed(c, table, name, QStringLiteral("1"));
    NameCheck result;
    if (row.failed)
        result.status = StoreStatus::failure(c.describe(QStringLiteral("The table \"%1\"").arg(table), row.error));
    result.found = row.found;
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
    return scanSnippetBytes(
        db, table, [&](const QString& name, QByteArrayView code) { return visit(name, QString::fromUtf8(code)); });
}

StoreStatus SnippetStore::scanSnippetBytes(Database db, const QString& table,
                                           const std::function<bool(const QString&, QByteArrayView)>& visit) {
    Connection& c = connection(db);
    const QString what = QStringLiteral("The table \"%1\"").arg(table);
    Statement query(c.handle,
                    QStringLiteral("SELECT CodeName, Code FROM %1 ORDER BY rowid").arg(quotedIdentifier(table)));
    if (!query.prepared())
        return StoreStatus::failure(c.describe(what, query.error()));
    while (query.next()) {
        if (!visit(query.text(0), query.bytes(1)))
            return StoreStatus::success();
    }
    if (query.failed())
        return StoreStatus::failure(c.describe(what, query.error()));
    return StoreStatus::success();
}

StoreStatus SnippetStore::addUserSnippet(const QString& name, const QString& code) {
    Connection& c = connection(Database::User);
    const QString what = QStringLiteral("The table \"%1\"").arg(kUserCodeTable);
    auto fail = [&](const QString& reason) {
        return StoreStatus::failure(
            QStringLiteral("The snippet could not be stored in %1: %2").arg(c.fileName, reason));
    };
    if (!c.handle)
        return fail(QStringLiteral("the file is not open"));

    // The record is written by column position, whatever the first two columns are called.
    QStringList names;
    {
        Statement columns(c.handle, QStringLiteral("PRAGMA table_info(%1)").arg(quotedIdentifier(kUserCodeTable)));
        if (!columns.prepared())
            return fail(columns.error());
        while (names.size() < 2 && columns.next())
            names << columns.text(1);
        if (columns.failed())
            return fail(columns.error());
    }
    if (names.size() < 2)
        return fail(QStringLiteral("it has no table \"%1\" with two columns").arg(kUserCodeTable));

    Statement insert(
        c.handle, QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?, ?)")
                      .arg(quotedIdentifier(kUserCodeTable), quotedIdentifier(names[0]), quotedIdentifier(names[1])));
    if (!insert.prepared())
        return fail(insert.error());
    insert.bind(1, name);
    insert.bind(2, code);
    insert.next();
    if (insert.failed())
        return fail(insert.error());
    // Our own commit does not move SQLite's data version, so the index must go by hand.
    c.indexes.erase(kUserCodeTable);
    ++m_writes;
    return StoreStatus::success();
}

} // namespace verdane
