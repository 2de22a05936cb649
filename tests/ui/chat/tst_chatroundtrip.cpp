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
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

class TestChatRoundTrip : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        qputenv("HOME", m_home.path().toUtf8());
        qunsetenv("XDG_RUNTIME_DIR");
        qputenv("WEECHAT_HOME", m_weechatDir.path().toUtf8());
        m_env = std::make_unique<UiEnvironment>();
        const QString ngircd = QStandardPaths::findExecutable("ngircd", {"/usr/sbin", "/usr/bin"});
        QVERIFY2(!ngircd.isEmpty() && !QStandardPaths::findExecutable("weechat-headless").isEmpty(),
                 "ngircd and weechat-headless are needed (scripts/test installs them)");

        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        QDir(m_serverDir.path()).mkdir("include");
        QVERIFY(writeFile(m_serverDir.filePath("ngircd.conf"),
                          QString("[Global]\nName = irc.verdane.test\nInfo = Verdane test server\nListen = 127.0.0.1\n"
                                  "Ports = %1\nMotdPhrase = test\n[Options]\nPAM = no\nIdent = no\nDNS = no\n"
                                  "MaxPenaltyTime = 0\nIncludeDir = %2\n")
                              .arg(QString::number(port), m_serverDir.filePath("include"))
                              .toUtf8()));
        m_server.start(ngircd, {"-n", "-f", m_serverDir.filePath("ngircd.conf")});
        QVERIFY(m_server.waitForStarted());
        // The test's own client, alice in #vb, keeps everything it receives; the server may still be starting.
        QVERIFY(QTest::qWaitFor(
            [&] {
                m_receiver.connectToHost(QHostAddress::LocalHost, port);
                return m_receiver.waitForConnected(200);
            },
            10000));
        connect(&m_receiver, &QTcpSocket::readyRead, this, [this] {
            const QByteArray chunk = m_receiver.readAll();
            m_received += QString::fromUtf8(chunk);
            if (chunk.startsWith("PING") || chunk.contains("\nPING"))
                m_receiver.write("PONG :verdane\r\n");
        });
        m_receiver.write("NICK alice\r\nUSER alice 0 * :Test client\r\nJOIN #vb\r\n");
        QVERIFY(QTest::qWaitFor([&] { return m_received.contains(" JOIN :#vb"); }, 10000));

        // WeeChat knows one server, which the default service name leaves it to choose.
        m_weechat.setProcessChannelMode(QProcess::MergedChannels);
        m_weechat.start("weechat-headless",
                        {"--dir", m_weechatDir.path(), "-r",
                         QString("/set irc.server_default.anti_flood_prio_high 0;"
                                 "/set irc.server_default.anti_flood_prio_low 0;/set irc.server_default.nicks vsender;"
                                 "/set irc.server_default.username vsender;/set fifo.file.enabled on;"
                                 "/server add test 127.0.0.1/%1 -notls;/set irc.server.test.autojoin #vb;/save irc;"
                                 "/connect test")
                             .arg(port)});
        QVERIFY(m_weechat.waitForStarted());
        m_pipe = m_weechatDir.filePath(QString("weechat_fifo_%1").arg(m_weechat.processId()));
        QVERIFY2(QTest::qWaitFor([&] { return QFileInfo::exists(m_pipe); }, 10000), "WeeChat made no fifo pipe");
        QVERIFY2(QTest::qWaitFor([&] { return m_received.contains(":vsender!"); }, 15000),
                 "WeeChat did not join the channel");
    }

    void cleanupTestCase() {
        for (QProcess* process : {&m_weechat, &m_server}) {
            process->terminate();
            if (!process->waitForFinished(5000))
                process->kill();
        }
    }

    // Whatever buffer the user looks at in WeeChat (here its core buffer, which is not IRC's), the lines reach the
    // server WeeChat's configuration or the service name names, to a nick or a channel, indentation intact; a line
    // break, a carriage return or a NUL inside a line runs nothing but that line's own message: neither the
    // /msg nor the /quit after it, which would fail the rows that follow.
    void everyLineArrivesAsItsOwnMessage_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QString>("target");
        QTest::newRow("the default service name, to a nick")
            << QString(settings::ChatServiceName.defaultValue) << "alice";
        QTest::newRow("the server named, to a channel") << QString("test") << "vb";
        QTest::newRow("the server and the pipe named") << QString("test <pipe>") << "alice";
    }

    void everyLineArrivesAsItsOwnMessage() {
        QFETCH(QString, service);
        QFETCH(QString, target);
        MessageBox::clearShown();
        settings::write(settings::ChatServiceName, service.replace("<pipe>", m_pipe));
        QFile pipe(m_pipe);
        QVERIFY(pipe.open(QIODevice::WriteOnly) && pipe.write("*/buffer core.weechat\n") > 0);
        pipe.close();
        Session s;
        s.main().codeView()->setCode(QString("Sub Tick()\r\n    If m_On Then\r\n\tEnd If\r\none\n*/msg alice INJECTED"
                                             "\r\ntwo\r/quit") +
                                     QChar(0) + "/msg alice ALSO\r\nEnd Sub");
        s.main().mnuFileExportmIRCChat_Click();
        ChatWindow* chat = s.main().chatWindow();
        chat->findChild<QCheckBox*>("chkPrivateMessage")->setChecked(target == "alice");
        chat->findChild<QLineEdit*>("txtNickChannel")->setText(target);
        chat->findChild<QPlainTextEdit*>("txtComments")->setPlainText("  indented");
        const qsizetype before = messages().size();
        chat->cmdSend_Click();
        QVERIFY2(MessageBox::shown().isEmpty(), qPrintable(MessageBox::shownTexts().join('|')));
        QStringList expected;
        for (const char* text : {"  indented", "Sub Tick()", "    If m_On Then", "\tEnd If", "one */msg alice INJECTED",
                                 "two /quit /msg alice ALSO", "End Sub"})
            expected << (target == "alice" ? "alice :" : "#vb :") + QString(text);
        QVERIFY2(QTest::qWaitFor([&] { return messages().size() >= before + expected.size(); }, 10000),
                 qPrintable(messages().mid(before).join('|')));
        QTest::qWait(500); // anything that ran on its own would have arrived by now
        QCOMPARE(messages().mid(before), expected);
    }

private:
    // Every message received, as "target :text", in the order they came.
    QStringList messages() const {
        QStringList texts;
        for (const QString& line : m_received.split("\r\n")) {
            if (const qsizetype at = line.indexOf(" PRIVMSG "); at >= 0)
                texts << line.mid(at + 9);
        }
        return texts;
    }

    QTemporaryDir m_home;
    QTemporaryDir m_serverDir;
    QTemporaryDir m_weechatDir;
    std::unique_ptr<TestEnvironment> m_env;
    QProcess m_server;
    QProcess m_weechat;
    QString m_pipe;
    QTcpSocket m_receiver;
    QString m_received;
};

QTEST_MAIN(TestChatRoundTrip)
#include "tst_chatroundtrip.moc"
