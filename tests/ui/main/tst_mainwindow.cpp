#include "core/CatalogueModel.h"
#include "platform/Clipboard.h"
#include "platform/Shell.h"
#include "support/UiSupport.h"
#include "ui/chat/ChatWindow.h"
#include "ui/common/InputBox.h"
#include "ui/common/Printer.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainToolBar.h"
#include "ui/main/SplitterStrip.h"
#include "ui/main/StatusBar.h"

#include <QMenuBar>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>

namespace {

const QString kSumCode = "' Adds two numbers\r\nPublic Function Sum(a, b)\r\n    Sum = a + b\r\nEnd Function";

Groups library() {
    return {{"Math", {{"Sum", kSumCode}, {"Twice", "first\r\ncode"}, {"Twice", "second"}, {"Broken", QVariant()}}},
            {"File", {{"Read", "Open f For Input As #1"}}}};
}

LayoutInput input(double x, double W, double H) {
    return LayoutInput{x, W, H, 420, 375, true};
}

// The code pane's: every kind of line break, a tab, accented letters and a character beyond the Basic Multilingual
// Plane.
const QString kMixed = "a\r\n\tb\u00e9\r\n\r\nlone\rcr lone\nlf \U0001F600 end\r\n";
const QColor kKeyword(0x00, 0x00, 0x80);

// Selects as a user does with the keyboard: from the start, Right skip times, then Shift+Right take times.
void selectWithKeys(CodeView* pane, int skip, int take) {
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_Home, Qt::ControlModifier);
    for (int i = 0; i < skip + take; ++i)
        QTest::keyClick(pane, Qt::Key_Right, i < skip ? Qt::NoModifier : Qt::ShiftModifier);
}

// The colour Scintilla painted a position of the pane's text in.
QColor colourAt(const CodeView* pane, long position) {
    const long bgr = pane->SendScintilla(QsciScintillaBase::SCI_STYLEGETFORE,
                                         pane->SendScintilla(QsciScintillaBase::SCI_GETSTYLEAT, position));
    return QColor(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff));
}

// Shows code and waits until the pane has given all of it its styles, as painting and idle time do.
void showStyled(CodeView* pane, const QString& code) {
    pane->setCode(code);
    QTRY_COMPARE(pane->SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED),
                 pane->SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
}

// The middle snippet's code has a lone LF, which editing must keep.
const QList<Record> kOwn = {
    {"Alpha", "' alpha\r\nSub Alpha()\r\nEnd Sub"}, {"Beta", "' beta\nSub Beta()\r\nEnd Sub"}, {"Gamma", "' gamma"}};
const QString kBeta = kOwn[1].code.toString();
const QStringList kOwnLines = {"Alpha=" + kOwn[0].code.toString(), "Beta=" + kBeta, "Gamma=' gamma"};

QString boxes() {
    return MessageBox::shownTexts().join('|');
}

// A running program on a library of one snippet and the user's three.
struct Own : Session {
    Own()
        : Session({{"Math", {{"Sum", "Sum = a + b"}}}}, kOwn) {}
    int node(const QString& name) { return findNode(main(), kUserCodeCaption, name); }
    int mathGroup() { return findNode(main(), kPublisherLabel, "Math"); }
    bool open(int node) { return main().treeView()->isExpanded(main().catalogue().indexOfNode(node)); }
    bool enabled(const char* entry) { return action(main(), entry)->isEnabled(); }
    void trigger(const char* entry) { action(main(), entry)->trigger(); }
    bool editing() { return main().codeView()->isEditing(); }
    void key(int key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(main().treeView(), Qt::Key(key), mods); }
    void paneKey(int key) { QTest::keyClick(main().codeView(), Qt::Key(key), Qt::ControlModifier); }
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    UiEnvironment m_env;

private Q_SLOTS:
    void initTestCase() { shell::recordInsteadOfOpening(&m_opened); }
    void init() { m_env.reset(); }

