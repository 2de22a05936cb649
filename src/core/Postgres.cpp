#include "core/Postgres.h"

#include <array>
#include <libpq-fe.h>
#include <type_traits>
#include <utility>
#include <vector>

namespace verdane::pg {

namespace {

QString oneLine(const char* text) {
    return QString::fromUtf8(text).simplified();
}

// What every connection is opened with. Keywords before the address are defaults the URL may override; those
// after it hold whatever the URL says: text is exchanged as UTF-8.
PGconn* connectWith(const QString& url, bool wait) {
    const QByteArray address = url.toUtf8();
    const std::array<const char*, 5> keywords{"application_name", "connect_timeout", "dbname", "client_encoding",
                                              nullptr};
    const std::array<const char*, 5> values{"verdane", "5", address.constData(), "UTF8", nullptr};
    PGconn* conn = wait ? PQconnectdbParams(keywords.data(), values.data(), 1)
                        : PQconnectStartParams(keywords.data(), values.data(), 1);
    // The server's notices (a session ended by a shutdown, say) are not for the user's terminal: what matters
    // comes back as the failure of a statement.
    if (conn)
        PQsetNoticeProcessor(
            conn, [](void*, const char*) {}, nullptr);
    return conn;
}

// A statement's parameters as libpq takes them: UTF-8 texts that live as long as the call.
struct Parameters {
    explicit Parameters(const QList<Value>& values) {
        for (const Value& value : values)
            texts << std::visit(
                [](const auto& v) {
                    if constexpr (std::is_same_v<std::decay_t<decltype(v)>, QString>)
                        return v.toUtf8();
                    else
                        return QByteArray::number(v);
                },
                value);
        for (const QByteArray& text : std::as_const(texts))
            pointers.push_back(text.constData());
    }
    QList<QByteArray> texts;
    std::vector<const char*> pointers;
};

} // namespace

bool isAddress(const QString& text) {
    return text.startsWith(QLatin1String("postgresql://")) || text.startsWith(QLatin1String("postgres://"));
}

QString urlProblem(const QString& url) {
    if (!isAddress(url))
        return QStringLiteral("it is not an address of the form postgresql://user@host/database");
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(url.toUtf8().constData(), &error);
    // libpq's own words may quote a piece of the address, and so of a password in it: they are not passed on.
    PQfreemem(error);
    if (!options)
        return QStringLiteral("libpq cannot read it as a connection address");
    bool password = false;
    for (const PQconninfoOption* option = options; option->keyword; ++option) {
        const QByteArray keyword(option->keyword);
        if ((keyword == "password" || keyword == "sslpassword") && option->val && *option->val)
            password = true;
    }
    PQconninfoFree(options);
    if (password)
        return QStringLiteral("it holds a password, which Verdane takes only from ~/.pgpass or the PGPASSWORD "
                              "environment variable");
    return {};
}

QString unreachable(const QString& url, const QString& reason) {
    return QStringLiteral("The team library at %1 cannot be reached: %2").arg(url, reason);
}

Result::Result(pg_result* result)
    : m_result(result) {}

Result::~Result() {
    PQclear(m_result);
}

Result::Result(Result&& other) noexcept
    : m_result(std::exchange(other.m_result, nullptr))
    , m_error(std::move(other.m_error)) {}

Result& Result::operator=(Result&& other) noexcept {
    if (this != &other) {
        PQclear(m_result);
        m_result = std::exchange(other.m_result, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

bool Result::ok() const {
    if (!m_result)
        return false;
    const ExecStatusType status = PQresultStatus(m_result);
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_SINGLE_TUPLE;
}

QString Result::error() const {
    if (!m_result)
        return m_error.isEmpty() ? QStringLiteral("no answer from the server") : m_error;
    if (const char* primary = PQresultErrorField(m_result, PG_DIAG_MESSAGE_PRIMARY))
        return oneLine(primary);
    return oneLine(PQresultErrorMessage(m_result));
}

QByteArray Result::state() const {
    return m_result ? QByteArray(PQresultErrorField(m_result, PG_DIAG_SQLSTATE)) : QByteArray();
}

QByteArray Result::constraint() const {
    return m_result ? QByteArray(PQresultErrorField(m_result, PG_DIAG_CONSTRAINT_NAME)) : QByteArray();
}

int Result::rows() const {
    return m_result ? PQntuples(m_result) : 0;
}

bool Result::isNull(int row, int column) const {
    return PQgetisnull(m_result, row, column) != 0;
}

QByteArrayView Result::bytes(int row, int column) const {
    return {PQgetvalue(m_result, row, column), qsizetype(PQgetlength(m_result, row, column))};
}

QString Result::text(int row, int column) const {
    return isNull(row, column) ? QString() : QString::fromUtf8(bytes(row, column));
}

qint64 Result::integer(int row, int column) const {
    return QByteArray(PQgetvalue(m_result, row, column)).toLongLong();
}

Connection::Connection() = default;

Connection::Connection(pg_conn* conn)
    : m_conn(conn) {}

Connection::Connection(const QString& url)
    : m_conn(connectWith(url, true)) {}

Connection Connection::start(const QString& url) {
    return Connection(connectWith(url, false));
}

Connection::~Connection() {
    PQfinish(m_conn);
}

Connection::Connection(Connection&& other) noexcept
    : m_conn(std::exchange(other.m_conn, nullptr)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        PQfinish(m_conn);
        m_conn = std::exchange(other.m_conn, nullptr);
    }
    return *this;
}

Connection::Progress Connection::poll() {
    switch (m_conn ? PQconnectPoll(m_conn) : PGRES_POLLING_FAILED) {
    case PGRES_POLLING_READING:
        return Progress::Reading;
    case PGRES_POLLING_WRITING:
        return Progress::Writing;
    case PGRES_POLLING_OK:
        return Progress::Done;
    default:
        return Progress::Failed;
    }
}

bool Connection::isOpen() const {
    return m_conn && PQstatus(m_conn) == CONNECTION_OK;
}

bool Connection::reconnectIfLost(const QString& url) {
    // A server that ended the session sent a last message, then closed: the first read takes the message, the
    // second meets the end.
    if (isOpen() && consumeInput() && consumeInput())
        return true;
    *this = Connection(url);
    return isOpen();
}

QString Connection::error() const {
    return m_conn ? oneLine(PQerrorMessage(m_conn)) : QStringLiteral("out of memory");
}

int Connection::socket() const {
    return m_conn ? PQsocket(m_conn) : -1;
}

int Connection::backendPid() const {
    return isOpen() ? PQbackendPID(m_conn) : 0;
}

bool Connection::consumeInput() {
    return m_conn && PQconsumeInput(m_conn) == 1 && PQstatus(m_conn) == CONNECTION_OK;
}

std::optional<Connection::Notification> Connection::nextNotification() {
    PGnotify* notify = m_conn ? PQnotifies(m_conn) : nullptr;
    if (!notify)
        return std::nullopt;
    Notification n{QString::fromUtf8(notify->relname), QString::fromUtf8(notify->extra), notify->be_pid};
    PQfreemem(notify);
    return n;
}

Result Connection::exec(const QString& sql, const QList<Value>& values) const {
    if (!m_conn)
        return {};
    const Parameters parameters(values);
    Result result(PQexecParams(m_conn, sql.toUtf8().constData(), int(parameters.pointers.size()), nullptr,
                               parameters.pointers.data(), nullptr, nullptr, 0));
    if (!result.m_result)
        result.m_error = error();
    return result;
}

// Reads the results still to come, so that the connection is ready for the next statement.
void Connection::drain() const {
    while (PGresult* rest = PQgetResult(m_conn))
        PQclear(rest);
}

Result Connection::stream(const QString& sql, const std::function<bool(const Result& row)>& visit) const {
    Result end;
    if (!m_conn || !PQsendQuery(m_conn, sql.toUtf8().constData()) || !PQsetSingleRowMode(m_conn)) {
        end.m_error = error();
        if (m_conn)
            drain();
        return end;
    }
    while (PGresult* next = PQgetResult(m_conn)) {
        Result row(next);
        if (PQresultStatus(next) != PGRES_SINGLE_TUPLE) {
            end = std::move(row);
            continue;
        }
        if (!visit(row)) {
            // The server is told to stop sending; what it sent already is read and dropped.
            if (PGcancel* cancel = PQgetCancel(m_conn)) {
                char reason[256];
                PQcancel(cancel, reason, sizeof reason);
                PQfreeCancel(cancel);
            }
            drain();
            return Result(PQmakeEmptyPGresult(m_conn, PGRES_COMMAND_OK));
        }
    }
    if (!end.m_result)
        end.m_error = error();
    return end;
}

Result Connection::copyIn(const QString& sql, const std::function<bool(const Send& send)>& fill) const {
    Result started = exec(sql);
    if (!started.m_result || PQresultStatus(started.m_result) != PGRES_COPY_IN)
        return started;
    const bool filled = fill([this](QByteArrayView data) {
        return data.isEmpty() || PQputCopyData(m_conn, data.data(), int(data.size())) == 1;
    });
    PQputCopyEnd(m_conn, filled ? nullptr : "the data could not be read");
    Result end(PQgetResult(m_conn));
    if (!end.m_result)
        end.m_error = error();
    drain();
    return end;
}

void appendCopyText(QByteArray& out, QByteArrayView text) {
    for (const char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

} // namespace verdane::pg
