#include "support/TestSupport.h"

#include <QProcess>
#include <QTest>

using namespace verdane::test;

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

Run runVerdane(const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // The checks below must hold without any display, as on a terminal over ssh.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(qEnvironmentVariable("VERDANE_BINARY"), arguments);
    if (!process.waitForFinished(20000)) {
        process.kill();
        process.waitForFinished();
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

} // namespace

class TestCommandLine : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void helpAndVersionNeedNoDisplay() {
        const Run help = runVerdane({QStringLiteral("--help")});
        QCOMPARE(help.exitCode, 0);
        QVERIFY(help.out.contains(QStringLiteral("--data-dir <dir>")));
        QVERIFY(help.out.contains(QStringLiteral("--version")));

        const Run version = runVerdane({QStringLiteral("--version")});
        QCOMPARE(version.exitCode, 0);
        QCOMPARE(version.out, QStringLiteral("verdane 1.0.0\n"));
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
    }

    void badCommandLinesFailWithOneLine() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, mentions);
        const Run run = runVerdane(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.out.isEmpty());
        QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
        QVERIFY2(run.err.startsWith(QStringLiteral("verdane: ")), qPrintable(run.err));
        QVERIFY2(run.err.contains(mentions), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
