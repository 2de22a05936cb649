// Times the program's work on synthetic libraries next to a reference program run on the same data in the same run,
// and prints each figure with the ratio between them. Machines are shared and noisy: read the ratios and medians.
//
//   verdane-bench [--sizes 1000,10000,100000] [--runs 5] [--data DIR]

#include "LibraryGenerator.h"

#include "core/CatalogueModel.h"
#include "core/GroupNames.h"
#include "core/SnippetStore.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTreeView>

#include <algorithm>
#include <cstdio>
#include <functional>

using namespace verdane;

namespace {

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Milliseconds of each of runs calls of work, after one call that warms caches.
std::vector<double> timeRuns(int runs, const std::function<void()>& work)
{
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

qint64 peakResidentKb()
{
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
int childTree(const QString& dir, int runs)
{
    SnippetStore store(dir);
    MainWindow main(store);
    const double build = median(timeRuns(runs, [&] { main.LoadCodeTree(); }));
    main.show();
    main.treeView()->expandAll();
    QApplication::processEvents();
    std::printf("tree_ms %.3f\nnodes %d\npeak_kb %lld\n", build, main.catalogue().nodeCount(), peakResidentKb());
    return 0;
}

QMap<QString, double> runChild(const QStringList& arguments)
{
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
std::vector<double> sqliteShellNames(const QString& dir, int runs)
{
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

void printRow(const QString& what, int n, double ours, double reference, const QString& extra = {})
{
    std::printf("%-28s %8d %12.2f ms %12.2f ms %8.2fx  %s\n", qPrintable(what), n, ours, reference,
                reference > 0 ? ours / reference : 0.0, qPrintable(extra));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 2 && QByteArray(argv[1]) == "--child") {
        QApplication app(argc, argv);
        const QStringList args = app.arguments();
        if (args.size() == 5 && args[2] == QStringLiteral("tree"))
            return childTree(args[3], args[4].toInt());
        return 2;
    }

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption sizesOption(QStringLiteral("sizes"), QStringLiteral("Library sizes."), QStringLiteral("list"),
                                         QStringLiteral("1000,10000,100000"));
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
    }
    return 0;
}
