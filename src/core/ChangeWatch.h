#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

namespace verdane {

// Hears of the changes other programs make to a server's records: a connection of its own listens for the
// notices the server sends on every commit that changes them, watched by the event loop, so nobody polls. When the
// server cannot be reached, refuses the login or goes away, it says so and tries again every few seconds. Runs on
// the thread that made it.
class ChangeWatch final : public QObject {
    Q_OBJECT

public:
    struct Server {
        QString url;                      // holds no password
        QString channel;                  // what the notices are sent on
        QString counterQuery;             // one value that grows with every change
        std::function<int()> ownSender;   // the server process serving our own writes: its notices are no news
        std::function<qint64()> lastSeen; // the counter when the records were last read; -1 when never
    };
    explicit ChangeWatch(Server server, QObject* parent = nullptr);
    ~ChangeWatch() override;

    bool isConnected() const;
    // Why it is not connected, naming the server; empty while connected or still connecting.
    QString problem() const { return m_problem; }

    static constexpr int kRetryMs = 2000;
    // Notices closer together than this are answered together.
    static constexpr int kSettleMs = 250;

Q_SIGNALS:
    // Another program changed the records; also when, on connecting again, the counter shows changes missed while
    // away. Sent at once, then at most once per kSettleMs.
    void changed();
    // Connected, or no longer: problem() says which.
    void connectionChanged();

private:
    struct Link;
    void connectNow();
    void follow(int progress);
    void listen();
    void readNotices();
    void lose(const QString& reason);
    void noteChange();

    Server m_server;
    std::unique_ptr<Link> m_link;
    QString m_problem;
    QTimer m_retry;
    QTimer m_settle;
    bool m_pending = false;
};

} // namespace verdane
