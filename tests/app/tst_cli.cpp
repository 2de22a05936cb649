#include "exchange/ExportFormat.h"
#include "support/TestSupport.h"

#include <QProcess>

namespace {

const QString kCounter = "' Counts \u00e9t\u00e9s\r\nPublic n As Long\r\n";

ProgramRun cli(const LibraryFolder& folder, const QStringList& arguments, const QByteArray& input = {}) {
    return runProgram(qEnvironmentVariable("VERDANE_CLI"), QStringList{"--data-dir", folder.path()} + arguments, input);
}

// Nothing on stderr when no error is expected; otherwise one line, naming the program, that mentions the error.
void verifyRun(const ProgramRun& run, int exitCode, const QString& error, const QByteArray& out = {}) {
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, out);
    QVERIFY2(error.isEmpty()
                 ? run.err.isEmpty()
                 : run.err.count('\n') == 1 && run.err.startsWith("verdane-cli: ") && run.err.contains(error),
             qPrintable(run.err));
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT

    TestEnvironment m_env;

private Q_SLOTS:
    void initTestCase() {
        m_folder.create(
            {{"Math", {{"Counter", kCounter}, {"Sum", "Sum = a + b"}, {"Dup", "a"}, {"Dup", "b"}, {"Dup", "c"}}},
             {"Window", {{"Top", "SetWindowPos"}}}},
            {{"Mine", "my SUM"}, {"Sum", "user sum"}, {"User Code", "u"}, {"File", "f"}});
    }

