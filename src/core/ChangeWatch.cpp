#include "core/ChangeWatch.h"

#include "core/Postgres.h"

#include <QPointer>
#include <QSocketNotifier>

namespace verdane {

struct ChangeWatch::Link {
    pg::Connection connection;
    QPointer<QSocketNotifier> notifier;
    bool listening = false;

    // Stops watching the socket. The notifier may be the one whose signal runs now, so it goes once that is over.
    void unwatch() {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
        notifier = nullptr;
    }
    ~Link() { unwatch(); }
};

ChangeWatch::ChangeWatch(Server server, QObject* parent)
    : QObject(parent)
    , m_server(std::move(server)) {
    m_retry.setSingleShot(true);
    m_retry.setInterval(kRetryMs);
    connect(&m_retry, &QTimer::timeout, this, &ChangeWatch::connectNow);
    m_settle.setSingleShot(true);
    m_settle.setInterval(kSettleMs);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        if (m_pending) {
            m_pending = false;
            m_settle.start();
            Q_EMIT changed();
        }
    });
    connectNow();
}

ChangeWatch::~ChangeWatch() = default;

bool ChangeWatch::isConnected() const {
    return m_link && m_link->listening;
}

void ChangeWatch::connectNow() {
    m_link = std::make_unique<Link>();
    m_link->connection = pg::Connection::start(m_server.url);
    // libpq's rule for a connection just begun: wait until the socket takes writing.
    follow(int(pg::Connection::Progress::Writing));
}

// One step of connecting without waiting: the socket is watched for what libpq needs next.
void ChangeWatch::follow(int progress) {
    using Progress = pg::Connection::Progress;
    switch (Progress(progress)) {
    case Progress::Failed:
        lose(m_link->connection.error());
        return;
    case Progress::Done:
        listen();
        return;
    case Progress::Reading:
    case Progress::Writing:
        break;
    }
    m_link->unwatch();
    if (m_link->connection.socket() < 0) {
        lose(m_link->connection.error());
        return;
    }
    const auto type = Progress(progress) == Progress::Reading ? QSocketNotifier::Read : QSocketNotifier::Write;
    m_link->notifier = new QSocketNotifier(m_link->connection.socket(), type, this);
    connect(m_link->notifier, &QSocketNotifier::activated, this, [this] { follow(int(m_link->connection.poll())); });
}

void ChangeWatch::listen() {
    pg::Connection& connection = m_link->connection;
    const pg::Result listening = connection.exec(QStringLiteral("LISTEN %1").arg(m_server.channel));
    // Read after listening: a change committed in between is counted, and one after it is heard.
    const pg::Result counter = connection.exec(m_server.counterQuery);
    if (!listening.ok() || !counter.ok() || counter.rows() != 1) {
        lose(listening.ok() ? counter.error() : listening.error());
        return;
    }
    m_link->unwatch();
    m_link->notifier = new QSocketNotifier(connection.socket(), QSocketNotifier::Read, this);
    connect(m_link->notifier, &QSocketNotifier::activated, this, &ChangeWatch::readNotices);
    m_link->listening = true;
    m_problem.clear();
    Q_EMIT connectionChanged();
    if (counter.integer(0, 0) != m_server.lastSeen())
        noteChange();
}

void ChangeWatch::readNotices() {
    pg::Connection& connection = m_link->connection;
    if (!connection.consumeInput()) {
        lose(connection.error());
        return;
    }
    bool news = false;
    while (const std::optional<pg::Connection::Notification> notice = connection.nextNotification())
        news = news || notice->senderPid != m_server.ownSender();
    if (news)
        noteChange();
}

void ChangeWatch::lose(const QString& reason) {
    const QString problem = pg::unreachable(m_server.url, reason) +
                            QStringLiteral(" Verdane keeps showing what it has and tries again every few seconds.");
    m_link.reset();
    m_retry.start();
    if (problem != m_problem) {
        m_problem = problem;
        Q_EMIT connectionChanged();
    }
}

void ChangeWatch::noteChange() {
    if (m_settle.isActive()) {
        m_pending = true;
        return;
    }
    m_settle.start();
    Q_EMIT changed();
}

} // namespace verdane
