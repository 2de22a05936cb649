#pragma once

#include <QElapsedTimer>
#include <QMap>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace verdane::bench {

// Milliseconds of repeated runs of one thing.
struct Series {
    std::vector<double> ms;
    double min() const;
    double median() const;
    double max() const;
    QString text() const; // "min / median / max"
};

// The environment every measured process runs in: its cache and settings under root, offscreen windows.
QProcessEnvironment benchEnvironment(const QString& root);

// One whole process, from start to exit, its output thrown away.
struct Command {
    QString program;
    QStringList arguments;
};
double timeProcess(const Command& command, const QProcessEnvironment& env);
// The largest anonymous memory (KB) the process held, sampled while it ran.
qint64 peakAnonymousKb(const Command& command, const QProcessEnvironment& env);

// Runs a and b runs times each, alternately (a, b, a, b, ...), after one unmeasured run of each, so that both meet
// the same moments of a noisy machine. before, when given, runs ahead of every measured run of a (to make a cold).
struct Pair {
    Series ours;
    Series reference;
};
Pair interleaved(int runs, const std::function<double()>& a, const std::function<double()>& b,
                 const std::function<void()>& before = {});

// A child process of the benchmark itself, which prints "key value" lines; returns them.
QMap<QString, double> runChild(const QStringList& arguments, const QProcessEnvironment& env);
// A child prints a series as KEY_min, KEY_ms (the median) and KEY_max; the driver reads it back.
void printSeries(const QString& key, const Series& s);
Series fromChild(const QMap<QString, double>& values, const QString& key);
double elapsedMs(const QElapsedTimer& clock);

// One line of the table: ours next to the reference, with the ratio of the medians.
void printHeader();
void printRow(const QString& what, int n, const Series& ours, const Series& reference, const QString& note = {});
void printNote(const QString& text);

// A reader standing in for WeeChat: makes a named pipe and drains it as fast as it fills, on a thread of its own.
class PipeDrain {
public:
    explicit PipeDrain(const QString& path);
    ~PipeDrain();
    PipeDrain(const PipeDrain&) = delete;
    PipeDrain& operator=(const PipeDrain&) = delete;

private:
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace verdane::bench
