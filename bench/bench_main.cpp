// Times the program's work on synthetic libraries next to a reference program run on the same data in the same run,
// and prints each figure with the ratio between them. Machines are shared and noisy: read the ratios and medians.
//
//   verdane-bench [--sizes 1000,10000,100000] [--runs 5] [--data DIR]

#include "chat/ChatCommands.h"
#include "chat/ChatWindow.h"
#include "core/CatalogueModel.h"
#include "core/GroupNames.h"
#include "core/Settings.h"
#include "core/SnippetSearch.h"
#include "core/SnippetStore.h"
#include "ui/find/FindWindow.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"
#include "ui/main/VbHighlighter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeView>

#include "LibraryGenerator.h"
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace verdane;

namespace {

double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Milliseconds of each of runs calls of work, after one call that warms caches.
std::vector<double> timeRuns(int runs, const std::function<void()>& work) {
    work();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

qint64 peakResidentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The measured side runs in a process of its own, so that its peak memory is the program's alone.
int childTree(const QString& dir, int runs) {
    SnippetStore store(dir);
    MainWindow main(store);
    const double build = median(timeRuns(runs, [&] { main.LoadCodeTree(); }));
    main.show();
    main.treeView()->expandAll();
    QApplication::processEvents();
    std::printf("tree_ms %.3f\nnodes %d\npeak_kb %lld\n", build, main.catalogue().nodeCount(), peakResidentKb());
    return 0;
}

// The searches of the Find window, through the window itself: the first one reads every snippet into memory, the
// timed ones after it are warm.
const QStringList kNeedles{QStringLiteral("XyzzyPlugh"), QStringLiteral("Beep"), QStringLiteral("SendMessage(h"),
                           QStringLiteral("If"), QStringLiteral("Zq")};

int childFind(const QString& dir, int runs) {
    SnippetStore store(dir);
    MainWindow main(store);
    main.LoadCodeTree();
    main.show();
    main.mnuFileFind_Click();
    FindWindow* find = main.findWindow();
    auto* text = find->findChild<QLineEdit*>(QStringLiteral("txtFind"));
    QApplication::processEvents();
    for (int i = 0; i < kNeedles.size(); ++i) {
        text->setText(kNeedles[i]);
        find->cmdFind_Click();
        if (i == 0)
            std::printf("cold_ms %.3f\n", find->lastTiming().totalMs);
        std::vector<double> total, first;
        for (int r = 0; r < runs; ++r) {
            find->cmdFind_Click();
            total.push_back(find->lastTiming().totalMs);
            first.push_back(find->lastTiming().firstHitMs);
        }
        std::printf("total%d %.3f\nfirst%d %.3f\nhits%d %d\n", i, median(total), i, median(first), i,
                    find->lastTiming().hits);
    }
    std::printf("peak_kb %lld\n", peakResidentKb());
    return 0;
}

// A 20 MB snippet shown in the pane with highlighting off, then on: the time until it is on screen, and with
// highlighting the time until every line has its colours and the longest the window went without taking input.
int childHighlight(int runs) {
    QString code;
    for (int i = 0; code.size() < 20 * 1024 * 1024; ++i)
        code += QStringLiteral("    If nCount%1 > 10 Then s = s & \"text \"\"quoted\"\" \" & CStr(&H1F&) ' note %1\r\n")
                    .arg(i);
    for (const bool on : {false, true}) {
        CodeView pane;
        pane.resize(800, 600);
        pane.show();
        pane.setHighlighting(on);
        QApplication::processEvents();
        double complete = 0, pause = 0;
        std::vector<double> shownTimes;
        for (int run = 0; run <= runs; ++run) { // the first run warms up
            pane.setCode(QString());
            QElapsedTimer clock;
            clock.start();
            pane.setCode(code);
            pane.repaint();
            const double onScreen = double(clock.nsecsElapsed()) / 1e6;
            if (on) {
                while (!pane.highlighter()->isComplete()) {
                    QElapsedTimer slice;
                    slice.start();
                    QApplication::processEvents();
                    pause = std::max(pause, double(slice.nsecsElapsed()) / 1e6);
                }
                complete = double(clock.nsecsElapsed()) / 1e6;
            }
            if (run > 0)
                shownTimes.push_back(onScreen);
        }
        std::printf("%s_ms %.3f\n", on ? "on" : "off", median(shownTimes));
        if (on)
            std::printf("complete_ms %.3f\npause_ms %.3f\n", complete, pause);
    }
    return 0;
}

// A reader standing in for WeeChat: drains a pipe as fast as it fills, on a thread of its own.
class PipeDrain {
public:
    explicit PipeDrain(const QString& path) {
        ::mkfifo(QFile::encodeName(path).constData(), 0600);
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK);
        m_thread = std::thread([this] {
            char buffer[65536];
            while (!m_stop) {
                pollfd p{m_fd, POLLIN, 0};
                if (::poll(&p, 1, 20) > 0) {
                    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
                    if (n > 0)
                        m_bytes += n;
                }
            }
        });
    }
    ~PipeDrain() {
        m_stop = true;
        m_thread.join();
        ::close(m_fd);
    }

private:
    int m_fd = -1;
    std::atomic<bool> m_stop{false};
    std::atomic<qint64> m_bytes{0};
    std::thread m_thread;
};

QString thousandLineSnippet() {
    QString code;
    for (int i = 1; i <= 1000; ++i)
        code += QStringLiteral("    strLine = strLine & \"line %1 of the snippet\" ' comment\r\n").arg(i);
    return code;
}

// A 1,000-line snippet sent through the chat window into a pipe that is read as fast as it fills.
int childChat(const QString& dir, int runs) {
    QTemporaryDir pipes;
    const QString pipe = pipes.filePath(QStringLiteral("weechat_fifo_bench"));
    PipeDrain drain(pipe);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, pipes.path());
    settings::write(settings::ChatServiceName, QStringLiteral("bench ") + pipe);
    SnippetStore store(dir);
    MainWindow main(store);
    main.codeView()->setCode(thousandLineSnippet());
    main.mnuFileExportmIRCChat_Click();
    ChatWindow* chat = main.chatWindow();
    chat->findChild<QLineEdit*>(QStringLiteral("txtNickChannel"))->setText(QStringLiteral("alice"));
    std::printf("send_ms %.3f\n", median(timeRuns(runs, [&] { chat->cmdSend_Click(); })));
    return 0;
}

