#pragma once

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace verdane::scratch {

// A PostgreSQL server of its own for tests and benchmarks: a cluster made with initdb in a temporary folder and run
// with pg_ctl on a free port of 127.0.0.1, its socket in that folder; stopped and removed when the object goes. Run
// as root, the server runs as the user nobody (initdb refuses root). The superuser "verdane" logs in over TCP with
// a password that libpq finds in the password file this writes: usePasswordFile() names it in PGPASSFILE, for this
// process and every program it starts.
class ScratchServer final {
public:
    ScratchServer();
    ~ScratchServer();
    ScratchServer(const ScratchServer&) = delete;
    ScratchServer& operator=(const ScratchServer&) = delete;

    bool isRunning() const { return m_running; }
    // Why the last start or stop failed, with the server's log.
    QString error() const { return m_error; }
    static QString password();
    void usePasswordFile() const;

    // The address of a database of this server, as a user gives it: no password.
    QString url(const QString& database) const;
    // Makes an empty database; returns its address, empty on failure.
    QString createDatabase(const QString& name);
    // Makes a database holding a team library with the records of the two files in dataDir, User Code's too;
    // returns its address, empty on failure.
    QString serveLibrary(const QString& dataDir);

    bool start();
    // A fast shutdown: sessions are ended, the data written.
    bool stop();
    // As a crash: every server process ends at once, with no shutdown checkpoint; the next start recovers.
    bool kill();

private:
    bool pgctl(const QStringList& arguments);
    bool run(const QString& program, const QStringList& arguments);

    QTemporaryDir m_dir;    // the cluster and the socket
    QTemporaryDir m_ownDir; // the password file, which must be this user's own
    QString m_bin;
    bool m_asNobody = false;
    int m_port = 0;
    int m_databases = 0;
    bool m_running = false;
    QString m_error;
};

} // namespace verdane::scratch
