// Times the program's work on synthetic libraries next to a reference program run on the same data in the same run,
// and prints each figure (min / median / max of interleaved runs) with the ratio of the medians. Whole processes are
// compared with whole processes, work inside a process with work inside a process; cold runs apart from warm ones.
// Machines are shared and noisy: read the ratios and medians.
//
//   verdane-bench [--sizes 100000,300000] [--runs 7] [--data DIR] [--only terminal|windows|server|once|versus]
//                 [--versus OTHER-VERDANE-CLI]

#include "chat/ChatCommands.h"
#include "core/GroupNames.h"
#include "core/SqliteStore.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "BenchChildren.h"
#include "BenchServer.h"
#include "BenchSupport.h"
#include "LibraryGenerator.h"
#include <cstdio>

using namespace verdane;
using namespace verdane::bench;

namespace {

// Needles of every class the issue of speed depends on: length, rarity of their bytes, share of snippets hit. The
// generator plants the rare ones at known shares (see LibraryGenerator.h).
struct Needle {
    const char* text;
    const char* what;
};
constexpr Needle kNeedles[] = {
    {"qz", "2 chars, rare"},
    {"if", "2 chars, common"},
    {"jq", "2 chars, no hit"},
    {"jzq", "3 chars, rare"},
    {"dim", "3 chars, common"},
    {"zzq", "3 chars, no hit"},
    {"beep", "4 chars"},
    {"zjcookiemarker", "10+ rare"},
    {"sendmessage(h", "10+ common"},
    {"xyzzyplughqq", "10+ no hit"},
};

QString cliPath() {
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("verdane-cli"));
}

Command cli(const QString& dir, const QStringList& arguments) {
    return {cliPath(), QStringList{QStringLiteral("--data-dir"), dir} + arguments};
}

Command sqliteShell(const QString& database, const QString& sql) {
    return {QStringLiteral("sqlite3"), {QStringLiteral("-batch"), database, sql}};
}

QString namesSql(const QString& dir) {
    QStringList statements{QStringLiteral("ATTACH '%1' AS user;").arg(QDir(dir).filePath(kUserFileName))};
    for (const QString& group : groupNames())
        statements << QStringLiteral("SELECT CodeName FROM \"%1\";").arg(group);
    statements << QStringLiteral("SELECT CodeName FROM user.UserCode;");
    return statements.join(QLatin1Char(' '));
}

// Every snippet's code in one text file, as ripgrep would be given it.
QString writeDump(const QString& dir) {
    const QString path = QDir(dir).filePath(QStringLiteral("code.txt"));
    if (QFileInfo::exists(path))
        return path;
    SqliteStore store(dir);
    store.reopenDatabases();
    QFile out(path + QStringLiteral(".part"));
    out.open(QIODevice::WriteOnly);
    for (int table = 0; table < snippetTableCount(); ++table) {
        const SnippetRef where = snippetTable(table);
        store.scanSnippetBytes(where.database, where.table, [&](qint64, const QString&, QByteArrayView code) {
            out.write(code.data(), code.size());
            out.write("\n");
            return true;
        });
    }
    out.close();
    QFile::rename(out.fileName(), path);
    return path;
}

int countLines(const Command& command, const QProcessEnvironment& env) {
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(command.program, command.arguments);
    process.waitForFinished(-1);
    return int(process.readAllStandardOutput().count('\n'));
}

double launchToPaint(const QString& dir, const QProcessEnvironment& env) {
    QProcess child;
    child.setProcessEnvironment(env);
    QElapsedTimer clock;
    clock.start();
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--child"), QStringLiteral("launch"), dir});
    while (!child.readAllStandardOutput().contains("painted") && child.state() != QProcess::NotRunning)
        child.waitForReadyRead(-1);
    const double ms = double(clock.nsecsElapsed()) / 1e6;
    child.waitForFinished(-1);
    return ms;
}

