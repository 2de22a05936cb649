#include "platform/linux/WeeChatTransport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verdane {

namespace {

bool isPipe(const QString& path) {
    struct stat info {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
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

QString WeeChatTransport::findPipe(const QString& service) {
    if (isPipe(service))
        return service;
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

QByteArray WeeChatTransport::pipeLine(const QString& text) {
    QByteArray line = "*" + text.toUtf8();
    for (char& c : line) {
        if (c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    }
    return line + '\n';
}

void WeeChatTransport::closeAny() {
    close();
}

void WeeChatTransport::setLink(int timeoutMs, const QString& service, const QString&) {
    m_timeoutMs = timeoutMs;
    m_service = service;
}

bool WeeChatTransport::open() {
    close();
    const QString pipe = findPipe(m_service);
    if (pipe.isEmpty()) {
        m_error = QStringLiteral("no running WeeChat with its fifo plugin was found");
        return false;
    }
    // Without blocking: a pipe nobody reads (WeeChat gone, or its fifo plugin off) fails at once.
    m_fd = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (m_fd < 0) {
        m_error = errno == ENXIO ? QStringLiteral("nobody reads %1").arg(pipe)
                                 : QStringLiteral("%1: %2").arg(pipe, errnoText(errno));
        return false;
    }
    return true;
}

bool WeeChatTransport::poke(const QString& text) {
    if (m_fd < 0) {
        m_error = QStringLiteral("the conversation is not open");
        return false;
    }
    const QByteArray line = pipeLine(text);
    QElapsedTimer clock;
    clock.start();
    qsizetype written = 0;
    while (written < line.size()) {
        const ssize_t n = ::write(m_fd, line.constData() + written, size_t(line.size() - written));
        if (n > 0) {
            written += n;
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EINTR) {
            m_error = errnoText(errno);
            return false;
        }
        // The pipe is full: wait for WeeChat to read, as long as the time-out allows.
        const qint64 left = m_timeoutMs - clock.elapsed();
        pollfd waiting{m_fd, POLLOUT, 0};
        if (left <= 0 || ::poll(&waiting, 1, int(left)) == 0) {
            m_error = QStringLiteral("WeeChat did not take the text within %1 seconds").arg(m_timeoutMs / 1000.0);
            return false;
        }
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
