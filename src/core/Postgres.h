#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <functional>
#include <optional>
#include <variant>

struct pg_conn;
struct pg_result;

namespace verdane::pg {

// Whether a text is meant as a server's address, sound or not, rather than a file's path.
bool isAddress(const QString& text);

// Why a text cannot serve as the address of a team library: it must be a postgresql:// (or postgres://) URL that
// libpq reads, and hold no password, which belongs in ~/.pgpass or PGPASSWORD and never in a setting or a command
// line that others can see. Empty when it can serve. The reason never repeats the address.
QString urlProblem(const QString& url);

// How a server that cannot be used is reported: naming it by its address (which holds no password), and why.
QString unreachable(const QString& url, const QString& reason);

// A parameter of a statement: text, or a whole number.
using Value = std::variant<QString, qint64>;

// What a statement gave back: its rows, or why it failed.
class Result final {
public:
    Result() = default;
    explicit Result(pg_result* result);
    ~Result();
    Result(Result&& other) noexcept;
    Result& operator=(Result&& other) noexcept;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    // The statement went through, with or without rows.
    bool ok() const;
    // Why it failed, as the server or libpq words it, on one line.
    QString error() const;
    // The SQLSTATE of a failure ("23505" for a unique value taken), and the constraint it broke.
    QByteArray state() const;
    QByteArray constraint() const;

    int rows() const;
    bool isNull(int row, int column) const;
    // A value as the server sent it, UTF-8 text; valid while the result lives.
    QByteArrayView bytes(int row, int column) const;
    QString text(int row, int column) const;
    qint64 integer(int row, int column) const;

private:
    pg_result* m_result = nullptr;
    QString m_error; // a failure before any result came (a lost connection)
    friend class Connection;
};

// One connection to a server through libpq. Text travels as UTF-8 whatever the server's own encoding.
class Connection final {
public:
    Connection();
    // Connects and waits for the outcome (connect_timeout, 5 seconds unless the URL says otherwise).
    explicit Connection(const QString& url);
    ~Connection();
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Begins connecting without waiting: poll() whenever socket() is ready for what the last poll asked.
    static Connection start(const QString& url);
    enum class Progress { Reading, Writing, Done, Failed };
    Progress poll();

    bool isOpen() const;
    // Keeps the connection where it is still sound and connects to url again otherwise; false when that fails
    // (error() says why). A server that went away since the last statement has said so on the socket: taking that
    // in first keeps a statement from being sent into a dead connection.
    bool reconnectIfLost(const QString& url);
    // Why it is not open, or why the last statement failed, on one line.
    QString error() const;
    int socket() const;
    // The server process serving this connection: it signs the notifications this connection causes.
    int backendPid() const;

    // Takes in what the server sent meanwhile, without waiting. False when the connection is lost (then it is
    // closed).
    bool consumeInput();
    struct Notification {
        QString channel;
        QString payload;
        int senderPid = 0;
    };
    std::optional<Notification> nextNotification();

    Result exec(const QString& sql, const QList<Value>& values = {}) const;
    // Runs a query and hands its rows to visit one at a time as they arrive, so that a large table is never held
    // whole; visit returns false to stop, and the rest is dropped. Returns the query's end: ok, or why it failed.
    Result stream(const QString& sql, const std::function<bool(const Result& row)>& visit) const;
    // Runs a COPY ... FROM STDIN: fill hands the data to send, in pieces of any size, and returns false to abandon
    // the copy (then nothing of it is kept).
    using Send = std::function<bool(QByteArrayView data)>;
    Result copyIn(const QString& sql, const std::function<bool(const Send& send)>& fill) const;

private:
    explicit Connection(pg_conn* conn);
    void drain() const;
    pg_conn* m_conn = nullptr;
};

// A value in COPY's text form: backslash, tab, line feed and carriage return escaped.
void appendCopyText(QByteArray& out, QByteArrayView text);

} // namespace verdane::pg
