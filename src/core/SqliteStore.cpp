#include "core/SqliteStore.h"

#include "core/GroupNames.h"
#include "core/SearchSegment.h"
#include "core/Sqlite.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <variant>

namespace verdane {

using sqlite::quoted;
using sqlite::Statement;

// One database file and the connection to it.
struct SqliteStore::Connection {
    QString path;
    QString fileName; // how messages name it
    sqlite::Connection db;
    QString notWritable; // why records cannot be added to the user's table; checked once at opening

    bool isOpen() const { return db.isOpen(); }
    Statement prepare(const QString& sql) const { return db.prepare(sql); }

    QString describeTable(const QString& table, const QString& reason) const {
        return isOpen() ? unreadableTable(fileName, table, reason) : unopenedFile(fileName, db.openError());
    }

    // SQLite's counter of commits made by other connections. -1 when it cannot be read.
    qint64 dataVersion() const {
        Statement query = prepare(QStringLiteral("PRAGMA data_version"));
        return query.next() ? query.integer(0) : -1;
    }
};

SqliteStore::SqliteStore(const QString& libraryPath, const QString& userPath, int busyTimeoutMs)
    : m_busyTimeoutMs(busyTimeoutMs)
    , m_library(std::make_unique<Connection>())
    , m_user(std::make_unique<Connection>()) {
    m_library->path = libraryPath;
    m_library->fileName = QFileInfo(libraryPath).fileName();
    m_user->path = userPath;
    m_user->fileName = QFileInfo(userPath).fileName();
}

SqliteStore::SqliteStore(const QString& dataDir, int busyTimeoutMs)
    : SqliteStore(QDir(dataDir).filePath(kLibraryFileName), QDir(dataDir).filePath(kUserFileName), busyTimeoutMs) {}

SqliteStore::~SqliteStore() {
    closeDatabases();
}

QString SqliteStore::filePath(Database db) const {
    return connection(db).path;
}

SqliteStore::Connection& SqliteStore::connection(Database db) {
    return db == Database::Library ? *m_library : *m_user;
}

const SqliteStore::Connection& SqliteStore::connection(Database db) const {
    return db == Database::Library ? *m_library : *m_user;
}

SqliteStore::ReopenResult SqliteStore::reopenDatabases() {
    closeDatabases();
    ++m_generation;

    auto openOne = [this](Database which) -> Status {
        Connection& c = connection(which);
        c.db = sqlite::Connection(QFileInfo(c.path).absoluteFilePath(), sqlite::Connection::Mode::ReadWrite,
                                  m_busyTimeoutMs);
        if (!c.isOpen())
            return Status::failed(unopenedFile(c.fileName, c.db.openError()));
        return Status::ok();
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
QString SqliteStore::userTableProblem(Connection& c) {
    QStringList columns;
    Statement info = c.prepare(QStringLiteral("PRAGMA table_info(%1)").arg(quoted(kUserCodeTable)));
    while (columns.size() < 2 && info.next())
        columns << info.text(1);
    if (info.failed())
        return info.error();
    if (columns.isEmpty())
        return QStringLiteral("it has no table \"%1\"").arg(kUserCodeTable);
    if (columns.size() < 2 || columns[0].compare(QLatin1String("CodeName"), Qt::CaseInsensitive) != 0 ||
        columns[1].compare(QLatin1String("Code"), Qt::CaseInsensitive) != 0)
        return QStringLiteral("its table \"%1\" begins with the columns %2, not CodeName and Code")
            .arg(kUserCodeTable, columns.join(QStringLiteral(" and ")));
    return {};
}

void SqliteStore::closeDatabases() {
    m_library->db = {};
    m_user->db = {};
}

bool SqliteStore::isOpen(Database db) const {
    return connection(db).isOpen();
}

Status SqliteStore::listSnippets(Database db, const QString& table, const std::function<void(qint64, QString)>& sink) {
    Connection& c = connection(db);
    Statement query = c.prepare(QStringLiteral("SELECT rowid, CodeName FROM %1 ORDER BY rowid").arg(quoted(table)));
    while (query.next())
        sink(query.integer(0), query.text(1));
    if (query.failed())
        return Status::failed(c.describeTable(table, query.error()));
    return Status::ok();
}

Status SqliteStore::listNameBytes(Database db, const QString& table, const std::function<void(QByteArrayView)>& sink) {
    Connection& c = connection(db);
    Statement query = c.prepare(QStringLiteral("SELECT CodeName FROM %1 ORDER BY rowid").arg(quoted(table)));
    while (query.next())
        sink(query.bytes(0));
    if (query.failed())
        return Status::failed(c.describeTable(table, query.error()));
    return Status::ok();
}

namespace {

// A record's name as it is listed, whatever the column holds: a number or a blob as its text, null as the empty
// text. Every lookup by name compares this, so that every record listed can be reached.
const QString kListedName = QStringLiteral("coalesce(CAST(CodeName AS TEXT), '')");

// A record's code as a lookup's outcome: a null code reads as empty, as it is listed and searched.
SnippetLookup codeOf(Statement& query, const std::function<QString(const QString&)>& unreadable) {
    SnippetLookup result;
    if (query.next())
        result.code = query.isNull(0) ? QStringLiteral("") : query.text(0);
    else if (query.failed())
        result.status = Status::failed(unreadable(query.error()));
    return result;
}

} // namespace

SnippetLookup SqliteStore::readSnippet(const SnippetRef& ref, const QString& name) {
    Connection& c = connection(ref.database);
    Statement query =
        c.prepare(QStringLiteral("SELECT Code FROM %1 WHERE rowid = ? AND %2 = ?").arg(quoted(ref.table), kListedName));
    query.bind(1, ref.record);
    query.bind(2, name);
    return codeOf(query, [&](const QString& reason) { return c.describeTable(ref.table, reason); });
}

SnippetLookup SqliteStore::findSnippetCode(Database db, const QString& table, const QString& name) {
    Connection& c = connection(db);
    // A null name equals no text here, the empty one included.
    Statement query =
        c.prepare(QStringLiteral("SELECT Code FROM %1 WHERE CAST(CodeName AS TEXT) = ? ORDER BY rowid LIMIT 1")
                      .arg(quoted(table)));
    query.bind(1, name);
    return codeOf(query, [&](const QString& reason) { return c.describeTable(table, reason); });
}

SqliteStore::NamedRecords SqliteStore::recordsNamed(Database db, const QString& table, const QString& name) {
    Connection& c = connection(db);
    NamedRecords result;
    Statement query =
        c.prepare(QStringLiteral("SELECT rowid FROM %1 WHERE %2 = ? ORDER BY rowid").arg(quoted(table), kListedName));
    query.bind(1, name);
    while (query.next())
        result.records << query.integer(0);
    if (query.failed())
        result.status = Status::failed(c.describeTable(table, query.error()));
    return result;
}

SqliteStore::Fingerprint SqliteStore::fingerprint() const {
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

std::vector<std::unique_ptr<SegmentSource>> SqliteStore::searchSources() const {
    QList<int> library;
    const int userTable = snippetTableNumber(Database::User, kUserCodeTable);
    for (int table = 0; table < userTable; ++table)
        library << table;
    std::vector<std::unique_ptr<SegmentSource>> sources;
    sources.push_back(std::make_unique<FileSegmentSource>(filePath(Database::Library), library));
    sources.push_back(std::make_unique<FileSegmentSource>(filePath(Database::User), QList<int>{userTable}));
    return sources;
}

Status SqliteStore::scanSnippetBytes(Database db, const QString& table,
                                     const std::function<bool(qint64, const QString&, QByteArrayView)>& visit) {
    Connection& c = connection(db);
    Statement query =
        c.prepare(QStringLiteral("SELECT rowid, CodeName, Code FROM %1 ORDER BY rowid").arg(quoted(table)));
    while (query.next()) {
        if (!visit(query.integer(0), query.text(1), query.bytes(2)))
            return Status::ok();
    }
    if (query.failed())
        return Status::failed(c.describeTable(table, query.error()));
    return Status::ok();
}

namespace {

using Fail = std::function<Status(const QString& reason)>;

// How many records of the user's table bear name, the record except aside; -1 on a failure, which fail words.
int countNamesakes(const sqlite::Connection& db, const QString& name, std::optional<qint64> except, Status* failure,
                   const Fail& fail) {
    Statement count = db.prepare(
        QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?%3")
            .arg(quoted(kUserCodeTable), kListedName, except ? QStringLiteral(" AND rowid <> ?") : QString()));
    count.bind(1, name);
    if (except)
        count.bind(2, *except);
    if (count.next())
        return int(count.integer(0));
    *failure = fail(count.error());
    return -1;
}

// Refuses name where more than allowed records bear it already, the record except aside.
Status nameFree(const sqlite::Connection& db, const QString& name, std::optional<qint64> except, int allowed,
                const Fail& fail) {
    Status failure;
    const int taken = countNamesakes(db, name, except, &failure, fail);
    if (taken < 0)
        return failure;
    if (taken > allowed)
        return Status::refused(SnippetStore::nameTaken(name));
    return Status::ok();
}

// Whether the record still bears shownName and, where one is given, holds shownCode: what the user saw is what
// the change acts on.
Status stillAsShown(const sqlite::Connection& db, qint64 record, const QString& shownName, const QString* shownCode,
                    const Fail& fail) {
    Statement query = db.prepare(QStringLiteral("SELECT %1, coalesce(Code, '') FROM %2 WHERE rowid = ?")
                                     .arg(kListedName, quoted(kUserCodeTable)));
    query.bind(1, record);
    if (!query.next())
        return query.failed() ? fail(query.error()) : Status::refused(SnippetStore::changedSinceShown(shownName));
    const bool same = query.text(0) == shownName && (!shownCode || query.text(1) == *shownCode);
    return same ? Status::ok() : Status::refused(SnippetStore::changedSinceShown(shownName));
}

using Values = QList<std::variant<QString, qint64>>;

// Runs a statement that changes records, binding values in order; a failure as fail words it.
Status change(const sqlite::Connection& db, const QString& sql, const Values& values, const Fail& fail) {
    Statement statement = db.prepare(sql);
    for (int i = 0; i < values.size(); ++i)
        std::visit([&](const auto& value) { statement.bind(i + 1, value); }, values[i]);
    return statement.run() ? Status::ok() : fail(statement.error());
}

// Adds a record to the user's table; its number goes to *record.
Status insert(const sqlite::Connection& db, const QString& sql, const Values& values, const Fail& fail,
              qint64* record) {
    const Status added = change(db, sql.arg(quoted(kUserCodeTable)), values, fail);
    if (added && record)
        *record = db.lastInsertRowid();
    return added;
}

// Runs a change of a record that must still be as the user was shown it, and keeps in *prior what undoing the
// change needs.
Status changeShown(const sqlite::Connection& db, qint64 record, const QString& shownName, const QString* shownCode,
                   const QString& sql, const Values& values, const Fail& fail, SnippetStore::PriorSnippet* prior) {
    if (const Status shown = stillAsShown(db, record, shownName, shownCode, fail); !shown)
        return shown;
    Status failure;
    const int namesakes = countNamesakes(db, shownName, record, &failure, fail);
    if (namesakes < 0)
        return failure;
    const Status changed = change(db, sql.arg(quoted(kUserCodeTable)), values, fail);
    if (changed && prior)
        *prior = SnippetStore::PriorSnippet{record, shownName, shownCode ? *shownCode : QString(), namesakes};
    return changed;
}

} // namespace

Status SqliteStore::writeUserTable(const QString& failure, const WriteStep& body) {
    Connection& c = connection(Database::User);
    const Fail fail = [&](const QString& reason) {
        return Status::failed(QStringLiteral("%1 in %2: %3").arg(failure, c.fileName, reason));
    };
    if (!c.isOpen())
        return fail(QStringLiteral("the file is not open"));
    if (!c.notWritable.isEmpty())
        return fail(c.notWritable);
    // Taking the write lock first makes every check and the write one step for every other writer; the wait for
    // another program's lock is the connection's busy timeout.
    if (!c.db.exec("BEGIN IMMEDIATE"))
        return fail(c.db.lastError());
    const Status status = body(c, fail);
    if (!status) {
        c.db.exec("ROLLBACK");
        return status;
    }
    if (!c.db.exec("COMMIT")) {
        const QString reason = c.db.lastError();
        c.db.exec("ROLLBACK");
        return fail(reason);
    }
    ++m_writes;
    return Status::ok();
}

Status SqliteStore::addUserSnippet(const QString& name, const QString& code, qint64* record) {
    return writeUserTable(QStringLiteral("The snippet could not be stored"), [&](Connection& c, const Fail& fail) {
        if (const Status free = nameFree(c.db, name, std::nullopt, 0, fail); !free)
            return free;
        return insert(c.db, QStringLiteral("INSERT INTO %1 (CodeName, Code) VALUES (?, ?)"), {name, code}, fail,
                      record);
    });
}

Status SqliteStore::renameUserSnippet(qint64 record, const QString& shownName, const QString& newName, int namesakes,
                                      PriorSnippet* prior) {
    return writeUserTable(QStringLiteral("The snippet could not be renamed"), [&](Connection& c, const Fail& fail) {
        if (const Status free = nameFree(c.db, newName, record, namesakes, fail); !free)
            return free;
        return changeShown(c.db, record, shownName, nullptr,
                           QStringLiteral("UPDATE %1 SET CodeName = ? WHERE rowid = ?"), {newName, record}, fail,
                           prior);
    });
}

Status SqliteStore::replaceUserCode(qint64 record, const QString& shownName, const QString& shownCode,
                                    const QString& newCode) {
    return writeUserTable(QStringLiteral("The code could not be saved"), [&](Connection& c, const Fail& fail) {
        return changeShown(c.db, record, shownName, &shownCode,
                           QStringLiteral("UPDATE %1 SET Code = ? WHERE rowid = ?"), {newCode, record}, fail, nullptr);
    });
}

Status SqliteStore::deleteUserSnippet(qint64 record, const QString& shownName, const QString& shownCode,
                                      PriorSnippet* prior) {
    return writeUserTable(QStringLiteral("The snippet could not be deleted"), [&](Connection& c, const Fail& fail) {
        return changeShown(c.db, record, shownName, &shownCode, QStringLiteral("DELETE FROM %1 WHERE rowid = ?"),
                           {record}, fail, prior);
    });
}

Status SqliteStore::restoreUserSnippet(const PriorSnippet& prior, qint64* record) {
    return writeUserTable(QStringLiteral("The snippet could not be put back"), [&](Connection& c, const Fail& fail) {
        if (const Status free = nameFree(c.db, prior.name, std::nullopt, prior.namesakes, fail); !free)
            return free;
        // A null record number makes SQLite give the next free one.
        return insert(c.db,
                      QStringLiteral("INSERT INTO %1 (rowid, CodeName, Code) VALUES ((SELECT CASE WHEN count(*) THEN "
                                     "NULL ELSE ?1 END FROM %1 WHERE rowid = ?1), ?2, ?3)"),
                      {prior.record, prior.name, prior.code}, fail, record);
    });
}

} // namespace verdane