void benchTerminal(const QString& dir, int n, int runs, const QProcessEnvironment& env, const QString& cacheDir) {
    std::printf("\nWhole processes: verdane-cli next to the sqlite3 shell and ripgrep, N = %d\n", n);
    const QString library = QDir(dir).filePath(kLibraryFileName);
    auto time = [&](const Command& c) { return [c, &env] { return timeProcess(c, env); }; };

    Pair p = interleaved(runs, time(cli(dir, {QStringLiteral("list")})), time(sqliteShell(library, namesSql(dir))));
    printRow(QStringLiteral("list vs sqlite3 names"), n, p.ours, p.reference);

    // A record in the middle of the last group, by name.
    QProcess pick;
    pick.start(QStringLiteral("sqlite3"),
               {library, QStringLiteral("SELECT CodeName FROM Window LIMIT 1 OFFSET (SELECT count(*)/2 FROM Window)")});
    pick.waitForFinished(-1);
    const QString middle = QString::fromUtf8(pick.readAllStandardOutput()).trimmed();
    const QString recordSql = QStringLiteral("SELECT Code FROM Window WHERE CodeName = '%1'")
                                  .arg(QString(middle).replace(QLatin1Char('\''), QStringLiteral("''")));
    p = interleaved(runs, time(cli(dir, {QStringLiteral("show"), QStringLiteral("Window"), middle})),
                    time(sqliteShell(library, recordSql)));
    printRow(QStringLiteral("show vs sqlite3 record"), n, p.ours, p.reference);

    QTemporaryDir out;
    const QString exported = out.filePath(QStringLiteral("x.bas"));
    p = interleaved(
        runs, time(cli(dir, {QStringLiteral("export"), QStringLiteral("Window"), middle, exported})),
        time(sqliteShell(library, QStringLiteral("SELECT writefile('%1', Code) FROM Window WHERE CodeName = "
                                                 "'%2'")
                                      .arg(out.filePath(QStringLiteral("y.bas")),
                                           QString(middle).replace(QLatin1Char('\''), QStringLiteral("''"))))));
    printRow(QStringLiteral("export vs sqlite3 writefile"), n, p.ours, p.reference);

    // Imports go into a copy of the user's file, under a new name every time.
    QFile::copy(QDir(dir).filePath(kUserFileName), out.filePath(kUserFileName));
    int imports = 0;
    p = interleaved(
        runs,
        [&] {
            return timeProcess(
                cli(out.path(), {QStringLiteral("import"), QStringLiteral("Bench Import %1").arg(++imports), exported}),
                env);
        },
        [&] {
            return timeProcess(sqliteShell(out.filePath(kUserFileName),
                                           QStringLiteral("INSERT INTO UserCode VALUES ('Shell %1', readfile('%2'))")
                                               .arg(QString::number(imports), exported)),
                               env);
        });
    printRow(QStringLiteral("import vs sqlite3 insert"), n, p.ours, p.reference);

    const QString dump = writeDump(dir);
    const double snippets = double(n);
    for (const Needle& needle : kNeedles) {
        const QString text = QString::fromLatin1(needle.text);
        const int hits = countLines(cli(dir, {QStringLiteral("find"), text}), env);
        p = interleaved(runs, time(cli(dir, {QStringLiteral("find"), text})),
                        time({QStringLiteral("rg"),
                              {QStringLiteral("-i"), QStringLiteral("-F"), QStringLiteral("-c"), text, dump}}));
        printRow(QStringLiteral("find %1 vs rg").arg(QLatin1String(needle.what)), n, p.ours, p.reference,
                 QStringLiteral("\"%1\", %2 hits (%3%)").arg(text).arg(hits).arg(100.0 * hits / snippets, 0, 'g', 3));
    }
    // Cold: no cache file, so the search reads the databases (and writes the cache file again).
    const std::function<void()> removeCache = [&] { QDir(cacheDir).removeRecursively(); };
    for (const char* text : {"qz", "if"}) {
        p = interleaved(
            runs, time(cli(dir, {QStringLiteral("find"), QLatin1String(text)})),
            time({QStringLiteral("rg"),
                  {QStringLiteral("-i"), QStringLiteral("-F"), QStringLiteral("-c"), QLatin1String(text), dump}}),
            removeCache);
        printRow(QStringLiteral("find, no cache file, vs rg"), n, p.ours, p.reference,
                 QStringLiteral("\"%1\"").arg(QLatin1String(text)));
    }
    for (const char* text : {"if", ""}) {
        const qint64 anonKb = peakAnonymousKb(cli(dir, {QStringLiteral("find"), QLatin1String(text)}), env);
        printNote(QStringLiteral("find \"%1\": at most %2 MB of anonymous memory (the mapped cache file aside)")
                      .arg(QLatin1String(text))
                      .arg(double(anonKb) / 1024.0, 0, 'f', 1));
    }
}

