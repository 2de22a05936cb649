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
#include <QContextMenuEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QTreeView>

using namespace verdane;
using namespace verdane::test;

namespace {

const QString kMath = QStringLiteral("Math");

QMap<QString, QList<Record>> library() {
    return {{kMath, {{QStringLiteral("Sum"), QStringLiteral("Sum = a + b")}}}};
}

// Three snippets of the user's own; the middle one's code has a lone LF, which editing must keep.
QList<Record> ownSnippets() {
    return {{QStringLiteral("Alpha"), QStringLiteral("' alpha\r\nSub Alpha()\r\nEnd Sub")},
            {QStringLiteral("Beta"), QStringLiteral("' beta\nSub Beta()\r\nEnd Sub")},
            {QStringLiteral("Gamma"), QStringLiteral("' gamma")}};
}

// The same as the user's table holds them, as name=code lines.
QStringList ownLines() {
    QStringList lines;
    for (const Record& r : ownSnippets())
        lines << r.name.toString() + QLatin1Char('=') + r.code.toString();
    return lines;
}

int own(MainWindow& main, const QString& name) {
    return findNode(main, kUserCodeCaption, name);
}

bool enabled(MainWindow& main, const char* entry) {
    return action(main, QString::fromLatin1(entry))->isEnabled();
}

bool editing(MainWindow& main) {
    return main.codeView()->isEditing();
}

void backToMain(MainWindow& main) {
    main.activateWindow();
    if (!QTest::qWaitForWindowActive(&main))
        qWarning("the main window did not become active");
}

// The entries of the tree's context menu on a node, right-clicked as a user does, with whether each is enabled.
QStringList treeMenu(MainWindow& main, int node) {
    QTreeView* tree = main.treeView();
    const QPoint at = tree->visualRect(main.catalogue().indexOfNode(node)).center();
    QTest::mousePress(tree->viewport(), Qt::RightButton, {}, at);
    QTest::mouseRelease(tree->viewport(), Qt::RightButton, {}, at);
    QStringList entries;
    QTimer::singleShot(0, tree, [&entries] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* a : menu->actions())
                entries << a->objectName() + (a->isEnabled() ? QString() : QStringLiteral(" (disabled)"));
            menu->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, tree->viewport()->mapToGlobal(at));
    QApplication::sendEvent(tree->viewport(), &event);
    // The window system gives the keyboard back to the window when its menu goes; this platform does not.
    backToMain(main);
    return entries;
}

FindWindow* findText(MainWindow& main, const QString& text) {
    action(main, QStringLiteral("mnuFileFind"))->trigger();
    FindWindow* find = main.findWindow();
    find->findChild<QLineEdit*>(QStringLiteral("txtFind"))->setText(text);
    if (!search(find))
        qWarning("the search did not end");
    return find;
}

bool boxesSay(const QString& words) {
    const QStringList texts = MessageBox::shownTexts();
    return std::any_of(texts.begin(), texts.end(), [&](const QString& t) { return t.contains(words); });
}

} // namespace

