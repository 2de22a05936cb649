#include "chat/ChatCommands.h"
#include "platform/linux/WeeChatLines.h"

#include <QDir>
#include <QTest>

using namespace verdane;

class TestChatCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void linesAreCommentsThenEveryCodeLine_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("comments");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("the nick example")
            << "alice"
            << "my timer"
            << "Sub A()\r\nEnd Sub"
            << QStringList{"/quote PRIVMSG alice :my timer", "/quote PRIVMSG alice :Sub A()",
                           "/quote PRIVMSG alice :End Sub"};
        QTest::newRow("the channel example")
            << "#vb"
            << "my timer"
            << "Sub A()\r\nEnd Sub"
            << QStringList{"/quote PRIVMSG #vb :my timer", "/quote PRIVMSG #vb :Sub A()",
                           "/quote PRIVMSG #vb :End Sub"};
        QTest::newRow("empty comments") << "bob"
                                        << ""
                                        << "x" << QStringList{"/quote PRIVMSG bob :", "/quote PRIVMSG bob :x"};
        QTest::newRow("empty code sends the comments alone") << "bob"
                                                             << "hi"
                                                             << "" << QStringList{"/quote PRIVMSG bob :hi"};
        QTest::newRow("one-letter lines")
            << "bob"
            << ""
            << "a\r\nb" << QStringList{"/quote PRIVMSG bob :", "/quote PRIVMSG bob :a", "/quote PRIVMSG bob :b"};
        QTest::newRow("starts with a line break")
            << "bob"
            << "c"
            << "\r\nx" << QStringList{"/quote PRIVMSG bob :c", "/quote PRIVMSG bob :", "/quote PRIVMSG bob :x"};
        QTest::newRow("ends with a line break")
            << "bob"
            << "c"
            << "x\r\n"
            << QStringList{"/quote PRIVMSG bob :c", "/quote PRIVMSG bob :x", "/quote PRIVMSG bob :"};
        QTest::newRow("two breaks in a row") << "bob"
                                             << "c"
                                             << "x\r\n\r\ny"
                                             << QStringList{"/quote PRIVMSG bob :c", "/quote PRIVMSG bob :x",
                                                            "/quote PRIVMSG bob :", "/quote PRIVMSG bob :y"};
        QTest::newRow("lone CR and LF stay in their line")
            << "bob"
            << "c"
            << "a\rb\nc\r\nd"
            << QStringList{"/quote PRIVMSG bob :c", "/quote PRIVMSG bob :a\rb\nc", "/quote PRIVMSG bob :d"};
        QTest::newRow("indentation kept")
            << "bob"
            << ""
            << "If a Then\r\n    b\r\n\tc\r\nEnd If"
            << QStringList{"/quote PRIVMSG bob :", "/quote PRIVMSG bob :If a Then", "/quote PRIVMSG bob :    b",
                           "/quote PRIVMSG bob :\tc", "/quote PRIVMSG bob :End If"};
        QTest::newRow("nothing trimmed") << " b "
                                         << " c "
                                         << "  x  "
                                         << QStringList{"/quote PRIVMSG  b  : c ", "/quote PRIVMSG  b  :  x  "};
        QTest::newRow("only a line break")
            << "bob"
            << "c"
            << "\r\n"
            << QStringList{"/quote PRIVMSG bob :c", "/quote PRIVMSG bob :", "/quote PRIVMSG bob :"};
    }

    void linesAreCommentsThenEveryCodeLine() {
        QFETCH(QString, target);
        QFETCH(QString, comments);
        QFETCH(QString, code);
        QFETCH(QStringList, lines);
        QCOMPARE(chatCommandLines(target, comments, code), lines);
    }

    void eachTextIsOneLineOfThePipe_data() {
        QTest::addColumn<QString>("buffer");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("on a server's buffer")
            << weechat::serverBuffer("libera") << "/quote x" << QByteArray("irc.server.libera */quote x\n");
        QTest::newRow("on the current buffer") << ""
                                               << "/quote x" << QByteArray("*/quote x\n");
        QTest::newRow("line breaks cannot start a command")
            << "irc.server.a"
            << "/quote PRIVMSG bob :a\r\n*/quit\rb" << QByteArray("irc.server.a */quote PRIVMSG bob :a  */quit b\n");
        QTest::newRow("nor can NUL") << "irc.server.a"
                                     << QString("x") + QChar(0) + "/exec rm" << QByteArray("irc.server.a *x /exec rm\n");
        QTest::newRow("UTF-8") << "irc.server.a"
                               << "\u00e9t\u00e9" << QByteArray("irc.server.a *\xc3\xa9t\xc3\xa9\n");
    }

    void eachTextIsOneLineOfThePipe() {
        QFETCH(QString, buffer);
        QFETCH(QString, text);
        QFETCH(QByteArray, line);
        QCOMPARE(weechat::pipeLine(buffer, text), line);
    }

    void serviceNamesNameAPipeAServerOrBoth_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("pipe");
        const QString home = QDir::homePath();
        QTest::newRow("nothing") << ""
                                 << ""
                                 << "";
        QTest::newRow("a pipe") << "/run/user/1000/weechat/weechat_fifo_42"
                                << ""
                                << "/run/user/1000/weechat/weechat_fifo_42";
        QTest::newRow("a pipe in the home folder") << "~/.weechat/weechat_fifo_42"
                                                   << "" << home + "/.weechat/weechat_fifo_42";
        QTest::newRow("a server") << " libera "
                                  << "libera"
                                  << "";
        QTest::newRow("both") << "libera /tmp/my pipes/weechat_fifo_42"
                              << "libera"
                              << "/tmp/my pipes/weechat_fifo_42";
        QTest::newRow("both, a tab between") << "libera\t/tmp/fifo"
                                             << "libera"
                                             << "/tmp/fifo";
        QTest::newRow("a pipe with a space") << "/tmp/my pipes/fifo"
                                             << ""
                                             << "/tmp/my pipes/fifo";
    }

    void serviceNamesNameAPipeAServerOrBoth() {
        QFETCH(QString, text);
        QFETCH(QString, server);
        QFETCH(QString, pipe);
        const weechat::Service service = weechat::parseService(text);
        QCOMPARE(service.server, server);
        QCOMPARE(service.pipe, pipe);
    }

    void theServerComesFromWeeChatsConfiguration_data() {
        QTest::addColumn<QByteArray>("ircConf");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QStringList>("candidates");
        const QByteArray head("[look]\nbuffer_switch_autojoin = on\n[server_default]\nautoconnect = off\n");
        QTest::newRow("no file") << QByteArray() << "" << QStringList{};
        QTest::newRow("no server") << head + "[server]\n"
                                   << "" << QStringList{};
        QTest::newRow("one server") << head + "[server]\ntest.addresses = \"127.0.0.1/6667\"\ntest.proxy\n"
                                              "test.autoconnect\n"
                                    << "test" << QStringList{"test"};
        QTest::newRow("a name with dots") << head + "[server]\nirc.example.org.addresses = \"x\"\n"
                                          << "irc.example.org" << QStringList{"irc.example.org"};
        QTest::newRow("two, one connecting at start")
            << head + "[server]\nlibera.addresses = \"a\"\nlibera.autoconnect = on\noftc.addresses = \"b\"\n"
                      "oftc.autoconnect\n"
            << "libera" << QStringList{"libera", "oftc"};
        QTest::newRow("two, both connecting by default")
            << QByteArray("[server_default]\nautoconnect = on\n[server]\nlibera.autoconnect\noftc.autoconnect\n") << ""
            << QStringList{"libera", "oftc"};
        QTest::newRow("two, neither connecting") << head + "[server]\nlibera.autoconnect = off\noftc.autoconnect\n"
                                                 << "" << QStringList{"libera", "oftc"};
    }

    void theServerComesFromWeeChatsConfiguration() {
        QFETCH(QByteArray, ircConf);
        QFETCH(QString, server);
        QFETCH(QStringList, candidates);
        const weechat::ServerChoice choice = weechat::chooseServer(ircConf);
        QCOMPARE(choice.server, server);
        QCOMPARE(choice.candidates, candidates);
    }
};

QTEST_GUILESS_MAIN(TestChatCommands)
#include "tst_chatcommands.moc"
