#include "core/Settings.h"
#include "support/FifoReader.h"
#include "support/UiSupport.h"
#include "ui/chat/ChatWindow.h"
#include "ui/common/MessageBox.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainToolBar.h"
#include "ui/main/MainWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

struct Controls {
    ChatWindow* window;
    QCheckBox* privateMessage;
    QLineEdit* target;
    QLabel* nickLabel;
    QPlainTextEdit* comments;
    QPushButton* send;
    QPushButton* close;
};

Controls openChat(MainWindow& main) {
    action(main, "mnuFileExportmIRCChat")->trigger();
    ChatWindow* w = main.chatWindow();
    if (!w)
        return {};
    return {w,
            w->findChild<QCheckBox*>("chkPrivateMessage"),
            w->findChild<QLineEdit*>("txtNickChannel"),
            w->findChild<QLabel*>("lblNick"),
            w->findChild<QPlainTextEdit*>("txtComments"),
            w->findChild<QPushButton*>("cmdSend"),
            w->findChild<QPushButton*>("cmdClose")};
}

} // namespace

class TestChatWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        qputenv("HOME", m_home.path().toUtf8());
        qunsetenv("WEECHAT_HOME");
        qunsetenv("XDG_RUNTIME_DIR");
        m_env = std::make_unique<UiEnvironment>();
    }
    void init() { m_env->reset(); }

    void opensOnlyWithCodeAndAsDesigned() {
        Session s;
        s.main().mnuFileExportmIRCChat_Click();
        QCOMPARE(MessageBox::shownTexts(), QStringList{"Please select some code to export first."});
        QVERIFY(s.main().chatWindow() == nullptr);

        s.main().codeView()->setCode("Sub A()\r\nEnd Sub");
        Controls c = openChat(s.main());
        QVERIFY(c.window);
        QVERIFY(!c.window->isModal());
        QVERIFY(c.privateMessage->isChecked());

        c.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(c.window));
        QCOMPARE(QApplication::focusWidget(), c.privateMessage);
        for (QWidget* next : std::initializer_list<QWidget*>{c.target, c.comments, c.send, c.close, c.privateMessage}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }

        // The label follows the check box.
        const QString nick = c.nickLabel->text();
        QTest::mouseClick(c.privateMessage, Qt::LeftButton);
        QCOMPARE(c.nickLabel->text(), "Channel Name:");
        QVERIFY(c.nickLabel->width() >= c.nickLabel->sizeHint().width());
        QTest::mouseClick(c.privateMessage, Qt::LeftButton);
        QCOMPARE(c.nickLabel->text(), nick);

        // Enter adds no line break to the comments.
        c.comments->setFocus();
        QTest::keyClicks(c.comments, "my");
        QTest::keyClick(c.comments, Qt::Key_Return);
        QTest::keyClick(c.comments, Qt::Key_Enter);
        QTest::keyClicks(c.comments, " timer");
        QCOMPARE(c.comments->toPlainText(), "my timer");

        // One window; the tool bar's button shows the same.
        clickToolButton(s.main(), "mIRC");
        QCOMPARE(s.main().chatWindow(), c.window);
        QCOMPARE(c.comments->toPlainText(), "my timer");
        QTest::keyClick(c.window, Qt::Key_Escape);
        QTRY_VERIFY(s.main().chatWindow() == nullptr);
    }

    void emptyTargetSendsNothing() {
        Session s;
        QTemporaryDir dir;
        FifoReader pipe(dir.filePath("pipe"));
        settings::write(settings::ChatServiceName, pipe.path());
        s.main().codeView()->setCode("x = 1");
        Controls c = openChat(s.main());
        c.comments->setPlainText("comments");
        QTest::mouseClick(c.send, Qt::LeftButton);
        QCOMPARE(MessageBox::shownTexts(), QStringList{"Enter a Nick or Channel to send code to."});
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::None);
        QVERIFY(pipe.readAll().isEmpty());
    }

    void sendsEveryLineAndStaysOpen() {
        Session s;
        QTemporaryDir dir;
        FifoReader pipe(dir.filePath("pipe"));
        settings::write(settings::ChatServiceName, "libera " + pipe.path());
        s.main().codeView()->setCode("Sub A()\r\nEnd Sub");
        Controls c = openChat(s.main());
        c.target->setText("alice");
        c.comments->setPlainText("my timer");
        QTest::mouseClick(c.send, Qt::LeftButton);
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(pipe.lines(), QStringList({"irc.server.libera */quote PRIVMSG alice :my timer",
                                            "irc.server.libera */quote PRIVMSG alice :Sub A()",
                                            "irc.server.libera */quote PRIVMSG alice :End Sub"}));
        QVERIFY(c.window->isVisible());

        // In channel mode the "#" is added, once; the pane is read at the send, not at the opening.
        c.privateMessage->click();
        c.target->setText("vb");
        s.main().codeView()->setCode("a\r\n\r\nb\r\n");
        c.window->cmdSend_Click();
        QCOMPARE(c.target->text(), "#vb");
        c.window->cmdSend_Click();
        QCOMPARE(c.target->text(), "#vb");
        const QStringList channel{"irc.server.libera */quote PRIVMSG #vb :my timer",
                                  "irc.server.libera */quote PRIVMSG #vb :a",
                                  "irc.server.libera */quote PRIVMSG #vb :", "irc.server.libera */quote PRIVMSG #vb :b",
                                  "irc.server.libera */quote PRIVMSG #vb :"};
        QCOMPARE(pipe.lines(), channel + channel);

        // A nick beginning with "#" is used as it is; an empty pane sends the comments line alone.
        c.privateMessage->click();
        c.target->setText("#odd");
        s.main().codeView()->setCode(QString());
        c.window->cmdSend_Click();
        QCOMPARE(pipe.lines(), QStringList{"irc.server.libera */quote PRIVMSG #odd :my timer"});
        QVERIFY(MessageBox::shown().isEmpty());
    }

    // What each failure says is the transport's business; the window shows it and keeps the target and itself.
    void aFailureLeavesTheTargetAndTheWindow() {
        Session s;
        s.main().codeView()->setCode("x = 1");
        Controls c = openChat(s.main());
        c.privateMessage->click();
        c.target->setText("vb");
        QTest::mouseClick(c.send, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown()[0].text.contains("WeeChat"), qPrintable(MessageBox::shown()[0].text));
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::Critical);
        QCOMPARE(c.target->text(), "vb");
        QVERIFY(c.window->isVisible() && c.send->isEnabled());
    }

private:
    QTemporaryDir m_home;
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestChatWindow)
#include "tst_chatwindow.moc"
