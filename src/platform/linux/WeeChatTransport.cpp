#include "platform/linux/WeeChatTransport.h"

#include "platform/FileSystem.h"
#include "platform/linux/WeeChatLines.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace verdane {

namespace {

bool isPipe(const QString& path) {
    return filesystem::facts(path).kind == filesystem::Kind::Pipe;
}

// Alive, and WeeChat: a process id left in the name of a crashed WeeChat's pipe may belong to anything by now.
bool isRunningWeeChat(qint64 pid) {
    if (pid <= 0 || (::kill(pid_t(pid), 0) != 0 && errno != EPERM))
        return false;
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return true; // alive; nothing more can be told
    return comm.readAll().startsWith("weechat");
}

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

const QString kOptions = QStringLiteral("View > Options...");

} // namespace

WeeChatTransport::WeeChatTransport() {
    // A write to a pipe whose reader went away must fail, not end the program.
    std::signal(SIGPIPE, SIG_IGN);
}

WeeChatTransport::~WeeChatTransport() {
    close();
}

QStringList WeeChatTransport::runtimeFolders() {
    QStringList folders;
    if (const QString home = qEnvironmentVariable("WEECHAT_HOME"); !home.isEmpty())
        folders << home;
    if (const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR"); !runtime.isEmpty())
        folders << runtime + QStringLiteral("/weechat");
    folders << QDir::homePath() + QStringLiteral("/.cache/weechat") << QDir::homePath() + QStringLiteral("/.weechat");
    return folders;
}

QString WeeChatTransport::findPipe() {
    for (const QString& folder : runtimeFolders()) {
        const QFileInfoList candidates =
            QDir(folder).entryInfoList({QStringLiteral("weechat_fifo_*")}, QDir::System | QDir::Files, QDir::Time);
        for (const QFileInfo& candidate : candidates) {
            bool ok = false;
            const qint64 pid = candidate.fileName().mid(int(qstrlen("weechat_fifo_"))).toLongLong(&ok);
            if (ok && isPipe(candidate.filePath()) && isRunningWeeChat(pid))
                return candidate.filePath();
        }
    }
    return {};
}

QString WeeChatTransport::configFile(const QString& pipe) {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty())
        config = QDir::homePath() + QStringLiteral("/.config");
    // A WeeChat started with --dir or WEECHAT_HOME keeps everything in one folder, its pipe included.
    for (const QString& folder : {QFileInfo(pipe).path(), config + QStringLiteral("/weechat"),
                                  QDir::homePath() + QStringLiteral("/.weechat")}) {
        const QString file = folder + QStringLiteral("/irc.conf");
        if (QFileInfo(file).isFile())
            return file;
    }
    return {};
}

void WeeChatTransport::closeAny() {
    close();
}

void WeeChatTransport::setLink(int timeoutMs, const QString& service, const QString&) {
    m_timeoutMs = timeoutMs;
    m_service = service;
}

bool WeeChatTransport::fail(const QString& error) {
    m_error = error;
    return false;
}

QString WeeChatTransport::pipeProblem(const QString& pipe) {
    const filesystem::Facts named = filesystem::facts(pipe);
    if (named.kind == filesystem::Kind::Pipe)
        return {};
    const QString what = named.kind == filesystem::Kind::Missing
                             ? QStringLiteral("The pipe %1 does not exist").arg(pipe)
                             : QStringLiteral("%1 is %2, not a pipe").arg(pipe, filesystem::kindText(named.kind));
    return QStringLiteral("%1: put the path of WeeChat's fifo pipe into %2 as the service name, or leave it out to "
                          "use the running WeeChat.")
        .arg(what, kOptions);
}

QString WeeChatTransport::serverProblem(const weechat::ServerChoice& choice) {
    const QString known = choice.candidates.isEmpty()
                              ? QStringLiteral("WeeChat has no IRC server saved in its configuration")
                              : QStringLiteral("WeeChat knows several IRC servers (%1)")
                                    .arg(choice.candidates.join(QStringLiteral(", ")));
    return QStringLiteral("%1: put the name of the server to send through, as /server list shows it, into %2 as the "
                          "service name.")
        .arg(known, kOptions);
}

bool WeeChatTransport::open() {
    close();
    const weechat::Service service = weechat::parseService(m_service);
    QString pipe = service.pipe;
    if (pipe.isEmpty()) {
        pipe = findPipe();
        if (pipe.isEmpty())
            return fail(QStringLiteral("No running WeeChat with its fifo pipe was found: start WeeChat and run /fifo "
                                       "enable, then send again."));
    } else if (const QString problem = pipeProblem(pipe); !problem.isEmpty()) {
        return fail(problem);
    }

    // Without blocking: a pipe nobody reads (WeeChat gone, or its fifo plugin off) fails at once.
    m_fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (const int error = errno; m_fd < 0) {
        return fail(error == ENXIO
                        ? QStringLiteral("WeeChat does not read its pipe: the pipe %1 has no reader. Start "
                                         "WeeChat and run /fifo enable, then send again.")
                              .arg(pipe)
                        : QStringLiteral("The pipe %1 cannot be written to: %2.").arg(pipe, errnoText(error)));
    }

    QString server = service.server;
    if (server.isEmpty()) {
        const QString config = configFile(pipe);
        QFile file(config);
        const weechat::ServerChoice choice = !config.isEmpty() && file.open(QIODevice::ReadOnly)
                                                 ? weechat::chooseServer(file.readAll())
                                                 : weechat::ServerChoice{};
        if (choice.server.isEmpty()) {
            close();
            return fail(serverProblem(choice));
        }
        server = choice.server;
    }
    m_buffer = weechat::serverBuffer(server);
    return true;
}

bool WeeChatTransport::poke(const QString& text) {
    if (m_fd < 0)
        return fail(QStringLiteral("The conversation with WeeChat is not open."));
    const QByteArray line = weechat::pipeLine(m_buffer, text);
    QElapsedTimer clock;
    clock.start();
    qsizetype written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(m_fd, line.constData() + written, size_t(line.size() - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR)
            return fail(QStringLiteral("WeeChat's pipe cannot be written to: %1.").arg(errnoText(errno)));
        // The pipe is full: wait for WeeChat to read, as long as the time-out allows.
        const qint64 left = m_timeoutMs - clock.elapsed();
        pollfd waiting{m_fd, POLLOUT, 0};
        if (left <= 0 || ::poll(&waiting, 1, int(left)) == 0)
            return fail(QStringLiteral("WeeChat did not take the text within %1 seconds: it may be busy or stopped. "
                                       "Send again once it answers.")
                            .arg(m_timeoutMs / 1000.0));
    }
    return true;
}

void WeeChatTransport::close() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

std::unique_ptr<ChatTransport> createChatTransport() {
    return std::make_unique<WeeChatTransport>();
}

} // namespace verdane
