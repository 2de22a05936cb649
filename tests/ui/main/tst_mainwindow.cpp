#include "core/CatalogueModel.h"
#include "core/GroupNames.h"
#include "core/Placement.h"
#include "core/SnippetStore.h"
#include "platform/Clipboard.h"
#include "platform/Shell.h"
#include "support/UiSupport.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Printer.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainToolBar.h"
#include "ui/main/MainWindow.h"
#include "ui/main/SplitterStrip.h"
#include "ui/main/StatusBar.h"

#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>

using namespace verdane;
using namespace verdane::test;

namespace {

const QString kMath = QStringLiteral("Math");
const QString kSumCode =
    QStringLiteral("' Adds two numbers\r\nPublic Function Sum(a, b)\r\n    Sum = a + b\r\nEnd Function");

QMap<QString, QList<Record>> library() {
    return {{kMath,
             {{QStringLiteral("Sum"), kSumCode},
              {QStringLiteral("Twice"), QStringLiteral("first\r\ncode")},
              {QStringLiteral("Twice"), QStringLiteral("second")},
              {QStringLiteral("Broken"), QVariant()}}},
            {QStringLiteral("File"), {{QStringLiteral("Read"), QStringLiteral("Open f For Input As #1")}}}};
}

QList<Record> userSnippets() {
    return {{QStringLiteral("Sum"), QStringLiteral("' my own sum")},
            {QStringLiteral("User Code"), QStringLiteral("' named like the root")}};
}

void describeMenu(const QMenu* menu, int depth, QStringList& out) {
    for (QAction* a : menu->actions()) {
        QString line = QString(depth * 2, QLatin1Char(' ')) + a->objectName() + QLatin1Char('|') +
                       (a->isSeparator() ? QStringLiteral("-") : a->text());
        if (!a->isEnabled() || !a->isVisible())
            line += QStringLiteral("|hidden or disabled");
        if (!a->shortcut().isEmpty())
            line += QLatin1Char('|') + a->shortcut().toString();
        out << line;
        if (a->menu())
            describeMenu(a->menu(), depth + 1, out);
    }
}

QString pdfText(const QString& path) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

QRect pixels(const TwipRect& r) {
    return QRect(twipsToPixels(r.left), twipsToPixels(r.top), twipsToPixels(r.width), twipsToPixels(r.height));
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
        clipboard::setText(QStringLiteral("before"));
    }

