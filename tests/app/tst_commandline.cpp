#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace verdane::test;

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answersWithoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("mentions"); // on the standard output when it succeeds, on the error output if not
        const QString dir = m_dir.path();
        const QString file = qEnvironmentVariable("VERDANE_BINARY");
        // --help ends with the two files the run would read.
        QTest::newRow("help") << QStringList{"--data-dir", dir, "--help"} << 0
                              << QString("--data-dir <dir>.*\n  %1/qmvbsource.mdb\n  %1/usersource.mdb\n$").arg(dir);
        QTest::newRow("version") << QStringList{"--version"} << 0 << "^verdane \\d";
        QTest::newRow("unknown option") << QStringList{"--frobnicate"} << 2 << "frobnicate";
        QTest::newRow("missing folder") << QStringList{"--data-dir", "/no/such/dir"} << 2 << "/no/such/dir";
        QTest::newRow("folder is a file") << QStringList{"--data-dir", file} << 2 << file;
        QTest::newRow("stray argument") << QStringList{"library.mdb"} << 2 << "library.mdb";
        QTest::newRow("a password in the server's address")
            << QStringList{"--library", "postgresql://team:Secret-5@db/vb"} << 2 << "password";
        QTest::newRow("a server and a folder")
            << QStringList{"--library", "postgresql://team@db/vb", "--data-dir", "/tmp"} << 2 << "--data-dir";
    }

    // A command line that cannot be followed fails with one line and shows no window.
    void answersWithoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, mentions);
        const ProgramRun run = runProgram(qEnvironmentVariable("VERDANE_BINARY"), arguments);
        QCOMPARE(run.exitCode, exitCode);
        const QString said = exitCode ? run.err : QString::fromUtf8(run.out);
        QVERIFY2(said.contains(QRegularExpression(mentions, QRegularExpression::DotMatchesEverythingOption)),
                 qPrintable(said));
        if (exitCode) {
            QVERIFY(run.out.isEmpty());
            QCOMPARE(run.err.count('\n'), 1);
            QVERIFY2(run.err.startsWith("verdane: "), qPrintable(run.err));
            QVERIFY(!run.err.contains("Secret"));
        }
    }

private:
    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