QMap<QString, double> runChild(const QStringList& arguments) {
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains(QStringLiteral("QT_QPA_PLATFORM")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
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

// The sqlite3 shell reading every snippet name of both files, output thrown away.
std::vector<double> sqliteShellNames(const QString& dir, int runs) {
    QStringList statements{QStringLiteral("ATTACH '%1' AS user;").arg(QDir(dir).filePath(kUserFileName))};
    for (const QString& group : groupNames())
        statements << QStringLiteral("SELECT CodeName FROM \"%1\";").arg(group);
    statements << QStringLiteral("SELECT CodeName FROM user.UserCode;");
    const QString sql = statements.join(QLatin1Char(' '));
    return timeRuns(runs, [&] {
        QProcess shell;
        shell.setStandardOutputFile(QProcess::nullDevice());
        shell.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), QDir(dir).filePath(kLibraryFileName), sql});
        shell.waitForFinished(-1);
    });
}

// Every snippet's code in one text file, as ripgrep would be given it; returns the code's size in bytes.
qint64 writeCodeText(const QString& dir, const QString& path) {
    if (QFileInfo::exists(path))
        return QFileInfo(path).size();
    SnippetStore store(dir);
    store.reopenDatabases();
    QFile out(path);
    out.open(QIODevice::WriteOnly);
    auto write = [&](const QString&, const QString& code) {
        out.write(code.toUtf8());
        out.write("\n");
        return true;
    };
    for (const QString& group : groupNames())
        store.scanSnippets(Database::Library, group, write);
    store.scanSnippets(Database::User, kUserCodeTable, write);
    return out.size();
}

std::vector<double> timeCommand(int runs, const QString& program, const QStringList& arguments) {
    return timeRuns(runs, [&] {
        QProcess process;
        process.setStandardOutputFile(QProcess::nullDevice());
        process.start(program, arguments);
        process.waitForFinished(-1);
    });
}

std::vector<double> sqliteShellLike(const QString& dir, const QString& needle, int runs) {
    QStringList statements{QStringLiteral("ATTACH '%1' AS user;").arg(QDir(dir).filePath(kUserFileName))};
    for (const QString& group : groupNames())
        statements << QStringLiteral("SELECT CodeName FROM \"%1\" WHERE Code LIKE '%%2%';").arg(group, needle);
    statements << QStringLiteral("SELECT CodeName FROM user.UserCode WHERE Code LIKE '%%1%';").arg(needle);
    return timeCommand(
        runs, QStringLiteral("sqlite3"),
        {QStringLiteral("-batch"), QDir(dir).filePath(kLibraryFileName), statements.join(QLatin1Char(' '))});
}

