#include "core/CatalogueModel.h"
#include "core/GroupNames.h"
#include "platform/Clipboard.h"
#include "support/UiSupport.h"
#include "ui/common/InputBox.h"
#include "ui/common/MessageBox.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace verdane;
using namespace verdane::test;

namespace {

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

class TestUserSnippets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }
    void init() { m_env->reset(); }

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

        // Esc takes back what was typed; leaving without a change asks nothing.
        s.trigger("mnuFileEditCode");
        QTest::keyClicks(pane, "typed");
        QTest::keyClick(pane, Qt::Key_Escape);
        QVERIFY(!s.editing());
        QCOMPARE(pane->heldCode(), expected);
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
        for (const char* way : {"click", "Find", "Refresh", "quit"}) {
            for (const auto& [answer, name] : {std::pair{MessageBox::Button::Cancel, "cancel"},
                                               {MessageBox::Button::Discard, "discard"},
                                               {MessageBox::Button::Save, "save"}})
                QTest::addRow("%s, %s", way, name) << QString(way) << answer;
        }
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
            QCOMPARE(s.main().shownSnippet().name, "Gamma");
        }
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestUserSnippets)
#include "tst_usersnippets.moc"
