#include "core/CatalogueModel.h"
#include "core/GroupNames.h"
#include "core/SnippetStore.h"
#include "support/UiSupport.h"
#include "ui/common/MessageBox.h"
#include "ui/find/FindWindow.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainToolBar.h"
#include "ui/main/MainWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

using namespace verdane;
using namespace verdane::test;

namespace {

QMap<QString, QList<Record>> library() {
    return {
        {"File", {{"Show Box", "MsgBox \"File\""}, {"Quiet", "x = 1"}}},
        {"Math", {{"Shared", "msgbox  twice"}, {"Named MsgBox", "nothing here"}, {"Empty", ""}, {"Null", QVariant()}}},
        {"Window", {{"File", "' a snippet called File\r\nMSGBOX"}}}};
}

QList<Record> userSnippets() {
    return {{"Shared", "MsgBox mine"}, {"Mine", "Msgbox"}};
}

// Records every caption the window shows, so the one shown while searching is seen too.
class TitleRecorder : public QObject {
public:
    QStringList titles;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::WindowTitleChange)
            titles << static_cast<QWidget*>(watched)->windowTitle();
        return false;
    }
};

} // namespace

class TestFindWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }
    void init() { m_env->reset(); }

    // What a user does with Find: open it, type, search, pick from the list, search again, close it.
    void findAndPick() {
        Session s(library(), userSnippets());
        const QStringList matches{"Show Box", "Shared", "File", "Shared", "Mine"};
        clickNode(s.main(), findNode(s.main(), "File", "Quiet"));
        action(s.main(), "mnuFileFind")->trigger();
        FindWindow* find = s.main().findWindow();
        QVERIFY(find && find->isVisible() && !find->isModal());
        TitleRecorder titles;
        find->installEventFilter(&titles);
        auto* cmdFind = child<QPushButton>(find, "cmdFind");
        auto* cmdClose = child<QPushButton>(find, "cmdClose");
        auto* txtFind = child<QLineEdit>(find, "txtFind");
        auto* list = child<QAbstractItemView>(find, "lstFound");
        QVERIFY(QTest::qWaitForWindowActive(find));
        QCOMPARE(QApplication::focusWidget(), txtFind);
        QTest::keyClicks(txtFind, "msgbox");
        QTest::keyClick(txtFind, Qt::Key_Return);
        QVERIFY(searchEnded(find));
        // Any letter case, the groups in order, then the user's.
        QCOMPARE(find->results(), matches);
        QCOMPARE(titles.titles, QStringList({"Verdane - Find - Working...", "Verdane - Find"}));
        // The list is cleared first: a second search gives the same list once.
        QTest::mouseClick(cmdFind, Qt::LeftButton);
        QVERIFY(searchEnded(find));
        QCOMPARE(list->model()->rowCount(), matches.size());

        // Tabbing round the window and into the list picks nothing.
        for (QWidget* next : std::initializer_list<QWidget*>{cmdClose, list}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QCOMPARE(paneText(s.main()), "x = 1");
        auto pick = [&](int row) {
            list->scrollTo(list->model()->index(row, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(row, 0)).center());
        };
        // The user's "Shared" shows the user's record, not the library's of the same name; the arrow keys pick too.
        pick(3);
        QCOMPARE(s.main().selectedNode(), findNode(s.main(), kUserCodeCaption, "Shared"));
        QCOMPARE(paneText(s.main()), "MsgBox mine");
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(s.main().selectedNode(), findNode(s.main(), kUserCodeCaption, "Mine"));
        QCOMPARE(paneText(s.main()), "Msgbox");
        // A snippet called "File" is a snippet, not the group of that name.
        pick(2);
        QCOMPARE(s.main().selectedNode(), findNode(s.main(), "Window", "File"));
        QCOMPARE(paneText(s.main()), "' a snippet called File\r\nMSGBOX");
        // A record gone from the database since the search changes nothing.
        const int selected = s.main().selectedNode();
        QVERIFY(DatabaseFile::exec(s.folder().userPath(), "DELETE FROM UserCode WHERE CodeName='Mine'"));
        pick(4);
        QCOMPARE(s.main().selectedNode(), selected);
        QCOMPARE(paneText(s.main()), "' a snippet called File\r\nMSGBOX");

        // An import is not listed by itself, but the next search sees it; empty text lists every snippet with code.
        QVERIFY(s.main().store().addUserSnippet("Fresh", "a fresh one"));
        s.main().LoadCodeTree();
        QCOMPARE(find->results(), matches);
        txtFind->clear();
        QVERIFY(search(find));
        QCOMPARE(find->results(),
                 QStringList({"Show Box", "Quiet", "Shared", "Named MsgBox", "File", "Shared", "Fresh"}));
        QVERIFY(MessageBox::shown().isEmpty());

        // The menu entry and the tool bar button show the same window, with what it held; Esc is Cancel, and the
        // next one starts empty.
        clickToolButton(s.main(), "Find");
        action(s.main(), "mnuFileFind")->trigger();
        QCOMPARE(s.main().findWindow(), find);
        QCOMPARE(find->results().size(), 7);
        QTest::keyClick(txtFind, Qt::Key_Escape);
        QTRY_VERIFY(s.main().findWindow() == nullptr);
        s.main().mnuFileFind_Click();
        QCOMPARE(child<QLineEdit>(s.main().findWindow(), "txtFind")->text(), "");
        QVERIFY(s.main().findWindow()->results().isEmpty());
    }

    void tablesThatCannotBeReadAreNamedOnceAfterTheSearch() {
        Session s(library(), userSnippets());
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), "DROP TABLE File"));
        s.main().mnuFileFind_Click();
        FindWindow* find = s.main().findWindow();
        child<QLineEdit>(find, "txtFind")->setText("msgbox");
        QVERIFY(search(find));
        QCOMPARE(find->windowTitle(), "Verdane - Find");
        QCOMPARE(find->results(), QStringList({"Shared", "File", "Shared", "Mine"}));
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown()[0].text.contains("\"File\" of qmvbsource.mdb"));

        // A table that breaks after the search: picking from it is the viewer's failure, shown as such.
        MessageBox::clearShown();
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), "DROP TABLE Math"));
        auto* list = child<QAbstractItemView>(find, "lstFound");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
        QCOMPARE(MessageBox::shownTexts(), QStringList{"Error"});
    }

    // The search runs beside the window: here it waits for another program's lock on the library, and the window
    // answers all the while; Cancel stops it at once, and a new search replaces a running one.
    void aRunningSearchCanBeCancelledOrReplaced() {
        Session s(library(), userSnippets());
        s.main().mnuFileFind_Click();
        FindWindow* find = s.main().findWindow();
        auto* txtFind = child<QLineEdit>(find, "txtFind");
        auto* cancel = child<QPushButton>(find, "cmdClose");
        QElapsedTimer clock;
        clock.start();
        {
            LockHolder lock(s.folder().libraryPath(), 4000);
            txtFind->setText("msgbox");
            find->cmdFind_Click();
            QTest::qWait(100);
            QVERIFY(find->isSearching());
            QCOMPARE(find->windowTitle(), "Verdane - Find - Working...");
            QTest::keyClicks(txtFind, " mine");
            QCOMPARE(txtFind->text(), "msgbox mine");

            QTest::mouseClick(cancel, Qt::LeftButton);
            QVERIFY(QTest::qWaitFor([&] { return !find->isSearching(); }, 1000));
            QVERIFY(clock.elapsed() < 3000);
            QVERIFY(find->isVisible());
            QCOMPARE(find->windowTitle(), "Verdane - Find");

            // Replaced before it could find anything: only the second search's hits are listed.
            txtFind->setText("x = 1");
            find->cmdFind_Click();
            txtFind->setText("msgbox");
            find->cmdFind_Click();
        }
        QVERIFY(searchEnded(find));
        QCOMPARE(find->results(), QStringList({"Show Box", "Shared", "File", "Shared", "Mine"}));
        QVERIFY(MessageBox::shown().isEmpty());
        // With no search running, Cancel closes the window.
        QTest::mouseClick(cancel, Qt::LeftButton);
        QTRY_VERIFY(s.main().findWindow() == nullptr);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestFindWindow)
#include "tst_findwindow.moc"
