#include "support/UiSupport.h"
#include "ui/find/FindWindow.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QMap<QString, QList<Record>> kLibrary{
    {"File", {{"Show Box", "MsgBox \"File\""}, {"Quiet", "x = 1"}}},
    {"Math", {{"Shared", "msgbox  twice"}, {"Named MsgBox", "nothing here"}, {"Empty", ""}, {"Null", QVariant()}}},
    {"Window", {{"File", "' a snippet called File\r\nMSGBOX"}}}};

const QList<Record> kUser{{"Shared", "MsgBox mine"}, {"Mine", "Msgbox"}};
const QStringList kMatches{"Show Box", "Shared", "File", "Shared", "Mine"};

// Clicks a row of the list with the mouse.
void pick(QAbstractItemView* list, int row) {
    list->scrollTo(list->model()->index(row, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(list->model()->index(row, 0)).center());
}

} // namespace

class TestFindWindow : public QObject {
    Q_OBJECT

    UiEnvironment m_env;

private Q_SLOTS:
    void init() { m_env.reset(); }

    // What a user does with Find: open it, type, search, pick from the list, search again, close it.
    void findAndPick() {
        Session s(kLibrary, kUser);
        clickNode(s.main(), findNode(s.main(), "File", "Quiet"));
        action(s.main(), "mnuFileFind")->trigger();
        FindWindow* find = s.main().findWindow();
        QVERIFY(find && find->isVisible() && !find->isModal());
        auto* txtFind = child<QLineEdit>(find, "txtFind");
        auto* list = child<QAbstractItemView>(find, "lstFound");
        QVERIFY(QTest::qWaitForWindowActive(find));
        // The search runs beside the window: here it waits for another program's lock on the library, and the window
        // answers all the while; Cancel stops it long before the lock is gone, and a new search replaces a running
        // one, only its hits listed.
        {
            LockHolder lock(s.folder().libraryPath(), 4000);
            QTest::keyClicks(QApplication::focusWidget(), "msgbox");
            QTest::keyClick(txtFind, Qt::Key_Return);
            QTest::qWait(100);
            QVERIFY(find->isSearching());
            QTest::keyClicks(txtFind, " mine");
            QCOMPARE(txtFind->text(), "msgbox mine");
            QTest::mouseClick(child(find, "cmdClose"), Qt::LeftButton);
            QVERIFY(QTest::qWaitFor([&] { return !find->isSearching(); }, 1000));
            QVERIFY(find->isVisible());
            txtFind->setText("x = 1");
            find->cmdFind_Click();
            txtFind->setText("msgbox");
            QTest::keyClick(txtFind, Qt::Key_Return);
        }
        QVERIFY(searchEnded(find));
        QVERIFY(MessageBox::shown().isEmpty());
        // Any letter case, the groups in order, then the user's; a second search lists them once.
        QCOMPARE(find->results(), kMatches);
        QTest::mouseClick(child<QPushButton>(find, "cmdFind"), Qt::LeftButton);
        QVERIFY(searchEnded(find));
        QCOMPARE(list->model()->rowCount(), kMatches.size());

        // Tabbing round the window and into the list picks nothing.
        for (QWidget* next : std::initializer_list<QWidget*>{child(find, "cmdClose"), list}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        QCOMPARE(paneText(s.main()), "x = 1");
        // The user's "Shared" shows the user's record, not the library's of the same name; the arrow keys pick too.
        pick(list, 3);
        QCOMPARE(s.main().selectedNode(), findNode(s.main(), kUserCodeCaption, "Shared"));
        QCOMPARE(paneText(s.main()), "MsgBox mine");
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(paneText(s.main()), "Msgbox");
        // A snippet called "File" is a snippet, not the group of that name.
        pick(list, 2);
        QCOMPARE(s.main().selectedNode(), findNode(s.main(), "Window", "File"));
        // A record gone from the database since the search changes nothing.
        QVERIFY(DatabaseFile::exec(s.folder().userPath(), "DELETE FROM UserCode WHERE CodeName='Mine'"));
        pick(list, 4);
        QCOMPARE(s.main().selectedNode(), findNode(s.main(), "Window", "File"));
        QCOMPARE(paneText(s.main()), "' a snippet called File\r\nMSGBOX");

        // The next search sees an import; empty text lists every snippet with code.
        QVERIFY(s.main().store().addUserSnippet("Fresh", "a fresh one"));
        s.main().LoadCodeTree();
        txtFind->clear();
        QVERIFY(search(find));
        QCOMPARE(find->results(),
                 QStringList({"Show Box", "Quiet", "Shared", "Named MsgBox", "File", "Shared", "Fresh"}));

        // The tool bar button shows the same window; Esc is Cancel, and the next one starts empty.
        clickToolButton(s.main(), "Find");
        QCOMPARE(s.main().findWindow(), find);
        QTest::keyClick(txtFind, Qt::Key_Escape);
        QTRY_VERIFY(s.main().findWindow() == nullptr);
        s.main().mnuFileFind_Click();
        find = s.main().findWindow();
        txtFind = child<QLineEdit>(find, "txtFind");
        QCOMPARE(txtFind->text(), "");

        // Tables that cannot be read are named once, after the search; one that breaks after it fails the pick.
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), "DROP TABLE File"));
        txtFind->setText("msgbox");
        QVERIFY(search(find));
        QCOMPARE(find->results(), QStringList({"Shared", "File", "Shared"}));
        QVERIFY(MessageBox::shownTexts().size() == 1 &&
                MessageBox::shownTexts()[0].contains("\"File\" of qmvbsource.mdb"));
        MessageBox::clearShown();
        QVERIFY(DatabaseFile::exec(s.folder().libraryPath(), "DROP TABLE Math"));
        pick(child<QAbstractItemView>(find, "lstFound"), 0);
        QCOMPARE(MessageBox::shownTexts(), QStringList{"Error"});
        // With no search running, Cancel closes the window.
        QTest::mouseClick(child(find, "cmdClose"), Qt::LeftButton);
        QTRY_VERIFY(s.main().findWindow() == nullptr);
    }
};

QTEST_MAIN(TestFindWindow)
#include "tst_findwindow.moc"
