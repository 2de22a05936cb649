#include "core/Settings.h"
#include "support/FifoReader.h"
#include "support/UiSupport.h"
#include "ui/chat/ChatWindow.h"
#include "ui/common/MessageBox.h"
#include "ui/main/CodeView.h"
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

class TestChatWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // No WeeChat of the machine may be found by accident.
        qputenv("HOME", m_home.path().toUtf8());
        qunsetenv("WEECHAT_HOME");
        qunsetenv("XDG_RUNTIME_DIR");
        m_env = std::make_unique<UiEnvironment>();
    }

    // A user opens the window on the shown code, fills it in and sends, to a nick and to a channel; the window stays
    // open for the next send. The lines are read from the pipe WeeChat would read.
    void aUserSendsTheShownCode() {
        Session s;
        s.main().codeView()->setCode("Sub A()\r\nEnd Sub");
        action(s.main(), "mnuFileExportmIRCChat")->trigger();
        ChatWindow* w = s.main().chatWindow();
        QVERIFY(w && !w->isModal());
        auto* privateMessage = w->findChild<QCheckBox*>("chkPrivateMessage");
        auto* target = w->findChild<QLineEdit*>("txtNickChannel");
        auto* nickLabel = w->findChild<QLabel*>("lblNick");
        auto* comments = w->findChild<QPlainTextEdit*>("txtComments");
        auto* send = w->findChild<QPushButton*>("cmdSend");
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        for (QWidget* next : std::initializer_list<QWidget*>{target, comments, send,
                                                             w->findChild<QPushButton*>("cmdClose"), privateMessage}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        // The label follows the check box, and is wide enough for its caption.
        const QString nick = nickLabel->text();
        QTest::mouseClick(privateMessage, Qt::LeftButton);
        QCOMPARE(nickLabel->text(), "Channel Name:");
        QVERIFY(nickLabel->width() >= nickLabel->sizeHint().width());
        QTest::mouseClick(privateMessage, Qt::LeftButton);
        QCOMPARE(nickLabel->text(), nick);
        // Neither Enter key adds a line break to the comments, which are one line of chat.
        QTest::keyClicks(comments, "my");
        QTest::keyClick(comments, Qt::Key_Return);
        QTest::keyClick(comments, Qt::Key_Enter);
        QTest::keyClicks(comments, " timer");
        QCOMPARE(comments->toPlainText(), "my timer");

        // Without WeeChat the transport's error is shown, and the channel keeps its name as typed.
        privateMessage->click();
        target->setText("vb");
        QTest::mouseClick(send, Qt::LeftButton);
        QCOMPARE(MessageBox::shown().size(), 1);
        QVERIFY2(MessageBox::shown()[0].text.contains("WeeChat"), qPrintable(MessageBox::shown()[0].text));
        QCOMPARE(MessageBox::shown()[0].icon, MessageBox::Icon::Critical);
        QCOMPARE(target->text(), "vb");

        QTemporaryDir dir;
        FifoReader pipe(dir.filePath("pipe"));
        settings::write(settings::ChatServiceName, "libera " + pipe.path());
        MessageBox::clearShown();
        privateMessage->click();
        target->clear();
        QTest::mouseClick(send, Qt::LeftButton);
        QCOMPARE(MessageBox::shownTexts(), QStringList{"Enter a Nick or Channel to send code to."});

        auto sent = [&](const QString& to, const QStringList& texts) {
            QStringList lines;
            for (const QString& text : texts)
                lines << "irc.server.libera */quote PRIVMSG " + to + " :" + text;
            return lines;
        };
        MessageBox::clearShown();
        target->setText("alice");
        QTest::mouseClick(send, Qt::LeftButton);
        QCOMPARE(pipe.lines(), sent("alice", {"my timer", "Sub A()", "End Sub"}));
        // A channel gets its "#" once; the pane is read at each send, not at the opening.
        privateMessage->click();
        target->setText("vb");
        s.main().codeView()->setCode("a\r\n\r\nb\r\n");
        w->cmdSend_Click();
        w->cmdSend_Click();
        QCOMPARE(target->text(), "#vb");
        const QStringList channel = sent("#vb", {"my timer", "a", "", "b", ""});
        QCOMPARE(pipe.lines(), channel + channel);
        // A nick beginning with "#" is used as it is; an empty pane sends the comments line alone.
        privateMessage->click();
        target->setText("#odd");
        s.main().codeView()->setCode(QString());
        w->cmdSend_Click();
        QCOMPARE(pipe.lines(), sent("#odd", {"my timer"}));
        QVERIFY(MessageBox::shown().isEmpty());

        // One window at a time, with its inputs; Esc closes it.
        clickToolButton(s.main(), "mIRC");
        QCOMPARE(s.main().chatWindow(), w);
        QCOMPARE(comments->toPlainText(), "my timer");
        QTest::keyClick(w, Qt::Key_Escape);
        QTRY_VERIFY(s.main().chatWindow() == nullptr);
    }

private:
    QTemporaryDir m_home;
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestChatWindow)
#include "tst_chatwindow.moc"
