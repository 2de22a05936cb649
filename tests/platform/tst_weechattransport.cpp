#include "platform/linux/WeeChatTransport.h"
#include "support/TestSupport.h"

#include <fcntl.h>

namespace {

// A pipe made for a test and read by it (or only made, never opened), standing where WeeChat's fifo pipe would be.
struct FifoReader : QFile {
    explicit FifoReader(const QString& path, bool reading = true) {
        if (makeFifo(path) && reading)
            open(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK), ReadOnly, AutoCloseHandle);
    }
};

} // namespace

class TestWeeChatTransport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // No WeeChat of the machine may be found by accident.
        qputenv("HOME", m_home.path().toUtf8());
        qunsetenv("WEECHAT_HOME");
        qunsetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_CONFIG_HOME");
    }

    // The texts arrive on the buffer of the server named in the service name, else of the one of the irc.conf beside
    // the pipe (WeeChat run with --dir); a send that cannot be made says what to do and writes nothing.
    void sendsReachTheServersBufferOrSayWhatToDo() {
        const QByteArray local = "[server]\nlocal.addresses = \"127.0.0.1/6667\"\n";
        // What the folder holds at the pipe's path, which <pipe> stands for in the service name; the irc.conf beside
        // it; the service name; the buffer, or what the error says.
        using Case = std::tuple<QString, QByteArray, QString, QString>;
        for (auto [at, ircConf, service, expected] :
             {Case{"pipe", "", "libera <pipe>", "irc.server.libera"}, Case{"pipe", local, "<pipe>", "irc.server.local"},
              Case{"pipe", local, "libera <pipe>", "irc.server.libera"}, // the named server comes first
              Case{"", "", "", "start WeeChat and run /fifo enable"},
              Case{"", "", "<pipe>", "The pipe <pipe> does not exist"},
              Case{"file", "", "<pipe>", "<pipe> is a file, not a pipe"},
              Case{"stale pipe", "", "<pipe>", "the pipe <pipe> has no reader"}, // nobody reads it
              Case{"pipe", "", "<pipe>", "WeeChat has no IRC server saved in its configuration"},
              Case{"pipe", "[server]\na.addresses\nb.addresses\n", "<pipe>",
                   "WeeChat knows several IRC servers (a, b)"}}) {
            QTemporaryDir dir;
            const QString path = dir.filePath("weechat_fifo_1");
            std::unique_ptr<FifoReader> pipe;
            if (at == "file")
                QVERIFY(writeFile(path, "x"));
            else if (at.contains("pipe"))
                pipe = std::make_unique<FifoReader>(path, at == "pipe");
            QVERIFY(ircConf.isEmpty() || writeFile(dir.filePath("irc.conf"), ircConf));
            WeeChatTransport transport;
            transport.setLink(3000, service.replace("<pipe>", path), "COMMAND");
            if (!expected.startsWith("irc.server.")) {
                QVERIFY(!transport.open());
                QVERIFY2(transport.error().contains(expected.replace("<pipe>", path)), qPrintable(transport.error()));
                QVERIFY(pipe == nullptr || !pipe->isOpen() || pipe->readAll().isEmpty());
                continue;
            }
            QVERIFY2(transport.open(), qPrintable(transport.error()));
            QVERIFY(transport.poke("/quote PRIVMSG alice :my timer"));
            QVERIFY(transport.poke("/quote PRIVMSG alice :  a\nb"));
            transport.close();
            QCOMPARE(pipe->readAll(),
                     (expected + " */quote PRIVMSG alice :my timer\n" + expected + " */quote PRIVMSG alice :  a b\n")
                         .toUtf8());
        }
    }

    void aFullPipeFailsAfterTheTimeOut() {
        QTemporaryDir dir;
        FifoReader sleepy(dir.filePath("weechat_fifo_2")); // opened, never read
        WeeChatTransport transport;
        transport.setLink(300, "libera " + dir.filePath("weechat_fifo_2"), "COMMAND");
        QVERIFY(transport.open());
        int taken = 0;
        while (taken < 1000 && transport.poke("/quote PRIVMSG alice :" + QString(1000, 'x')))
            ++taken;
        QVERIFY(taken < 1000);
        QVERIFY2(transport.error().contains("did not take"), qPrintable(transport.error()));
        // What was taken before is there, whole lines first.
        QVERIFY(sleepy.readAll().startsWith("irc.server.libera */quote PRIVMSG alice :xxx"));
    }

    // WEECHAT_HOME is looked at first, and a pipe there counts only while its WeeChat runs.
    void findsAWeeChatOnlyWhereOneRuns() {
        QTemporaryDir dir;
        qputenv("WEECHAT_HOME", dir.path().toUtf8());
        // Named like a WeeChat's pipe, but for a process that is not WeeChat (this test), and for none.
        FifoReader notWeeChat(dir.filePath(QString("weechat_fifo_%1").arg(QCoreApplication::applicationPid())));
        FifoReader deadProcess(dir.filePath("weechat_fifo_999999999"));
        QCOMPARE(WeeChatTransport::findPipe(), QString());
        QCOMPARE(WeeChatTransport::runtimeFolders().first(), dir.path());
        qunsetenv("WEECHAT_HOME");
    }

private:
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestWeeChatTransport)
#include "tst_weechattransport.moc"
