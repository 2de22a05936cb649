#include "BenchServer.h"

#include "core/CatalogueModel.h"
#include "core/ChangeWatch.h"
#include "core/PostgresStore.h"
#include "core/SqliteStore.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>

#include "BenchSupport.h"
#include "scratchserver/ScratchServer.h"
#include <cstdio>

namespace verdane::bench {

namespace {

// Turns the event loop until done says so, for at most a few seconds.
bool waitFor(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return done();
}

} // namespace

int childServerTree(const QString& dir, const QString& url, int runs) {
    SqliteStore files(dir);
    PostgresStore server(url);
    MainWindow onFiles(files);
    MainWindow onServer(server);
    Series fromServer, fromFiles;
    for (int run = -1; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        onServer.LoadCodeTree();
        const double served = elapsedMs(clock);
        clock.start();
        onFiles.LoadCodeTree();
        const double filed = elapsedMs(clock);
        if (run >= 0) {
            fromServer.ms.push_back(served);
            fromFiles.ms.push_back(filed);
        }
    }
    printSeries(QStringLiteral("server"), fromServer);
    printSeries(QStringLiteral("files"), fromFiles);
    std::printf("nodes %d\nsame %d\n", onServer.catalogue().nodeCount(),
                int(onServer.catalogue().nodeCount() == onFiles.catalogue().nodeCount()));
    return 0;
}

int childNotice(const QString& url, int runs) {
    PostgresStore watched(url);
    MainWindow main(watched);
    main.LoadCodeTree();
    if (!waitFor([&] { return watched.watchChanges()->isConnected(); }))
        return 1;
    PostgresStore writer(url);
    writer.reopenDatabases();
    Series delay, rebuild;
    for (int run = -1; run < runs; ++run) {
        const int before = main.catalogue().nodeCount();
        if (!writer.addUserSnippet(QStringLiteral("Notice %1").arg(run), QStringLiteral("' a notice")))
            return 1;
        QElapsedTimer clock;
        clock.start();
        if (!waitFor([&] { return main.catalogue().nodeCount() > before; }))
            return 1;
        const double noticed = elapsedMs(clock);
        clock.start();
        main.LoadCodeTree();
        const double rebuilt = elapsedMs(clock);
        if (run >= 0) {
            delay.ms.push_back(noticed);
            rebuild.ms.push_back(rebuilt);
        }
        // Past the time in which notices are answered together, so that each is answered at once.
        QElapsedTimer pause;
        pause.start();
        waitFor([&] { return pause.elapsed() > 2 * ChangeWatch::kSettleMs; });
    }
    printSeries(QStringLiteral("notice"), delay);
    printSeries(QStringLiteral("rebuild"), rebuild);
    return 0;
}

void benchServer(const QString& dir, int n, int runs, const QProcessEnvironment& filesEnv, const QString& cacheDir) {
    std::printf("\nA team library on a local PostgreSQL server next to the same on the SQLite files, N = %d\n", n);
    scratch::ScratchServer server;
    if (!server.isRunning()) {
        printNote(QStringLiteral("no server: %1").arg(server.error()));
        return;
    }
    server.usePasswordFile();
    QProcessEnvironment env = filesEnv;
    env.insert(QStringLiteral("PGPASSFILE"), qEnvironmentVariable("PGPASSFILE"));
    QElapsedTimer clock;
    clock.start();
    const QString url = server.serveLibrary(dir);
    if (url.isEmpty()) {
        printNote(QStringLiteral("the library could not be loaded: %1").arg(server.error()));
        return;
    }
    printNote(QStringLiteral("loaded into the server in %1 s (verdane-cli init-server's way, with User Code)")
                  .arg(double(clock.elapsed()) / 1000.0, 0, 'f', 1));

    const auto tree = runChild({QStringLiteral("servertree"), dir, url, QString::number(runs)}, env);
    printRow(
        QStringLiteral("tree build, server vs files"), n, fromChild(tree, QStringLiteral("server")),
        fromChild(tree, QStringLiteral("files")),
        QStringLiteral("in one process, alternately; %1 nodes, %2 on both")
            .arg(tree.value(QStringLiteral("nodes")))
            .arg(tree.value(QStringLiteral("same")) > 0 ? QStringLiteral("the same") : QStringLiteral("NOT the same")));

    const QString cli = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("verdane-cli"));
    auto find = [&](const QStringList& where, const QString& needle) {
        return [=, &env] { return timeProcess({cli, where + QStringList{QStringLiteral("find"), needle}}, env); };
    };
    const QStringList onServer{QStringLiteral("--library"), url};
    const QStringList onFiles{QStringLiteral("--data-dir"), dir};
    const std::function<void()> removeCache = [&] { QDir(cacheDir).removeRecursively(); };
    for (const char* text : {"qz", "if"}) {
        const QString needle = QLatin1String(text);
        Pair p = interleaved(runs, find(onServer, needle), find(onFiles, needle), removeCache);
        printRow(QStringLiteral("find cold, server vs files"), n, p.ours, p.reference,
                 QStringLiteral("verdane-cli find \"%1\", whole processes").arg(needle));
        p = interleaved(runs, find(onServer, needle), find(onFiles, needle));
        printRow(QStringLiteral("find warm, server vs files"), n, p.ours, p.reference,
                 QStringLiteral("verdane-cli find \"%1\", whole processes").arg(needle));
    }

    const auto notice = runChild({QStringLiteral("notice"), url, QString::number(runs)}, env);
    printRow(QStringLiteral("commit to tree vs a rebuild"), n, fromChild(notice, QStringLiteral("notice")),
             fromChild(notice, QStringLiteral("rebuild")),
             QStringLiteral("one program imports, another's tree shows it; the reference is that tree's rebuild"));
}

} // namespace verdane::bench
