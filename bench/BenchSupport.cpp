#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace verdane::bench {

namespace {

std::vector<double> sorted(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v;
}

// A field of /proc/PID/status in KB; -1 when the process is gone.
qint64 statusKb(qint64 pid, const char* field) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

double Series::min() const {
    return ms.empty() ? 0 : *std::min_element(ms.begin(), ms.end());
}

double Series::max() const {
    return ms.empty() ? 0 : *std::max_element(ms.begin(), ms.end());
}

double Series::median() const {
    if (ms.empty())
        return 0;
    const std::vector<double> s = sorted(ms);
    const size_t mid = s.size() / 2;
    return s.size() % 2 ? s[mid] : (s[mid - 1] + s[mid]) / 2;
}

QString Series::text() const {
    return QStringLiteral("%1 / %2 / %3").arg(min(), 0, 'f', 1).arg(median(), 0, 'f', 1).arg(max(), 0, 'f', 1);
}

QProcessEnvironment benchEnvironment(const QString& root) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CACHE_HOME"), QDir(root).filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), QDir(root).filePath(QStringLiteral("config")));
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return env;
}

double timeProcess(const Command& command, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(command.program, command.arguments);
    process.waitForFinished(-1);
    return double(clock.nsecsElapsed()) / 1e6;
}

qint64 peakAnonymousKb(const Command& command, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(command.program, command.arguments);
    process.waitForStarted();
    const qint64 pid = process.processId();
    std::atomic<bool> done{false};
    qint64 peak = 0;
    std::thread sampler([&] {
        while (!done) {
            peak = std::max(peak, statusKb(pid, "RssAnon:"));
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
    });
    process.waitForFinished(-1);
    done = true;
    sampler.join();
    return peak;
}

Pair interleaved(int runs, const std::function<double()>& a, const std::function<double()>& b,
                 const std::function<void()>& before) {
    Pair pair;
    for (int run = -1; run < runs; ++run) {
        if (before)
            before();
        const double ours = a();
        const double reference = b();
        if (run >= 0) {
            pair.ours.ms.push_back(ours);
            pair.reference.ms.push_back(reference);
        }
    }
    return pair;
}

QMap<QString, double> runChild(const QStringList& arguments, const QProcessEnvironment& env) {
    QProcess child;
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(), QStringList{QStringLiteral("--child")} + arguments);
    child.waitForFinished(-1);
    QMap<QString, double> values;
    for (const QByteArray& line : child.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 2)
            values.insert(QString::fromLatin1(parts[0]), parts[1].toDouble());
    }
    return values;
}

void printSeries(const QString& key, const Series& s) {
    std::printf("%s_min %.3f\n%s_ms %.3f\n%s_max %.3f\n", qPrintable(key), s.min(), qPrintable(key), s.median(),
                qPrintable(key), s.max());
}

Series fromChild(const QMap<QString, double>& values, const QString& key) {
    return Series{{values.value(key + QStringLiteral("_min")), values.value(key + QStringLiteral("_ms")),
                   values.value(key + QStringLiteral("_max"))}};
}

double elapsedMs(const QElapsedTimer& clock) {
    return double(clock.nsecsElapsed()) / 1e6;
}

void printHeader() {
    std::printf("%-34s %7s  %-24s  %-24s %7s\n", "figure", "N", "Verdane ms min/med/max", "reference ms min/med/max",
                "ratio");
}

void printRow(const QString& what, int n, const Series& ours, const Series& reference, const QString& note) {
    const double ratio = reference.median() > 0 ? ours.median() / reference.median() : 0.0;
    std::printf("%-34s %7d  %-24s  %-24s %6.2fx  %s\n", qPrintable(what), n, qPrintable(ours.text()),
                qPrintable(reference.text()), ratio, qPrintable(note));
    std::fflush(stdout);
}

void printNote(const QString& text) {
    std::printf("  %s\n", qPrintable(text));
    std::fflush(stdout);
}

PipeDrain::PipeDrain(const QString& path) {
    ::mkfifo(QFile::encodeName(path).constData(), 0600);
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
    m_thread = std::thread([this] {
        char buffer[65536];
        while (!m_stop) {
            pollfd p{m_fd, POLLIN, 0};
            // A read with nothing there yet fails with EAGAIN; the loop simply goes on.
            if (::poll(&p, 1, 20) > 0 && ::read(m_fd, buffer, sizeof buffer) <= 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
}

PipeDrain::~PipeDrain() {
    m_stop = true;
    m_thread.join();
    ::close(m_fd);
}

} // namespace verdane::bench