    void menuBarHasEveryEntryInOrder() {
        Session s;
        QStringList menu;
        for (QAction* top : s.main().menuBar()->actions()) {
            menu << top->objectName() + QLatin1Char('|') + top->text();
            describeMenu(top->menu(), 1, menu);
        }
        const QStringList expected{
            "mnuFile|&File",
            "  mnuFileUpdate|&Update...",
            "  mnuFileFind|Find...",
            "  mnuFileBar2|-",
            "  mnuFileImport|Import...",
            "  mnuFileExport|Export",
            "    mnuFileExportFile|File...",
            "    mnuFileExportmIRCChat|mIRC Chat..",
            "  mnuFileBar5|-",
            "  mnuFileRename|Re&name...|hidden or disabled|F2",
            "  mnuFileEditCode|&Edit Code|hidden or disabled",
            "  mnuFileSaveCode|&Save Code|hidden or disabled|Ctrl+S",
            "  mnuFileCancelEdit|Cance&l Editing|hidden or disabled|Esc",
            "  mnuFileDelete|&Delete|hidden or disabled|Del",
            "  mnuFileUndo|Und&o|hidden or disabled|Ctrl+Z",
            "  mnuFileBar4|-",
            "  mnuFileCopy|Copy|Ctrl+C",
            "  mnuFileCopyAll|Copy All|Ctrl+A",
            "  mnuFileBar1|-",
            "  mnuFilePrint|&Print|Ctrl+P",
            "  mnuFileBar3|-",
            "  mnuFileClose|&Close",
            "mnuWebsite|&Website",
            "  mnuWebsiteOtherStuff|Other Stuff",
            "    mnuWebsiteOtherStuffSiteNewsAndUpdates|Site News and Updates",
            "    mnuWebsiteOtherStuffVisualBasicForums|Visual Basic Forums",
            "    mnuWebsiteOtherStuffTools|Tools",
            "    mnuWebsiteOtherStuffVisualBasicJobs|Visual Basic Jobs",
            "    mnuWebsiteOtherStuffLinks|Links",
            "    mnuWebsiteOtherStuffAdvertising|Advertising",
            "    mnuWebsiteOtherStuffWebsiteOfTheMonth|Website Of The Month",
            "  mnuWebsiteTutorials|Tutorials",
            "    mnuWebsiteTutorialsMakeYourApplicationsShareware|Make Your Applications Shareware",
            "  mnuWebsiteVisualBasicBooks|Visual Basic Books",
            "    mnuWebsiteVisualBasicBooksAPI|API",
            "    mnuWebsiteVisualBasicBooksDatabaseProgramming|Database Programming",
            "    mnuWebsiteVisualBasicBooksEnterpriseDevelopment|Enterprise Development",
            "    mnuWebsiteVisualBasicBooksLearningVisualBasic|Learning Visual Basic",
            "    mnuWebsiteVisualBasicBooksMiscBooks|Misc. Books",
            "mnuView|&View",
            "  mnuViewToolBar|&Tool Bar",
            "  mnuViewSyntaxHighlighting|Syntax &Highlighting",
            "  mnuViewBar2|-",
            "  mnuViewRefresh|&Refresh",
            "  mnuViewOptions|&Options...",
            "  mnuViewBrowser|Web Browser...",
            "mnuHelp|&Help",
            "  mnuHelpContents|Contents...",
            "  mnuHelpBar2|-",
            "  mnuHelpVerdaneFeatureRequest|Verdane Feature Request...",
            "  mnuHelpBar1|-",
            "  mnuHelpDisclaimer|&Disclaimer...",
            "  mnuHelpAbout|&About Verdane..."};
        QCOMPARE(menu, expected);
        QVERIFY(action(s.main(), QStringLiteral("mnuViewToolBar"))->isChecked());
    }

    // The tool bar's buttons are the menu's own actions, so a button and its entry can never do different things.
    void toolBarButtonsAreMenuEntriesFlatWithIcons() {
        Session s;
        MainToolBar* bar = s.main().toolBar();
        QList<QAction*> menuEntries;
        for (QMenu* menu : s.main().menuBar()->findChildren<QMenu*>())
            menuEntries += menu->actions();
        int buttons = 0;
        for (QToolButton* b : bar->findChildren<QToolButton*>()) {
            if (b->objectName().isEmpty() || !b->defaultAction())
                continue;
            ++buttons;
            QVERIFY2(menuEntries.contains(b->defaultAction()), qPrintable(b->objectName()));
            QVERIFY(b->autoRaise());
            const QImage image = b->icon().pixmap(16, 16).toImage();
            QVERIFY2(image.pixelColor(8, 8).alpha() > 0 || image.pixelColor(5, 10).alpha() > 0,
                     qPrintable(b->objectName()));
        }
        QCOMPARE(buttons, 6);
        QVERIFY(bar->isFlat());
        bar->ToggleFlatToolbar();
        QVERIFY(!bar->isFlat());
    }