// Warm find of this build next to another build of verdane-cli (an earlier one, say), each with a cache folder of its
// own: what a change to the search or its cache file costs.
void benchVersus(const QString& dir, int n, int runs, const QString& root, const QString& other) {
    std::printf("\nWhole processes: verdane-cli next to %s, warm find, N = %d\n", qPrintable(other), n);
    const QProcessEnvironment ours = benchEnvironment(root);
    const QProcessEnvironment theirs = benchEnvironment(QDir(root).filePath(QStringLiteral("versus")));
    for (const Needle& needle : kNeedles) {
        const QStringList arguments{QStringLiteral("--data-dir"), dir, QStringLiteral("find"),
                                    QString::fromLatin1(needle.text)};
        const Pair p = interleaved(
            runs,
            [&] {
                return timeProcess({cliPath(), arguments}, ours);
            },
            [&] {
                return timeProcess({other, arguments}, theirs);
            });
        printRow(QStringLiteral("find %1 vs the other build").arg(QLatin1String(needle.what)), n, p.ours, p.reference,
                 QStringLiteral("\"%1\"").arg(QLatin1String(needle.text)));
    }
}

void benchWindows(const QString& dir, int n, int runs, const QProcessEnvironment& env) {
    std::printf("\nThe program's windows, N = %d\n", n);
    const QString library = QDir(dir).filePath(kLibraryFileName);
    Pair p = interleaved(
        runs, [&] { return launchToPaint(dir, env); },
        [&] { return timeProcess(sqliteShell(library, namesSql(dir)), env); });
    printRow(QStringLiteral("launch to painted vs sqlite3 names"), n, p.ours, p.reference,
             QStringLiteral("whole processes"));

    const auto tree = runChild({QStringLiteral("tree"), dir, QString::number(runs)}, env);
    printRow(QStringLiteral("tree build vs a walk of the names"), n, fromChild(tree, QStringLiteral("tree")),
             fromChild(tree, QStringLiteral("walk")),
             QStringLiteral("in one process; peak memory %1 MB with the tree shown")
                 .arg(tree.value(QStringLiteral("peak_kb")) / 1024.0, 0, 'f', 1));

    QStringList needles;
    for (const Needle& needle : kNeedles)
        needles << QString::fromLatin1(needle.text);
    const QString dump = writeDump(dir);
    for (const char* state : {"cold", "warm"}) {
        const auto first =
            runChild({QStringLiteral("find"), dir, QString::number(1), QLatin1String(state), needles.first()}, env);
        printNote(QStringLiteral("first search of a run (%1 cache file): first hit on screen after %2 ms, all in %3 "
                                 "ms, the window never more than %4 ms without answering")
                      .arg(QLatin1String(qstrcmp(state, "cold") == 0 ? "no" : "a valid"))
                      .arg(first.value(QStringLiteral("first_hit")), 0, 'f', 1)
                      .arg(first.value(QStringLiteral("first_total")), 0, 'f', 1)
                      .arg(first.value(QStringLiteral("first_stall")), 0, 'f', 1));
    }
    const auto find = runChild(
        QStringList{QStringLiteral("find"), dir, QString::number(runs), QStringLiteral("warm")} + needles, env);
    for (int i = 0; i < needles.size(); ++i) {
        const QString key = QString::number(i);
        Series rg;
        for (int run = 0; run < runs; ++run)
            rg.ms.push_back(
                timeProcess({QStringLiteral("rg"),
                             {QStringLiteral("-i"), QStringLiteral("-F"), QStringLiteral("-c"), needles[i], dump}},
                            env));
        printRow(QStringLiteral("Find window %1 vs rg").arg(QLatin1String(kNeedles[i].what)), n,
                 fromChild(find, QStringLiteral("total") + key), rg,
                 QStringLiteral("warm, in the window; %1 hits, first after %2 ms, longest wait %3 ms")
                     .arg(find.value(QStringLiteral("hits") + key))
                     .arg(find.value(QStringLiteral("hit") + key), 0, 'f', 1)
                     .arg(find.value(QStringLiteral("stall") + key), 0, 'f', 1));
    }
    printNote(QStringLiteral("peak memory of the window process after the searches: %1 MB")
                  .arg(find.value(QStringLiteral("peak_kb")) / 1024.0, 0, 'f', 1));
}

