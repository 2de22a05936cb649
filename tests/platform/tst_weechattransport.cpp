#include "platform/linux/WeeChatTransport.h"
#include "support/FifoReader.h"
#include "support/SpecialFiles.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

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

    void textsArriveInOrderOnTheServersBuffer_data() {
        QTest::addColumn<QString>("service");
        QTest::addColumn<QByteArray>("ircConf");
        QTest::addColumn<QString>("buffer");
        QTest::newRow("server named") << "libera <pipe>" << QByteArray() << "irc.server.libera";
        QTest::newRow("server of WeeChat's configuration")
            << "<pipe>" << QByteArray("[server]\nlocal.addresses = \"127.0.0.1/6667\"\n") << "irc.server.local";
        QTest::newRow("the named server comes first")
            << "libera <pipe>" << QByteArray("[server]\nlocal.addresses = \"127.0.0.1/6667\"\n") << "irc.server.libera";
    }

    void textsArriveInOrderOnTheServersBuffer() {
        QFETCH(QString, service);
        QFETCH(QByteArray, ircConf);
        QFETCH(QString, buffer);
        QTemporaryDir dir;
        FifoReader reader(dir.filePath("weechat_fifo_test"));
        if (!ircConf.isEmpty())
            QVERIFY(writeFile(dir.filePath("irc.conf"), ircConf));
        WeeChatTransport transport;
        transport.closeAny();
        transport.setLink(3000, service.replace("<pipe>", reader.path()), "COMMAND");
        QVERIFY2(transport.open(), qPrintable(transport.error()));
        QVERIFY(transport.poke("/quote PRIVMSG alice :my timer"));
        QVERIFY(transport.poke("/quote PRIVMSG alice :  a\nb"));
        transport.close();
        QCOMPARE(reader.lines(),
                 QStringList({buffer + " */quote PRIVMSG alice :my timer", buffer + " */quote PRIVMSG alice :  a b"}));
        QVERIFY(!transport.poke("after close"));
    }

    void errorsSayWhatToDo_data() {
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("error");
        QTest::newRow("no WeeChat running") << ""
                                            << "start WeeChat and run /fifo enable";
        QTest::newRow("nothing at the path") << "missing"
                                             << "The pipe <path> does not exist";
        QTest::newRow("a file") << "file"
                                << "<path> is a file, not a pipe";
        QTest::newRow("a folder") << "folder"
                                  << "<path> is a folder, not a pipe";
        QTest::newRow("a device") << "device"
                                  << "<path> is a device, not a pipe";
        QTest::newRow("a pipe nobody reads") << "stale pipe"
                                             << "the pipe <path> has no reader";
        QTest::newRow("no server saved") << "pipe"
                                         << "WeeChat has no IRC server saved in its configuration";
        QTest::newRow("several servers") << "pipe, two servers"
                                         << "WeeChat knows several IRC servers (a, b)";
    }

    void errorsSayWhatToDo() {
        QFETCH(QString, named);
        QFETCH(QString, error);
        QTemporaryDir dir;
        const QString path = dir.filePath("weechat_fifo_1");
        std::unique_ptr<FifoReader> pipe;
        if (named == "file")
            QVERIFY(writeFile(path, "x"));
        else if (named == "folder")
            QVERIFY(QDir(dir.path()).mkdir("weechat_fifo_1"));
        else if (named == "device" && !makeNullDevice(path))
            QSKIP("only the administrator may make a device");
        else if (named.contains("pipe"))
            pipe = std::make_unique<FifoReader>(path, !named.startsWith("stale"));
        if (named.contains("two servers"))
            QVERIFY(writeFile(dir.filePath("irc.conf"), "[server]\na.addresses\nb.addresses\n"));
        WeeChatTransport transport;
        transport.setLink(3000, named.isEmpty() ? QString() : path, "COMMAND");
        QVERIFY(!transport.open());
        QVERIFY2(transport.error().contains(error.replace("<path>", path)), qPrintable(transport.error()));
        QVERIFY(!transport.poke("x"));
        QVERIFY(pipe == nullptr || pipe->readAll().isEmpty());
    }

    void aFullPipeFailsAfterTheTimeOut() {
        QTemporaryDir dir;
        FifoReader sleepy(dir.filePath("weechat_fifo_2")); // opened, never read
        WeeChatTransport transport;
        transport.setLink(300, "libera " + sleepy.path(), "COMMAND");
        QVERIFY(transport.open());
        const QString line = "/quote PRIVMSG alice :" + QString(1000, 'x');
        bool failed = false;
        for (int i = 0; i < 1000 && !failed; ++i)
            failed = !transport.poke(line);
        QVERIFY(failed);
        QVERIFY(transport.error().contains("did not take"));
        // What was taken before is there, whole lines first.
        QVERIFY(sleepy.readAll().startsWith("irc.server.libera */quote PRIVMSG alice :xxx"));
    }

    void findsAWeeChatOnlyWhereOneRuns() {
        QTemporaryDir dir;
        qputenv("WEECHAT_HOME", dir.path().toUtf8());
        // Named like a WeeChat's pipe, but for a process that is not WeeChat (this test).
        FifoReader notWeeChat(dir.filePath(QStringLiteral("weechat_fifo_%1").arg(QCoreApplication::applicationPid())));
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
