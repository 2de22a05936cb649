#include "scratchserver/ScratchServer.h"

#include "core/Postgres.h"
#include "core/PostgresStore.h"
#include "core/Sqlite.h"
#include "core/SqliteStore.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QTcpServer>

#include <unistd.h>

namespace verdane::scratch {

namespace {

// The binaries of the newest PostgreSQL installed the Debian way.
QString serverBinaries() {
    QStringList versions = QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(), numeric);
    for (auto v = versions.crbegin(); v != versions.crend(); ++v) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(*v);
        if (QFileInfo::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    return {};
}

int freePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

QString ScratchServer::password() {
    return QStringLiteral("scratch-Pa55");
}

ScratchServer::ScratchServer() {
    m_bin = serverBinaries();
    if (m_bin.isEmpty()) {
        m_error = QStringLiteral("no PostgreSQL server is installed (apt-get install postgresql-15)");
        return;
    }
    m_asNobody = ::geteuid() == 0;
    const QString passwordFile = m_dir.filePath(QStringLiteral("password"));
    const QString passFile = m_ownDir.filePath(QStringLiteral("pgpass"));
    if (!writeFile(passwordFile, password().toUtf8()) ||
        !writeFile(passFile, QStringLiteral("127.0.0.1:*:*:verdane:%1\n").arg(password()).toUtf8()) ||
        !QFile::setPermissions(passFile, QFile::ReadOwner | QFile::WriteOwner)) {
        m_error = QStringLiteral("cannot write the password files");
        return;
    }
    if (m_asNobody && !run(QStringLiteral("chown"), {QStringLiteral("-R"), QStringLiteral("nobody:"), m_dir.path()}))
        return;
    if (!run(m_bin + QStringLiteral("/initdb"),
             {QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data")), QStringLiteral("-U"),
              QStringLiteral("verdane"), QStringLiteral("--pwfile=") + passwordFile,
              QStringLiteral("--auth-local=trust"), QStringLiteral("--auth-host=scram-sha-256"), QStringLiteral("-E"),
              QStringLiteral("UTF8"), QStringLiteral("--no-locale"), QStringLiteral("--no-sync")}))
        return;
    // The port is free when asked, but another program may take it before the server does.
    for (int attempt = 0; attempt < 5 && !m_running; ++attempt) {
        m_port = freePort();
        start();
    }
}

ScratchServer::~ScratchServer() {
    if (m_running)
        kill();
}

void ScratchServer::usePasswordFile() const {
    qputenv("PGPASSFILE", QFile::encodeName(m_ownDir.filePath(QStringLiteral("pgpass"))));
}

QString ScratchServer::url(const QString& database) const {
    return QStringLiteral("postgresql://verdane@127.0.0.1:%1/%2").arg(m_port).arg(database);
}

QString ScratchServer::createDatabase(const QString& name) {
    const pg::Connection admin(url(QStringLiteral("postgres")));
    const pg::Result made = admin.exec(QStringLiteral("CREATE DATABASE %1").arg(sqlite::quoted(name)));
    if (!made.ok()) {
        m_error = admin.isOpen() ? made.error() : admin.error();
        return {};
    }
    return url(name);
}

QString ScratchServer::serveLibrary(const QString& dataDir) {
    const QString url = createDatabase(QStringLiteral("library%1").arg(++m_databases));
    SqliteStore files(dataDir);
    files.reopenDatabases();
    if (url.isEmpty())
        return {};
    if (const Status made = PostgresStore::createSchema(url, files, true); !made) {
        m_error = made.message();
        return {};
    }
    return url;
}

bool ScratchServer::start() {
    // fsync is off for speed: a killed server loses nothing that way, only a machine that stops would. Commits are
    // still written through before they are confirmed.
    m_running =
        pgctl({QStringLiteral("start"), QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
               QStringLiteral("-l"), m_dir.filePath(QStringLiteral("log")), QStringLiteral("-o"),
               QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off").arg(m_port).arg(m_dir.path())});
    return m_running;
}

bool ScratchServer::stop() {
    const bool stopped =
        pgctl({QStringLiteral("stop"), QStringLiteral("-w"), QStringLiteral("-m"), QStringLiteral("fast")});
    m_running = m_running && !stopped;
    return stopped;
}

bool ScratchServer::kill() {
    const bool killed =
        pgctl({QStringLiteral("stop"), QStringLiteral("-w"), QStringLiteral("-m"), QStringLiteral("immediate")});
    m_running = m_running && !killed;
    return killed;
}

bool ScratchServer::pgctl(const QStringList& arguments) {
    return run(m_bin + QStringLiteral("/pg_ctl"),
               QStringList{QStringLiteral("-D"), m_dir.filePath(QStringLiteral("data"))} + arguments);
}

// Runs one of the server's programs, as nobody where this runs as root (chown aside, which needs root).
bool ScratchServer::run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    if (m_asNobody && !program.endsWith(QLatin1String("chown")))
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"), program} +
                          arguments);
    else
        process.start(program, arguments);
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return true;
    QFile log(m_dir.filePath(QStringLiteral("log")));
    log.open(QIODevice::ReadOnly);
    m_error = QStringLiteral("%1 failed: %2\n%3")
                  .arg(QFileInfo(program).fileName(), QString::fromLocal8Bit(process.readAll()),
                       QString::fromLocal8Bit(log.readAll().right(2000)));
    return false;
}

} // namespace verdane::scratch
