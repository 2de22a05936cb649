// The measured sides that run inside a process of the benchmark's own, with the program's windows: each prints
// "key value" lines for the driver, and its peak memory is its own.

#include "BenchChildren.h"

#include "core/CatalogueModel.h"
#include "core/Settings.h"
#include "core/SnippetRef.h"
#include "core/SqliteStore.h"
#include "ui/chat/ChatWindow.h"
#include "ui/find/FindWindow.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"
#include "ui/startup/Startup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include "BenchSupport.h"
#include <cstdio>
#include <cstdlib>

namespace verdane::bench {

namespace {

// A figure of this process's memory from /proc/self/status, in kB: VmHWM the peak, VmRSS what it holds now.
qint64 memoryKb(const QByteArray& field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field + ':'))
            return line.mid(field.size() + 1).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// The longest the event loop went without turning while something ran: how long a click would have waited.
class StallMeter {
public:
    StallMeter() {
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, elapsedMs(m_since));
            m_since.start();
        });
    }
    void start() {
        m_longest = 0;
        m_since.start();
        m_timer.start();
    }
    double stop() {
        m_timer.stop();
        return std::max(m_longest, elapsedMs(m_since));
    }

private:
    QTimer m_timer;
    QElapsedTimer m_since;
    double m_longest = 0;
};

FindWindow::SearchTiming searchThroughTheWindow(FindWindow* find, const QString& needle, StallMeter& stalls,
                                                double* stall) {
    find->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(needle);
    stalls.start();
    find->cmdFind_Click();
    while (find->isSearching())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    *stall = stalls.stop();
    return find->lastTiming();
}

// Shows a text in the pane and paints it, as a click on a snippet does; returns the milliseconds until it is on
// screen.
double showCode(CodeView& pane, const QString& code) {
    QElapsedTimer clock;
    clock.start();
    pane.setCode(code);
    pane.repaint();
    const double ms = elapsedMs(clock);
    QApplication::processEvents();
    return ms;
}

} // namespace

QString thousandLineSnippet() {
    QString code;
    for (int i = 1; i <= 1000; ++i)
        code += QStringLiteral("    strLine = strLine & \"line %1 of the snippet\" ' comment\r\n").arg(i);
    return code;
}

int childTree(const QString& dir, int runs) {
    SqliteStore store(dir);
    MainWindow main(store);
    // The reference walks the same names without building anything, through the same connection.
    Series build, walk;
    for (int run = -1; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        main.LoadCodeTree();
        const double built = elapsedMs(clock);
        clock.start();
        qint64 bytes = 0;
        for (int table = 0; table < snippetTableCount(); ++table) {
            const SnippetRef where = snippetTable(table);
            store.listNameBytes(where.database, where.table, [&](QByteArrayView name) { bytes += name.size(); });
        }
        const double walked = elapsedMs(clock);
        if (run >= 0 && bytes > 0) {
            build.ms.push_back(built);
            walk.ms.push_back(walked);
        }
    }
    main.show();
    main.treeView()->expandAll();
    QApplication::processEvents();
    printSeries(QStringLiteral("tree"), build);
    printSeries(QStringLiteral("walk"), walk);
    std::printf("nodes %d\npeak_kb %lld\n", main.catalogue().nodeCount(), memoryKb("VmHWM"));
    return 0;
}

int childLaunch(const QString& dir) {
    // Started as the program starts; the parent's clock runs from the process start to this line.
    Startup startup(dir);
    MainWindow& main = startup.Main();
    struct FirstPaint : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint) {
                QTimer::singleShot(0, [] {
                    std::fputs("painted\n", stdout);
                    std::fflush(stdout);
                    std::_Exit(0);
                });
            }
            return false;
        }
    } watcher;
    main.installEventFilter(&watcher);
    main.update();
    return QApplication::exec();
}