void printRow(const QString& what, int n, double ours, double reference, const QString& extra = {}) {
    std::printf("%-28s %8d %12.2f ms %12.2f ms %8.2fx  %s\n", qPrintable(what), n, ours, reference,
                reference > 0 ? ours / reference : 0.0, qPrintable(extra));
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && QByteArray(argv[1]) == "--child") {
        QApplication app(argc, argv);
        const QStringList args = app.arguments();
        if (args.size() == 5 && args[2] == QStringLiteral("tree"))
            return childTree(args[3], args[4].toInt());
        if (args.size() == 5 && args[2] == QStringLiteral("find"))
            return childFind(args[3], args[4].toInt());
        if (args.size() == 4 && args[2] == QStringLiteral("highlight"))
            return childHighlight(args[3].toInt());
        if (args.size() == 5 && args[2] == QStringLiteral("chat"))
            return childChat(args[3], args[4].toInt());
        return 2;
    }

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption sizesOption(QStringLiteral("sizes"), QStringLiteral("Library sizes."),
                                         QStringLiteral("list"), QStringLiteral("1000,10000,100000"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Timed runs per figure."),
                                        QStringLiteral("n"), QStringLiteral("5"));
    const QCommandLineOption dataOption(QStringLiteral("data"), QStringLiteral("Where generated libraries are kept."),
                                        QStringLiteral("dir"), QDir::current().filePath(QStringLiteral("bench-data")));
    parser.addOptions({sizesOption, runsOption, dataOption});
    parser.process(app);
    const int runs = qMax(1, parser.value(runsOption).toInt());

    if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty()) {
        std::fputs("verdane-bench: the sqlite3 shell is needed as the reference (apt-get install sqlite3)\n", stderr);
        return 1;
    }

    std::printf("%-28s %8s %15s %15s %9s\n", "figure", "N", "Verdane", "reference", "ratio");
    for (const QString& size : parser.value(sizesOption).split(QLatin1Char(','))) {
        const int n = size.toInt();
        QString error;
        const QString dir = bench::cachedLibrary(parser.value(dataOption), n, &error);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "verdane-bench: cannot generate %d snippets: %s\n", n, qPrintable(error));
            return 1;
        }
        const auto tree = runChild({QStringLiteral("tree"), dir, QString::number(runs)});
        const double shell = median(sqliteShellNames(dir, runs));
        printRow(QStringLiteral("tree build vs sqlite3 names"), n, tree.value(QStringLiteral("tree_ms")), shell,
                 QStringLiteral("peak memory %1 MB with the tree shown")
                     .arg(tree.value(QStringLiteral("peak_kb")) / 1024.0, 0, 'f', 1));
        std::fflush(stdout);

        const QString codeFile = QDir(dir).filePath(QStringLiteral("code.txt"));
        const qint64 codeBytes = writeCodeText(dir, codeFile);
        const auto find = runChild({QStringLiteral("find"), dir, QString::number(runs)});
        std::printf("  first search, which reads every snippet into memory: %.0f ms\n",
                    find.value(QStringLiteral("cold_ms")));
        for (int i = 0; i < kNeedles.size(); ++i) {
            const QString key = QString::number(i);
            const double ours = find.value(QStringLiteral("total") + key);
            const double rg = median(
                timeCommand(runs, QStringLiteral("rg"),
                            {QStringLiteral("-i"), QStringLiteral("-F"), QStringLiteral("-c"), kNeedles[i], codeFile}));
            const double like = median(sqliteShellLike(dir, kNeedles[i], qMin(runs, 3)));
            const double first = find.value(QStringLiteral("first") + key);
            const QString hits =
                QStringLiteral("\"%1\": %2 hits").arg(kNeedles[i]).arg(find.value(QStringLiteral("hits") + key)) +
                (first >= 0 ? QStringLiteral(", the first on screen after %1 ms").arg(first, 0, 'f', 1) : QString());
            printRow(QStringLiteral("find vs rg -i -F -c"), n, ours, rg, hits);
            printRow(QStringLiteral("find vs sqlite3 LIKE"), n, ours, like);
        }
        const double peakMb = find.value(QStringLiteral("peak_kb")) / 1024.0;
        std::printf("  code text %.1f MB; peak memory after the searches %.1f MB (%.2fx the code text)\n",
                    double(codeBytes) / 1048576.0, peakMb, peakMb * 1048576.0 / double(codeBytes));
        std::fflush(stdout);
    }

    // Neither the highlighting nor the chat export depends on the library's size: once each.
    {
        const auto highlight = runChild({QStringLiteral("highlight"), QString::number(qMin(runs, 3))});
        printRow(QStringLiteral("20 MB shown, colours vs none"), 1, highlight.value(QStringLiteral("on_ms")),
                 highlight.value(QStringLiteral("off_ms")),
                 QStringLiteral("all lines coloured after %1 ms, the longest pause meanwhile %2 ms")
                     .arg(highlight.value(QStringLiteral("complete_ms")), 0, 'f', 0)
                     .arg(highlight.value(QStringLiteral("pause_ms")), 0, 'f', 1));
        std::fflush(stdout);
    }
    {
        QString error;
        const QString dir = bench::cachedLibrary(parser.value(dataOption), 1000, &error);
        const auto chat = runChild({QStringLiteral("chat"), dir, QString::number(runs)});
        // The reference hands the same command lines to a pipe in one go.
        QTemporaryDir pipes;
        const QString pipe = pipes.filePath(QStringLiteral("fifo"));
        PipeDrain drain(pipe);
        const QString linesFile = pipes.filePath(QStringLiteral("lines"));
        QFile lines(linesFile);
        lines.open(QIODevice::WriteOnly);
        for (const QString& line : chatCommandLines(QStringLiteral("alice"), QString(), thousandLineSnippet()))
            lines.write("*" + line.toUtf8() + "\n");
        lines.close();
        const double cat =
            median(timeCommand(runs, QStringLiteral("sh"),
                               {QStringLiteral("-c"), QStringLiteral("cat '%1' > '%2'").arg(linesFile, pipe)}));
        printRow(QStringLiteral("chat: 1,000 lines vs cat"), 1000, chat.value(QStringLiteral("send_ms")), cat,
                 QStringLiteral("through the chat window into a pipe read as it fills"));
    }
    return 0;
}
