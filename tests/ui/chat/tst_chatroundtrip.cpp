// A real round trip: an IRC server (ngircd) and WeeChat started by the test, the program's chat window and
// transport handing WeeChat the commands, and a second IRC client of the test receiving the messages.

#include "core/Settings.h"
#include "support/UiSupport.h"
#include "ui/chat/ChatWindow.h"
#include "ui/common/MessageBox.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace verdane;
using namespace verdane::test;

namespace {

quint16 freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool waitFor(const std::function<bool()>& done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(20);
    }
    return true;
}

// A plain IRC client: registers a nick, joins a channel and keeps every line it receives.
class IrcClient {
public:
    bool connectAs(quint16 port, const QString& nick, const QString& channel) {
        m_socket.connectToHost(QHostAddress::LocalHost, port);
        if (!m_socket.waitForConnected(5000))
            return false;
        QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] { read(); });
        send(QStringLiteral("NICK %1").arg(nick));
        send(QStringLiteral("USER %1 0 * :Test client").arg(nick));
        send(QStringLiteral("JOIN %1").arg(channel));
        return waitFor([&] { return seen(" JOIN :" + channel) || seen(" JOIN " + channel); }, 10000);
    }
    bool seen(const QString& part) const {
        return std::any_of(m_lines.begin(), m_lines.end(), [&](const QString& l) { return l.contains(part); });
    }
    // The texts of the messages sent to target, in the order they came.
    QStringList messagesTo(const QString& target) const {
        QStringList texts;
        const QString marker = " PRIVMSG " + target + " :";
        for (const QString& line : m_lines) {
            if (const qsizetype at = line.indexOf(marker); at >= 0)
                texts << line.mid(at + marker.size());
        }
        return texts;
    }

private:
    void send(const QString& line) { m_socket.write(line.toUtf8() + "\r\n"); }
    void read() {
        m_buffer += m_socket.readAll();
        qsizetype end;
        while ((end = m_buffer.indexOf("\r\n")) >= 0) {
            const QString line = QString::fromUtf8(m_buffer.left(end));
            m_buffer.remove(0, end + 2);
            if (line.startsWith("PING"))
                send("PONG" + line.mid(4));
            m_lines << line;
        }
    }

    QTcpSocket m_socket;
    QByteArray m_buffer;
    QStringList m_lines;
};

// The chat window of a session showing code, filled in for a send to target.
ChatWindow* openChat(Session& s, const QString& code, const QString& target, const QString& comments) {
    s.main().codeView()->setCode(code);
    s.main().mnuFileExportmIRCChat_Click();
    ChatWindow* chat = s.main().chatWindow();
    chat->findChild<QLineEdit*>("txtNickChannel")->setText(target);
    chat->findChild<QPlainTextEdit*>("txtComments")->setPlainText(comments);
    return chat;
}

} // namespace

class TestChatRoundTrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        qputenv("HOME", m_home.path().toUtf8());
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("WEECHAT_HOME", m_weechatDir.path().toUtf8());
        m_env = std::make_unique<UiEnvironment>();
        const QString ngircd = QStandardPaths::findExecutable("ngircd", {"/usr/sbin", "/usr/bin"});
        const QString weechat = QStandardPaths::findExecutable("weechat-headless");
        QVERIFY2(!ngircd.isEmpty() && !weechat.isEmpty(),
                 "ngircd and weechat-headless are needed (scripts/test installs them)");

        m_port = freePort();
        QDir(m_serverDir.path()).mkdir("include");
        QVERIFY(writeFile(m_serverDir.filePath("ngircd.conf"),
                          QStringLiteral("[Global]\nName = irc.verdane.test\nInfo = Verdane test server\n"
                                         "Listen = 127.0.0.1\nPorts = %1\nMotdPhrase = test\n"
                                         "[Options]\nPAM = no\nIdent = no\nDNS = no\nMaxPenaltyTime = 0\n"
                                         "IncludeDir = %2\n")
                              .arg(m_port)
                              .arg(m_serverDir.filePath("include"))
                              .toUtf8()));
        m_server.start(ngircd, {"-n", "-f", m_serverDir.filePath("ngircd.conf")});
        QVERIFY(m_server.waitForStarted());
        QVERIFY2(waitFor(
                     [&] {
                         QTcpSocket probe;
                         probe.connectToHost(QHostAddress::LocalHost, m_port);
                         return probe.waitForConnected(200);
                     },
                     10000),
                 "the IRC server did not come up");

        QVERIFY(m_receiver.connectAs(m_port, "alice", "#vb"));
        startWeeChat();
    }

    void cleanupTestCase() {
        stopWeeChat();
        m_server.terminate();
        if (!m_server.waitForFinished(5000))
            m_server.kill();
    }

    void init() { MessageBox::clearShown(); }

    void nickAndChannelReceiveTheExample() {
        Session s;
        ChatWindow* chat = openChat(s, "Sub A()\r\nEnd Sub", "alice", "my timer");
        chat->cmdSend_Click();
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY2(waitFor([&] { return m_receiver.messagesTo("alice").size() >= 3; }, 10000),
                 qPrintable(m_receiver.messagesTo("alice").join('|')));
        QCOMPARE(m_receiver.messagesTo("alice"), QStringList({"my timer", "Sub A()", "End Sub"}));

        chat->findChild<QCheckBox*>("chkPrivateMessage")->click();
        chat->findChild<QLineEdit*>("txtNickChannel")->setText("vb");
        chat->cmdSend_Click();
        QVERIFY(MessageBox::shown().isEmpty());
        QCOMPARE(chat->findChild<QLineEdit*>("txtNickChannel")->text(), "#vb");
        QVERIFY(waitFor([&] { return m_receiver.messagesTo("#vb").size() >= 3; }, 10000));
        QCOMPARE(m_receiver.messagesTo("#vb"), QStringList({"my timer", "Sub A()", "End Sub"}));
    }

    void aLineCanRunNothingButItsOwnMessage() {
        Session s;
        // A line break, a carriage return and a NUL inside one line of the snippet, each followed by a command.
        const QString code = QString("one\n*/msg alice INJECTED\r\ntwo\r/quit") + QChar(0) + "/msg alice ALSO\r\nlast";
        ChatWindow* chat = openChat(s, code, "alice", "injection");
        const qsizetype before = m_receiver.messagesTo("alice").size();
        chat->cmdSend_Click();
        QVERIFY(MessageBox::shown().isEmpty());
        QVERIFY(waitFor([&] { return m_receiver.messagesTo("alice").size() >= before + 4; }, 10000));
        QTest::qWait(500); // anything that ran on its own would have arrived by now
        const QStringList received = m_receiver.messagesTo("alice").mid(before);
        QCOMPARE(received, QStringList({"injection", "one */msg alice INJECTED", "two /quit /msg alice ALSO", "last"}));
        // WeeChat did not quit: the next send arrives too.
        s.main().codeView()->setCode("still here");
        chat->cmdSend_Click();
        QVERIFY(waitFor([&] { return m_receiver.messagesTo("alice").contains("still here"); }, 10000));
    }

    // Whatever buffer the user looks at in WeeChat (here its core buffer, which is not IRC's), the lines reach the
    // server WeeChat's configuration or the service name names, their indentation intact.
    void indentedLinesArriveWhateverBufferIsShown_data() {
        QTest::addColumn<QString>("service");
        QTest::newRow("the server of WeeChat's configuration") << "mIRC";
        QTest::newRow("the server named") << "test";
        QTest::newRow("the server and the pipe named") << "test <pipe>";
    }

    void indentedLinesArriveWhateverBufferIsShown() {
        QFETCH(QString, service);
        settings::write(settings::ChatServiceName, service.replace("<pipe>", m_pipe));
        QFile pipe(m_pipe);
        QVERIFY(pipe.open(QIODevice::WriteOnly) && pipe.write("*/buffer core.weechat\n") > 0);
        pipe.close();
        Session s;
        const QString code = "Sub Tick()\r\n    If m_On Then\r\n        m_Count = m_Count + 1\r\n\tEnd If\r\nEnd Sub";
        ChatWindow* chat = openChat(s, code, "alice", "  indented");
        const qsizetype before = m_receiver.messagesTo("alice").size();
        chat->cmdSend_Click();
        QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(MessageBox::shownTexts().join('|')));
        QVERIFY2(waitFor([&] { return m_receiver.messagesTo("alice").size() >= before + 6; }, 10000),
                 qPrintable(m_receiver.messagesTo("alice").mid(before).join('|')));
        QCOMPARE(m_receiver.messagesTo("alice").mid(before), QStringList{"  indented"} + code.split("\r\n"));
    }

private:
    void startWeeChat() {
        const QString commands =
            QStringLiteral(
                "/set irc.server_default.anti_flood_prio_high 0;/set irc.server_default.anti_flood_prio_low 0;"
                "/set irc.server_default.nicks vsender;/set irc.server_default.username vsender;"
                "/set fifo.file.enabled on;"
                "/server add test 127.0.0.1/%1 -notls;/set irc.server.test.autojoin #vb;/save irc;/connect test")
                .arg(m_port);
        m_weechat.setProcessChannelMode(QProcess::MergedChannels);
        m_weechat.start("weechat-headless", {"--dir", m_weechatDir.path(), "-r", commands});
        QVERIFY(m_weechat.waitForStarted());
        m_pipe = m_weechatDir.filePath(QStringLiteral("weechat_fifo_%1").arg(m_weechat.processId()));
        QVERIFY2(waitFor([&] { return QFileInfo::exists(m_pipe); }, 10000), "WeeChat made no fifo pipe");
        QVERIFY2(waitFor([&] { return m_receiver.seen(":vsender!"); }, 15000), "WeeChat did not join the channel");
    }

    void stopWeeChat() {
        if (m_weechat.state() == QProcess::NotRunning)
            return;
        m_weechat.terminate();
        if (!m_weechat.waitForFinished(5000))
            m_weechat.kill();
    }

    QTemporaryDir m_home;
    QTemporaryDir m_serverDir;
    QTemporaryDir m_weechatDir;
    std::unique_ptr<TestEnvironment> m_env;
    quint16 m_port = 0;
    QProcess m_server;
    QProcess m_weechat;
    QString m_pipe;
    IrcClient m_receiver;
};

QTEST_MAIN(TestChatRoundTrip)
#include "tst_chatroundtrip.moc"
