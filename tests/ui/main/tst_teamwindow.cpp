#include "core/CatalogueModel.h"
#include "core/PostgresStore.h"
#include "support/UiSupport.h"
#include "ui/find/FindWindow.h"
#include "ui/main/StatusBar.h"
#include "ui/startup/Startup.h"

#include <QLineEdit>
#include <QTreeView>

#include "scratchserver/ScratchServer.h"

namespace {

constexpr int kUserRoot = 2;
constexpr int kMathGroup = 4;

QStringList userCaptions(MainWindow& main) {
    QStringList captions;
    for (int node = 1; node <= main.catalogue().nodeCount(); ++node)
        if (main.catalogue().parentNode(node) == kUserRoot)
            captions << main.catalogue().caption(node);
    return captions;
}

} // namespace

class TestTeamWindow : public QObject {
    Q_OBJECT

    UiEnvironment m_env;

private Q_SLOTS:
    void initTestCase() {
        m_server = std::make_unique<scratch::ScratchServer>();
        QVERIFY2(m_server->isRunning(), qPrintable(m_server->error()));
        m_server->usePasswordFile();
    }

    void init() { m_env.reset(); }

    // Another program's change shows in the tree by itself, and the user stays where they were: the open groups,
    // the current node (by its record), the pane's text and the Find window's hits. A server down when the program
    // starts, gone while it runs, or refusing the login is named in the status bar, never the password; the window
    // keeps what it shows, and once the server can be used again it fills and follows changes by itself.
    void followsTheServer_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("user");
        QTest::newRow("import") << "import Delta -" << QStringList{"Alpha", "Beta", "Gamma", "Delta"};
        QTest::newRow("rename of another") << "rename UserCode Beta Bravo" << QStringList{"Alpha", "Bravo", "Gamma"};
        QTest::newRow("rename of the shown") << "rename UserCode Alpha Ace" << QStringList{"Ace", "Beta", "Gamma"};
        // The import after the edit shows when both have been followed.
        QTest::newRow("edit of the shown")
            << "edit UserCode Alpha -;import Delta -" << QStringList{"Alpha", "Beta", "Gamma", "Delta"};
        QTest::newRow("delete of another") << "delete UserCode Gamma" << QStringList{"Alpha", "Beta"};
        QTest::newRow("delete of the shown") << "delete UserCode Alpha" << QStringList{"Beta", "Gamma"};
        QTest::newRow("down at start-up") << "down;import Delta -" << QStringList{"Alpha", "Beta", "Gamma", "Delta"};
        QTest::newRow("gone while running") << "gone;delete UserCode Gamma" << QStringList{"Alpha", "Beta"};
        QTest::newRow("login refused") << "refused;rename UserCode Alpha Ace" << QStringList{"Ace", "Beta", "Gamma"};
    }

    void followsTheServer() {
        QFETCH(QString, steps);
        QFETCH(QStringList, user);
        // A fault of the server's comes first, then the other program's commands.
        QStringList commands = steps.split(';');
        const QString fault = QStringList{"down", "gone", "refused"}.contains(commands[0]) ? commands.takeFirst() : "";
        LibraryFolder folder({{"Math", {{"Sum", "Sub Sum()"}}}},
                             {{"Alpha", "Sub Alpha()"}, {"Beta", "Sub Beta()"}, {"Gamma", "' gamma"}});
        const QString url = m_server->serveLibrary(folder.path());
        if (fault == "down")
            QVERIFY(m_server->stop());
        if (fault == "refused")
            qputenv("PGPASSWORD", "Wrong-Secret-3");
        Startup startup(std::make_unique<PostgresStore>(url));
        MainWindow& main = startup.Main();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        const QStringList shown = userCaptions(main);
        QCOMPARE(shown.size(), fault == "down" || fault == "refused" ? 0 : 3);
        if (!fault.isEmpty()) {
            if (fault == "gone")
                QVERIFY(m_server->kill());
            auto status = [&] { return main.statusBar()->statusText(); };
            QTRY_VERIFY_WITH_TIMEOUT(status().contains(url), 20000);
            QVERIFY2(!status().contains("Wrong-Secret"), qPrintable(status()));
            main.mnuViewRefresh_Click();
            QCOMPARE(userCaptions(main), shown);
            qunsetenv("PGPASSWORD");
            QVERIFY2(fault == "refused" || m_server->start(), qPrintable(m_server->error()));
            QTRY_COMPARE_WITH_TIMEOUT(status(), "Status", 30000);
            QTRY_COMPARE(userCaptions(main).size(), 3);
        }

        main.treeView()->expand(main.catalogue().indexOfNode(kMathGroup));
        const int alpha = findNode(main, kUserCodeCaption, "Alpha");
        clickNode(main, alpha);
        const qint64 record = main.catalogue().recordOf(alpha);
        main.mnuFileFind_Click();
        child<QLineEdit>(main.findWindow(), "txtFind")->setText("sub");
        QVERIFY(search(main.findWindow()));
        const QStringList hits = main.findWindow()->results();
        QCOMPARE(hits.size(), 3);
        for (const QString& command : commands) {
            QStringList words{"--library", url};
            words << command.split(' ').replaceInStrings("UserCode", kUserCodeCaption);
            QCOMPARE(runProgram(qEnvironmentVariable("VERDANE_CLI"), words, "' other").exitCode, 0);
        }
        QTRY_COMPARE(userCaptions(main), user);
        QCOMPARE(paneText(main), "Sub Alpha()");
        const int now = main.catalogue().nodeOfRecord(snippetTableCount() - 1, record);
        QCOMPARE(main.selectedNode(), steps == "delete UserCode Alpha" ? kUserRoot : now);
        for (int open : {kMathGroup, kUserRoot})
            QVERIFY(main.treeView()->isExpanded(main.catalogue().indexOfNode(open)));
        QCOMPARE(main.findWindow()->results(), hits);
    }

private:
    std::unique_ptr<scratch::ScratchServer> m_server;
};

QTEST_MAIN(TestTeamWindow)
#include "tst_teamwindow.moc"
