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
#include "ui/main/WindowLayout.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

using namespace verdane;
using namespace verdane::test;

namespace {

const QString kSumCode = "' Adds two numbers\r\nPublic Function Sum(a, b)\r\n    Sum = a + b\r\nEnd Function";

QMap<QString, QList<Record>> library() {
    return {{"Math", {{"Sum", kSumCode}, {"Twice", "first\r\ncode"}, {"Twice", "second"}, {"Broken", QVariant()}}},
            {"File", {{"Read", "Open f For Input As #1"}}}};
}

LayoutInput input(double x, double W, double H) {
    return LayoutInput{x, W, H, 420, 375, true};
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_env = std::make_unique<UiEnvironment>();
        shell::recordInsteadOfOpening(&m_opened);
    }
    void init() { m_env->reset(); }

    // Only the user picks: clicks and the arrow keys show what they land on, a click again reads the record again;
    // a rebuild, the window coming back to the front or Tab never change what the pane shows. A record without code
    // or a table gone is an error box, a record another program deleted is nothing; the pane keeps what it shows.
    void onlyTheUsersPicksChangeThePane() {
        Session s(library(), {{"Sum", "' my own sum"}, {"User Code", "' named like the root"}});
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

        clickNode(main, findNode(main, "Math", "Sum"));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(paneText(main), "first\r\ncode");
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(paneText(main), "second");

        QVERIFY(DatabaseFile::exec(s.folder().userPath(), "INSERT INTO UserCode VALUES ('New', 'n')"));
        action(main, "mnuViewRefresh")->trigger();
        QVERIFY(findNode(main, kUserCodeCaption, "New") > 0);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        other.close();
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
        QTest::keyClick(tree, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), tree);
        QCOMPARE(paneText(main), "second");
        QCOMPARE(main.shownSnippet().name, "Twice");
        QVERIFY(MessageBox::shown().isEmpty());

