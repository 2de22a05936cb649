#include "core/GroupNames.h"
#include "exchange/ExportFormat.h"
#include "support/SpecialFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

using Run = ProgramRun;

Run cli(const QStringList& arguments, const QByteArray& input = {}) {
    return runProgram(qEnvironmentVariable("VERDANE_CLI"), arguments, input);
}

QStringList withData(const LibraryFolder& folder, const QStringList& arguments) {
    return QStringList{QStringLiteral("--data-dir"), folder.path()} + arguments;
}

void verifyOneErrorLine(const Run& run, int code, const QString& mentions) {
    QCOMPARE(run.exitCode, code);
    QCOMPARE(run.err.count(QLatin1Char('\n')), 1);
    QVERIFY2(run.err.startsWith(QStringLiteral("verdane-cli: ")) && run.err.contains(mentions), qPrintable(run.err));
}

const QString kCounter = QStringLiteral("' Counts \u00e9t\u00e9s\r\nPublic n As Long\r\n");

void createOwnSnippets(LibraryFolder& folder) {
    folder.create({{QStringLiteral("Math"), {{QStringLiteral("Sum"), QStringLiteral("Sum = a + b")}}}},
                  {{QStringLiteral("Mine"), QStringLiteral("mine")},
                   {QStringLiteral("Dup"), QStringLiteral("d1")},
                   {QStringLiteral("Dup"), QStringLiteral("d2")}});
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_env = std::make_unique<TestEnvironment>();
        m_folder.create(
            {{QStringLiteral("Math"),
              {{QStringLiteral("Counter"), kCounter}, {QStringLiteral("Sum"), QStringLiteral("Sum = a + b")}}},
             {QStringLiteral("Window"), {{QStringLiteral("Top"), QStringLiteral("SetWindowPos")}}}},
            {{QStringLiteral("Mine"), QStringLiteral("my SUM")}, {QStringLiteral("Sum"), QStringLiteral("user sum")}});
    }

    void listsTheCatalogueInTreeOrder() {
        const Run run = cli(withData(m_folder, {QStringLiteral("list")}));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("Math/Counter\nMath/Sum\nWindow/Top\nUser Code/Mine\nUser Code/Sum\n"));
        QVERIFY(run.err.isEmpty());
    }

    void showsTheStoredBytes() {
        Run run = cli(withData(m_folder, {QStringLiteral("show"), QStringLiteral("Math"), QStringLiteral("Counter")}));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, kCounter.toUtf8());
        run = cli(withData(m_folder, {QStringLiteral("show"), kUserCodeCaption, QStringLiteral("Sum")}));
        QCOMPARE(run.out, QByteArray("user sum"));
        verifyOneErrorLine(
            cli(withData(m_folder, {QStringLiteral("show"), QStringLiteral("Math"), QStringLiteral("sum")})), 3,
            QStringLiteral("sum"));
        // A group is no snippet.
        verifyOneErrorLine(cli(withData(m_folder, {QStringLiteral("show"), kPublisherLabel, QStringLiteral("Math")})),
                           3, QStringLiteral("Math"));
    }

    void findsAsTheFindWindowDoes() {
        Run run = cli(withData(m_folder, {QStringLiteral("find"), QStringLiteral("sum")}));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("Sum\nMine\nSum\n"));
        run = cli(withData(m_folder, {QStringLiteral("find"), QStringLiteral("nowhere to be found")}));
        QCOMPARE(run.exitCode, 1);
        QVERIFY(run.out.isEmpty());
    }

    void everyRecordCanBeReached_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("error"); // what stderr's one line mentions; empty: nothing on stderr
        QTest::newRow("first of three") << QStringList{"show", "Math", "Dup"} << 0 << QByteArray("a") << "--nth";
        QTest::newRow("second") << QStringList{"show", "--nth", "2", "Math", "Dup"} << 0 << QByteArray("b") << "2nd";
        QTest::newRow("third, option last")
            << QStringList{"show", "Math", "Dup", "--nth=3"} << 0 << QByteArray("c") << "3 snippets";
        QTest::newRow("no fourth") << QStringList{"show", "--nth", "4", "Math", "Dup"} << 3 << QByteArray() << "only 3";
        QTest::newRow("nth from 1") << QStringList{"show", "--nth", "0", "Math", "Dup"} << 2 << QByteArray() << "--nth";
        QTest::newRow("named like the root")
            << QStringList{"show", "User Code", "User Code"} << 0 << QByteArray("u") << "";
        QTest::newRow("named like a group") << QStringList{"show", "User Code", "File"} << 0 << QByteArray("f") << "";
        QTest::newRow("no such group") << QStringList{"show", "Quillmere Code Library", "Math"} << 3 << QByteArray()
                                       << "no group";
    }

    void everyRecordCanBeReached() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QString, error);
        LibraryFolder folder;
        folder.create(
            {{QStringLiteral("Math"),
              {{QStringLiteral("Dup"), QStringLiteral("a")},
               {QStringLiteral("Dup"), QStringLiteral("b")},
               {QStringLiteral("Dup"), QStringLiteral("c")}}}},
            {{QStringLiteral("User Code"), QStringLiteral("u")}, {QStringLiteral("File"), QStringLiteral("f")}});
        const Run run = cli(withData(folder, arguments));
        if (error.isEmpty()) {
            QCOMPARE(run.exitCode, exitCode);
            QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        } else {
            verifyOneErrorLine(run, exitCode, error);
        }
        QCOMPARE(run.out, out);
    }

    // A table that cannot be read is named, and the commands work on the rest.
    void unreadableTablesAreNamedAndTheRestIsServed() {
        LibraryFolder folder;
        folder.create({{QStringLiteral("Math"), {{QStringLiteral("Sum"), QStringLiteral("Sum = a + b")}}}},
                      {{QStringLiteral("Mine"), QStringLiteral("my sum")}});
        QVERIFY(DatabaseFile::exec(folder.libraryPath(), QStringLiteral("DROP TABLE File")));
        Run run = cli(withData(folder, {QStringLiteral("list")}));
        QCOMPARE(run.out, QByteArray("Math/Sum\nUser Code/Mine\n"));
        verifyOneErrorLine(run, 4, QStringLiteral("\"File\""));
        run = cli(withData(folder, {QStringLiteral("find"), QStringLiteral("SUM")}));
        QCOMPARE(run.out, QByteArray("Sum\nMine\n"));
        verifyOneErrorLine(run, 4, QStringLiteral("\"File\""));
        run = cli(withData(folder, {QStringLiteral("show"), QStringLiteral("Math"), QStringLiteral("Sum")}));
        QCOMPARE(run.exitCode, 0);
        verifyOneErrorLine(cli(withData(folder, {QStringLiteral("show"), QStringLiteral("File"), QStringLiteral("x")})),
                           4, QStringLiteral("\"File\""));

        // Importing needs the user's file only.
        QVERIFY(QFile::remove(folder.libraryPath()));
        run = cli(withData(folder, {QStringLiteral("import"), QStringLiteral("New"), QStringLiteral("-")}), "x = 1");
        QCOMPARE(run.exitCode, 0);
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        QCOMPARE(DatabaseFile::records(folder.userPath(), kUserCodeTable).size(), 2);
    }

    void exportsAsTheExportDoes() {
        QTemporaryDir dir;
        const QString cls = dir.filePath(QStringLiteral("Counter.cls"));
        Run run =
            cli(withData(m_folder, {QStringLiteral("export"), QStringLiteral("Math"), QStringLiteral("Counter"), cls}));
        QCOMPARE(run.exitCode, 0);
        QFile file(cls);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(),
                 classModuleHeader(QStringLiteral("Counter")) + "' Counts \xe9t\xe9s\r\nPublic n As Long\r\n");
        verifyOneErrorLine(
            cli(withData(m_folder, {QStringLiteral("export"), QStringLiteral("Math"), QStringLiteral("Counter"),
                                    dir.filePath(QStringLiteral("no/such/folder.bas"))})),
            5, QStringLiteral("does not exist"));
        verifyOneErrorLine(
            cli(withData(m_folder, {QStringLiteral("export"), QStringLiteral("Math"), QStringLiteral("Gone"), cls})), 3,
            QStringLiteral("Gone"));
    }

    void importsWithTheImportsRules() {
        LibraryFolder folder;
        folder.create();
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.bas"));
        QVERIFY(writeFile(path, "' caf\xe9\nSub A()\n"));
        Run run = cli(withData(folder, {QStringLiteral("import"), QStringLiteral("From File"), path}));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("User Code/From File (record 1 of UserCode)\n"));
        run = cli(withData(folder, {QStringLiteral("import"), QStringLiteral("From Stdin"), QStringLiteral("-")}),
                  QByteArray("Sub B()\r\nEnd Sub"));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("User Code/From Stdin (record 2 of UserCode)\n"));
        const QList<Record> records = DatabaseFile::records(folder.userPath(), kUserCodeTable);
        QCOMPARE(records.size(), 2);
        QCOMPARE(records[0].code.toString(), QStringLiteral("' caf\u00e9\r\nSub A()\r\n"));
        QCOMPARE(records[1].code.toString(), QStringLiteral("Sub B()\r\nEnd Sub"));

        const QString empty = dir.filePath(QStringLiteral("empty.bas"));
        QVERIFY(writeFile(empty, {}));
        verifyOneErrorLine(cli(withData(folder, {QStringLiteral("import"), QStringLiteral("x"), empty})), 6,
                           QStringLiteral("Zero Length files not allowed"));
        verifyOneErrorLine(
            cli(withData(folder, {QStringLiteral("import"), QStringLiteral("x"), QStringLiteral("-")}), QByteArray("")),
            6, QStringLiteral("Zero Length"));
        verifyOneErrorLine(cli(withData(folder, {QStringLiteral("import"), QString(), path})), 6,
                           QStringLiteral("Please give the code snippet a name"));
        verifyOneErrorLine(cli(withData(folder, {QStringLiteral("import"), QString(51, QLatin1Char('n')), path})), 6,
                           QStringLiteral("50"));
        verifyOneErrorLine(cli(withData(folder, {QStringLiteral("import"), QStringLiteral("x"),
                                                 dir.filePath(QStringLiteral("missing"))})),
                           5, QStringLiteral("missing"));
        verifyOneErrorLine(cli(withData(folder, {QStringLiteral("import"), QStringLiteral("From File"), path})), 6,
                           QStringLiteral("\"From File\""));
        QCOMPARE(DatabaseFile::records(folder.userPath(), kUserCodeTable).size(), 2);
    }

    void changesOwnSnippets_data() {
        QTest::addColumn<QStringList>("arguments"); // FILE stands for a file holding "caf\xe9\nEnd"
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error"); // what stderr's one line mentions; empty: nothing on stderr
        QTest::addColumn<QStringList>("after");
        const QStringList unchanged{"Mine=mine", "Dup=d1", "Dup=d2"};
        const QByteArray none;
        QTest::newRow("rename") << QStringList{"rename", "User Code", "Mine", "Ours"} << none << 0 << ""
                                << QStringList{"Ours=mine", "Dup=d1", "Dup=d2"};
        QTest::newRow("rename to a name held")
            << QStringList{"rename", "User Code", "Mine", "Dup"} << none << 6 << "already holds" << unchanged;
        QTest::newRow("rename to no name") << QStringList{"rename", "User Code", "Mine", ""} << none << 6
                                           << "give the code snippet a name" << unchanged;
        QTest::newRow("rename in the library")
            << QStringList{"rename", "Math", "Sum", "Ours"} << none << 6 << "read-only" << unchanged;
        QTest::newRow("rename in no group")
            << QStringList{"rename", "Nowhere", "Mine", "Ours"} << none << 3 << "no group" << unchanged;
        QTest::newRow("rename one of several")
            << QStringList{"rename", "User Code", "Dup", "Ours"} << none << 6 << "--nth" << unchanged;
        QTest::newRow("delete") << QStringList{"delete", "User Code", "Mine"} << none << 0 << ""
                                << QStringList{"Dup=d1", "Dup=d2"};
        QTest::newRow("delete the second of several") << QStringList{"delete", "--nth", "2", "User Code", "Dup"} << none
                                                      << 0 << "" << QStringList{"Mine=mine", "Dup=d1"};
        QTest::newRow("edit from standard input")
            << QStringList{"edit", "User Code", "Mine", "-"} << QByteArray("Sub A()\nEnd Sub") << 0 << ""
            << QStringList{"Mine=Sub A()\r\nEnd Sub", "Dup=d1", "Dup=d2"};
        QTest::newRow("edit from a file") << QStringList{"edit", "--nth=2", "User Code", "Dup", "FILE"} << none << 0
                                          << "" << QStringList{"Mine=mine", "Dup=d1", "Dup=caf\u00e9\r\nEnd"};
        QTest::newRow("edit from an empty input")
            << QStringList{"edit", "User Code", "Mine", "-"} << QByteArray("") << 6 << "Zero Length" << unchanged;
        QTest::newRow("edit from no file")
            << QStringList{"edit", "User Code", "Mine", "/no/such/file"} << none << 5 << "/no/such/file" << unchanged;
    }

    void changesOwnSnippets() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        QFETCH(QStringList, after);
        LibraryFolder folder;
        createOwnSnippets(folder);
        const QByteArray library = fileDigest(folder.libraryPath());
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("new.bas"));
        QVERIFY(writeFile(file, "caf\xe9\nEnd"));
        arguments.replaceInStrings(QRegularExpression(QStringLiteral("^FILE$")), file);
        const Run run = cli(withData(folder, arguments), input);
        if (error.isEmpty()) {
            QCOMPARE(run.exitCode, exitCode);
            QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        } else {
            verifyOneErrorLine(run, exitCode, error);
        }
        QVERIFY(run.out.isEmpty());
        QCOMPARE(folder.userSnippets(), after);
        QCOMPARE(fileDigest(folder.libraryPath()), library);
    }

    // A change waits for another program's lock; a lock that stays is a failure that changes nothing.
    void changesWaitForALock() {
        LibraryFolder folder;
        createOwnSnippets(folder);
        {
            LockHolder lock(folder.userPath(), 500);
            const Run run = cli(withData(folder, {"rename", "User Code", "Mine", "Ours"}));
            QCOMPARE(run.exitCode, 0);
        }
        const QStringList before = folder.userSnippets();
        LockHolder lock(folder.userPath(), 6000);
        verifyOneErrorLine(cli(withData(folder, {"delete", "User Code", "Ours"})), 4, kUserFileName);
        QCOMPARE(folder.userSnippets(), before);
    }

    void badDatabasesAndArguments() {
        LibraryFolder none;
        const Run list = cli(withData(none, {QStringLiteral("list")}));
        QCOMPARE(list.exitCode, 4);
        QVERIFY2(list.err.contains(kLibraryFileName) && list.err.contains(kUserFileName), qPrintable(list.err));
        QVERIFY(none.fileNames().isEmpty());
        LibraryFolder garbage;
        garbage.create();
        writeFile(garbage.libraryPath(), QByteArray(2048, 'z'));
        verifyOneErrorLine(cli(withData(garbage, {QStringLiteral("find"), QStringLiteral("x")})), 4, kLibraryFileName);

        verifyOneErrorLine(cli({QStringLiteral("frobnicate")}), 2, QStringLiteral("frobnicate"));
        verifyOneErrorLine(cli({QStringLiteral("show"), QStringLiteral("Math")}), 2, QStringLiteral("GROUP NAME"));
        verifyOneErrorLine(cli({}), 2, QStringLiteral("--help"));
        verifyOneErrorLine(cli({QStringLiteral("--data-dir"), QStringLiteral("/no/such/dir"), QStringLiteral("list")}),
                           2, QStringLiteral("/no/such/dir"));
        verifyOneErrorLine(cli({QStringLiteral("--bogus"), QStringLiteral("list")}), 2, QStringLiteral("bogus"));
        verifyOneErrorLine(
            cli(withData(m_folder, {QStringLiteral("--data-dir"), m_folder.libraryPath(), QStringLiteral("list")})), 2,
            QStringLiteral("is not a folder"));
    }

    // What the terminal is given from outside, and where it writes: only regular files, never more than a snippet
    // may hold, and no character lost without being asked to.
    void oddInputsAndTargetsAreRefused() {
        LibraryFolder folder;
        folder.create({{QStringLiteral("Math"), {{QStringLiteral("Wide"), QStringLiteral("' \u6f22\u5b57 table")}}}});
        QTemporaryDir dir;
        const QString pipe = dir.filePath(QStringLiteral("pipe"));
        QVERIFY(makeFifo(pipe));

        // Export: a pipe is left as it is; characters Windows-1252 lacks only with --lossy.
        const QStringList exportWide{QStringLiteral("export"), QStringLiteral("Math"), QStringLiteral("Wide")};
        verifyOneErrorLine(cli(withData(folder, exportWide + QStringList{QStringLiteral("--lossy"), pipe})), 5, pipe);
        QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
        const QString bas = dir.filePath(QStringLiteral("wide.bas"));
        verifyOneErrorLine(cli(withData(folder, exportWide + QStringList{bas})), 6, QStringLiteral("--lossy"));
        QVERIFY(!QFileInfo::exists(bas));
        QCOMPARE(cli(withData(folder, QStringList{QStringLiteral("export"), QStringLiteral("--lossy"),
                                                  QStringLiteral("Math"), QStringLiteral("Wide"), bas}))
                     .exitCode,
                 0);
        QFile written(bas);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("' ?? table\r\n"));

        // Import: a pipe at once, not waiting for a writer; too much, whether a file or an endless stream.
        const QStringList import{QStringLiteral("import"), QStringLiteral("New")};
        verifyOneErrorLine(cli(withData(folder, import + QStringList{pipe})), 5, pipe);
        const QString huge = dir.filePath(QStringLiteral("huge.bas"));
        QFile sparse(huge);
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(1000000001));
        sparse.close();
        verifyOneErrorLine(cli(withData(folder, import + QStringList{huge})), 6, QStringLiteral("64 MB"));
        QProcess endless;
        endless.setStandardInputFile(QStringLiteral("/dev/zero"));
        endless.start(qEnvironmentVariable("VERDANE_CLI"), withData(folder, import + QStringList{QStringLiteral("-")}));
        QVERIFY(endless.waitForFinished(60000));
        QCOMPARE(endless.exitCode(), 6);
        QVERIFY(endless.readAllStandardError().contains("64 MB"));
        QVERIFY(DatabaseFile::records(folder.userPath(), kUserCodeTable).isEmpty());
    }

    // Output that never arrives (a full disk, here the device that is always full) is no success.
    void outputThatCannotBeWrittenIsAFailure_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("list") << QStringList{"list"};
        QTest::newRow("show") << QStringList{"show", "Math", "Counter"};
        QTest::newRow("find") << QStringList{"find", "sum"};
        QTest::newRow("help") << QStringList{"--help"};
    }

    void outputThatCannotBeWrittenIsAFailure() {
        QFETCH(QStringList, arguments);
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("no /dev/full here");
        QProcess process;
        process.setStandardOutputFile(QStringLiteral("/dev/full"));
        process.start(qEnvironmentVariable("VERDANE_CLI"), withData(m_folder, arguments));
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitCode(), 5);
        QVERIFY(process.readAllStandardError().contains("cannot write"));
    }

    void helpAndVersion() {
        Run run = cli({QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.contains("Exit codes:"));
        for (const char* command :
             {"list", "show", "find", "export", "import", "rename", "edit", "delete", "init-server"})
            QVERIFY(run.out.contains(QByteArray("  ") + command + ' '));
        run = cli({QStringLiteral("export"), QStringLiteral("--help")});
        QCOMPARE(run.exitCode, 0);
        QVERIFY(run.out.startsWith("Usage: verdane-cli [--data-dir DIR | --library URL] export ") &&
                run.out.contains("--lossy"));
        run = cli({QStringLiteral("--version")});
        QCOMPARE(run.out, QByteArray("verdane-cli 1.0.0\n"));
    }

    // --help ends with the two files a command would read: beside the program in the build, or those of --data-dir.
    void helpNamesTheFilesInUse() {
        const QDir beside = QFileInfo(qEnvironmentVariable("VERDANE_CLI")).dir();
        const QByteArray inBuild = cli({QStringLiteral("--help")}).out;
        QVERIFY2(
            inBuild.endsWith(
                ("  " + beside.filePath(kLibraryFileName) + "\n  " + beside.filePath(kUserFileName) + "\n").toUtf8()),
            inBuild.constData());
        const QByteArray given = cli(withData(m_folder, {QStringLiteral("--help")})).out;
        QVERIFY2(given.endsWith(("  " + m_folder.libraryPath() + "\n  " + m_folder.userPath() + "\n").toUtf8()),
                 given.constData());
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    LibraryFolder m_folder;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
