#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

using namespace verdane::test;

namespace {

ProgramRun runVerdane(const QStringList& arguments) {
    return runProgram(qEnvironmentVariable("VERDANE_BINARY"), arguments);
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void helpAndVersionNeedNoDisplay() {
        const ProgramRun help = runVerdane({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains("--data-dir <dir>"));
        QVERIFY(help.out.contains("--version"));

        // It ends with the two files the run would read.
        QTemporaryDir folder;
        const ProgramRun inFolder = runVerdane({QStringLiteral("--data-dir"), folder.path(), QStringLiteral("--help")});
        QVERIFY2(inFolder.out.endsWith(
                     QStringLiteral("  %1/qmvbsource.mdb\n  %1/usersource.mdb\n").arg(folder.path()).toUtf8()),
                 inFolder.out.constData());

        const ProgramRun version = runVerdane({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QByteArray("verdane 1.0.0\n"));
    }

    void badCommandLinesFailWithOneLine_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("mentions");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")} << QStringLiteral("frobnicate");
        QTest::newRow("missing folder") << QStringList{QStringLiteral("--data-dir"), QStringLiteral("/no/such/dir")}
                                        << QStringLiteral("/no/such/dir");
        const QString file = qEnvironmentVariable("VERDANE_BINARY");
        QTest::newRow("folder is a file") << QStringList{QStringLiteral("--data-dir"), file} << file;
        QTest::newRow("no value") << QStringList{QStringLiteral("--data-dir")} << QStringLiteral("data-dir");
        QTest::newRow("stray argument") << QStringList{QStringLiteral("library.mdb")} << QStringLiteral("library.mdb");
        QTest::newRow("a password in the server's address")
            << QStringList{QStringLiteral("--library"), QStringLiteral("postgresql://team:Secret-5@db/vb")}
            << QStringLiteral("password");
        QTest::newRow("a server and a folder")
            << QStringList{QStringLiteral("--library"), QStringLiteral("postgresql://team@db/vb"),
                           QStringLiteral("--data-dir"), QStringLiteral("/tmp")}
            << QStringLiteral("--data-dir");
    }

    void badCommandLinesFailWithOneLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, mentions);
        const ProgramRun run = runVerdane(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(run.err.startsWith(QStringLiteral("verdane: ")), qPrintable(run.err));
        QVERIFY2(run.err.contains(mentions), qPrintable(run.err));
        QVERIFY(!run.err.contains(QStringLiteral("Secret")));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