        for (const auto& [sql, caption, boxes] : {std::tuple{"", "Broken", 1},
                                                  {"DELETE FROM Math WHERE CodeName='Sum'", "Sum", 1},
                                                  {"DROP TABLE Math", "Twice", 2}}) {
            QVERIFY(!*sql || DatabaseFile::exec(s.folder().libraryPath(), sql));
            clickNode(main, findNode(main, "Math", caption));
            QCOMPARE(MessageBox::shownTexts(), QStringList(boxes, "Error"));
            QCOMPARE(paneText(main), "second");
        }
    }

    // Copy, Copy All, Print and the two exports take the code the pane shows, from the menu, the tool bar and the
    // keyboard; one character is too little to print or export.
    void commandsTakeTheShownCode() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath("out.pdf");
        printer::printToPdfForTests(pdf);
        Session s(library());
        MainWindow& main = s.main();
        CodeView* pane = main.codeView();
        auto exportsRefused = [&] {
            MessageBox::clearShown();
            action(main, "mnuFileExportFile")->trigger();
            clickToolButton(main, "mIRC");
            return MessageBox::shownTexts() == QStringList(2, "Please select some code to export first.");
        };
        pane->setCode("x");
        clickToolButton(main, "Print");
        QVERIFY(!QFileInfo::exists(pdf));
        QVERIFY(exportsRefused());

        clickNode(main, findNode(main, "Math", "Sum"));
        QVERIFY(!exportsRefused());
        main.chatWindow()->close();
        action(main, "mnuFileCopyAll")->trigger();
        QCOMPARE(clipboard::text(), kSumCode);

        // Printing: every line, page after page, a long line whole, in the fixed-pitch face.
        QString longCode;
        for (int i = 1; i <= 120; ++i)
            longCode += QString("Line %1 of the listing\r\n").arg(i);
        pane->setCode(longCode + QString("' a comment that is far too long for one printed line ").repeated(3));
        QTest::keyClick(pane, Qt::Key_P, Qt::ControlModifier);
        const QString printed = QString::fromUtf8(runProgram("pdftotext", {"-layout", pdf, "-"}).out);
        for (const char* line : {"Line 1 of the listing", "Line 120 of the listing", "far too long"})
            QVERIFY2(printed.contains(line), line);
        QVERIFY(printed.count('\f') >= 2);
        QVERIFY(fileBytes(pdf).contains("LiberationMono")); // Courier New's metric twin
        printer::printToPdfForTests(QString());
        // A click that empties the pane brings the refusal back.
        clickNode(main, findNode(main, kPublisherLabel, "Math"));
        QVERIFY(exportsRefused());
    }

    // What can break by a fault of ours in the menus: an access key two entries of one menu share, a tool bar button
    // that is not its menu entry, a link that opens nothing or the same page as another.
    void menusToolBarAndLinksHoldTogether() {
        Session s;
        MainWindow& main = s.main();
        QList<QAction*> entries;
        for (QMenu* menu : main.menuBar()->findChildren<QMenu*>()) {
            QStringList keys;
            for (QAction* a : menu->actions()) {
                entries << a;
                const QString key = QRegularExpression("&(\\w)").match(a->text()).captured(1).toLower();
                QVERIFY2(key.isEmpty() || !keys.contains(key), qPrintable(a->text()));
                keys << key;
            }
        }
        for (QToolButton* b : main.toolBar()->findChildren<QToolButton*>())
            QVERIFY2(!b->defaultAction() || entries.contains(b->defaultAction()), qPrintable(b->objectName()));

        // Every link opens a page of its own on the publisher's site (or the feedback mail), whatever the state of
        // the databases; the Help button opens Contents' page.
        main.store().closeDatabases();
        for (QAction* link : main.actions().links)
            link->trigger();
        QCOMPARE(QSet<QUrl>(m_opened.begin(), m_opened.end()).size(), main.actions().links.size());
        for (const QUrl& url : std::as_const(m_opened))
            QVERIFY2(url.host() == "www.quillmere.example" || url.scheme() == "mailto", qPrintable(url.toString()));
        m_opened.clear();
        clickToolButton(main, "Help");
        main.actions().helpContents->trigger();
        QCOMPARE(m_opened, QList<QUrl>(2, m_opened.value(0)));
    }

    // The window is never narrower than 3000 twips; a drag of the splitter strip moves the panes where it is
    // released (within the margins); hiding the tool bar moves the panes up, showing it puts everything back.
    void windowLaysItselfOut() {
        Session s(library());
        MainWindow& main = s.main();
        main.resize(120, main.height());
        QTRY_COMPARE(main.frameGeometry().width(), 200);

        main.resize(600, 400);
        auto* strip = child<SplitterStrip>(&main, "imgSplitter");
        auto* bar = child<QWidget>(&main, "picSplitter");
        const QPoint grab(1, strip->height() / 2);
        QTest::mousePress(strip, Qt::LeftButton, {}, grab);
        QVERIFY(bar->isVisible());
        QMouseEvent move(QEvent::MouseMove, QPointF(twipsToPixels(600) - strip->x(), grab.y()),
                         strip->mapToGlobal(QPointF(0, 0)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(strip, &move);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, grab);
        QVERIFY(!bar->isVisible());
        QCOMPARE(main.treeView()->width(), 100);
        const Layout before = main.layout();
        QTest::mousePress(strip, Qt::LeftButton, {}, grab);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, grab);
        QCOMPARE(main.layout(), before);

        action(main, "mnuViewToolBar")->trigger();
        QVERIFY(!main.toolBar()->isVisible());
        QCOMPARE(main.treeView()->y(), twipsToPixels(300));
        action(main, "mnuViewToolBar")->trigger();
        QVERIFY(main.toolBar()->isVisible());
        QCOMPARE(main.layout(), before);

        // The rule below it: the splitter stays between the margins, the upper bound winning in a window too narrow
        // for both.
        using Row = std::array<double, 3>; // requested, outer width, expected
        for (const auto& [requested, outerWidth, expected] :
             {Row{4000, 9000, 4000}, Row{600, 9000, 1500}, Row{8000, 9000, 7500}, Row{1965, 3000, 1500},
              Row{1965, 2000, 500}})
            QCOMPARE(SizeControls(input(requested, outerWidth, 6000), Layout{}).splitter, expected);
        // Shrinking pushes the splitter, which does not come back.
        Layout l = SizeControls(input(5000, 9000, 6000), Layout{});
        l = SizeControls(input(l.splitter, 5600, 6000), l);
        QCOMPARE(l.splitter, 4100.0);
        l = SizeControls(input(l.splitter, 12000, 6000), l);
        QCOMPARE(l.splitter, 4100.0);
        QCOMPARE(l.codePane.width, 12000 - 4100 - 140.0);

        // A length that would be negative keeps its previous value; what can be set still is.
        const Layout tall = SizeControls(input(2500, 9000, 6000), Layout{});
        const Layout shortWindow = SizeControls(input(2500, 9000, 500), tall);
        QCOMPARE(shortWindow.tree.height, tall.tree.height);
        QCOMPARE(shortWindow.codePane.height, tall.codePane.height);
        QCOMPARE(shortWindow.tree.top, 420 + 300.0); // below the tool bar and the title strip

        // The drag bar stays 500 twips from the edges.
        for (const auto& [pointer, expected] :
             {std::pair{-1800.0, 500.0}, {35.0, 2000.0}, {9000.0, 8500.0}, {-1365.0, 600.0}})
            QCOMPARE(dragBarLeft(1965, pointer, 9000), expected);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    QList<QUrl> m_opened;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
