// A real round trip: an IRC server (ngircd) and WeeChat started by the test, the program's chat window and
// transport handing WeeChat the commands, and a second IRC client of the test receiving the messages.

#include "core/Settings.h"
#include "support/UiSupport.h"
#include "ui/chat/ChatWindow.h"
#include "ui/main/CodeView.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

class TestChatRoundTrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The server, WeeChat and the pipe live in the test's own home, with no configuration of the machine's.
    void initTestCase() {
        qputenv("HOME", m_home.path().toUtf8());
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("WEECHAT_HOME", m_home.filePath("weechat").toUtf8());
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        QDir(m_home.path()).mkdir("include");
        QVERIFY(writeFile(m_home.filePath("ngircd.conf"),
                          QString("[Global]\nName = irc.verdane.test\nInfo = Verdane test server\nListen = 127.0.0.1\n"
                                  "Ports = %1\nMotdPhrase = test\n[Options]\nPAM = no\nIdent = no\nDNS = no\n"
                                  "MaxPenaltyTime = 0\nPingTimeout = 3600\nIncludeDir = %2\n")
                              .arg(QString::number(port), m_home.filePath("include"))
                              .toUtf8()));
        m_server.start(QStandardPaths::findExecutable("ngircd", {"/usr/sbin", "/usr/bin"}),
                       {"-n", "-f", m_home.filePath("ngircd.conf")});
        QVERIFY2(m_server.waitForStarted(), "ngircd is needed (scripts/test installs it)");
        // The test's own client, alice in #vb, keeps everything it receives; the server may still be starting, and
        // pings no one while the test runs.
        QVERIFY(QTest::qWaitFor(
            [&] { return m_receiver.connectToHost(QHostAddress::LocalHost, port), m_receiver.waitForConnected(200); },
            10000));
        connect(&m_receiver, &QTcpSocket::readyRead, this,
                [this] { m_received += QString::fromUtf8(m_receiver.readAll()); });
        m_receiver.write("NICK alice\r\nUSER alice 0 * :Test client\r\nJOIN #vb\r\n");
        QVERIFY(QTest::qWaitFor([&] { return m_received.contains(" JOIN :#vb"); }, 10000));

        // WeeChat knows one server, which the default service name leaves it to choose.
        m_weechat.start("weechat-headless",
                        {"--dir", m_home.filePath("weechat"), "-r",
                         QString("/set irc.server_default.anti_flood_prio_high 0;"
                                 "/set irc.server_default.anti_flood_prio_low 0;/set irc.server_default.nicks vsender;"
                                 "/set irc.server_default.username vsender;/set fifo.file.enabled on;"
                                 "/server add test 127.0.0.1/%1 -notls;/set irc.server.test.autojoin #vb;/save irc;"
                                 "/connect test")
                             .arg(port)});
        QVERIFY2(m_weechat.waitForStarted(), "weechat-headless is needed (scripts/test installs it)");
        m_pipe = m_home.filePath(QString("weechat/weechat_fifo_%1").arg(m_weechat.processId()));
        QVERIFY2(QTest::qWaitFor([&] { return QFileInfo::exists(m_pipe); }, 10000), "WeeChat made no fifo pipe");
        QVERIFY2(QTest::qWaitFor([&] { return m_received.contains(":vsender!"); }, 15000),
                 "WeeChat did not join the channel");
    }

    void cleanupTestCase() {
        for (QProcess* process : {&m_weechat, &m_server})
            process->kill(), process->waitForFinished();
    }
    // A user opens the window, types the comments (neither Enter key breaks their one line) and sends, to a nick and
    // to a channel, the window staying open for the next send. Whatever buffer the user looks at in WeeChat (here its
    // core buffer, which is not IRC's), the lines reach the server WeeChat's configuration or the service name names,
    // indentation intact; a line break, a carriage return or a NUL inside a line runs nothing but that line's own
    // message: neither the /msg nor the /quit after it, which would fail the sends that follow. The service name and
    // the pane are read at each send.
    void everyLineArrivesAsItsOwnMessage() {
        Session s;
        s.main().codeView()->setCode("not sent");
        action(s.main(), "mnuFileExportmIRCChat")->trigger();
        ChatWindow* chat = s.main().chatWindow();
        QVERIFY(chat && !chat->isModal());
        auto* privateMessage = child<QCheckBox>(chat, "chkPrivateMessage");
        auto* target = child<QLineEdit>(chat, "txtNickChannel");
        auto* comments = child<QPlainTextEdit>(chat, "txtComments");
        QTest::keyClicks(comments, "  in");
        QTest::keyClick(comments, Qt::Key_Return);
        QTest::keyClick(comments, Qt::Key_Enter);
        QTest::keyClicks(comments, "dented");

        // A pipe no WeeChat reads: the transport's error is shown, and the channel keeps its name as typed. A send to
        // no one is refused.
        QVERIFY(makeFifo(m_home.filePath("unread")));
        settings::write(settings::ChatServiceName, "test " + m_home.filePath("unread"));
        privateMessage->click();
        target->setText("vb");
        QTest::mouseClick(child(chat, "cmdSend"), Qt::LeftButton);
        const QList<MessageBox::Shown> shown = MessageBox::shown();
        QVERIFY(shown.size() == 1 && shown[0].text.contains("WeeChat") && shown[0].icon == MessageBox::Icon::Critical);
        QCOMPARE(target->text(), "vb");
        target->clear();
        chat->cmdSend_Click();
        QCOMPARE(MessageBox::shownTexts().last(), "Enter a Nick or Channel to send code to.");
        MessageBox::clearShown();

        const QString code = "Sub Tick()\r\n    If m_On Then\r\n\tEnd If\r\none\n*/msg alice INJECTED\r\ntwo\r/quit";
        s.main().codeView()->setCode(code + QChar(0) + "/msg alice ALSO\r\nEnd Sub");
        // The default service name, then the server named, then the server and its pipe.
        const std::pair<QString, QString> sends[] = {
            {settings::ChatServiceName.defaultValue, "alice"}, {"test", "vb"}, {"test " + m_pipe, "alice"}};
        for (const auto& [service, to] : sends) {
            settings::write(settings::ChatServiceName, service);
            QFile pipe(m_pipe);
            QVERIFY(pipe.open(QIODevice::WriteOnly) && pipe.write("*/buffer core.weechat\n") > 0 && pipe.flush());
            privateMessage->setChecked(to == "alice");
            target->setText(to);
            m_received.clear();
            chat->cmdSend_Click();
            QCOMPARE(MessageBox::shownTexts(), QStringList());
            const QString prefix = to == "alice" ? "alice :" : "#vb :";
            const QStringList lines =
                QString("  indented|Sub Tick()|    If m_On Then|\tEnd If|one */msg alice INJECTED|"
                        "two /quit /msg alice ALSO|End Sub")
                    .split('|');
            QVERIFY2(QTest::qWaitFor([&] { return messages().size() >= lines.size(); }, 10000),
                     qPrintable(messages().join('|')));
            QTest::qWait(500); // anything that ran on its own would have arrived by now
            QCOMPARE(messages().join('\n'), prefix + lines.join("\n" + prefix));
        }

        // One window at a time, with its inputs; Esc closes it.
        clickToolButton(s.main(), "mIRC");
        QCOMPARE(s.main().chatWindow(), chat);
        QTest::keyClick(chat, Qt::Key_Escape);
        QTRY_VERIFY(s.main().chatWindow() == nullptr);
    }

private:
    // Every message received, as "target :text", in the order they came.
    QStringList messages() const {
        QStringList texts;
        for (const QRegularExpressionMatch& m : QRegularExpression(" PRIVMSG ([^\r]*)\r\n").globalMatch(m_received))
            texts << m.captured(1);
        return texts;
    }

    QTemporaryDir m_home;
    UiEnvironment m_env;
    QProcess m_server;
    QProcess m_weechat;
    QString m_pipe;
    QTcpSocket m_receiver;
    QString m_received;
};

QTEST_MAIN(TestChatRoundTrip)
#include "tst_chatroundtrip.moc"
