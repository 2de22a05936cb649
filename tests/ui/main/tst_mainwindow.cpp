#include "core/CatalogueModel.h"
#include "core/GroupNames.h"
#include "core/Placement.h"
#include "core/SnippetStore.h"
#include "platform/Clipboard.h"
#include "platform/Shell.h"
#include "support/UiSupport.h"
#include "ui/chat/ChatWindow.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Printer.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainToolBar.h"
#include "ui/main/MainWindow.h"
#include "ui/main/SplitterStrip.h"
#include "ui/main/StatusBar.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

using namespace verdane;
using namespace verdane::test;

namespace {

const QString kMath = "Math";
const QString kSumCode = "' Adds two numbers\r\nPublic Function Sum(a, b)\r\n    Sum = a + b\r\nEnd Function";

QMap<QString, QList<Record>> library() {
    return {{kMath, {{"Sum", kSumCode}, {"Twice", "first\r\ncode"}, {"Twice", "second"}, {"Broken", QVariant()}}},
            {"File", {{"Read", "Open f For Input As #1"}}}};
}

QList<Record> userSnippets() {
    return {{"Sum", "' my own sum"}, {"User Code", "' named like the root"}};
}

QString pdfText(const QString& path) {
    QProcess p;
    p.start("pdftotext", {"-layout", path, "-"});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_env = std::make_unique<UiEnvironment>();
        shell::recordInsteadOfOpening(&m_opened);
    }
    void init() {
        m_env->reset();
        m_opened.clear();
        clipboard::setText("before");
    }

