#include "platform/linux/WeeChatTransport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include "FifoReader.h"

using namespace verdane;

class TestWeeChatTransport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // No WeeChat of the machine may be found by accident.
        qputenv("HOME", m_home.path().toUtf8());
        qunsetenv("WEECHAT_HOME");
        qunsetenv("XDG_RUNTIME_DIR");
    }

    void eachTextIsOneLineThatRunsOneCommand() {
        QCOMPARE(WeeChatTransport::pipeLine(QStringLiteral("/msg bob hi")), QByteArray("*/msg bob hi\n"));
        QCOMPARE(WeeChatTransport::pipeLine(QStringLiteral("/msg bob a\r\n*/quit\rb")),
                 QByteArray("*/msg bob a  */quit b\n"));
        QCOMPARE(WeeChatTransport::pipeLine(QStringLiteral("/msg bob x") + QChar(0) + QStringLiteral("/exec rm")),
                 QByteArray("*/msg bob x /exec rm\n"));
        QCOMPARE(WeeChatTransport::pipeLine(QStringLiteral("/msg bob \u00e9t\u00e9")),
                 QByteArray("*/msg bob \xc3\xa9t\xc3\xa9\n"));
    }

    void textsArriveInOrderThroughThePipe() {
        QTemporaryDir dir;
        FifoReader reader(dir.filePath(QStringLiteral("weechat_fifo_test")));
        WeeChatTransport transport;
        transport.closeAny();
        transport.setLink(3000, reader.path(), QStringLiteral("COMMAND"));
        QVERIFY2(transport.open(), qPrintable(transport.error()));
        QVERIFY(transport.poke(QStringLiteral("/msg alice my timer")));
        QVERIFY(transport.poke(QStringLiteral("/msg alice a\nb")));
        transport.close();
        QCOMPARE(reader.lines(), QStringList({"*/msg alice my timer", "*/msg alice a b"}));
        QVERIFY(!transport.poke(QStringLiteral("after close")));
    }

    void failsWithoutAReader() {
        QTemporaryDir dir;
        WeeChatTransport transport;
        // Nothing there at all.
        transport.setLink(3000, dir.filePath(QStringLiteral("nothing")), QStringLiteral("COMMAND"));
        QVERIFY(!transport.open());
        QVERIFY(transport.error().contains(QStringLiteral("WeeChat")));
        // A pipe nobody reads, as a crashed WeeChat leaves behind.
        FifoReader stale(dir.filePath(QStringLiteral("weechat_fifo_1")), false);
        transport.setLink(3000, stale.path(), QStringLiteral("COMMAND"));
        QVERIFY(!transport.open());
        QVERIFY(transport.error().contains(QStringLiteral("nobody reads")));
    }

    void aFullPipeFailsAfterTheTimeOut() {
        QTemporaryDir dir;
        FifoReader sleepy(dir.filePath(QStringLiteral("weechat_fifo_2"))); // opened, never read
        WeeChatTransport transport;
        transport.setLink(300, sleepy.path(), QStringLiteral("COMMAND"));
        QVERIFY(transport.open());
        const QString line = QStringLiteral("/msg alice ") + QString(1000, QLatin1Char('x'));
        bool failed = false;
        for (int i = 0; i < 1000 && !failed; ++i)
            failed = !transport.poke(line);
        QVERIFY(failed);
        QVERIFY(transport.error().contains(QStringLiteral("did not take")));
        // What was taken before is there, whole lines first.
        QVERIFY(sleepy.readAll().startsWith("*/msg alice xxx"));
    }

    void findsAWeeChatOnlyWhereOneRuns() {
        QTemporaryDir dir;
        qputenv("WEECHAT_HOME", dir.path().toUtf8());
        // Named like a WeeChat's pipe, but for a process that is not WeeChat (this test).
        FifoReader notWeeChat(dir.filePath(QStringLiteral("weechat_fifo_%1").arg(QCoreApplication::applicationPid())));
        FifoReader deadProcess(dir.filePath(QStringLiteral("weechat_fifo_999999999")));
        QCOMPARE(WeeChatTransport::findPipe(QStringLiteral("mIRC")), QString());
        QCOMPARE(WeeChatTransport::findPipe(notWeeChat.path()), notWeeChat.path());
        QCOMPARE(WeeChatTransport::runtimeFolders().first(), dir.path());
        qunsetenv("WEECHAT_HOME");
    }

private:
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(TestWeeChatTransport)
#include "tst_weechattransport.moc"
