#include "core/CatalogueModel.h"
#include "core/GroupNames.h"
#include "platform/Clipboard.h"
#include "support/UiSupport.h"
#include "ui/common/InputBox.h"
#include "ui/common/MessageBox.h"
#include "ui/find/FindWindow.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace verdane;
using namespace verdane::test;

namespace {

const QString kMath = "Math";
// The middle snippet's code has a lone LF, which editing must keep.
const QList<Record> kOwn = {
    {"Alpha", "' alpha\r\nSub Alpha()\r\nEnd Sub"}, {"Beta", "' beta\nSub Beta()\r\nEnd Sub"}, {"Gamma", "' gamma"}};
const QString kBeta = kOwn[1].code.toString();

QStringList ownLines() {
    QStringList lines;
    for (const Record& r : kOwn)
        lines << r.name.toString() + '=' + r.code.toString();
    return lines;
}

bool boxesSay(const QString& words) {
    return MessageBox::shownTexts().join('|').contains(words);
}

// A running program on a library of one snippet and the user's three.
struct Own : Session {
    explicit Own(const QList<Record>& extra = {})
        : Session({{kMath, {{"Sum", "Sum = a + b"}}}}, kOwn + extra) {}
    int node(const QString& name) { return findNode(main(), kUserCodeCaption, name); }
    int mathGroup() { return findNode(main(), kPublisherLabel, kMath); }
    bool open(int node) { return main().treeView()->isExpanded(main().catalogue().indexOfNode(node)); }
    bool enabled(const char* entry) { return action(main(), entry)->isEnabled(); }
    void trigger(const char* entry) { action(main(), entry)->trigger(); }
    bool editing() { return main().codeView()->isEditing(); }
    void key(int key, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(main().treeView(), Qt::Key(key), mods); }
    void back() {
        main().activateWindow();
        if (!QTest::qWaitForWindowActive(&main()))
            qWarning("the main window did not become active");
    }
    FindWindow* find(const QString& text) {
        trigger("mnuFileFind");
        FindWindow* window = main().findWindow();
        child<QLineEdit>(window, "txtFind")->setText(text);
        if (!search(window))
            qWarning("the search did not end");
        return window;
    }
};

} // namespace

