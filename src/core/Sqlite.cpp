#include "core/Sqlite.h"

#include "platform/FileSystem.h"

#include <QFileInfo>
#include <QUrl>

#include <chrono>
#include <sqlite3.h>
#include <thread>
#include <utility>

namespace verdane::sqlite {

QString quoted(const QString& identifier) {
    QString inner = identifier;
    inner.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + inner + QLatin1Char('"');
}

// How a connection waits for another program's lock: a little at a time, looking at its cancel flag in between.
struct Connection::Waiting {
    int timeoutMs = 0;
    const std::atomic<bool>* cancel = nullptr;

    static int retry(void* self, int attempts) {
        const auto* w = static_cast<const Waiting*>(self);
        constexpr int kStepMs = 5;
        if ((w->cancel && w->cancel->load()) || attempts * kStepMs >= w->timeoutMs)
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(kStepMs));
        return 1;
    }
};

Connection::Connection(const QString& path, Mode mode, int busyTimeoutMs, const std::atomic<bool>* cancel) {
    // SQLite would open a pipe or a device as if it were a file, and wait on it for good.
    const filesystem::Facts there = filesystem::facts(path);
    if (there.kind != filesystem::Kind::Missing && there.kind != filesystem::Kind::Regular) {
        m_openError = there.error.isEmpty()
                          ? QStringLiteral("it is %1, not a file").arg(filesystem::kindText(there.kind))
                          : there.error;
        return;
    }
    int failure = open(path.toUtf8(), SQLITE_OPEN_READWRITE | (mode == Mode::Create ? SQLITE_OPEN_CREATE : 0),
                       busyTimeoutMs, cancel);
    // A file the user may only read, or one in write-ahead-log mode in a folder the user may not write (where SQLite
    // cannot make the files it shares with other readers), is still read: the first read-only, the second as a file
    // nobody changes, which it then is, unless a log holds changes not yet in the file.
    const bool readOnly = (failure & 0xFF) == SQLITE_READONLY || (failure & 0xFF) == SQLITE_CANTOPEN;
    if (readOnly && mode == Mode::ReadWrite && there.kind == filesystem::Kind::Regular) {
        failure = open(path.toUtf8(), SQLITE_OPEN_READONLY, busyTimeoutMs, cancel);
        const filesystem::Facts log = filesystem::facts(path + QStringLiteral("-wal"));
        if (failure != SQLITE_OK && (log.kind == filesystem::Kind::Missing || log.size == 0)) {
            const QByteArray uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toEncoded() + "?immutable=1";
            open(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, busyTimeoutMs, cancel);
        }
    }
    if (m_db)
        m_openError.clear();
}

// Opens the file and reads its schema, which is what tells a database from any other file (opening is lazy). The
// result code of the failure, SQLITE_OK when it is open; the first failure's words are kept.
int Connection::open(const QByteArray& name, int flags, int busyTimeoutMs, const std::atomic<bool>* cancel) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(name.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        if (m_openError.isEmpty())
            m_openError = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        rc = db ? sqlite3_extended_errcode(db) : rc;
        sqlite3_close_v2(db);
        return rc;
    }
    if (cancel) {
        m_waiting = std::make_unique<Waiting>(Waiting{busyTimeoutMs, cancel});
        sqlite3_busy_handler(db, &Waiting::retry, m_waiting.get());
    } else {
        sqlite3_busy_timeout(db, busyTimeoutMs);
    }
    sqlite3_extended_result_codes(db, 1);
    // Reading through a mapping rather than a system call per page halves the time a walk over a large library
    // spends in the system (a tree build, listing every name).
    sqlite3_exec(db, "PRAGMA mmap_size=1073741824", nullptr, nullptr, nullptr);
    {
        Statement probe(db, QStringLiteral("PRAGMA schema_version"));
        if (!probe.run()) {
            if (m_openError.isEmpty())
                m_openError = probe.error();
            rc = sqlite3_extended_errcode(db);
        }
    }
    if (rc != SQLITE_OK) {
        sqlite3_close_v2(db);
        return rc == SQLITE_OK ? SQLITE_ERROR : rc;
    }
    m_db = db;
    return SQLITE_OK;
}

Connection::Connection() = default;

Connection::~Connection() {
    sqlite3_close_v2(m_db);
}

Connection::Connection(Connection&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
    , m_openError(std::move(other.m_openError))
    , m_waiting(std::move(other.m_waiting)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        sqlite3_close_v2(m_db);
        m_db = std::exchange(other.m_db, nullptr);
        m_openError = std::move(other.m_openError);
        m_waiting = std::move(other.m_waiting);
    }
    return *this;
}

QString Connection::lastError() const {
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QStringLiteral("the file is not open");
}

Statement Connection::prepare(const QString& sql) const {
    return Statement(m_db, sql);
}

bool Connection::exec(const char* sql) const {
    return m_db && sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

qint64 Connection::lastInsertRowid() const {
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

Statement::Statement(sqlite3* db, const QString& sql)
    : m_db(db) {
    if (!db) {
        m_rc = SQLITE_MISUSE;
        return;
    }
    const QByteArray utf8 = sql.toUtf8();
    m_rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_stmt, nullptr);
    if (m_rc == SQLITE_OK && !m_stmt)
        m_rc = SQLITE_MISUSE; // an empty statement
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement&& other) noexcept
    : m_db(other.m_db)
    , m_stmt(std::exchange(other.m_stmt, nullptr))
    , m_rc(other.m_rc) {}

void Statement::keep(int rc) {
    if (m_rc == SQLITE_OK && rc != SQLITE_OK)
        m_rc = rc;
}

void Statement::bind(int position, const QString& text) {
    if (!m_stmt)
        return;
    const QByteArray utf8 = text.toUtf8();
    // More than SQLite takes fails here (SQLITE_TOOBIG) rather than storing a NULL.
    keep(sqlite3_bind_text64(m_stmt, position, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT,
                             SQLITE_UTF8));
}

void Statement::bind(int position, qint64 value) {
    if (m_stmt)
        keep(sqlite3_bind_int64(m_stmt, position, value));
}

void Statement::bindNull(int position) {
    if (m_stmt)
        keep(sqlite3_bind_null(m_stmt, position));
}

bool Statement::next() {
    if (!m_stmt || (m_rc != SQLITE_OK && m_rc != SQLITE_ROW))
        return false;
    m_rc = sqlite3_step(m_stmt);
    return m_rc == SQLITE_ROW;
}

bool Statement::run() {
    while (next()) {
    }
    return !failed();
}

bool Statement::failed() const {
    return m_rc != SQLITE_OK && m_rc != SQLITE_ROW && m_rc != SQLITE_DONE;
}

QString Statement::error() const {
    if (!m_db)
        return QStringLiteral("the file is not open");
    // A failure to bind leaves no message on the connection; SQLite's text for the code says it.
    const char* message = sqlite3_errmsg(m_db);
    const int lastCode = sqlite3_extended_errcode(m_db);
    return QString::fromUtf8(lastCode == m_rc ? message : sqlite3_errstr(m_rc));
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 Statement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

QByteArrayView Statement::bytes(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return data ? QByteArrayView(data, sqlite3_column_bytes(m_stmt, column)) : QByteArrayView();
}

QString Statement::text(int column) const {
    const QByteArrayView b = bytes(column);
    return b.data() ? QString::fromUtf8(b) : QString();
}

} // namespace verdane::sqlite