    // Only the user picks: clicks and the arrow keys show what they land on, a click again reads the record again;
    // a rebuild, the window coming back to the front or Tab never change what the pane shows.
    void onlyTheUsersPicksChangeThePane() {
        Session s(library(), userSnippets());
        MainWindow& main = s.main();
        QTreeView* tree = main.treeView();
        const int read = findNode(main, "File", "Read");
        clickNode(main, read);
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), "UPDATE File SET Code='changed'"));
        clickNode(main, read);
        QCOMPARE(paneText(main), "changed");
        clickNode(main, findNode(main, kUserCodeCaption, "User Code"));
        QCOMPARE(paneText(main), "' named like the root");
        clickNode(main, findNode(main, kPublisherLabel, "File"));
        QCOMPARE(paneText(main), "");

        clickNode(main, findNode(main, kMath, "Sum"));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(paneText(main), "first\r\ncode");
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(paneText(main), "second");

        const int count = main.catalogue().nodeCount();
        QVERIFY(DatabaseFile::exec(s.folder().userPath(), "INSERT INTO UserCode VALUES ('New', 'n')"));
        action(main, "mnuViewRefresh")->trigger();
        QCOMPARE(main.catalogue().nodeCount(), count + 1);
        QVERIFY(!tree->isExpanded(tree->model()->index(0, 0)));
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        other.close();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QCOMPARE(QApplication::focusWidget(), tree);
        QTest::keyClick(tree, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), tree);
        QCOMPARE(paneText(main), "second");
        QCOMPARE(main.shownSnippet().name, "Twice");

        // From there the keyboard picks: the user root, below the library root that the focus made current.
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(paneText(main), QString());
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void failuresKeepThePane() {
        Session s(library());
        clickNode(s.main(), findNode(s.main(), "File", "Read"));
        const QString shown = paneText(s.main());
        // A record without code is a failure: the error box, and the pane as it was.
        clickNode(s.main(), findNode(s.main(), kMath, "Broken"));
        QCOMPARE(MessageBox::shownTexts(), QStringList{"Error"});
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::Critical);
        QCOMPARE(paneText(s.main()), shown);
        // A record deleted by another program since the tree was built: nothing shown, nothing said.
        MessageBox::clearShown();
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), "DELETE FROM Math WHERE CodeName='Sum'"));
        clickNode(s.main(), findNode(s.main(), kMath, "Sum"));
        QCOMPARE(paneText(s.main()), shown);
        QVERIFY(MessageBox::shown().isEmpty());
        // A table gone: the error box.
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), "DROP TABLE Math"));
        clickNode(s.main(), findNode(s.main(), kMath, "Twice"));
        QCOMPARE(MessageBox::shownTexts(), QStringList{"Error"});
        QCOMPARE(paneText(s.main()), shown);
    }

    // Copy, Copy All, Print and the two exports, from the menu, the tool bar and the keyboard.
    void commandsTakeTheShownCode() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("out.pdf");
        printer::printToPdfForTests(pdf);
        Session s(library());
        MainWindow& main = s.main();
        CodeView* pane = main.codeView();
        const QString refusal = "Please select some code to export first.";
        auto exportsRefused = [&] {
            MessageBox::clearShown();
            action(main, "mnuFileExportFile")->trigger();
            clickToolButton(main, "mIRC");
            return MessageBox::shownTexts() == QStringList(2, refusal);
        };

        // One character is too little to print or export.
        pane->setCode("x");
        clickToolButton(main, "Print");
        QVERIFY(!QFileInfo::exists(pdf));
        QVERIFY(exportsRefused());

        clickNode(main, findNode(main, kMath, "Sum"));
        QVERIFY(!exportsRefused());
        main.chatWindow()->close();
        // No selection: Copy leaves the clipboard as it was; Ctrl+A copies everything and keeps the selection.
        action(main, "mnuFileCopy")->trigger();
        QCOMPARE(clipboard::text(), "before");
        pane->setSelection(0, 2, 0, 6);
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(clipboard::text(), kSumCode);
        QCOMPARE(pane->selectedCode(), "Adds");
        QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboard::text(), "Adds");

        // Printing: every line, page after page, in the fixed-pitch face.
        QString longCode;
        for (int i = 1; i <= 120; ++i)
            longCode += QStringLiteral("Line %1 of the listing\r\n").arg(i);
        longCode += QStringLiteral("' a comment that is far too long for one printed line ").repeated(3);
        pane->setCode(longCode);
        QTest::keyClick(pane, Qt::Key_P, Qt::ControlModifier);
        const QString printed = pdfText(pdf);
        QVERIFY(printed.contains("Line 1 of the listing"));
        QVERIFY(printed.contains("Line 120 of the listing"));
        QVERIFY(printed.count('\f') >= 2);
        QVERIFY(printed.contains("far too long"));
        QFile pdfFile(pdf);
        QVERIFY(pdfFile.open(QIODevice::ReadOnly));
        QVERIFY(pdfFile.readAll().contains("LiberationMono")); // Courier New's metric twin
        printer::printToPdfForTests(QString());
        // No printer installed here: the user is told so, and the window goes on.
        MessageBox::clearShown();
        if (QPrinterInfo::defaultPrinter().isNull()) {
            action(main, "mnuFilePrint")->trigger();
            QCOMPARE(MessageBox::shown().size(), 1);
        }

        // A click that empties the pane brings the refusal back.
        clickNode(main, findNode(main, kPublisherLabel, kMath));
        QVERIFY(exportsRefused());
    }

    // What can break by a fault of ours in the menus: an access key two entries of one menu share, a tool bar button
    // that is not its menu entry, a link that opens nothing or the same page as another.
    void menusToolBarAndLinksHoldTogether() {
        Session s;
        MainWindow& main = s.main();
        const QList<QMenu*> menus = main.menuBar()->findChildren<QMenu*>();
        QList<QAction*> entries;
        for (QMenu* menu : menus) {
            QStringList keys;
            for (QAction* a : menu->actions()) {
                entries << a;
                const QRegularExpressionMatch key = QRegularExpression("&(\\w)").match(a->text());
                if (key.hasMatch()) {
                    QVERIFY2(!keys.contains(key.captured(1).toLower()), qPrintable(a->text()));
                    keys << key.captured(1).toLower();
                }
            }
        }
        int buttons = 0;
        for (QToolButton* b : main.toolBar()->findChildren<QToolButton*>()) {
            if (b->objectName().isEmpty() || !b->defaultAction())
                continue;
            ++buttons;
            QVERIFY2(entries.contains(b->defaultAction()), qPrintable(b->objectName()));
        }
        QCOMPARE(buttons, 6);

        // Every link opens a page of its own on the publisher's site (or the feedback mail), whatever the state of
        // the databases; the Help button opens Contents' page.
        main.store().closeDatabases();
        QSet<QString> addresses;
        for (QAction* link : main.actions().links) {
            m_opened.clear();
            link->trigger();
            QCOMPARE(m_opened.size(), 1);
            const QUrl url = m_opened.first();
            QVERIFY2(url.host() == "www.quillmere.example" || url.scheme() == "mailto", qPrintable(url.toString()));
            addresses << url.toString();
        }
        QCOMPARE(addresses.size(), main.actions().links.size());
        m_opened.clear();
        clickToolButton(main, "Help");
        main.actions().helpContents->trigger();
        QCOMPARE(m_opened.size(), 2);
        QCOMPARE(m_opened[0], m_opened[1]);
        action(main, "mnuHelpDisclaimer")->trigger();
        QCOMPARE(MessageBox::shown().size(), 1);
    }

    void windowLaysItselfOut() {
        Session s(library());
        MainWindow& main = s.main();
        // Narrower than 3000 twips: widened, with both splitter bounds meeting.
        main.resize(120, main.height());
        QTRY_COMPARE(main.frameGeometry().width(), 200);
        QCOMPARE(main.layout().splitter, 1500.0);

        // A drag released at 600 twips draws the bar there and lays the panes out at the 1500 limit.
        main.resize(600, 400);
        auto* strip = child<SplitterStrip>(&main, "imgSplitter");
        auto* bar = child<QWidget>(&main, "picSplitter");
        const QPoint grab(1, strip->height() / 2);
        QTest::mousePress(strip, Qt::LeftButton, {}, grab);
        QVERIFY(bar->isVisible());
        QMouseEvent move(QEvent::MouseMove, QPointF(twipsToPixels(600) - strip->x(), grab.y()),
                         strip->mapToGlobal(QPointF(0, 0)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(strip, &move);
        QCOMPARE(bar->x(), 40);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, grab);
        QVERIFY(!bar->isVisible());
        QCOMPARE(main.treeView()->width(), 100);
        QCOMPARE(main.codeView()->x(), main.treeView()->width() + twipsToPixels(40));
        const Layout before = main.layout();
        QTest::mousePress(strip, Qt::LeftButton, {}, grab);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, grab);
        QCOMPARE(main.layout(), before);

        // Hiding the tool bar moves the panes up; showing it again puts everything back.
        action(main, "mnuViewToolBar")->trigger();
        QVERIFY(!main.toolBar()->isVisible());
        QCOMPARE(main.treeView()->y(), twipsToPixels(300));
        action(main, "mnuViewToolBar")->trigger();
        QVERIFY(main.toolBar()->isVisible());
        QCOMPARE(main.layout(), before);
    }

    void statusBarShowsTheDateAndTime() {
        Session s;
        StatusBar* bar = s.main().statusBar();
        bar->showMoment(QDateTime(QDate(2031, 2, 3), QTime(14, 5, 59)));
        QCOMPARE(bar->dateText(), QLocale().toString(QDate(2031, 2, 3), QLocale::ShortFormat));
        QVERIFY(bar->timeText().contains("14:05") || bar->timeText().contains("2:05"));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    QList<QUrl> m_opened;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
