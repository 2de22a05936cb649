#include "core/GroupNames.h"
#include "exchange/ExportFormat.h"
#include "support/SpecialFiles.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

const QString kCounter = "' Counts \u00e9t\u00e9s\r\nPublic n As Long\r\n";

ProgramRun cli(const LibraryFolder& folder, const QStringList& arguments, const QByteArray& input = {}) {
    return runProgram(qEnvironmentVariable("VERDANE_CLI"), QStringList{"--data-dir", folder.path()} + arguments, input);
}

// Nothing on stderr when no error is expected; otherwise one line, naming the program, that mentions the error.
void verifyRun(const ProgramRun& run, int exitCode, const QString& error, const QByteArray& out = {}) {
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, out);
    if (error.isEmpty()) {
        QVERIFY2(run.err.isEmpty(), qPrintable(run.err));
        return;
    }
    QCOMPARE(run.err.count('\n'), 1);
    QVERIFY2(run.err.startsWith("verdane-cli: ") && run.err.contains(error), qPrintable(run.err));
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        m_env = std::make_unique<TestEnvironment>();
        m_folder.create(
            {{"Math", {{"Counter", kCounter}, {"Sum", "Sum = a + b"}, {"Dup", "a"}, {"Dup", "b"}, {"Dup", "c"}}},
             {"Window", {{"Top", "SetWindowPos"}}}},
            {{"Mine", "my SUM"}, {"Sum", "user sum"}, {"User Code", "u"}, {"File", "f"}});
    }

    // The commands that read, on one library: what they print, their exit codes, and their one line of error.
    void reads_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("error"); // what stderr's one line mentions; empty: nothing on stderr
        const QByteArray none;
        QTest::newRow("list") << QStringList{"list"} << 0
                              << QByteArray("Math/Counter\nMath/Sum\nMath/Dup\nMath/Dup\nMath/Dup\nWindow/Top\n"
                                            "User Code/Mine\nUser Code/Sum\nUser Code/User Code\nUser Code/File\n")
                              << "";
        QTest::newRow("show, the stored text")
            << QStringList{"show", "Math", "Counter"} << 0 << kCounter.toUtf8() << "";
        QTest::newRow("show, case counts") << QStringList{"show", "Math", "sum"} << 3 << none << "sum";
        QTest::newRow("show, a group") << QStringList{"show", kPublisherLabel, "Math"} << 3 << none << "Math";
        QTest::newRow("show, no such group")
            << QStringList{"show", "Quillmere Code Library", "Math"} << 3 << none << "no group";
        QTest::newRow("show, first of three") << QStringList{"show", "Math", "Dup"} << 0 << QByteArray("a") << "--nth";
        QTest::newRow("show, second") << QStringList{"show", "--nth", "2", "Math", "Dup"} << 0 << QByteArray("b")
                                      << "2nd";
        QTest::newRow("show, third, option last")
            << QStringList{"show", "Math", "Dup", "--nth=3"} << 0 << QByteArray("c") << "3 snippets";
        QTest::newRow("show, no fourth") << QStringList{"show", "--nth", "4", "Math", "Dup"} << 3 << none << "only 3";
        QTest::newRow("show, nth from 1") << QStringList{"show", "--nth", "0", "Math", "Dup"} << 2 << none << "--nth";
        QTest::newRow("show, named like the root")
            << QStringList{"show", "User Code", "User Code"} << 0 << QByteArray("u") << "";
        QTest::newRow("show, named like a group")
            << QStringList{"show", "User Code", "File"} << 0 << QByteArray("f") << "";
        QTest::newRow("find") << QStringList{"find", "sum"} << 0 << QByteArray("Sum\nMine\nSum\n") << "";
        QTest::newRow("find nothing") << QStringList{"find", "nowhere to be found"} << 1 << none << "";
        QTest::newRow("export, no name") << QStringList{"export", "Math", "Gone", "/tmp/x.bas"} << 3 << none << "Gone";
        QTest::newRow("no such command") << QStringList{"frobnicate"} << 2 << none << "frobnicate";
        QTest::newRow("too few arguments") << QStringList{"show", "Math"} << 2 << none << "GROUP NAME";
        QTest::newRow("no command") << QStringList{} << 2 << none << "--help";
        QTest::newRow("no such option") << QStringList{"--bogus", "list"} << 2 << none << "bogus";
        QTest::newRow("no such folder") << QStringList{"--data-dir", "/no/such/dir", "list"} << 2 << none
                                        << "/no/such/dir";
        QTest::newRow("a file for a folder")
            << QStringList{"--data-dir", m_folder.libraryPath(), "list"} << 2 << none << "is not a folder";
    }

    void reads() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QString, error);
        verifyRun(cli(m_folder, arguments), exitCode, error, out);
    }

    // The commands that change the user's own snippets, each on a fresh folder.
    void changes_data() {
        QTest::addColumn<QStringList>("arguments"); // FILE: a file holding "caf\xe9\nEnd"; EMPTY: an empty file
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("after");
        const QStringList unchanged{"Mine=mine", "Dup=d1", "Dup=d2"};
        const QByteArray none;
        QTest::newRow("import a file") << QStringList{"import", "New", "FILE"} << none << 0
                                       << QByteArray("User Code/New (record 4 of UserCode)\n") << ""
                                       << unchanged + QStringList{"New=caf\u00e9\r\nEnd"};
        QTest::newRow("import from standard input")
            << QStringList{"import", "New", "-"} << QByteArray("Sub B()\nEnd Sub") << 0
            << QByteArray("User Code/New (record 4 of UserCode)\n") << ""
            << unchanged + QStringList{"New=Sub B()\r\nEnd Sub"};
        QTest::newRow("import an empty file")
            << QStringList{"import", "x", "EMPTY"} << none << 6 << none << "Zero Length files not allowed" << unchanged;
        QTest::newRow("import without a name") << QStringList{"import", "", "FILE"} << none << 6 << none
                                               << "Please give the code snippet a name" << unchanged;
        QTest::newRow("import, no file") << QStringList{"import", "x", "/no/such/file"} << none << 5 << none
                                         << "/no/such/file" << unchanged;
        QTest::newRow("import, name held")
            << QStringList{"import", "Mine", "FILE"} << none << 6 << none << "\"Mine\"" << unchanged;
        QTest::newRow("rename") << QStringList{"rename", "User Code", "Mine", "Ours"} << none << 0 << none << ""
                                << QStringList{"Ours=mine", "Dup=d1", "Dup=d2"};
        const QString fifty(50, 'n');
        QTest::newRow("import a name of 50 characters") << QStringList{"import", fifty, "FILE"} << none << 0
                                                        << ("User Code/" + fifty + " (record 4 of UserCode)\n").toUtf8()
                                                        << "" << unchanged + QStringList{fifty + "=caf\u00e9\r\nEnd"};
        QTest::newRow("rename to 51 characters") << QStringList{"rename", "User Code", "Mine", fifty + "n"} << none << 6
                                                 << none << "at most 50" << unchanged;
        QTest::newRow("rename to a name held")
            << QStringList{"rename", "User Code", "Mine", "Dup"} << none << 6 << none << "already holds" << unchanged;
        QTest::newRow("import a name of two lines")
            << QStringList{"import", "One\nTwo", "FILE"} << none << 6 << none << "control characters" << unchanged;
        QTest::newRow("rename to a terminal's escape")
            << QStringList{"rename", "User Code", "Mine", "\x1b[2J"} << none << 6 << none << "control" << unchanged;
        // 64 MB of Unix lines, which would be 96 MB stored and exported.
        QTest::newRow("import a file over 64 MB once its lines end in CR LF")
            << QStringList{"import", "Big", "BIG"} << none << 6 << none << "once its line breaks are CR LF"
            << unchanged;
        QTest::newRow("rename in the library")
            << QStringList{"rename", "Math", "Sum", "Ours"} << none << 6 << none << "read-only" << unchanged;
        QTest::newRow("rename in no group")
            << QStringList{"rename", "Nowhere", "Mine", "Ours"} << none << 3 << none << "no group" << unchanged;
        QTest::newRow("rename one of several")
            << QStringList{"rename", "User Code", "Dup", "Ours"} << none << 6 << none << "--nth" << unchanged;
        QTest::newRow("delete") << QStringList{"delete", "User Code", "Mine"} << none << 0 << none << ""
                                << QStringList{"Dup=d1", "Dup=d2"};
        QTest::newRow("delete the second of several") << QStringList{"delete", "--nth", "2", "User Code", "Dup"} << none
                                                      << 0 << none << "" << QStringList{"Mine=mine", "Dup=d1"};
        QTest::newRow("edit from standard input")
            << QStringList{"edit", "User Code", "Mine", "-"} << QByteArray("Sub A()\nEnd Sub") << 0 << none << ""
            << QStringList{"Mine=Sub A()\r\nEnd Sub", "Dup=d1", "Dup=d2"};
        QTest::newRow("edit from a file") << QStringList{"edit", "--nth=2", "User Code", "Dup", "FILE"} << none << 0
                                          << none << "" << QStringList{"Mine=mine", "Dup=d1", "Dup=caf\u00e9\r\nEnd"};
    }

    void changes() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QString, error);
        QFETCH(QStringList, after);
        LibraryFolder folder;
        folder.create({{"Math", {{"Sum", "Sum = a + b"}}}}, {{"Mine", "mine"}, {"Dup", "d1"}, {"Dup", "d2"}});
        QVERIFY(writeFile(folder.path() + "/new.bas", "caf\xe9\nEnd") && writeFile(folder.path() + "/empty.bas", ""));
        if (arguments.contains("BIG"))
            QVERIFY(writeFile(folder.path() + "/big.bas", QByteArray("x\n").repeated(32 << 20)));
        arguments.replaceInStrings("FILE", folder.path() + "/new.bas")
            .replaceInStrings("EMPTY", folder.path() + "/empty.bas")
            .replaceInStrings("BIG", folder.path() + "/big.bas");
        verifyRun(cli(folder, arguments, input), exitCode, error, out);
        QCOMPARE(folder.userSnippets(), after);
    }

    // A change waits for another program's lock (one that outlasts the wait is the store's test).
    void changesWaitForALock() {
        LibraryFolder folder;
        folder.create({}, {{"Mine", "mine"}});
        LockHolder lock(folder.userPath(), 500);
        verifyRun(cli(folder, {"rename", "User Code", "Mine", "Ours"}), 0, "");
        QCOMPARE(folder.userSnippets(), QStringList{"Ours=mine"});
    }

    // Files that are missing or no databases fail without a file made, whatever the command; a table that cannot be
    // read is named, and the commands serve the rest; importing needs the user's file only.
    void badDatabases() {
        LibraryFolder none;
        const ProgramRun list = cli(none, {"list"});
        QCOMPARE(list.exitCode, 4);
        QVERIFY2(list.err.contains(kLibraryFileName) && list.err.contains(kUserFileName), qPrintable(list.err));
        verifyRun(cli(none, {"import", "New", "-"}, "x = 1"), 4, kUserFileName);
        QVERIFY(none.fileNames().isEmpty());
        LibraryFolder garbage;
        garbage.create();
        writeFile(garbage.libraryPath(), QByteArray(2048, 'z'));
        verifyRun(cli(garbage, {"find", "x"}), 4, kLibraryFileName);

        LibraryFolder folder;
        folder.create({{"Math", {{"Sum", "Sum = a + b"}}}}, {{"Mine", "my sum"}});
        QVERIFY(DatabaseFile::exec(folder.libraryPath(), "DROP TABLE File"));
        verifyRun(cli(folder, {"list"}), 4, "\"File\"", "Math/Sum\nUser Code/Mine\n");
        verifyRun(cli(folder, {"find", "SUM"}), 4, "\"File\"", "Sum\nMine\n");
        verifyRun(cli(folder, {"show", "Math", "Sum"}), 0, "", "Sum = a + b");
        verifyRun(cli(folder, {"show", "File", "x"}), 4, "\"File\"");
        QVERIFY(QFile::remove(folder.libraryPath()));
        verifyRun(cli(folder, {"import", "New", "-"}, "x = 1"), 0, "", "User Code/New (record 2 of UserCode)\n");

        // A pipe in a database's place is not waited on: it cannot be read, as a file that is not a database.
        LibraryFolder piped;
        piped.create();
        QVERIFY(QFile::remove(piped.userPath()) && makeFifo(piped.userPath()));
        verifyRun(cli(piped, {"list"}), 4, "usersource.mdb could not be opened: it is a pipe");
        verifyRun(cli(piped, {"find", "x"}), 4, "usersource.mdb could not be opened: it is a pipe");
    }

    // Every record listed can be shown and, in User Code, deleted: a name stored as a number, a code that is null. A
    // name stored with control characters is listed with them escaped, on one line.
    void everyListedRecordCanBeReached() {
        LibraryFolder folder;
        folder.create({}, {{"Bare", QVariant()}, {"Tab\tLine\nEsc\x1b" + QString(QChar(0x85)), "odd"}});
        for (const char* sql :
             {"DROP TABLE Math", "CREATE TABLE Math (CodeName, Code)", "INSERT INTO Math VALUES (42, 'x')"})
            QVERIFY(DatabaseFile::exec(folder.libraryPath(), sql));
        const QByteArray odd = "Tab\\tLine\\nEsc\\x1B\\u0085\n";
        verifyRun(cli(folder, {"list"}), 0, "", "Math/42\nUser Code/Bare\nUser Code/" + odd);
        verifyRun(cli(folder, {"find", "ODD"}), 0, "", odd);
        verifyRun(cli(folder, {"show", "Math", "42"}), 0, "", "x");
        verifyRun(cli(folder, {"show", "User Code", "Bare"}), 0, "");
        verifyRun(cli(folder, {"delete", "User Code", "Bare"}), 0, "");
        QCOMPARE(folder.userSnippets().size(), 1);
    }

    // A library in write-ahead-log mode, in a folder the user may not write, is read all the same.
    void aLibraryThatCanOnlyBeRead() {
        LibraryFolder folder;
        folder.create({{"Math", {{"Sum", "s = a + b"}}}});
        QVERIFY(DatabaseFile::exec(folder.libraryPath(), "PRAGMA journal_mode=WAL"));
        // The administrator may write anywhere: the run is then another user's.
        QString program = qEnvironmentVariable("VERDANE_CLI");
        QStringList arguments{"--data-dir", folder.path()};
        if (runsAsRoot()) {
            arguments = QStringList{"-u", "nobody", "--", program} + arguments;
            program = "runuser";
        }
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(folder.path(), readOnly));
        verifyRun(runProgram(program, arguments + QStringList{"list"}), 0, "", "Math/Sum\n");
        verifyRun(runProgram(program, arguments + QStringList{"find", "A + B"}), 0, "", "Sum\n");
        QVERIFY(QFile::setPermissions(folder.path(), readOnly | QFile::WriteOwner));
    }

    // Where the terminal writes and what it is given from outside: only regular files, and no character lost
    // without being asked to.
    void oddInputsAndTargets() {
        LibraryFolder folder;
        folder.create({{"Math", {{"Counter", kCounter}, {"Wide", "' \u6f22\u5b57 table"}}}});
        QTemporaryDir dir;
        const QString cls = dir.filePath("Counter.cls"), bas = dir.filePath("wide.bas"), pipe = dir.filePath("pipe");
        verifyRun(cli(folder, {"export", "Math", "Counter", cls}), 0, "");
        QCOMPARE(fileBytes(cls), classModuleHeader("Counter") + "' Counts \xe9t\xe9s\r\nPublic n As Long\r\n");
        verifyRun(cli(folder, {"export", "Math", "Counter", dir.filePath("no/such/folder.bas")}), 5, "does not exist");
        QVERIFY(makeFifo(pipe));
        verifyRun(cli(folder, {"export", "Math", "Wide", "--lossy", pipe}), 5, pipe);
        QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
        verifyRun(cli(folder, {"export", "Math", "Wide", bas}), 6, "--lossy");
        QVERIFY(!QFileInfo::exists(bas));
        verifyRun(cli(folder, {"export", "--lossy", "Math", "Wide", bas}), 0, "");
        QCOMPARE(fileBytes(bas), QByteArray("' ?? table\r\n"));

        // A pipe at once, not waiting for a writer.
        verifyRun(cli(folder, {"import", "New", pipe}), 5, pipe);
        QVERIFY(folder.userSnippets().isEmpty());
    }

    // Output that never arrives (a full disk, here the device that is always full) is no success.
    void outputThatCannotBeWrittenIsAFailure() {
        for (const QStringList& arguments :
             {QStringList{"list"}, {"show", "Math", "Counter"}, {"find", "sum"}, {"--help"}}) {
            QProcess process;
            process.setStandardOutputFile("/dev/full");
            process.start(qEnvironmentVariable("VERDANE_CLI"), QStringList{"--data-dir", m_folder.path()} + arguments);
            QVERIFY(process.waitForFinished());
            QCOMPARE(process.exitCode(), 5);
            QVERIFY(process.readAllStandardError().contains("cannot write"));
        }
    }

    // --help ends with the two files a command would read: beside the program in the build, or those of --data-dir.
    void helpNamesTheFilesInUse() {
        const QDir beside = QFileInfo(qEnvironmentVariable("VERDANE_CLI")).dir();
        const QByteArray inBuild = runProgram(qEnvironmentVariable("VERDANE_CLI"), {"--help"}).out;
        QVERIFY2(
            inBuild.endsWith(
                ("  " + beside.filePath(kLibraryFileName) + "\n  " + beside.filePath(kUserFileName) + "\n").toUtf8()),
            inBuild.constData());
        const QByteArray given = cli(m_folder, {"--help"}).out;
        QVERIFY2(given.endsWith(("  " + m_folder.libraryPath() + "\n  " + m_folder.userPath() + "\n").toUtf8()),
                 given.constData());
        // An address holding a password is never repeated, only refused.
        const QByteArray refused =
            runProgram(qEnvironmentVariable("VERDANE_CLI"), {"--library", "postgresql://vb:Secret-6@db/vb", "--help"})
                .out;
        QVERIFY2(refused.contains("address cannot be used") && !refused.contains("Secret"), refused.constData());
    }

    void windowProgramAnswersWithoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("mentions"); // on the standard output when it succeeds, on the error output if not
        const QString dir = m_folder.path();
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
        QTest::newRow("help, with a password in the server's address")
            << QStringList{"--library", "postgresql://team:Secret-5@db/vb", "--help"} << 0
            << "cannot be used, as it holds";
        QTest::newRow("a server and a folder")
            << QStringList{"--library", "postgresql://team@db/vb", "--data-dir", "/tmp"} << 2 << "--data-dir";
    }

    // The window program given a command line that cannot be followed fails with one line and shows no window.
    void windowProgramAnswersWithoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, mentions);
        const ProgramRun run = runProgram(qEnvironmentVariable("VERDANE_BINARY"), arguments);
        QCOMPARE(run.exitCode, exitCode);
        const QString said = exitCode ? run.err : QString::fromUtf8(run.out);
        QVERIFY2(said.contains(QRegularExpression(mentions, QRegularExpression::DotMatchesEverythingOption)),
                 qPrintable(said));
        QVERIFY(!said.contains("Secret"));
        if (exitCode) {
            QVERIFY(run.out.isEmpty());
            QCOMPARE(run.err.count('\n'), 1);
            QVERIFY2(run.err.startsWith("verdane: "), qPrintable(run.err));
        }
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
    LibraryFolder m_folder;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