class TestUserSnippets : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }
    void init() { m_env->reset(); }

    // Only a snippet of the user's own is offered for a change, in the menus and by its keys.
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
        Session s(library(), ownSnippets() << Record{QStringLiteral("Sum"), QStringLiteral("' my sum")});
        const int node = findNode(s.main(), parent, caption);
        QVERIFY(node > 0);
        clickNode(s.main(), node);
        const QString disabled = offered ? QString() : QStringLiteral(" (disabled)");
        QCOMPARE(treeMenu(s.main(), node),
                 QStringList({"mnuFileRename" + disabled, "mnuFileEditCode" + disabled, "mnuFileDelete" + disabled}));
        for (const char* entry : {"mnuFileRename", "mnuFileEditCode", "mnuFileDelete"})
            QCOMPARE(enabled(s.main(), entry), offered);
        QVERIFY(!enabled(s.main(), "mnuFileSaveCode") && !enabled(s.main(), "mnuFileCancelEdit"));

        // F2 asks for a name and Del asks before deleting; neither does a thing elsewhere.
        QTest::keyClick(s.main().treeView(), Qt::Key_F2);
        QTest::keyClick(s.main().treeView(), Qt::Key_Delete);
        QCOMPARE(InputBox::asked().size(), offered ? 1 : 0);
        QCOMPARE(MessageBox::shown().size(), offered ? 1 : 0);
        QCOMPARE(s.folder().userSnippets().size(), 4);
    }

    // F2 renames where the snippet stands; a name refused is asked for again; Ctrl+Z takes it back.
    void renameKeepsThePlace() {
        Session s(library(), ownSnippets());
        const QByteArray libraryBytes = fileDigest(s.folder().libraryPath());
        QTreeView* tree = s.main().treeView();
        const int beta = own(s.main(), QStringLiteral("Beta"));
        clickNode(s.main(), findNode(s.main(), kPublisherLabel, kMath));
        QTest::keyClick(tree, Qt::Key_Right);
        clickNode(s.main(), beta);
        FindWindow* find = findText(s.main(), QStringLiteral("sub beta"));
        QCOMPARE(find->results(), QStringList{QStringLiteral("Beta")});
        backToMain(s.main());

        for (const char* answer : {"Alpha", "", "Beta Two"})
            InputBox::setNextAnswer(QString::fromLatin1(answer));
        QTest::keyClick(tree, Qt::Key_F2);
        QStringList offered;
        for (const InputBox::Asked& asked : InputBox::asked())
            offered << asked.text;
        QCOMPARE(offered, QStringList({"Beta", "Alpha", ""}));
        QCOMPARE(MessageBox::shown().size(), 2);
        QVERIFY(boxesSay(QStringLiteral("already holds")));

        QCOMPARE(s.main().catalogue().caption(beta), QStringLiteral("Beta Two"));
        QCOMPARE(s.main().selectedNode(), beta);
        QVERIFY(tree->isExpanded(s.main().catalogue().indexOfNode(s.main().catalogue().parentNode(beta))));
        QVERIFY(tree->isExpanded(s.main().catalogue().indexOfNode(findNode(s.main(), kPublisherLabel, kMath))));
        QCOMPARE(paneText(s.main()), ownSnippets()[1].code.toString());
        QStringList renamed = ownLines();
        renamed[1].replace(QStringLiteral("Beta="), QStringLiteral("Beta Two="));
        QCOMPARE(s.folder().userSnippets(), renamed);
        QVERIFY(search(find));
        QCOMPARE(find->results(), QStringList{QStringLiteral("Beta Two")});
        backToMain(s.main());

        // Export proposes the new name: the window knows the snippet by it.
        QCOMPARE(s.main().shownSnippet().name, QStringLiteral("Beta Two"));
        QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(s.folder().userSnippets(), ownLines());
        QCOMPARE(s.main().catalogue().caption(beta), QStringLiteral("Beta"));
        QCOMPARE(s.main().selectedNode(), beta);
        QVERIFY(!enabled(s.main(), "mnuFileUndo"));
        QCOMPARE(fileDigest(s.folder().libraryPath()), libraryBytes);
    }

    // Del asks; the next snippet becomes current and is shown, the one before when the last goes; Ctrl+Z brings
    // each back in its place, newest first.
    void deleteMakesTheNextCurrent() {
        Session s(library(), ownSnippets());
        const QByteArray libraryBytes = fileDigest(s.folder().libraryPath());
        QTreeView* tree = s.main().treeView();
        clickNode(s.main(), findNode(s.main(), kPublisherLabel, kMath));
        QTest::keyClick(tree, Qt::Key_Right);
        clickNode(s.main(), own(s.main(), QStringLiteral("Beta")));

        MessageBox::setNextAnswer(MessageBox::Button::No);
        QTest::keyClick(tree, Qt::Key_Delete);
        QCOMPARE(MessageBox::shownTexts(), QStringList{QStringLiteral("Delete the snippet \"Beta\" from User Code?")});
        QCOMPARE(MessageBox::shown()[0].buttons, MessageBox::Buttons::YesNo);
        QCOMPARE(s.folder().userSnippets(), ownLines());

        const QStringList steps[] = {{"Beta", "Gamma"}, {"Gamma", "Alpha"}, {"Alpha", ""}};
        for (const QStringList& step : steps) {
            clickNode(s.main(), own(s.main(), step[0]));
            MessageBox::setNextAnswer(MessageBox::Button::Yes);
            QTest::keyClick(tree, Qt::Key_Delete);
            QVERIFY(own(s.main(), step[0]) == 0);
            const int next =
                step[1].isEmpty() ? findNode(s.main(), QString(), kUserCodeCaption) : own(s.main(), step[1]);
            QCOMPARE(s.main().selectedNode(), next);
            QCOMPARE(s.main().shownSnippet().name, step[1]);
            QVERIFY(tree->isExpanded(s.main().catalogue().indexOfNode(findNode(s.main(), kPublisherLabel, kMath))));
        }
        QVERIFY(s.folder().userSnippets().isEmpty());
        QCOMPARE(paneText(s.main()), QString());
        FindWindow* find = findText(s.main(), QStringLiteral("sub"));
        QVERIFY(find->results().isEmpty());
        backToMain(s.main());

        for (const char* back : {"Alpha", "Gamma", "Beta"}) {
            QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(s.main().selectedNode(), own(s.main(), QString::fromLatin1(back)));
            QCOMPARE(s.main().shownSnippet().name, QString::fromLatin1(back));
        }
        QCOMPARE(s.folder().userSnippets(), ownLines());
        QVERIFY(search(find));
        QCOMPARE(find->results(), QStringList({"Alpha", "Beta"}));
        QCOMPARE(fileDigest(s.folder().libraryPath()), libraryBytes);
    }

    // What is saved is exactly what the pane holds: typed line breaks are CR LF, the others stay as they were.
    void editSavesWhatThePaneHolds() {
        Session s(library(), ownSnippets());
        const QByteArray libraryBytes = fileDigest(s.folder().libraryPath());
        CodeView* pane = s.main().codeView();
        auto* caption = s.main().findChild<QLabel*>(QStringLiteral("lblTitle1"));
        const QString readCaption = caption->text();
        clickNode(s.main(), own(s.main(), QStringLiteral("Beta")));
        action(s.main(), QStringLiteral("mnuFileEditCode"))->trigger();
        QVERIFY(editing(s.main()));
        QVERIFY(caption->text() != readCaption);
        QCOMPARE(QApplication::focusWidget(), pane);
        for (const char* entry : {"mnuFileRename", "mnuFileEditCode", "mnuFileDelete", "mnuFileUndo"})
            QVERIFY(!enabled(s.main(), entry));

        // Typing at the end: a new line, a paste of Unix text, and a character taken away with Del and given back
        // with Ctrl+Z.
        QTest::keyClick(pane, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Return);
        QTest::keyClicks(pane, QStringLiteral("' more"));
        clipboard::setText(QStringLiteral("\nx = 1"));
        QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Home, Qt::ControlModifier);
        QTest::keyClick(pane, Qt::Key_Delete);
        QVERIFY(pane->heldCode().startsWith(QStringLiteral(" beta\n")));
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
        const QString expected = ownSnippets()[1].code.toString() + QStringLiteral("\r\n' more\r\nx = 1");
        QCOMPARE(pane->heldCode(), expected);
        QVERIFY(MessageBox::shown().isEmpty());

        // Ctrl+A is still Copy All, of what the pane holds.
        clipboard::setText(QStringLiteral("before"));
        QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(clipboard::text(), expected);
        QCOMPARE(pane->selectedCode(), QString());

        QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!editing(s.main()));
        QCOMPARE(caption->text(), readCaption);
        QCOMPARE(paneText(s.main()), expected);
        QCOMPARE(s.folder().userSnippets()[1], "Beta=" + expected);

        // Esc takes back what was typed; leaving without a change asks nothing.
        action(s.main(), QStringLiteral("mnuFileEditCode"))->trigger();
        QTest::keyClicks(pane, QStringLiteral("typed"));
        QTest::keyClick(pane, Qt::Key_Escape);
        QVERIFY(!editing(s.main()));
        QCOMPARE(pane->heldCode(), expected);
        action(s.main(), QStringLiteral("mnuFileEditCode"))->trigger();
        clickNode(s.main(), own(s.main(), QStringLiteral("Gamma")));
        QCOMPARE(paneText(s.main()), QStringLiteral("' gamma"));
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(s.folder().userSnippets()[1], "Beta=" + expected);
        QCOMPARE(fileDigest(s.folder().libraryPath()), libraryBytes);
    }

    // Every way out of a snippet with unsaved changes asks Save, Discard or Cancel; Cancel keeps the user where
    // they were, with what they typed.
    void unsavedChangesAskOnEveryWayOut_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<MessageBox::Button>("answer");
        for (const char* way : {"click", "arrow key", "Find", "Refresh", "close button", "quit"}) {
            for (const auto& [answer, name] :
                 {std::pair{MessageBox::Button::Cancel, "cancel"}, std::pair{MessageBox::Button::Discard, "discard"},
                  std::pair{MessageBox::Button::Save, "save"}})
                QTest::addRow("%s, %s", way, name) << QString::fromLatin1(way) << answer;
        }
    }

    void unsavedChangesAskOnEveryWayOut() {
        QFETCH(QString, way);
        QFETCH(MessageBox::Button, answer);
        Session s(library(), ownSnippets());
        MainWindow& main = s.main();
        const int beta = own(main, QStringLiteral("Beta"));
        clickNode(main, beta);
        FindWindow* find = way == QLatin1String("Find") ? findText(main, QStringLiteral("gamma")) : nullptr;
        backToMain(main);
        action(main, QStringLiteral("mnuFileEditCode"))->trigger();
        QTest::keyClicks(main.codeView(), QStringLiteral("typed "));
        const QString typed = main.codeView()->heldCode();

        MessageBox::setNextAnswer(answer);
        if (way == QLatin1String("click")) {
            clickNode(main, own(main, QStringLiteral("Gamma")));
        } else if (way == QLatin1String("arrow key")) {
            main.treeView()->setFocus();
            QTest::keyClick(main.treeView(), Qt::Key_Down);
        } else if (way == QLatin1String("Find")) {
            auto* list = find->findChild<QAbstractItemView*>(QStringLiteral("lstFound"));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(0, 0)).center());
        } else if (way == QLatin1String("Refresh")) {
            action(main, QStringLiteral("mnuViewRefresh"))->trigger();
        } else if (way == QLatin1String("close button")) {
            main.close();
        } else {
            // The program's own run, quit as the desktop quits it; a quit the user refused is ended here.
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(); });
            QCoreApplication::exec();
        }

        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].buttons, MessageBox::Buttons::SaveDiscardCancel);
        QVERIFY(MessageBox::shown()[0].text.contains(QStringLiteral("\"Beta\"")));
        const QString stored = s.folder().userSnippets()[1].mid(5);
        if (answer == MessageBox::Button::Cancel) {
            QVERIFY(editing(main));
            QCOMPARE(main.codeView()->heldCode(), typed);
            QVERIFY(main.isVisible());
            QTRY_COMPARE(main.selectedNode(), beta);
            QCOMPARE(stored, ownSnippets()[1].code.toString());
            return;
        }
        QVERIFY(!editing(main));
        QCOMPARE(stored, answer == MessageBox::Button::Save ? typed : ownSnippets()[1].code.toString());
        const bool closes = way == QLatin1String("close button") || way == QLatin1String("quit");
        QCOMPARE(main.isVisible(), !closes);
        if (way == QLatin1String("Refresh"))
            QCOMPARE(main.selectedNode(), 0);
        else if (!closes)
            QCOMPARE(main.shownSnippet().name, QStringLiteral("Gamma"));
    }

    // A record another program changed since it was shown is left as that program left it, and the box says why.
    void changesByAnotherProgramAreRefused_data() {
        QTest::addColumn<QStringList>("meanwhile"); // what verdane-cli does after the snippet was shown
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("stored"); // Beta's line afterwards; empty: it is gone
        QTest::newRow("rename after a rename") << QStringList{"rename", "User Code", "Beta", "Theirs"} << "rename"
                                               << "Theirs=' beta\nSub Beta()\r\nEnd Sub";
        QTest::newRow("delete after an edit") << QStringList{"edit", "User Code", "Beta", "-"} << "delete"
                                              << "Beta=theirs";
        QTest::newRow("save after a delete") << QStringList{"delete", "User Code", "Beta"} << "save"
                                             << "";
        QTest::newRow("undo after a rename") << QStringList{"rename", "User Code", "Ours", "Theirs"} << "undo"
                                             << "Theirs=' beta\nSub Beta()\r\nEnd Sub";
    }

    void changesByAnotherProgramAreRefused() {
        QFETCH(QStringList, meanwhile);
        QFETCH(QString, change);
        QFETCH(QString, stored);
        Session s(library(), ownSnippets());
        QTreeView* tree = s.main().treeView();
        clickNode(s.main(), own(s.main(), QStringLiteral("Beta")));
        if (change == QLatin1String("undo")) {
            InputBox::setNextAnswer(QStringLiteral("Ours"));
            QTest::keyClick(tree, Qt::Key_F2);
        } else if (change == QLatin1String("save")) {
            action(s.main(), QStringLiteral("mnuFileEditCode"))->trigger();
            QTest::keyClicks(s.main().codeView(), QStringLiteral("mine "));
        }
        const ProgramRun other = runProgram(qEnvironmentVariable("VERDANE_CLI"),
                                            QStringList{"--data-dir", s.folder().path()} + meanwhile, "theirs");
        QCOMPARE(other.exitCode, 0);

        if (change == QLatin1String("rename")) {
            InputBox::setNextAnswer(QStringLiteral("Ours"));
            QTest::keyClick(tree, Qt::Key_F2);
        } else if (change == QLatin1String("delete")) {
            MessageBox::setNextAnswer(MessageBox::Button::Yes);
            QTest::keyClick(tree, Qt::Key_Delete);
        } else if (change == QLatin1String("save")) {
            QTest::keyClick(s.main().codeView(), Qt::Key_S, Qt::ControlModifier);
            QVERIFY(editing(s.main()));
            QVERIFY(s.main().codeView()->heldCode().startsWith(QStringLiteral("mine ")));
        } else {
            QTest::keyClick(tree, Qt::Key_Z, Qt::ControlModifier);
        }
        QVERIFY2(boxesSay(QStringLiteral("changed or removed by another program")),
                 qPrintable(MessageBox::shownTexts().join(QLatin1Char('|'))));
        QStringList expected = ownLines();
        if (stored.isEmpty())
            expected.removeAt(1);
        else
            expected[1] = stored;
        QCOMPARE(s.folder().userSnippets(), expected);
    }

    // A change waits for another program's lock; one that stays fails with a box, and nothing is lost.
    void locksAreWaitedFor() {
        Session s(library(), ownSnippets());
        CodeView* pane = s.main().codeView();
        clickNode(s.main(), own(s.main(), QStringLiteral("Beta")));
        action(s.main(), QStringLiteral("mnuFileEditCode"))->trigger();
        QTest::keyClicks(pane, QStringLiteral("mine "));
        {
            LockHolder lock(s.folder().userPath(), 6000);
            QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier);
        }
        QCOMPARE(MessageBox::shown().size(), 1);
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::Critical);
        QVERIFY(MessageBox::shown()[0].text.contains(kUserFileName));
        QVERIFY(editing(s.main()));
        QCOMPARE(s.folder().userSnippets(), ownLines());
        {
            LockHolder lock(s.folder().userPath(), 500);
            QTest::keyClick(pane, Qt::Key_S, Qt::ControlModifier);
        }
        QVERIFY(!editing(s.main()));
        QCOMPARE(s.folder().userSnippets()[1], "Beta=mine " + ownSnippets()[1].code.toString());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestUserSnippets)
#include "tst_usersnippets.moc"
