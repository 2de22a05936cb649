#include "core/Settings.h"
#include "support/FifoReader.h"
#include "support/UiSupport.h"
#include "ui/chat/ChatWindow.h"
#include "ui/common/MessageBox.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

class TestChatWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // A user opens the window on the shown code, fills it in and sends, to a nick and to a channel; the window stays
    // open for the next send. The lines are read from the pipe WeeChat would read; no WeeChat of the machine may be
    // found by accident.
    void aUserSendsTheShownCode() {
        QTemporaryDir dir;
        qputenv("HOME", dir.path().toUtf8());
        qunsetenv("WEECHAT_HOME");
        qunsetenv("XDG_RUNTIME_DIR");
        UiEnvironment env;
        Session s;
        s.main().codeView()->setCode("Sub A()\r\nEnd Sub");
        action(s.main(), "mnuFileExportmIRCChat")->trigger();
        ChatWindow* w = s.main().chatWindow();
        QVERIFY(w && !w->isModal());
        auto* privateMessage = child<QCheckBox>(w, "chkPrivateMessage");
        auto* target = child<QLineEdit>(w, "txtNickChannel");
        auto* comments = child<QPlainTextEdit>(w, "txtComments");
        // Neither Enter key adds a line break to the comments, which are one line of chat.
        QTest::keyClicks(comments, "my");
        QTest::keyClick(comments, Qt::Key_Return);
        QTest::keyClick(comments, Qt::Key_Enter);
        QTest::keyClicks(comments, " timer");
        QCOMPARE(comments->toPlainText(), "my timer");

        // Without WeeChat the transport's error is shown, and the channel keeps its name as typed.
        privateMessage->click();
        target->setText("vb");
        QTest::mouseClick(child(w, "cmdSend"), Qt::LeftButton);
        const QList<MessageBox::Shown> shown = MessageBox::shown();
        QVERIFY(shown.size() == 1 && shown[0].text.contains("WeeChat") && shown[0].icon == MessageBox::Icon::Critical);
        QCOMPARE(target->text(), "vb");

        FifoReader pipe(dir.filePath("pipe"));
        settings::write(settings::ChatServiceName, "libera " + pipe.path());
        privateMessage->click();
        target->clear();
        w->cmdSend_Click();
        QCOMPARE(MessageBox::shownTexts().last(), "Enter a Nick or Channel to send code to.");

        auto sent = [](const QString& to, QStringList texts) {
            return texts.replaceInStrings(QRegularExpression("^"), "irc.server.libera */quote PRIVMSG " + to + " :");
        };
        target->setText("alice");
        w->cmdSend_Click();
        QCOMPARE(pipe.lines(), sent("alice", {"my timer", "Sub A()", "End Sub"}));
        // A channel gets its "#" once; the pane is read at each send, not at the opening.
        privateMessage->click();
        target->setText("vb");
        s.main().codeView()->setCode("a\r\n\r\nb\r\n");
        w->cmdSend_Click();
        w->cmdSend_Click();
        const QStringList channel = sent("#vb", {"my timer", "a", "", "b", ""});
        QCOMPARE(pipe.lines(), channel + channel);
        QCOMPARE(MessageBox::shown().size(), 2);

        // One window at a time, with its inputs; Esc closes it.
        clickToolButton(s.main(), "mIRC");
        QCOMPARE(s.main().chatWindow(), w);
        QTest::keyClick(w, Qt::Key_Escape);
        QTRY_VERIFY(s.main().chatWindow() == nullptr);
    }
};

QTEST_MAIN(TestChatWindow)
#include "tst_chatwindow.moc"