void benchPaneAndChat(const QString& root, int runs, const QProcessEnvironment& env) {
    std::printf("\nOnce, whatever the library's size\n");
    const auto pane = runChild({QStringLiteral("pane"), QString::number(runs)}, env);
    printRow(QStringLiteral("20 MB shown, colours vs none"), 1, fromChild(pane, QStringLiteral("on")),
             fromChild(pane, QStringLiteral("off")),
             QStringLiteral("memory %1 MB, %2 MB with it, %3 MB after a small one again; all coloured after %4 ms, "
                            "the longest pause %5 ms")
                 .arg(pane.value(QStringLiteral("small_kb")) / 1024.0, 0, 'f', 1)
                 .arg(pane.value(QStringLiteral("big_kb")) / 1024.0, 0, 'f', 1)
                 .arg(pane.value(QStringLiteral("after_kb")) / 1024.0, 0, 'f', 1)
                 .arg(pane.value(QStringLiteral("complete_ms")), 0, 'f', 0)
                 .arg(pane.value(QStringLiteral("pause_ms")), 0, 'f', 1));

    QString error;
    const QString dir = cachedLibrary(root, 1000, &error);
    const auto chat = runChild({QStringLiteral("chat"), dir, QString::number(runs)}, env);
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
    Series cat;
    for (int run = 0; run < runs; ++run)
        cat.ms.push_back(timeProcess(
            {QStringLiteral("sh"), {QStringLiteral("-c"), QStringLiteral("cat '%1' > '%2'").arg(linesFile, pipe)}},
            env));
    printRow(QStringLiteral("chat: 1,000 lines vs cat"), 1000, fromChild(chat, QStringLiteral("send")), cat,
             QStringLiteral("through the chat window into a pipe read as it fills"));
}

int runAsChild(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString what = args.value(2);
    if (what == QLatin1String("tree") && args.size() == 5)
        return childTree(args[3], args[4].toInt());
    if (what == QLatin1String("launch") && args.size() == 4)
        return childLaunch(args[3]);
    if (what == QLatin1String("find") && args.size() >= 7)
        return childFind(args[3], args.mid(6), args[4].toInt(), args[5] == QLatin1String("cold"));
    if (what == QLatin1String("pane") && args.size() == 4)
        return childPane(args[3].toInt());
    if (what == QLatin1String("chat") && args.size() == 5)
        return childChat(args[3], args[4].toInt());
    if (what == QLatin1String("servertree") && args.size() == 6)
        return childServerTree(args[3], args[4], args[5].toInt());
    if (what == QLatin1String("notice") && args.size() == 5)
        return childNotice(args[3], args[4].toInt());
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && QByteArray(argv[1]) == "--child")
        return runAsChild(argc, argv);

    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption sizesOption(QStringLiteral("sizes"), QStringLiteral("Library sizes."),
                                         QStringLiteral("list"), QStringLiteral("100000,300000"));
    const QCommandLineOption runsOption(QStringLiteral("runs"), QStringLiteral("Timed runs per figure."),
                                        QStringLiteral("n"), QStringLiteral("7"));
    const QCommandLineOption dataOption(QStringLiteral("data"), QStringLiteral("Where generated libraries are kept."),
                                        QStringLiteral("dir"), QDir::current().filePath(QStringLiteral("bench-data")));
    const QCommandLineOption onlyOption(QStringLiteral("only"), QStringLiteral("terminal, windows, server or once."),
                                        QStringLiteral("part"));
    const QCommandLineOption versusOption(QStringLiteral("versus"),
                                          QStringLiteral("Another build of verdane-cli, timed beside this one."),
                                          QStringLiteral("program"));
    parser.addOptions({sizesOption, runsOption, dataOption, onlyOption, versusOption});
    parser.process(app);
    const int runs = qMax(1, parser.value(runsOption).toInt());
    const QString only = parser.value(onlyOption);
    for (const char* tool : {"sqlite3", "rg"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            std::fprintf(stderr, "verdane-bench: %s is needed as a reference (apt-get install sqlite3 ripgrep)\n",
                         tool);
            return 1;
        }
    }
    const QString root = parser.value(dataOption);
    const QProcessEnvironment env = benchEnvironment(root);
    const QString cacheDir = QDir(env.value(QStringLiteral("XDG_CACHE_HOME"))).filePath(QStringLiteral("Verdane"));

    printHeader();
    for (const QString& size : parser.value(sizesOption).split(QLatin1Char(','))) {
        const int n = size.toInt();
        QString error;
        const QString dir = cachedLibrary(root, n, &error);
        if (!error.isEmpty()) {
            std::fprintf(stderr, "verdane-bench: cannot generate %d snippets: %s\n", n, qPrintable(error));
            return 1;
        }
        if (only.isEmpty() || only == QLatin1String("terminal"))
            benchTerminal(dir, n, runs, env, cacheDir);
        if (only.isEmpty() || only == QLatin1String("windows"))
            benchWindows(dir, n, runs, env);
        if (only.isEmpty() || only == QLatin1String("server"))
            benchServer(dir, n, runs, env, cacheDir);
        if (parser.isSet(versusOption) && (only.isEmpty() || only == QLatin1String("versus")))
            benchVersus(dir, n, runs, root, parser.value(versusOption));
    }
    if (only.isEmpty() || only == QLatin1String("once"))
        benchPaneAndChat(root, qMin(runs, 5), env);
    return 0;
}