    // Only the user picks: clicks and the arrow keys show what they land on, a click again reads the record again;
    // a rebuild, the window coming back to the front or Tab never change what the pane shows. A record without code
    // shows as empty; a table gone is an error box, a record another program deleted is nothing, and the pane keeps
    // what it shows.
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
        for (QWidget* front : {&other, static_cast<QWidget*>(&main)}) {
            front->show();
            front->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(front));
        }
        QTest::keyClick(tree, Qt::Key_Tab);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), tree);
        QCOMPARE(paneText(main), "second");
        QCOMPARE(main.shownSnippet().name, "Twice");
        QVERIFY(MessageBox::shown().isEmpty());

        clickNode(main, findNode(main, "Math", "Broken"));
        QVERIFY(MessageBox::shown().isEmpty() && paneText(main).isEmpty());
        clickNode(main, findNode(main, "Math", "Twice", 2));
        for (const auto& [sql, caption, boxes] :
             {std::tuple{"DELETE FROM Math WHERE CodeName='Sum'", "Sum", 0}, {"DROP TABLE Math", "Twice", 1}}) {
            QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), sql));
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
        const QString printed = pdfText(pdf);
        for (const char* line : {"Line 1 of the listing", "Line 120 of the listing", "far too long"})
            QVERIFY2(printed.contains(line), line);
        QVERIFY(printed.count('\f') >= 2);
        QVERIFY(fileBytes(pdf).contains("LiberationMono")); // Courier New's metric twin
        printer::printToPdfForTests(QString());
        // No printer installed (as here): the user is told so, and the window goes on.
        MessageBox::clearShown();
        if (QPrinterInfo::defaultPrinter().isNull()) {
            // Reading the PDF may have started another program: the window is made active again for its keys.
            main.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&main));
            QTest::keyClick(pane, Qt::Key_P, Qt::ControlModifier);
            QCOMPARE(MessageBox::shown().size(), 1);
        }
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
        // Where no browser starts, a box says so and shows the address, to be copied from it.
        shell::recordInsteadOfOpening(&m_opened, false);
        clickToolButton(main, "Help");
        shell::recordInsteadOfOpening(&m_opened);
        QVERIFY2(MessageBox::shown().size() == 1 && boxes().contains(m_opened.last().toString()), qPrintable(boxes()));
    }

    // A library file that cannot be read is named, with why, in the status bar after every build of the tree, rather
    // than looking like an empty library; no box stops the user at each Refresh.
    void anUnreadableLibraryIsNamed_data() {
        QTest::addColumn<QString>("why");
        QTest::newRow("another program's file") << "could not be opened: file is not a database";
        QTest::newRow("an empty file") << "\"File\" of qmvbsource.mdb could not be read: no such table";
        QTest::newRow("a folder") << "could not be opened: it is a folder";
        QTest::newRow("a link to itself") << "could not be opened: Too many levels of symbolic links";
        QTest::newRow("a pipe") << "could not be opened: it is a pipe";
    }

    void anUnreadableLibraryIsNamed() {
        QFETCH(QString, why);
        const QByteArray what = QTest::currentDataTag();
#ifdef Q_OS_WIN
        QSKIP("Windows lets no other program replace a file that this one holds open");
#endif
        Session s(library());
        const QString path = s.folder().libraryPath();
        QVERIFY(QFile::remove(path));
        QVERIFY(what == "another program's file" ? writeFile(path, "\0\x01\0\0Standard Jet DB" + QByteArray(4096, '\0'))
                : what == "an empty file"        ? writeFile(path, {})
                : what == "a folder"             ? QDir().mkdir(path)
                : what == "a link to itself"     ? QFile::link(path, path)
                                                 : makeFifo(path));
        for (int refresh = 0; refresh < 2; ++refresh) {
            action(s.main(), "mnuViewRefresh")->trigger();
            QVERIFY2(s.main().statusBar()->statusText().contains(why), qPrintable(s.main().statusBar()->statusText()));
        }
        QVERIFY(MessageBox::shown().isEmpty());
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
        for (const double width : {5600, 12000}) {
            l = SizeControls(input(l.splitter, width, 6000), l);
            QCOMPARE(l.splitter, 4100.0);
        }
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

    // What is selected and copied, with Ctrl+C or Ctrl+A (Copy All, which keeps the selection), is the stored text:
    // CR LF pairs and a tab, a lone CR, a lone LF, a character of two UTF-16 units, everything, and nothing, which
    // leaves the clipboard as it was.
    void keepsTheStoredTextExactly() {
        Session s;
        CodeView* pane = s.main().codeView();
        using Case = std::tuple<int, int, QString>; // Right pressed, Shift+Right pressed, what is selected
        for (const auto& [skip, take, selected] :
             {Case{3, 6, "b\u00e9\r\n\r\nlo"}, Case{10, 3, "e\rc"}, Case{18, 3, "e\nl"}, Case{23, 1, "\U0001F600"},
              Case{0, 100, kMixed}, Case{5, 0, "before"}}) {
            clipboard::setText("before");
            pane->setCode(kMixed);
            QCOMPARE(pane->text(), kMixed); // what the editor holds, not only our copy
            selectWithKeys(pane, skip, take);
            QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
            QCOMPARE(clipboard::text(), selected);
            QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
            QCOMPARE(clipboard::text(), kMixed);
            QCOMPARE(pane->selectedCode(), take ? selected : QString());
        }
    }

    // Keywords navy and comments green, as in the VB IDE, everything else black; every letter as wide as any other,
    // and a long line scrolls rather than wraps; no key changes what the pane shows.
    void showsCodeAsTheVbIdeButTakesNoInput() {
        Session s;
        CodeView* pane = s.main().codeView();
        const QColor comment(0x00, 0x80, 0x00), black(Qt::black);
        // A line, and the colour of a word in it.
        const std::tuple<const char*, QColor, const char*> cases[] = {
            {"Public Sub Hello()", kKeyword, "Sub"}, {"x = 1: END IF", kKeyword, "IF"},
            {"a = b Xor c", kKeyword, "Xor"},        {"Public Sub Hello()", black, "Hello"},
            {"x = 1 ' Sub note", comment, "Sub"},    {"Rem Sub note", comment, "note"},
            {"s = \"Sub it's\" & t", black, "Sub"},  {"n = &H1F + 10", black, "10"}};
        for (const auto& [line, colour, word] : cases) {
            const QString code = QString("Dim x\r\n") + line + "\r\nEnd Sub\r\n";
            showStyled(pane, code);
            QVERIFY2(colourAt(pane, code.indexOf(word)) == colour, line);
        }
        const auto width = [pane](const char* text) {
            return pane->SendScintilla(QsciScintillaBase::SCI_TEXTWIDTH, QsciScintillaBase::STYLE_DEFAULT, text);
        };
        QCOMPARE(width("iiii"), width("WWWW"));
        showStyled(pane, "Dim x ' " + QString(2000, 'x') + "\r\nEnd");
        QCOMPARE(pane->SendScintilla(QsciScintillaBase::SCI_WRAPCOUNT, 0UL), 1);
        QTRY_VERIFY(pane->horizontalScrollBar()->maximum() > width("x") * 1500);

        pane->setCode(kMixed);
        clipboard::setText("pasted");
        selectWithKeys(pane, 3, 2);
        for (const char* keys : {"x", "Return", "Backspace", "Del", "Tab", "Ctrl+V", "Shift+Ins", "Ctrl+X",
                                 "Ctrl+Shift+L", "Ctrl+D", "Ctrl+Shift+U"}) {
            QTest::keySequence(pane, QKeySequence(QString(keys)));
            QVERIFY2(pane->text() == kMixed && pane->code() == kMixed, keys);
        }
    }

    // The menu entry turns the colours off and on, and the next start keeps the choice.
    void theHighlightingChoiceIsRemembered() {
        for (const bool wasOn : {true, false}) {
            Session s;
            QAction* entry = action(s.main(), "mnuViewSyntaxHighlighting");
            QCOMPARE(entry->isChecked(), wasOn);
            showStyled(s.main().codeView(), "Public Sub Hello()");
            QCOMPARE(colourAt(s.main().codeView(), 7) == kKeyword, wasOn);
            entry->trigger();
            showStyled(s.main().codeView(), "Public Sub Hello()");
            QCOMPARE(colourAt(s.main().codeView(), 7) == kKeyword, !wasOn);
        }
    }

    // Only a snippet of the user's own is offered for a change, by the File menu's entries (which the tree's context
    // menu shares) and by keys. F2 renames where the snippet stands, asking again for a name refused; Del makes the
    // next snippet current, or the one before when the last goes; Ctrl+Z takes each change back in its place, newest
    // first.
    void renameAndDeleteKeepThePlace() {
        Own s;
        const int beta = s.node("Beta");
        for (int node : {beta, findNode(s.main(), "Math", "Sum"), findNode(s.main(), "", kUserCodeCaption)}) {
            clickNode(s.main(), node);
            for (const char* entry : {"mnuFileRename", "mnuFileEditCode", "mnuFileDelete"})
                QCOMPARE(s.enabled(entry), node == beta);
        }
        s.key(Qt::Key_F2);
        s.key(Qt::Key_Delete);
        QVERIFY(InputBox::asked().isEmpty() && MessageBox::shown().isEmpty());
        clickNode(s.main(), s.mathGroup());
        s.key(Qt::Key_Right);
        clickNode(s.main(), beta);

        for (const char* answer : {"Alpha", "", "Beta Two"})
            InputBox::setNextAnswer(answer);
        s.key(Qt::Key_F2);
        QStringList offered;
        for (const InputBox::Asked& asked : InputBox::asked())
            offered << asked.text;
        QCOMPARE(offered, QStringList({"Beta", "Alpha", ""}));
        QVERIFY2(MessageBox::shown().size() == 2 && boxes().contains("already holds"), qPrintable(boxes()));
        QCOMPARE(s.main().catalogue().caption(beta), "Beta Two");
        QCOMPARE(s.main().selectedNode(), beta);
        QVERIFY(s.open(s.main().catalogue().parentNode(beta)) && s.open(s.mathGroup()));
        QCOMPARE(paneText(s.main()), kBeta);
        QCOMPARE(s.main().shownSnippet().name, "Beta Two"); // what Export proposes
        QCOMPARE(s.folder().userSnippets()[1], "Beta Two=" + kBeta);
        s.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.folder().userSnippets(), kOwnLines);
        QCOMPARE(s.main().catalogue().caption(beta), "Beta");
        QCOMPARE(s.main().selectedNode(), beta);
        QVERIFY(!s.enabled("mnuFileUndo"));

        MessageBox::setNextAnswer(MessageBox::Button::No);
        s.key(Qt::Key_Delete);
        QCOMPARE(s.folder().userSnippets(), kOwnLines);
        for (const auto& [gone, next] : {std::pair{"Beta", "Gamma"}, {"Gamma", "Alpha"}, {"Alpha", ""}}) {
            clickNode(s.main(), s.node(gone));
            MessageBox::setNextAnswer(MessageBox::Button::Yes);
            s.key(Qt::Key_Delete);
            QCOMPARE(s.node(gone), 0);
            QCOMPARE(s.main().selectedNode(), *next ? s.node(next) : findNode(s.main(), "", kUserCodeCaption));
            QCOMPARE(s.main().shownSnippet().name, next);
            QVERIFY(s.open(s.mathGroup()));
        }
        QCOMPARE(paneText(s.main()), "");
        for (const char* back : {"Alpha", "Gamma", "Beta"}) {
            s.key(Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(s.main().selectedNode(), s.node(back));
            QCOMPARE(s.main().shownSnippet().name, back);
        }
        QCOMPARE(s.folder().userSnippets(), kOwnLines);
    }

    // What is saved is exactly what the pane holds: typed line breaks are CR LF, the others stay as they were. A
    // save that another program's lock delays waits for it; one the lock outlasts, or one of a snippet another
    // program removed, fails with a box, and what the user typed stays in the pane.
    void editSavesWhatThePaneHolds() {
        Own s;
        CodeView* pane = s.main().codeView();
        clickNode(s.main(), s.node("Beta"));
        s.trigger("mnuFileEditCode");
        QCOMPARE(QApplication::focusWidget(), pane);
        for (const char* entry : {"mnuFileRename", "mnuFileEditCode", "mnuFileDelete", "mnuFileUndo"})
            QVERIFY(!s.enabled(entry));

        // A new line, a paste of Unix text, and a character taken away with Del and given back with Ctrl+Z.
        QTest::keyClick(pane, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Return);
        QTest::keyClicks(pane, "' more");
        clipboard::setText("\nx = 1");
        s.paneKey(Qt::Key_V);
        QTest::keyClick(pane, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Delete);
        QVERIFY(pane->heldCode().startsWith(" beta\n"));
        s.paneKey(Qt::Key_Z);
        const QString expected = kBeta + "\r\n' more\r\nx = 1";
        QCOMPARE(pane->heldCode(), expected);
        // Ctrl+A is still Copy All, of what the pane holds.
        s.paneKey(Qt::Key_A);
        QCOMPARE(clipboard::text(), expected);

        {
            LockHolder lock(s.folder().userPath(), 6000);
            s.paneKey(Qt::Key_S);
        }
        QVERIFY2(MessageBox::shown().size() == 1 && MessageBox::shown()[0].icon == MessageBox::Icon::Critical &&
                     boxes().contains(kUserFileName),
                 qPrintable(boxes()));
        QVERIFY(s.editing());
        QCOMPARE(s.folder().userSnippets(), kOwnLines);
        LockHolder briefly(s.folder().userPath(), 1000);
        s.paneKey(Qt::Key_S);
        QVERIFY(!s.editing());
        QCOMPARE(s.folder().userSnippets()[1], "Beta=" + expected);

        // Leaving without a change, by Esc or another node, asks nothing.
        s.trigger("mnuFileEditCode");
        QTest::keyClick(pane, Qt::Key_Escape);
        QVERIFY(!s.editing());
        s.trigger("mnuFileEditCode");
        clickNode(s.main(), s.node("Gamma"));
        QCOMPARE(MessageBox::shown().size(), 1);

        s.trigger("mnuFileEditCode");
        QTest::keyClicks(pane, "mine ");
        const QStringList meanwhile{"--data-dir", s.folder().path(), "delete", kUserCodeCaption, "Gamma"};
        QCOMPARE(runProgram(qEnvironmentVariable("VERDANE_CLI"), meanwhile).exitCode, 0);
        s.paneKey(Qt::Key_S);
        QVERIFY2(boxes().contains("changed or removed by another program"), qPrintable(boxes()));
        QVERIFY(s.editing());
        QCOMPARE(pane->heldCode(), "mine ' gamma");
    }

    // Every way out of a snippet with unsaved changes asks Save, Discard or Cancel; Cancel keeps the user where
    // they were, with what they typed.
    void unsavedChangesAskOnEveryWayOut_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<MessageBox::Button>("answer");
        for (const char* way : {"click", "Find", "Refresh", "Esc", "quit"})
            for (const auto& [answer, name] : {std::pair{MessageBox::Button::Cancel, "cancel"},
                                               {MessageBox::Button::Discard, "discard"},
                                               {MessageBox::Button::Save, "save"}})
                QTest::addRow("%s, %s", way, name) << QString(way) << answer;
    }

    void unsavedChangesAskOnEveryWayOut() {
        QFETCH(QString, way);
        QFETCH(MessageBox::Button, answer);
        Own s;
        const int beta = s.node("Beta");
        clickNode(s.main(), beta);
        s.trigger("mnuFileEditCode");
        QTest::keyClicks(s.main().codeView(), "typed ");
        const QString typed = s.main().codeView()->heldCode();

        MessageBox::setNextAnswer(answer);
        if (way == "click") {
            clickNode(s.main(), s.node("Gamma"));
        } else if (way == "Find") { // a hit picked in the Find window
            s.main().showSnippet({Database::User, kUserCodeTable, s.main().catalogue().recordOf(s.node("Gamma"))});
        } else if (way == "Refresh") {
            s.trigger("mnuViewRefresh");
        } else if (way == "Esc") {
            QTest::keyClick(s.main().codeView(), Qt::Key_Escape);
        } else {
            // The program's own run, quit as the desktop quits it; a quit the user refused is ended here.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(); });
            QCoreApplication::exec();
        }

        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown()[0].buttons == MessageBox::Buttons::SaveDiscardCancel &&
                boxes().contains("\"Beta\""));
        const bool cancel = answer == MessageBox::Button::Cancel, closes = way == "quit";
        QCOMPARE(s.editing(), cancel);
        QCOMPARE(s.folder().userSnippets()[1], "Beta=" + (answer == MessageBox::Button::Save ? typed : kBeta));
        QCOMPARE(s.main().isVisible(), cancel || !closes);
        if (cancel) {
            QCOMPARE(s.main().codeView()->heldCode(), typed);
            QTRY_COMPARE(s.main().selectedNode(), beta);
        } else if (way == "Refresh") {
            QCOMPARE(s.main().selectedNode(), 0);
        } else if (!closes) {
            QCOMPARE(s.main().shownSnippet().name, way == "Esc" ? "Beta" : "Gamma");
        }
    }

private:
    QList<QUrl> m_opened;
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
