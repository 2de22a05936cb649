#include "core/CatalogueModel.h"
#include "core/CodeTree.h"
#include "core/GroupNames.h"
#include "core/PostgresStore.h"
#include "core/SqliteStore.h"
#include "support/UiSupport.h"
#include "ui/find/FindWindow.h"
#include "ui/main/MainWindow.h"
#include "ui/main/StatusBar.h"
#include "ui/startup/Startup.h"

#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include "scratchserver/ScratchServer.h"

using namespace verdane;
using namespace verdane::test;

namespace {

constexpr int kUserRoot = 2;
constexpr int kMathGroup = 4;
const QString kAlphaCode = QStringLiteral("Sub Alpha()\r\nEnd Sub");

ProgramRun cli(const QString& url, const QString& command) {
    QStringList arguments{QStringLiteral("--library"), url};
    for (const QString& word : command.split(QLatin1Char(' ')))
        arguments << (word == QLatin1String("UserCode") ? kUserCodeCaption : word);
    return runProgram(qEnvironmentVariable("VERDANE_CLI"), arguments, "' from another program");
}

QStringList userCaptions(MainWindow& main) {
    QStringList captions;
    const CatalogueModel& tree = main.catalogue();
    for (int node = 1; node <= tree.nodeCount(); ++node) {
        if (tree.parentNode(node) == kUserRoot)
            captions << tree.caption(node);
    }
    return captions;
}

bool expanded(MainWindow& main, int node) {
    return main.treeView()->isExpanded(main.catalogue().indexOfNode(node));
}

// The program started on a server, as main() starts it.
struct Program {
    explicit Program(const QString& url)
        : startup(std::make_unique<PostgresStore>(url))
        , main(startup.Main()) {
        if (!QTest::qWaitForWindowExposed(&main))
            qWarning("the main window was not exposed");
    }
    ~Program() { main.close(); }
    Startup startup;
    MainWindow& main;
};

} // namespace

class TestTeamWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_env = std::make_unique<UiEnvironment>();
        m_server = std::make_unique<scratch::ScratchServer>();
        QVERIFY2(m_server->isRunning(), qPrintable(m_server->error()));
        m_server->usePasswordFile();
    }

    void init() {
        m_env->reset();
        if (!m_server->isRunning())
            QVERIFY2(m_server->start(), qPrintable(m_server->error()));
    }

    // Another program's change shows in the tree by itself, and the user stays where they were: the open groups,
    // the current node (by its record), the pane's text and the Find window's hits.
    void othersChangesAppearInPlace_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("user");
        QTest::addColumn<bool>("shownStays");
        QTest::newRow("import") << "import Delta -" << QStringList{"Alpha", "Beta", "Gamma", "Delta"} << true;
        QTest::newRow("rename of another")
            << "rename UserCode Beta Bravo" << QStringList{"Alpha", "Bravo", "Gamma"} << true;
        QTest::newRow("rename of the shown")
            << "rename UserCode Alpha Ace" << QStringList{"Ace", "Beta", "Gamma"} << true;
        // The import after the edit shows when both have been followed.
        QTest::newRow("edit of the shown")
            << "edit UserCode Alpha -;import Delta -" << QStringList{"Alpha", "Beta", "Gamma", "Delta"} << true;
        QTest::newRow("delete of another") << "delete UserCode Gamma" << QStringList{"Alpha", "Beta"} << true;
        QTest::newRow("delete of the shown") << "delete UserCode Alpha" << QStringList{"Beta", "Gamma"} << false;
    }

    void othersChangesAppearInPlace() {
        QFETCH(QString, change);
        QFETCH(QStringList, user);
        QFETCH(bool, shownStays);
        const QString url = serve({{QStringLiteral("Alpha"), kAlphaCode},
                                   {QStringLiteral("Beta"), QStringLiteral("Sub Beta()\r\nEnd Sub")},
                                   {QStringLiteral("Gamma"), QStringLiteral("' gamma")}});
        Program program(url);
        MainWindow& main = program.main;
        main.treeView()->expand(main.catalogue().indexOfNode(kMathGroup));
        const int alpha = findNode(main, kUserCodeCaption, QStringLiteral("Alpha"));
        clickNode(main, alpha);
        QCOMPARE(paneText(main), kAlphaCode);
        const qint64 record = main.catalogue().recordOf(alpha);
        main.mnuFileFind_Click();
        FindWindow* find = main.findWindow();
        find->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(QStringLiteral("sub"));
        QVERIFY(search(find));
        const QStringList hits = find->results();
        QCOMPARE(hits.size(), 3);

        for (const QString& command : change.split(QLatin1Char(';')))
            QCOMPARE(cli(url, command).exitCode, 0);
        QTRY_COMPARE(userCaptions(main), user);
        QCOMPARE(paneText(main), kAlphaCode);
        const int current = main.selectedNode();
        QCOMPARE(current, shownStays ? main.catalogue().nodeOfRecord(snippetTableCount() - 1, record) : kUserRoot);
        QVERIFY(expanded(main, kMathGroup) && expanded(main, kUserRoot));
        QCOMPARE(find->results(), hits);
    }

    // A server down when the program starts, gone while it runs, or refusing the login: the status bar names it,
    // never the password; the window keeps what it shows, and once the server can be used again it fills and
    // follows changes by itself.
    void outageAndReturn_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("down at start-up") << "down";
        QTest::newRow("gone while running") << "gone";
        QTest::newRow("login refused") << "refused";
    }

    void outageAndReturn() {
        QFETCH(QString, fault);
        const QString url = serve({{QStringLiteral("Alpha"), kAlphaCode}});
        if (fault == QLatin1String("down"))
            QVERIFY(m_server->stop());
        if (fault == QLatin1String("refused"))
            qputenv("PGPASSWORD", "Wrong-Secret-3");
        Program program(url);
        MainWindow& main = program.main;
        const bool running = fault == QLatin1String("gone");
        QCOMPARE(userCaptions(main), running ? QStringList{"Alpha"} : QStringList());
        if (running)
            QVERIFY(m_server->kill());
        auto status = [&] { return main.statusBar()->statusText(); };
        QTRY_VERIFY_WITH_TIMEOUT(status().contains(url), 20000);
        QVERIFY2(!status().contains(QStringLiteral("Wrong-Secret")), qPrintable(status()));
        main.mnuViewRefresh_Click(); // what the window shows stays
        QCOMPARE(userCaptions(main), running ? QStringList{"Alpha"} : QStringList());

        qunsetenv("PGPASSWORD");
        if (!m_server->isRunning())
            QVERIFY2(m_server->start(), qPrintable(m_server->error()));
        QTRY_COMPARE_WITH_TIMEOUT(status(), QStringLiteral("Status"), 30000);
        QTRY_COMPARE(userCaptions(main), QStringList{"Alpha"});
        QCOMPARE(cli(url, QStringLiteral("import After -")).exitCode, 0);
        QTRY_COMPARE(userCaptions(main), (QStringList{"Alpha", "After"}));
    }

private:
    std::unique_ptr<UiEnvironment> m_env;
    std::unique_ptr<scratch::ScratchServer> m_server;

    // A team library on the server holding these snippets of the user's and a snippet in Math.
    QString serve(const QList<Record>& user) {
        LibraryFolder folder;
        folder.create({{QStringLiteral("Math"), {{QStringLiteral("Sum"), QStringLiteral("Sub Sum()")}}}}, user);
        return m_server->serveLibrary(folder.path());
    }
};

QTEST_MAIN(TestTeamWindow)
#include "tst_teamwindow.moc"