    // The commands that read, on one library: what they print, their exit codes, and their one line of error.
    void reads_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error"); // what stderr's one line mentions; empty: nothing on stderr
        QTest::addColumn<QByteArray>("out");
        auto row = [](const char* tag, const QStringList& arguments, int exitCode, const QString& error,
                      const QByteArray& out = {}) { QTest::newRow(tag) << arguments << exitCode << error << out; };
        row("list", {"list"}, 0, "",
            "Math/Counter\nMath/Sum\nMath/Dup\nMath/Dup\nMath/Dup\nWindow/Top\nUser Code/Mine\nUser Code/Sum\n"
            "User Code/User Code\nUser Code/File\n");
        row("show, the stored text", {"show", "Math", "Counter"}, 0, "", kCounter.toUtf8());
        row("show, case counts", {"show", "Math", "sum"}, 3, "sum");
        row("show, a group, which is no group of snippets", {"show", kPublisherLabel, "Math"}, 3,
            "no group \"" + kPublisherLabel + "\" (the groups are File, Math,");
        row("show, first of three", {"show", "Math", "Dup"}, 0, "--nth", "a");
        row("show, second", {"show", "--nth", "2", "Math", "Dup"}, 0, "2nd", "b");
        row("show, third, option last", {"show", "Math", "Dup", "--nth=3"}, 0, "3 snippets", "c");
        row("show, no fourth", {"show", "--nth", "4", "Math", "Dup"}, 3, "only 3");
        row("show, nth from 1", {"show", "--nth", "0", "Math", "Dup"}, 2, "--nth");
        row("show, named like the root", {"show", "User Code", "User Code"}, 0, "", "u");
        row("show, named like a group", {"show", "User Code", "File"}, 0, "", "f");
        row("find", {"find", "sum"}, 0, "", "Sum\nMine\nSum\n");
        row("find nothing", {"find", "nowhere to be found"}, 1, "");
        row("export, no name", {"export", "Math", "Gone", "/tmp/x.bas"}, 3, "Gone");
        row("no such command", {"frobnicate"}, 2, "frobnicate");
        row("too few arguments", {"show", "Math"}, 2, "GROUP NAME");
        row("no command", {}, 2, "--help");
        row("no such option", {"--bogus", "list"}, 2, "bogus");
        row("no such folder", {"--data-dir", "/no/such/dir", "list"}, 2, "/no/such/dir");
        row("a file for a folder", {"--data-dir", m_folder.libraryPath(), "list"}, 2, "is not a folder");
    }

    void reads() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        QFETCH(QByteArray, out);
        verifyRun(cli(m_folder, arguments), exitCode, error, out);
    }

    // The commands that change the user's own snippets, each on a fresh folder, once another program's lock on it is
    // gone (one that outlasts the wait is the store's test).
    void changes_data() {
        QTest::addColumn<QStringList>("arguments"); // FILE: a file holding "caf\xe9\nEnd"; EMPTY: an empty file
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("input");
        const QStringList unchanged{"Mine=mine", "Dup=d1", "Dup=d2"};
        auto row = [&](const char* tag, const QStringList& arguments, int exitCode, const QString& error,
                       const QStringList& after = {}, const QByteArray& out = {}, const QByteArray& input = {}) {
            QTest::newRow(tag) << arguments << exitCode << error << (exitCode ? unchanged : after) << out << input;
        };
        const QString fifty(50, 'n');
        row("import a file", {"import", "New", "FILE"}, 0, "", unchanged + QStringList{"New=caf\u00e9\r\nEnd"},
            "User Code/New (record 4 of UserCode)\n");
        row("import from standard input", {"import", "New", "-"}, 0, "",
            unchanged + QStringList{"New=Sub B()\r\nEnd Sub"}, "User Code/New (record 4 of UserCode)\n",
            "Sub B()\nEnd Sub");
        row("import a name of 50 characters", {"import", fifty, "FILE"}, 0, "",
            unchanged + QStringList{fifty + "=caf\u00e9\r\nEnd"},
            ("User Code/" + fifty + " (record 4 of UserCode)\n").toUtf8());
        row("import an empty file", {"import", "x", "EMPTY"}, 6, "Zero Length files not allowed");
        row("import without a name", {"import", "", "FILE"}, 6, "Please give the code snippet a name");
        row("import, no file", {"import", "x", "/no/such/file"}, 5, "/no/such/file");
        row("import, name held", {"import", "Mine", "FILE"}, 6, "\"Mine\"");
        row("import a name of two lines", {"import", "One\nTwo", "FILE"}, 6, "control characters");
        // 64 MB of Unix lines, which would be 96 MB stored and exported.
        row("import a file over 64 MB once its lines end in CR LF", {"import", "Big", "BIG"}, 6,
            "once its line breaks are CR LF");
        row("rename", {"rename", "User Code", "Mine", "Ours"}, 0, "", {"Ours=mine", "Dup=d1", "Dup=d2"});
        row("rename to 51 characters", {"rename", "User Code", "Mine", fifty + "n"}, 6, "at most 50");
        row("rename to a name held", {"rename", "User Code", "Mine", "Dup"}, 6, "already holds");
        row("rename to a terminal's escape", {"rename", "User Code", "Mine", "\x1b[2J"}, 6, "control");
        row("rename in the library", {"rename", "Math", "Sum", "Ours"}, 6, "read-only");
        row("rename in no group", {"rename", "Nowhere", "Mine", "Ours"}, 3, "no group");
        row("rename one of several", {"rename", "User Code", "Dup", "Ours"}, 6, "--nth");
        row("delete", {"delete", "User Code", "Mine"}, 0, "", {"Dup=d1", "Dup=d2"});
        row("delete the second of several", {"delete", "--nth", "2", "User Code", "Dup"}, 0, "",
            {"Mine=mine", "Dup=d1"});
        row("edit from standard input", {"edit", "User Code", "Mine", "-"}, 0, "",
            {"Mine=Sub A()\r\nEnd Sub", "Dup=d1", "Dup=d2"}, {}, "Sub A()\nEnd Sub");
        row("edit from a file", {"edit", "--nth=2", "User Code", "Dup", "FILE"}, 0, "",
            {"Mine=mine", "Dup=d1", "Dup=caf\u00e9\r\nEnd"});
    }

    void changes() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        QFETCH(QStringList, after);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, input);
        LibraryFolder folder({{"Math", {{"Sum", "Sum = a + b"}}}}, {{"Mine", "mine"}, {"Dup", "d1"}, {"Dup", "d2"}});
        QVERIFY(writeFile(folder.path() + "/new.bas", "caf\xe9\nEnd") && writeFile(folder.path() + "/empty.bas", ""));
        if (arguments.contains("BIG"))
            QVERIFY(writeFile(folder.path() + "/big.bas", QByteArray("x\n").repeated(32 << 20)));
        arguments.replaceInStrings("FILE", folder.path() + "/new.bas")
            .replaceInStrings("EMPTY", folder.path() + "/empty.bas")
            .replaceInStrings("BIG", folder.path() + "/big.bas");
        LockHolder lock(folder.userPath(), 500);
        verifyRun(cli(folder, arguments, input), exitCode, error, out);
        QCOMPARE(folder.userSnippets(), after);
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
        LibraryFolder garbage(Groups{});
        writeFile(garbage.libraryPath(), QByteArray(2048, 'z'));
        verifyRun(cli(garbage, {"find", "x"}), 4, kLibraryFileName);

        LibraryFolder folder({{"Math", {{"Sum", "Sum = a + b"}}}}, {{"Mine", "my sum"}});
        QVERIFY(DatabaseFile::exec(folder.libraryPath(), "DROP TABLE File"));
        verifyRun(cli(folder, {"list"}), 4, "\"File\"", "Math/Sum\nUser Code/Mine\n");
        verifyRun(cli(folder, {"find", "SUM"}), 4, "\"File\"", "Sum\nMine\n");
        verifyRun(cli(folder, {"show", "Math", "Sum"}), 0, "", "Sum = a + b");
        verifyRun(cli(folder, {"show", "File", "x"}), 4, "\"File\"");
        QVERIFY(QFile::remove(folder.libraryPath()));
        verifyRun(cli(folder, {"import", "New", "-"}, "x = 1"), 0, "", "User Code/New (record 2 of UserCode)\n");

        // A pipe in a database's place is not waited on: it cannot be read, as a file that is not a database.
        VERDANE_POSIX_FILES_ONLY("named pipes");
        LibraryFolder piped(Groups{});
        QVERIFY(QFile::remove(piped.userPath()) && makeFifo(piped.userPath()));
        verifyRun(cli(piped, {"list"}), 4, "usersource.mdb could not be opened: it is a pipe");
        verifyRun(cli(piped, {"find", "x"}), 4, "usersource.mdb could not be opened: it is a pipe");
    }

    // Every record listed can be shown and, in User Code, deleted: a name stored as a number, a code that is null. A
    // name stored with control characters is listed with them escaped, on one line.
    void everyListedRecordCanBeReached() {
        LibraryFolder folder({}, {{"Bare", QVariant()}, {"Tab\tLine\nEsc\x1b" + QString(QChar(0x85)), "odd"}});
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
        LibraryFolder folder({{"Math", {{"Sum", "s = a + b"}}}});
        QVERIFY(DatabaseFile::exec(folder.libraryPath(), "PRAGMA journal_mode=WAL"));
        // The administrator may write anywhere: the run is then another user's.
        QStringList run{qEnvironmentVariable("VERDANE_CLI"), "--data-dir", folder.path()};
        if (runsAsRoot())
            run = QStringList{"runuser", "-u", "nobody", "--"} + run;
        const auto readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
        QVERIFY(QFile::setPermissions(folder.path(), readOnly));
        verifyRun(runProgram(run[0], run.mid(1) + QStringList{"list"}), 0, "", "Math/Sum\n");
        verifyRun(runProgram(run[0], run.mid(1) + QStringList{"find", "A + B"}), 0, "", "Sum\n");
        QVERIFY(QFile::setPermissions(folder.path(), readOnly | QFile::WriteOwner));
    }

    // Where the terminal writes and what it is given from outside: only regular files, and no character lost
    // without being asked to.
    void oddInputsAndTargets() {
        LibraryFolder folder({{"Math", {{"Counter", kCounter}, {"Wide", "' \u6f22\u5b57 table"}}}});
        QTemporaryDir dir;
        const QString cls = dir.filePath("Counter.cls"), bas = dir.filePath("wide.bas"), pipe = dir.filePath("pipe");
        verifyRun(cli(folder, {"export", "Math", "Counter", cls}), 0, "");
        QCOMPARE(fileBytes(cls), classModuleHeader("Counter") + "' Counts \xe9t\xe9s\r\nPublic n As Long\r\n");
        verifyRun(cli(folder, {"export", "Math", "Counter", dir.filePath("no/such/folder.bas")}), 5, "does not exist");
        verifyRun(cli(folder, {"export", "Math", "Wide", bas}), 6, "--lossy");
        QVERIFY(!QFileInfo::exists(bas));
        verifyRun(cli(folder, {"export", "--lossy", "Math", "Wide", bas}), 0, "");
        QCOMPARE(fileBytes(bas), QByteArray("' ?? table\r\n"));

        // A pipe is not written to, and is read at once, not waiting for a writer.
        VERDANE_POSIX_FILES_ONLY("named pipes");
        QVERIFY(makeFifo(pipe));
        verifyRun(cli(folder, {"export", "Math", "Wide", "--lossy", pipe}), 5, pipe);
        QVERIFY(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
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

    void windowProgramAnswersWithoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("mentions"); // on the standard output when it succeeds, on the error output if not
        const QString dir = m_folder.path();
        const QString file = qEnvironmentVariable("VERDANE_BINARY");
        // --help ends with the two files the run would read: those of --data-dir, or beside the program in the build.
        // Paths as the system writes them.
        const auto files = [](const QString& folder) {
            const QString shown = QRegularExpression::escape(QDir::toNativeSeparators(folder + '/'));
            return QString("\n  %1qmvbsource.mdb\n  %1usersource.mdb\n$").arg(shown);
        };
        QTest::newRow("help") << QStringList{"--data-dir", dir, "--help"} << 0 << "--data-dir <dir>.*" + files(dir);
        QTest::newRow("the terminal's help") << QStringList{"--data-dir", dir, "--help"} << 0 << files(dir);
        QTest::newRow("the terminal's help, in the build")
            << QStringList{"--help"} << 0 << files(QFileInfo(qEnvironmentVariable("VERDANE_CLI")).absolutePath());
        // An address holding a password is never repeated, only refused.
        QTest::newRow("the terminal's help, with a password in the server's address")
            << QStringList{"--library", "postgresql://vb:Secret-6@db/vb", "--help"} << 0 << "address cannot be used";
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

    // The window program given a command line that cannot be followed fails with one line and shows no window. The
    // terminal's help is among them.
    void windowProgramAnswersWithoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, mentions);
        const bool terminal = QByteArray(QTest::currentDataTag()).startsWith("the terminal");
        const ProgramRun run = runProgram(qEnvironmentVariable(terminal ? "VERDANE_CLI" : "VERDANE_BINARY"), arguments);
        QCOMPARE(run.exitCode, exitCode);
        const QString said = exitCode ? run.err : QString::fromUtf8(run.out);
        QVERIFY2(said.contains(QRegularExpression(mentions, QRegularExpression::DotMatchesEverythingOption)),
                 qPrintable(said));
        QVERIFY(!said.contains("Secret"));
        // A failure is one line of error, naming the program, and nothing else.
        QVERIFY2(!exitCode || (run.out.isEmpty() && run.err.count('\n') == 1 && run.err.startsWith("verdane: ")),
                 qPrintable(run.err));
    }

private:
    LibraryFolder m_folder;
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