int childFind(const QString& dir, const QStringList& needles, int runs, bool cold) {
    if (cold)
        QDir(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
                 .filePath(QStringLiteral("Verdane")))
            .removeRecursively();
    Startup startup(dir);
    MainWindow& main = startup.Main();
    main.mnuFileFind_Click();
    FindWindow* find = main.findWindow();
    QApplication::processEvents();
    StallMeter stalls;
    double stall = 0;
    const FindWindow::SearchTiming first = searchThroughTheWindow(find, needles.first(), stalls, &stall);
    std::printf("first_total %.3f\nfirst_hit %.3f\nfirst_stall %.3f\n", first.totalMs, first.firstHitMs, stall);
    for (int i = 0; i < needles.size(); ++i) {
        Series total, firstHit, stalled;
        int hits = 0;
        for (int run = 0; run < runs; ++run) {
            const FindWindow::SearchTiming t = searchThroughTheWindow(find, needles[i], stalls, &stall);
            total.ms.push_back(t.totalMs);
            firstHit.ms.push_back(t.firstHitMs);
            stalled.ms.push_back(stall);
            hits = t.hits;
        }
        printSeries(QStringLiteral("total%1").arg(i), total);
        std::printf("hit%d %.3f\nstall%d %.3f\nhits%d %d\n", i, firstHit.median(), i, stalled.max(), i, hits);
    }
    std::printf("peak_kb %lld\n", memoryKb("VmHWM"));
    return 0;
}

// A 20 MB snippet in the pane: the memory the process holds with a small snippet shown, with the big one, and with a
// small one again; then, with highlighting off and on, the time until the big one is on screen.
int childPane(int runs) {
    QString code;
    for (int i = 0; code.size() < 20 * 1024 * 1024; ++i)
        code += QStringLiteral("    If nCount%1 > 10 Then s = s & \"text \"\"quoted\"\" \" & CStr(&H1F&) ' note %1\r\n")
                    .arg(i);
    const QString small = code.left(2000);
    {
        CodeView pane;
        pane.resize(800, 600);
        pane.show();
        pane.setHighlighting(true);
        showCode(pane, small);
        const qint64 before = memoryKb("VmRSS");
        showCode(pane, code);
        const qint64 big = memoryKb("VmRSS");
        showCode(pane, small);
        std::printf("small_kb %lld\nbig_kb %lld\nafter_kb %lld\n", before, big, memoryKb("VmRSS"));
    }
    for (const bool on : {false, true}) {
        CodeView pane;
        pane.resize(800, 600);
        pane.show();
        pane.setHighlighting(on);
        QApplication::processEvents();
        Series shown;
        for (int run = -1; run < runs; ++run) {
            showCode(pane, small);
            const double ms = showCode(pane, code);
            if (run >= 0)
                shown.ms.push_back(ms);
        }
        printSeries(on ? QStringLiteral("on") : QStringLiteral("off"), shown);
        if (!on)
            continue;
        // The lines out of sight are coloured while the window waits for input.
        QElapsedTimer clock;
        clock.start();
        double pause = 0;
        while (pane.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED) <
               pane.SendScintilla(QsciScintillaBase::SCI_GETLENGTH)) {
            QElapsedTimer slice;
            slice.start();
            QApplication::processEvents();
            pause = std::max(pause, elapsedMs(slice));
        }
        std::printf("complete_ms %.3f\npause_ms %.3f\n", elapsedMs(clock), pause);
    }
    return 0;
}

int childChat(const QString& dir, int runs) {
    QTemporaryDir pipes;
    const QString pipe = pipes.filePath(QStringLiteral("weechat_fifo_bench"));
    PipeDrain drain(pipe);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, pipes.path());
    settings::write(settings::ChatServiceName, QStringLiteral("bench ") + pipe);
    SqliteStore store(dir);
    MainWindow main(store);
    main.codeView()->setCode(thousandLineSnippet());
    main.mnuFileExportmIRCChat_Click();
    ChatWindow* chat = main.chatWindow();
    chat->findChild<QLineEdit*>(QStringLiteral("txtNickChannel"))->setText(QStringLiteral("alice"));
    Series send;
    for (int run = -1; run < runs; ++run) {
        QElapsedTimer clock;
        clock.start();
        chat->cmdSend_Click();
        if (run >= 0)
            send.ms.push_back(elapsedMs(clock));
    }
    printSeries(QStringLiteral("send"), send);
    return 0;
}

} // namespace verdane::bench
