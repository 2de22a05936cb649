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

    void opensOnceModelessWithItsControls() {
        Session s(library());
        action(s.main(), "mnuFileFind")->trigger();
        FindWindow* find = s.main().findWindow();
        QVERIFY(find);
        QVERIFY(find->isVisible());
        QVERIFY(!find->isModal());
        auto* cmdFind = find->findChild<QPushButton*>("cmdFind");
        auto* cmdClose = find->findChild<QPushButton*>("cmdClose");
        QVERIFY(cmdFind->isDefault());
        auto* txtFind = find->findChild<QLineEdit*>("txtFind");
        auto* list = find->findChild<QAbstractItemView*>("lstFound");
        find->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(find));
        QCOMPARE(QApplication::focusWidget(), txtFind);
        for (QWidget* next : std::initializer_list<QWidget*>{cmdFind, cmdClose, list, txtFind}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }

        // The menu entry and the tool bar button show the same window, with what it held.
        txtFind->setText("msgbox");
        QTest::keyClick(txtFind, Qt::Key_Return);
        QVERIFY(searchEnded(find));
        const QStringList results = find->results();
        QVERIFY(!results.isEmpty());
        clickToolButton(s.main(), "Find");
        action(s.main(), "mnuFileFind")->trigger();
        QCOMPARE(s.main().findWindow(), find);
        QCOMPARE(txtFind->text(), "msgbox");
        QCOMPARE(find->results(), results);
        // Esc is Cancel: the window goes, and the next one starts empty.
        QTest::keyClick(txtFind, Qt::Key_Escape);
        QTRY_VERIFY(s.main().findWindow() == nullptr);
        s.main().mnuFileFind_Click();
        QCOMPARE(s.main().findWindow()->findChild<QLineEdit*>("txtFind")->text(), QString());
        QVERIFY(s.main().findWindow()->results().isEmpty());
    }

    void searchListsNamesAsDefined_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("any letter case, groups in order, then the user's")
            << "msgbox" << QStringList{"Show Box", "Shared", "File", "Shared", "Mine"};
        QTest::newRow("empty text lists every snippet with code")
            << "" << QStringList{"Show Box", "Quiet", "Shared", "Named MsgBox", "File", "Shared", "Mine"};
    }

    void searchListsNamesAsDefined() {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        Session s(library(), userSnippets());
        s.main().mnuFileFind_Click();
        FindWindow* find = s.main().findWindow();
        TitleRecorder titles;
        find->installEventFilter(&titles);
        find->findChild<QLineEdit*>("txtFind")->setText(text);
        auto* cmdFind = find->findChild<QPushButton*>("cmdFind");
        QTest::mouseClick(cmdFind, Qt::LeftButton);
        QVERIFY(searchEnded(find));
        QCOMPARE(find->results(), expected);
        QCOMPARE(titles.titles, QStringList({"Verdane - Find - Working...", "Verdane - Find"}));
        // The list is cleared first: a second search gives the same list once.
        QTest::mouseClick(cmdFind, Qt::LeftButton);
        QVERIFY(searchEnded(find));
        QCOMPARE(find->results(), expected);
        QCOMPARE(find->findChild<QAbstractItemView*>("lstFound")->model()->rowCount(), expected.size());
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void pickingShowsTheVeryRecordThatMatched() {
        Session s(library(), userSnippets());
        const QString shownBefore = "x = 1";
        clickNode(s.main(), findNode(s.main(), "File", "Quiet"));
        s.main().mnuFileFind_Click();
        FindWindow* find = s.main().findWindow();
        QVERIFY(QTest::qWaitForWindowActive(find));
        find->findChild<QLineEdit*>("txtFind")->setText("msgbox");
        QVERIFY(search(find));
        QCOMPARE(find->results(), QStringList({"Show Box", "Shared", "File", "Shared", "Mine"}));
        auto* list = find->findChild<QAbstractItemView*>("lstFound");
        auto pick = [&](int row) {
            list->scrollTo(list->model()->index(row, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualRect(list->model()->index(row, 0)).center());
        };

        // Tabbing into the list picks nothing.
        auto* close = find->findChild<QPushButton*>("cmdClose");
        close->setFocus();
        QTest::keyClick(close, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), list);
        QCOMPARE(paneText(s.main()), shownBefore);

        // The user's "Shared" shows the user's record, not the library's of the same name.
        pick(3);
        QCOMPARE(s.main().selectedNode(), findNode(s.main(), kUserCodeCaption, "Shared"));
        QCOMPARE(paneText(s.main()), "MsgBox mine");

        // The arrow keys pick as well.
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(s.main().selectedNode(), findNode(s.main(), kUserCodeCaption, "Mine"));
        QCOMPARE(paneText(s.main()), "Msgbox");

        // A snippet called "File" is a snippet, not the group of that name.
        pick(2);
        QCOMPARE(s.main().selectedNode(), findNode(s.main(), "Window", "File"));
        QCOMPARE(paneText(s.main()), "' a snippet called File\r\nMSGBOX");
        QVERIFY(MessageBox::shown().isEmpty());

        // A record gone from the database since the search changes nothing.
        const int selected = s.main().selectedNode();
        QVERIFY(DatabaseFile::exec(s.folder().userPath(), "DELETE FROM UserCode WHERE CodeName='Mine'"));
        pick(4);
        QCOMPARE(s.main().selectedNode(), selected);
        QCOMPARE(paneText(s.main()), "' a snippet called File\r\nMSGBOX");
        QVERIFY(MessageBox::shown().isEmpty());
    }

    void tablesThatCannotBeReadAreNamedOnceAfterTheSearch() {
        Session s(library(), userSnippets());
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), "DROP TABLE File"));
        s.main().mnuFileFind_Click();
        FindWindow* find = s.main().findWindow();
        find->findChild<QLineEdit*>("txtFind")->setText("msgbox");
        QVERIFY(search(find));
        QCOMPARE(find->windowTitle(), "Verdane - Find");
        QCOMPARE(find->results(), QStringList({"Shared", "File", "Shared", "Mine"}));
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY(MessageBox::shown()[0].text.contains("\"File\" of qmvbsource.mdb"));

        // A table that breaks after the search: picking from it is the viewer's failure, shown as such.
        MessageBox::clearShown();
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), "DROP TABLE Math"));
        auto* list = find->findChild<QAbstractItemView*>("lstFound");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(0, 0)).center());
        QCOMPARE(MessageBox::shownTexts(), QStringList{"Error"});
    }

    // The search runs beside the window: here it waits for another program's lock on the library, and the window
    // answers all the while; Cancel stops it at once, and a new search replaces a running one.
    void aRunningSearchCanBeCancelledOrReplaced() {
        Session s(library(), userSnippets());
        s.main().mnuFileFind_Click();
        FindWindow* find = s.main().findWindow();
        auto* txtFind = find->findChild<QLineEdit*>("txtFind");
        auto* cancel = find->findChild<QPushButton*>("cmdClose");
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

    void aRefreshOrImportIsSeenByTheNextSearch() {
        Session s(library(), userSnippets());
        s.main().mnuFileFind_Click();
        FindWindow* find = s.main().findWindow();
        find->findChild<QLineEdit*>("txtFind")->setText("fresh");
        QVERIFY(search(find));
        QVERIFY(find->results().isEmpty());
        QVERIFY(s.main().store().addUserSnippet("Fresh", "a fresh one"));
        s.main().LoadCodeTree();
        // Results are not refreshed by themselves...
        QVERIFY(find->results().isEmpty());
        // ...but the next search sees the new snippet.
        QVERIFY(search(find));
        QCOMPARE(find->results(), QStringList{"Fresh"});
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestFindWindow)
#include "tst_findwindow.moc"
