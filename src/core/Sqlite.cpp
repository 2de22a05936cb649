#include "core/Sqlite.h"

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
    const int flags = SQLITE_OPEN_READWRITE | (mode == Mode::Create ? SQLITE_OPEN_CREATE : 0);
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        m_openError = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return;
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
    m_db = db;
    // Opening is lazy; reading the schema is what tells a database from any other file.
    QString probeError;
    {
        Statement probe(m_db, QStringLiteral("PRAGMA schema_version"));
        if (!probe.run())
            probeError = probe.error();
    }
    if (!probeError.isEmpty()) {
        m_openError = probeError;
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
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