class TestUserSnippets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }
    void init() { m_env->reset(); }

    // Only a snippet of the user's own is offered for a change: in the menus, the tree's context menu and by keys.
    void changesOnlyForOwnSnippets_data() {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("offered");
        QTest::newRow("library snippet") << kMath << "Sum" << false;
        QTest::newRow("group") << kPublisherLabel << kMath << false;
        QTest::newRow("library root") << "" << kPublisherLabel << false;
        QTest::newRow("User Code") << "" << kUserCodeCaption << false;
        QTest::newRow("own snippet") << kUserCodeCaption << "Beta" << true;
        QTest::newRow("own snippet named like a library one") << kUserCodeCaption << "Sum" << true;
    }

    void changesOnlyForOwnSnippets() {
        QFETCH(QString, parent);
        QFETCH(QString, caption);
        QFETCH(bool, offered);
        Own s(QList<Record>{{"Sum", "' my sum"}});
        const int node = findNode(s.main(), parent, caption);
        QVERIFY(node > 0);
        clickNode(s.main(), node);
        QCOMPARE(s.main().treeView()->contextMenuPolicy(), Qt::ActionsContextMenu);
        QCOMPARE(s.main().treeView()->actions(),
                 QList<QAction*>({action(s.main(), "mnuFileRename"), action(s.main(), "mnuFileEditCode"),
                                  action(s.main(), "mnuFileDelete")}));
        for (const char* entry : {"mnuFileRename", "mnuFileEditCode", "mnuFileDelete"})
            QCOMPARE(s.enabled(entry), offered);
        QVERIFY(!s.enabled("mnuFileSaveCode") && !s.enabled("mnuFileCancelEdit"));
        s.key(Qt::Key_F2);
        s.key(Qt::Key_Delete);
        QCOMPARE(InputBox::asked().size(), offered ? 1 : 0);
        QCOMPARE(MessageBox::shown().size(), offered ? 1 : 0);
        QCOMPARE(s.folder().userSnippets().size(), 4);
    }

    // F2 renames where the snippet stands, asking again for a name refused; Del makes the next snippet current, or
    // the one before when the last goes; Ctrl+Z takes each change back in its place, newest first.
    void renameAndDeleteKeepThePlace() {
        Own s;
        const int beta = s.node("Beta");
        clickNode(s.main(), s.mathGroup());
        s.key(Qt::Key_Right);
        clickNode(s.main(), beta);

        for (const char* answer : {"Alpha", "", "Beta Two"})
            InputBox::setNextAnswer(QString(answer));
        s.key(Qt::Key_F2);
        QStringList offered;
        for (const InputBox::Asked& asked : InputBox::asked())
            offered << asked.text;
        QCOMPARE(offered, QStringList({"Beta", "Alpha", ""}));
        QCOMPARE(MessageBox::shown().size(), 2);
        QVERIFY(boxesSay("already holds"));
        QCOMPARE(s.main().catalogue().caption(beta), "Beta Two");
        QCOMPARE(s.main().selectedNode(), beta);
        QVERIFY(s.open(s.main().catalogue().parentNode(beta)) && s.open(s.mathGroup()));
        QCOMPARE(paneText(s.main()), kBeta);
        QCOMPARE(s.main().shownSnippet().name, "Beta Two"); // what Export proposes
        QStringList renamed = ownLines();
        renamed[1].replace("Beta=", "Beta Two=");
        QCOMPARE(s.folder().userSnippets(), renamed);
        s.key(Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.folder().userSnippets(), ownLines());
        QCOMPARE(s.main().catalogue().caption(beta), "Beta");
        QCOMPARE(s.main().selectedNode(), beta);
        QVERIFY(!s.enabled("mnuFileUndo"));

        MessageBox::clearShown();
        MessageBox::setNextAnswer(MessageBox::Button::No);
        s.key(Qt::Key_Delete);
        QCOMPARE(MessageBox::shownTexts(), QStringList{"Delete the snippet \"Beta\" from User Code?"});
        QCOMPARE(s.folder().userSnippets(), ownLines());
        for (const auto& [gone, next] : {std::pair{"Beta", "Gamma"}, {"Gamma", "Alpha"}, {"Alpha", ""}}) {
            clickNode(s.main(), s.node(gone));
            MessageBox::setNextAnswer(MessageBox::Button::Yes);
            s.key(Qt::Key_Delete);
            QCOMPARE(s.node(gone), 0);
            QCOMPARE(s.main().selectedNode(), *next ? s.node(next) : findNode(s.main(), "", kUserCodeCaption));
            QCOMPARE(s.main().shownSnippet().name, next);
            QVERIFY(s.open(s.mathGroup()));
        }
        QVERIFY(s.folder().userSnippets().isEmpty());
        QCOMPARE(paneText(s.main()), "");
        for (const char* back : {"Alpha", "Gamma", "Beta"}) {
            s.key(Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(s.main().selectedNode(), s.node(back));
            QCOMPARE(s.main().shownSnippet().name, back);
        }
        QCOMPARE(s.folder().userSnippets(), ownLines());
    }

    // What is saved is exactly what the pane holds: typed line breaks are CR LF, the others stay as they were.
    void editSavesWhatThePaneHolds() {
        Own s;
        CodeView* pane = s.main().codeView();
        auto* caption = child<QLabel>(&s.main(), "lblTitle1");
        const QString readCaption = caption->text();
        clickNode(s.main(), s.node("Beta"));
        s.trigger("mnuFileEditCode");
        QVERIFY(s.editing());
        QVERIFY(caption->text() != readCaption);
        QCOMPARE(QApplication::focusWidget(), pane);
        for (const char* entry : {"mnuFileRename", "mnuFileEditCode", "mnuFileDelete", "mnuFileUndo"})
            QVERIFY(!s.enabled(entry));

        // A new line, a paste of Unix text, and a character taken away with Del and given back with Ctrl+Z.
        QTest::keyClick(pane, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Return);
        QTest::keyClicks(pane, "' more");
        clipboard::setText("\nx = 1");
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Delete);
        QVERIFY(pane->heldCode().startsWith(" beta\n"));
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
        const QString expected = kBeta + "\r\n' more\r\nx = 1";
        QCOMPARE(pane->heldCode(), expected);
        // Ctrl+A is still Copy All, of what the pane holds.
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(clipboard::text(), expected);
        QCOMPARE(pane->selectedCode(), "");

        QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!s.editing());
        QCOMPARE(caption->text(), readCaption);
        QCOMPARE(paneText(s.main()), expected);
        QCOMPARE(s.folder().userSnippets()[1], "Beta=" + expected);

        // Esc takes back what was typed; leaving without a change asks nothing.
        s.trigger("mnuFileEditCode");
        QTest::keyClicks(pane, "typed");
        QTest::keyClick(pane, Qt::Key_Escape);
        QVERIFY(!s.editing());
        QCOMPARE(pane->heldCode(), expected);
        s.trigger("mnuFileEditCode");
        clickNode(s.main(), s.node("Gamma"));
        QCOMPARE(paneText(s.main()), "' gamma");
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(s.folder().userSnippets()[1], "Beta=" + expected);
    }

    // Every way out of a snippet with unsaved changes asks Save, Discard or Cancel; Cancel keeps the user where
    // they were, with what they typed.
    void unsavedChangesAskOnEveryWayOut_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<MessageBox::Button>("answer");
        for (const char* way : {"click", "arrow key", "Find", "Refresh", "close button", "quit"}) {
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
        FindWindow* find = way == "Find" ? s.find("gamma") : nullptr;
        s.back();
        s.trigger("mnuFileEditCode");
        QTest::keyClicks(s.main().codeView(), "typed ");
        const QString typed = s.main().codeView()->heldCode();

        MessageBox::setNextAnswer(answer);
        if (way == "click") {
            clickNode(s.main(), s.node("Gamma"));
        } else if (way == "arrow key") {
            s.main().treeView()->setFocus();
            s.key(Qt::Key_Down);
        } else if (way == "Find") {
            auto* list = child<QAbstractItemView>(find, "lstFound");
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(0, 0)).center());
        } else if (way == "Refresh") {
            s.trigger("mnuViewRefresh");
        } else if (way == "close button") {
            s.main().close();
        } else {
            // The program's own run, quit as the desktop quits it; a quit the user refused is ended here.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(); });
            QCoreApplication::exec();
        }

        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].buttons, MessageBox::Buttons::SaveDiscardCancel);
        QVERIFY(MessageBox::shown()[0].text.contains("\"Beta\""));
        const QString stored = s.folder().userSnippets()[1].mid(5);
        const bool cancel = answer == MessageBox::Button::Cancel, closes = way == "close button" || way == "quit";
        QCOMPARE(s.editing(), cancel);
        QCOMPARE(stored, answer == MessageBox::Button::Save ? typed : kBeta);
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

    // A record another program changed since it was shown is left as that program left it, the box says why, and
    // what the user typed stays in the pane.
    void changesByAnotherProgramAreRefused() {
        Own s;
        auto meanwhile = [&](const QStringList& arguments) {
            const QStringList dataDir{"--data-dir", s.folder().path()};
            return runProgram(qEnvironmentVariable("VERDANE_CLI"), dataDir + arguments).exitCode;
        };
        clickNode(s.main(), s.node("Beta"));
        QCOMPARE(meanwhile({"rename", "User Code", "Beta", "Theirs"}), 0);
        InputBox::setNextAnswer("Ours");
        s.key(Qt::Key_F2);
        QVERIFY2(boxesSay("changed or removed by another program"), qPrintable(MessageBox::shownTexts().join('|')));
        QStringList expected = ownLines();
        expected[1] = "Theirs=" + kBeta;
        QCOMPARE(s.folder().userSnippets(), expected);

        MessageBox::clearShown();
        clickNode(s.main(), s.node("Gamma"));
        s.trigger("mnuFileEditCode");
        QTest::keyClicks(s.main().codeView(), "mine ");
        QCOMPARE(meanwhile({"delete", "User Code", "Gamma"}), 0);
        QTest::keyClick(s.main().codeView(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(boxesSay("changed or removed by another program"));
        QVERIFY(s.editing());
        QCOMPARE(s.main().codeView()->heldCode(), "mine ' gamma");
        expected.removeLast();
        QCOMPARE(s.folder().userSnippets(), expected);
    }

    // A lock held by another program that outlasts the wait fails the save with a box, and nothing is lost.
    void aLockThatStaysFailsTheSave() {
        Own s;
        CodeView* pane = s.main().codeView();
        clickNode(s.main(), s.node("Beta"));
        s.trigger("mnuFileEditCode");
        QTest::keyClicks(pane, "mine ");
        {
            LockHolder lock(s.folder().userPath(), 6000);
            QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier);
        }
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::Critical);
        QVERIFY(MessageBox::shown()[0].text.contains(kUserFileName));
        QVERIFY(s.editing());
        QCOMPARE(s.folder().userSnippets(), ownLines());
        QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(s.folder().userSnippets()[1], "Beta=mine " + kBeta);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestUserSnippets)
#include "tst_usersnippets.moc"