    void toolBarButtonsRunTheirMenuCommands() {
        Session s(library());
        clickNode(s.main(), findNode(s.main(), kMath, QStringLiteral("Sum")));
        clickToolButton(s.main(), QStringLiteral("CopyAll"));
        QCOMPARE(clipboard::text(), kSumCode);
        clickToolButton(s.main(), QStringLiteral("Help"));
        action(s.main(), QStringLiteral("mnuHelpContents"))->trigger();
        QCOMPARE(m_opened.size(), 2);
        QCOMPARE(m_opened[0], m_opened[1]);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void clickingShowsWhatTheNodeHolds_data() {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("nth"); // of the nodes with that caption under that parent
        QTest::addColumn<QString>("expected");
        const QString root = kPublisherLabel;
        QTest::newRow("library snippet") << kMath << "Sum" << 1 << kSumCode;
        QTest::newRow("first of two equal names") << kMath << "Twice" << 1 << "first\r\ncode";
        QTest::newRow("second of two equal names") << kMath << "Twice" << 2 << "second";
        QTest::newRow("user snippet named like a library one") << kUserCodeCaption << "Sum" << 1 << "' my own sum";
        QTest::newRow("group with snippets") << root << "Math" << 1 << "";
        QTest::newRow("empty group") << root << "Window" << 1 << "";
        QTest::newRow("library root") << "" << root << 1 << "";
        QTest::newRow("user root") << "" << kUserCodeCaption << 1 << "";
        QTest::newRow("user snippet named User Code")
            << kUserCodeCaption << "User Code" << 1 << "' named like the root";
    }

    void clickingShowsWhatTheNodeHolds() {
        QFETCH(QString, parent);
        QFETCH(QString, caption);
        QFETCH(int, nth);
        QFETCH(QString, expected);
        Session s(library(), userSnippets());
        s.main().codeView()->setCode(QStringLiteral("shown before"));
        const int node = findNode(s.main(), parent, caption, nth);
        QVERIFY(node > 0);
        clickNode(s.main(), node);
        QCOMPARE(paneText(s.main()), expected);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(s.main().selectedNode(), node);
    }

    // Only the user picks: a rebuild, the window coming back to the front or Tab never change what the pane shows.
    void focusAndRebuildsAreNoPicks() {
        Session s(library(), userSnippets());
        QTreeView* tree = s.main().treeView();
        clickNode(s.main(), findNode(s.main(), kMath, QStringLiteral("Twice"), 2));
        QCOMPARE(paneText(s.main()), QStringLiteral("second"));
        action(s.main(), QStringLiteral("mnuViewRefresh"))->trigger();

        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        other.close();
        s.main().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&s.main()));
        QCOMPARE(QApplication::focusWidget(), tree);
        QCOMPARE(paneText(s.main()), QStringLiteral("second"));

