#pragma once

#include <QByteArrayView>
#include <QString>

#include <atomic>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace verdane::sqlite {

// An identifier as SQL text: "name", with inner quotes doubled.
QString quoted(const QString& identifier);

class Statement;

// One connection to a database file through SQLite's own library.
class Connection final {
public:
    enum class Mode {
        ReadWrite, // the file must exist: a missing file is never created
        Create,    // created when missing
    };

    Connection();
    // Opens and reads the schema, which is what tells a database from any other file. busyTimeoutMs is how long a
    // statement waits for another program's lock; setting cancel ends the wait at once. Anything but a regular file
    // is refused unopened. A file that cannot be opened for writing is opened to be read only (ReadWrite).
    Connection(const QString& path, Mode mode, int busyTimeoutMs = 5000, const std::atomic<bool>* cancel = nullptr);
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    bool isOpen() const { return m_db != nullptr; }
    // Why the file could not be opened; empty when it is open.
    QString openError() const { return m_openError; }
    // The last failure on this connection, as SQLite words it.
    QString lastError() const;

    Statement prepare(const QString& sql) const;
    // Runs SQL that returns no rows; false (lastError() says why) on failure.
    bool exec(const char* sql) const;
    qint64 lastInsertRowid() const;

private:
    struct Waiting;
    int open(const QByteArray& name, int flags, int busyTimeoutMs, const std::atomic<bool>* cancel);
    sqlite3* m_db = nullptr;
    QString m_openError;
    std::unique_ptr<Waiting> m_waiting;
};

// A prepared statement. A failure to prepare or to bind is kept and reported by the first step, so a caller can
// bind and step without checking each call and still never take a failed statement for a success.
class Statement final {
public:
    Statement(sqlite3* db, const QString& sql);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    Statement& operator=(Statement&&) = delete;

    bool prepared() const { return m_stmt != nullptr; }
    void bind(int position, const QString& text);
    void bind(int position, qint64 value);
    void bindNull(int position);
    // True while a row is there; false at the end or on a failure, which failed() then tells.
    bool next();
    // Steps to the end; true unless it failed.
    bool run();
    bool failed() const;
    QString error() const;

    bool isNull(int column) const;
    qint64 integer(int column) const;
    // A column's text as SQLite holds it, in UTF-8; valid until the next step.
    QByteArrayView bytes(int column) const;
    QString text(int column) const; // a null column as a null QString

private:
    void keep(int rc);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = 0;
};

} // namespace verdane::sqlite
