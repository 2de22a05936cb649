#include "chat/ChatCommands.h"
#include "platform/linux/WeeChatLines.h"
#include "support/TestSupport.h"

class TestChatCommands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The comments line first, then one line for every CR LF-ended line of the code, as it is.
    void linesAreCommentsThenEveryCodeLine() {
        using Case = std::tuple<QString, QString, QString, QStringList>; // target, comments, code, the messages' texts
        for (const auto& [target, comments, code, texts] :
             {Case{"alice", "my timer", "Sub A()\r\nEnd Sub", {"my timer", "Sub A()", "End Sub"}},
              Case{"bob", "", "x", {"", "x"}}, Case{"bob", "hi", "", {"hi"}},
              Case{"bob", "c", "\r\nx\r\n\r\ny\r\n", {"c", "", "x", "", "y", ""}},
              Case{"bob", "c", "\r\n", {"c", "", ""}}, Case{"bob", "c", "a\rb\nc\r\nd", {"c", "a\rb\nc", "d"}},
              Case{" b ", " c ", "If a Then\r\n    b\r\n\tc  ", {" c ", "If a Then", "    b", "\tc  "}}})
            QCOMPARE(chatCommandLines(target, comments, code),
                     QStringList(texts).replaceInStrings(QRegularExpression("^"), "/quote PRIVMSG " + target + " :"));
    }

    // CR, LF and NUL would each end the line and run what follows as a command of its own.
    void eachTextIsOneLineOfThePipe() {
        QCOMPARE(weechat::pipeLine(weechat::serverBuffer("libera"), "/quote \u00e9t\u00e9"),
                 "irc.server.libera */quote \xc3\xa9t\xc3\xa9\n");
        QCOMPARE(weechat::pipeLine("", "/quote x"), "*/quote x\n");
        QCOMPARE(weechat::pipeLine("irc.server.a", QString("a\r\n*/quit\rb") + QChar(0) + "/exec rm"),
                 "irc.server.a *a  */quit b /exec rm\n");
    }

    void serviceNamesNameAPipeAServerOrBoth() {
        const QString fifo = "/run/user/1000/weechat/weechat_fifo_42";
        for (const auto& [text, serverAndPipe] :
             {Texts{"", "|"}, Texts{fifo, "|" + fifo},
              Texts{"~/.weechat/fifo", "|" + QDir::homePath() + "/.weechat/fifo"},
              Texts{"/tmp/my pipes/fifo", "|/tmp/my pipes/fifo"}, Texts{" libera ", "libera|"},
              Texts{"libera /tmp/my pipes/fifo", "libera|/tmp/my pipes/fifo"},
              Texts{"libera\t/tmp/fifo", "libera|/tmp/fifo"}}) {
            const weechat::Service service = weechat::parseService(text);
            QCOMPARE(service.server + '|' + service.pipe, serverAndPipe);
        }
    }

    // The only server, else the only one that connects at start; none when that does not settle it.
    void theServerComesFromWeeChatsConfiguration() {
        auto chosen = [](const QByteArray& servers, const QByteArray& connectsByDefault = "off") {
            const weechat::ServerChoice choice = weechat::chooseServer(
                "[look]\nx = on\n[server_default]\nautoconnect = " + connectsByDefault + "\n[server]\n" + servers);
            return choice.server + " of " + choice.candidates.join(',');
        };
        QCOMPARE(weechat::chooseServer({}).server, QString());
        QCOMPARE(chosen(""), " of ");
        QCOMPARE(chosen("test.addresses = \"127.0.0.1/6667\"\ntest.proxy\ntest.autoconnect\n"), "test of test");
        QCOMPARE(chosen("irc.example.org.addresses = \"x\"\n"), "irc.example.org of irc.example.org");
        QCOMPARE(
            chosen("libera.addresses = \"a\"\nlibera.autoconnect = on\noftc.addresses = \"b\"\noftc.autoconnect\n"),
            "libera of libera,oftc");
        QCOMPARE(chosen("libera.autoconnect = off\noftc.autoconnect\n"), " of libera,oftc");
        QCOMPARE(chosen("libera.autoconnect\noftc.autoconnect\n", "on"), " of libera,oftc");
        QCOMPARE(chosen("libera.autoconnect\noftc.autoconnect = off\n", "on"), "libera of libera,oftc");
    }
};

QTEST_GUILESS_MAIN(TestChatCommands)
#include "tst_chatcommands.moc"