        QTest::keyClick(tree, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), tree);
        QCOMPARE(paneText(s.main()), QStringLiteral("second"));
        QCOMPARE(s.main().shownSnippet().name, QStringLiteral("Twice"));

        // From there the keyboard picks: the user root, below the library root that the focus made current.
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(paneText(s.main()), QString());
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void failuresKeepThePane() {
        Session s(library());
        clickNode(s.main(), findNode(s.main(), QStringLiteral("File"), QStringLiteral("Read")));
        const QString shown = paneText(s.main());

        // A record without code is a failure: the error box, and the pane as it was.
        clickNode(s.main(), findNode(s.main(), kMath, QStringLiteral("Broken")));
        QCOMPARE(MessageBox::shownTexts(), QStringList{QStringLiteral("Error")});
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::Critical);
        QCOMPARE(paneText(s.main()), shown);

        // A record deleted by another program since the tree was built: nothing shown, nothing said.
        MessageBox::clearShown();
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), QStringLiteral("DELETE FROM Math WHERE CodeName='Sum'")));
        clickNode(s.main(), findNode(s.main(), kMath, QStringLiteral("Sum")));
        QCOMPARE(paneText(s.main()), shown);
        QVERIFY(MessageBox::shown().isEmpty());

        // A table gone: the error box.
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), QStringLiteral("DROP TABLE Math")));
        clickNode(s.main(), findNode(s.main(), kMath, QStringLiteral("Twice")));
        QCOMPARE(MessageBox::shownTexts(), QStringList{QStringLiteral("Error")});
        QCOMPARE(paneText(s.main()), shown);
    }

    void clickingAgainReadsTheRecordAgain() {
        Session s(library());
        const int node = findNode(s.main(), QStringLiteral("File"), QStringLiteral("Read"));
        clickNode(s.main(), node);
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), QStringLiteral("UPDATE File SET Code='changed'")));
        clickNode(s.main(), node);
        QCOMPARE(paneText(s.main()), QStringLiteral("changed"));
    }

    void arrowKeysShowTheNodeMovedTo() {
        Session s(library());
        QTreeView* tree = s.main().treeView();
        clickNode(s.main(), findNode(s.main(), kMath, QStringLiteral("Sum")));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Down);
        QCOMPARE(paneText(s.main()), QStringLiteral("first\r\ncode"));
        QTest::keyClick(tree, Qt::Key_Up);
        QCOMPARE(paneText(s.main()), kSumCode);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void copyCommands() {
        Session s(library());
        clickNode(s.main(), findNode(s.main(), kMath, QStringLiteral("Sum")));
        CodeView* pane = s.main().codeView();

        // No selection: Copy leaves the clipboard as it was.
        s.main().mnuFileCopy_Click();
        QCOMPARE(clipboard::text(), QStringLiteral("before"));

        // Ctrl+A in the pane copies everything and leaves the selection as it was.
        pane->setSelection(0, 2, 0, 6);
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(clipboard::text(), kSumCode);
        QCOMPARE(pane->selectedCode(), QStringLiteral("Adds"));
        s.main().mnuFileCopy_Click();
        QCOMPARE(clipboard::text(), QStringLiteral("Adds"));
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void printWritesTheTextInCourierNew() {
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("out.pdf"));
        printer::printToPdfForTests(pdf);
        Session s(library());

        s.main().codeView()->setCode(QStringLiteral("x"));
        s.main().mnuFilePrint_Click();
        QVERIFY(!QFileInfo::exists(pdf));

        s.main().codeView()->setCode(QStringLiteral("ab"));
        action(s.main(), QStringLiteral("mnuFilePrint"))->trigger();
        QVERIFY(QFileInfo::exists(pdf));
        QCOMPARE(pdfText(pdf).trimmed(), QStringLiteral("ab"));
        QFile::remove(pdf);

        QString longCode;
        for (int i = 1; i <= 120; ++i)
            longCode += QStringLiteral("Line %1 of the listing\r\n").arg(i);
        longCode += QStringLiteral("' a comment that is far too long for one printed line ").repeated(3);
        s.main().codeView()->setCode(longCode);
        clickToolButton(s.main(), QStringLiteral("Print"));
        const QString printed = pdfText(pdf);
        QVERIFY(printed.contains(QStringLiteral("Line 1 of the listing")));
        QVERIFY(printed.contains(QStringLiteral("Line 120 of the listing")));
        QVERIFY(printed.count(QLatin1Char('\f')) >= 2); // more than one page
        QVERIFY(printed.contains(QStringLiteral("far too long")));
        QFile pdfFile(pdf);
        QVERIFY(pdfFile.open(QIODevice::ReadOnly));
        QVERIFY(pdfFile.readAll().contains("LiberationMono")); // Courier New's metric twin
        printer::printToPdfForTests(QString());
        QVERIFY(MessageBox::shown().isEmpty());

        // No printer installed here: the user is told so, and the window goes on.
        if (QPrinterInfo::defaultPrinter().isNull()) {
            s.main().mnuFilePrint_Click();
            QCOMPARE(MessageBox::shown().size(), 1);
            QVERIFY(MessageBox::shown()[0].text.contains(QStringLiteral("printer")));
            QVERIFY(s.main().isVisible());
        }
    }

    void exportEntriesNeedTwoCharacters() {
        Session s(library());
        const QString message = QStringLiteral("Please select some code to export first.");
        auto tryAll = [&] {
            MessageBox::clearShown();
            action(s.main(), QStringLiteral("mnuFileExportFile"))->trigger();
            action(s.main(), QStringLiteral("mnuFileExportmIRCChat"))->trigger();
            clickToolButton(s.main(), QStringLiteral("ExportFile"));
            clickToolButton(s.main(), QStringLiteral("mIRC"));
            return MessageBox::shownTexts();
        };
        QCOMPARE(tryAll(), QStringList(4, message));
        s.main().codeView()->setCode(QStringLiteral("x"));
        QCOMPARE(tryAll(), QStringList(4, message));
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::None);
        clickNode(s.main(), findNode(s.main(), kMath, QStringLiteral("Sum")));
        QVERIFY(!tryAll().contains(message));
        // A click that empties the pane brings the message back.
        clickNode(s.main(), findNode(s.main(), kPublisherLabel, kMath));
        QCOMPARE(tryAll(), QStringList(4, message));
    }

    void linksOpenTheirAddresses() {
        Session s;
        const QList<QPair<QString, QString>> expected{
            {"mnuFileUpdate", "http://www.quillmere.example/verdane/updates.html"},
            {"mnuViewBrowser", "http://www.quillmere.example"},
            {"mnuHelpContents", "http://www.quillmere.example/verdane/help.html"},
            {"mnuHelpVerdaneFeatureRequest", "mailto:verdane-feedback@quillmere.example"},
            {"mnuWebsiteOtherStuffSiteNewsAndUpdates", "http://www.quillmere.example/newsupdates.html"},
            {"mnuWebsiteOtherStuffVisualBasicForums", "http://www.quillmere.example/discus/"},
            {"mnuWebsiteOtherStuffTools", "http://www.quillmere.example/tools/tools.html"},
            {"mnuWebsiteOtherStuffVisualBasicJobs", "http://www.quillmere.example/vbjobs.html"},
            {"mnuWebsiteOtherStuffLinks", "http://www.quillmere.example/links.html"},
            {"mnuWebsiteOtherStuffAdvertising", "http://www.quillmere.example/advertise.html"},
            {"mnuWebsiteOtherStuffWebsiteOfTheMonth", "http://www.quillmere.example/websiteofthemonth.html"},
            {"mnuWebsiteTutorialsMakeYourApplicationsShareware", "http://www.quillmere.example/papers/shareware.html"},
            {"mnuWebsiteVisualBasicBooksAPI", "http://www.quillmere.example/books/apibooks/apibooks.html"},
            {"mnuWebsiteVisualBasicBooksDatabaseProgramming",
             "http://www.quillmere.example/books/databaseprog/databaseprog.html"},
            {"mnuWebsiteVisualBasicBooksEnterpriseDevelopment",
             "http://www.quillmere.example/books/entdevelop/entdevelop.html"},
            {"mnuWebsiteVisualBasicBooksLearningVisualBasic",
             "http://www.quillmere.example/books/learntoprogvb/learntoprogvb.html"},
            {"mnuWebsiteVisualBasicBooksMiscBooks", "http://www.quillmere.example/books/miscbooks/miscbooks.html"},
        };
        for (const auto& [entry, url] : expected) {
            m_opened.clear();
            action(s.main(), entry)->trigger();
            QCOMPARE(m_opened.size(), 1);
            QCOMPARE(m_opened[0].toString(QUrl::FullyEncoded), url);
        }
        // Whatever the state of the databases.
        s.main().store().closeDatabases();
        m_opened.clear();
        action(s.main(), QStringLiteral("mnuWebsiteOtherStuffTools"))->trigger();
        QCOMPARE(m_opened.size(), 1);
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void disclaimerShowsTwoParagraphs() {
        Session s;
        action(s.main(), QStringLiteral("mnuHelpDisclaimer"))->trigger();
        QCOMPARE(MessageBox::shown().size(), 1);
        const MessageBox::Shown box = MessageBox::shown()[0];
        QCOMPARE(box.icon, MessageBox::Icon::None);
        QCOMPARE(box.title, QStringLiteral("Verdane"));
        const QStringList paragraphs = box.text.split(QStringLiteral("\r\n\r\n"));
        QCOMPARE(paragraphs.size(), 2);
        QVERIFY(paragraphs[0].startsWith(QStringLiteral("All code found on this site is Freeware.")));
        QVERIFY(paragraphs[0].endsWith(QStringLiteral("all original copyright notices.")));
        QCOMPARE(paragraphs[1], QStringLiteral("No warranty express or implied, is given as to the use of any "
                                               "information or code found on this site. Use at your own risk."));
    }

    void windowLaysItselfOut() {
        Session s(library());
        MainWindow& main = s.main();
        QCOMPARE(main.layout().splitter, 1965.0);
        QCOMPARE(main.treeView()->geometry(), pixels(main.layout().tree));
        QCOMPARE(main.codeView()->geometry(), pixels(main.layout().codePane));
        QCOMPARE(main.findChild<QLabel*>(QStringLiteral("lblTitle0"))->text(), QStringLiteral("Code Group:"));
        QCOMPARE(main.findChild<QLabel*>(QStringLiteral("lblTitle1"))->text(), QStringLiteral("Code:"));

        // Narrower than 3000 twips: widened, with both splitter bounds meeting.
        main.resize(120, main.height());
        QTRY_COMPARE(main.frameGeometry().width(), 200);
        QCOMPARE(main.layout().splitter, 1500.0);
        QCOMPARE(main.layout().codePane.width, 1360.0);

        // A drag released at 600 twips draws the bar there and lays the panes out at the 1500 limit.
        main.resize(600, 400);
        auto* strip = main.findChild<SplitterStrip*>(QStringLiteral("imgSplitter"));
        auto* bar = main.findChild<QWidget*>(QStringLiteral("picSplitter"));
        QVERIFY(!bar->isVisible());
        const QPoint grab(1, strip->height() / 2);
        QTest::mousePress(strip, Qt::LeftButton, {}, grab);
        QVERIFY(bar->isVisible());
        QMouseEvent move(QEvent::MouseMove, QPointF(twipsToPixels(600) - strip->x(), grab.y()),
                         strip->mapToGlobal(QPointF(0, 0)), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(strip, &move);
        QCOMPARE(bar->x(), 40);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, grab);
        QVERIFY(!bar->isVisible());
        QCOMPARE(main.layout().splitter, 1500.0);
        QCOMPARE(main.treeView()->width(), 100);

        // A press and release without moving changes nothing.
        const Layout before = main.layout();
        QTest::mousePress(strip, Qt::LeftButton, {}, grab);
        QTest::mouseRelease(strip, Qt::LeftButton, {}, grab);
        QCOMPARE(main.layout(), before);

        // Hiding the tool bar moves the strip to 1 twip and the panes up.
        const double treeHeight = main.layout().tree.height;
        action(main, QStringLiteral("mnuViewToolBar"))->trigger();
        QVERIFY(!main.toolBar()->isVisible());
        QVERIFY(!action(main, QStringLiteral("mnuViewToolBar"))->isChecked());
        QCOMPARE(main.layout().titleStrip.top, 1.0);
        QCOMPARE(main.layout().tree.top, 300.0);
        QCOMPARE(main.layout().tree.height, treeHeight + pixelsToTwips(main.toolBar()->sizeHint().height()) - 1);
        action(main, QStringLiteral("mnuViewToolBar"))->trigger();
        QVERIFY(main.toolBar()->isVisible());
        QCOMPARE(main.layout(), before);
    }

    void statusBarShowsStatusDateAndTime() {
        Session s;
        StatusBar* bar = s.main().statusBar();
        QCOMPARE(s.main().findChild<QLabel*>(QStringLiteral("sbStatusBarStatus"))->text(), QStringLiteral("Status"));
        QCOMPARE(bar->dateText(), QLocale().toString(QDate::currentDate(), QLocale::ShortFormat));
        bar->showMoment(QDateTime(QDate(2031, 2, 3), QTime(14, 5, 59)));
        QCOMPARE(bar->dateText(), QLocale().toString(QDate(2031, 2, 3), QLocale::ShortFormat));
        QVERIFY(bar->timeText().contains(QStringLiteral("14:05")) || bar->timeText().contains(QStringLiteral("2:05")));
        QVERIFY(!bar->timeText().contains(QStringLiteral("59")));
    }

    void refreshRebuildsCollapsedAndKeepsThePane() {
        Session s(library(), userSnippets());
        clickNode(s.main(), findNode(s.main(), kMath, QStringLiteral("Sum")));
        const int count = s.main().catalogue().nodeCount();
        QVERIFY(DatabaseFile::exec(s.folder().userPath(), QStringLiteral("INSERT INTO UserCode VALUES ('New', 'n')")));
        action(s.main(), QStringLiteral("mnuViewRefresh"))->trigger();
        QCOMPARE(s.main().catalogue().nodeCount(), count + 1);
        QCOMPARE(paneText(s.main()), kSumCode);
        QTreeView* tree = s.main().treeView();
        QVERIFY(!tree->isExpanded(tree->model()->index(0, 0)));
        QCOMPARE(s.main().selectedNode(), 0);
    }

    void sessionOfClicksLeavesTheLibraryFileAlone() {
        Session s(library(), userSnippets());
        const QByteArray before = fileDigest(s.folder().libraryPath());
        for (int node = 1; node <= s.main().catalogue().nodeCount(); ++node)
            clickNode(s.main(), node);
        s.main().mnuViewRefresh_Click();
        s.main().mnuFileCopyAll_Click();
        s.main().close();
        QCOMPARE(fileDigest(s.folder().libraryPath()), before);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    QList<QUrl> m_opened;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
