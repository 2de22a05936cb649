#include "exchange/ExchangeRules.h"
#include "exchange/ExportFormat.h"
#include "exchange/ImportReader.h"
#include "exchange/ImportText.h"
#include "exchange/Windows1252.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

#include <QBuffer>

using Outcome = ImportInput::Outcome;
Q_DECLARE_METATYPE(Outcome)

class TestExchangeFormats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The chosen file's name decides whether a class module is written, and names its class as VB wants it: letters
    // beyond ASCII and a character outside the BMP become one "_" each.
    void fileNamesDecideTheClassAndItsName() {
        for (const auto& [file, expected] :
             {Texts{"Untitled.bas", "-"}, Texts{"Shapes.CLS", "Shapes"}, Texts{"notes.cls.txt", "notes"},
              Texts{"old.clsx", "old"},
              Texts{"Stopwatch \"Class\" (GetTickCount).cls", "Stopwatch__Class___GetTickCount_"},
              Texts{"1Timer.cls", "C1Timer"}, Texts{"_Timer.cls", "C_Timer"}, Texts{"Gr\u00f6\u00dfe.cls", "Gr__e"},
              Texts{"a\U0001F600b.cls", "a_b"}, Texts{".cls", "Class1"},
              Texts{QString(45, 'x') + ".cls", QString(40, 'x')},
              Texts{QString(45, '9') + ".cls", 'C' + QString(39, '9')}})
            QCOMPARE(isClassModuleName(file) ? className(file) : "-", expected);
    }

    // Nothing of a snippet's name may lead out of the export folder or make no file name.
    void proposedFileNamesStayInTheExportFolder() {
        for (const auto& [name, proposed] :
             {Texts{"Ver 1.2 (old)", "Ver 1.2 (old)"}, Texts{"../../evil", "___.._evil"}, Texts{"~/tilde", "__tilde"},
              Texts{"...x.y", "___x.y"}, Texts{"/etc/C:\\x", "_etc_C__x"},
              Texts{QString("a*b?c\"d<e>f|g\nh") + QChar(0) + "i\tj", "a_b_c_d_e_f_g_h_i_j"}})
            QCOMPARE(proposedFileName(name), proposed);
    }

    // A class header where the file name asks for one and the code has none, the code as shown in Windows-1252, and
    // one CR LF at the end.
    void exportedFilesAreHeaderCodeAndOneLineEnd() {
        const QByteArray header = "VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEnd\r\n"
                                  "Attribute VB_Name = \"Counter\"\r\nAttribute VB_GlobalNameSpace = False\r\n"
                                  "Attribute VB_Creatable = True\r\nAttribute VB_PredeclaredId = False\r\n"
                                  "Attribute VB_Exposed = False\r\n";
        const QString own = "VERSION 1.0 CLASS\r\nBEGIN\r\nEnd\r\nAttribute VB_Name = \"Other\"\r\nx";
        QCOMPARE(exportFileBytes("m.bas", "Sub A()\r\nEnd Sub"), "Sub A()\r\nEnd Sub\r\n");
        QCOMPARE(exportFileBytes("m.bas", "Sub A()\r\nEnd Sub\r\n"), "Sub A()\r\nEnd Sub\r\n");
        QCOMPARE(exportFileBytes("Counter.cls", "Sub A()"), header + "Sub A()\r\n");
        QCOMPARE(exportFileBytes("Counter.cls", own), own.toLatin1() + "\r\n");
        QCOMPARE(exportFileBytes("Counter.cls", "Version 1.0 Class\r\nx"), "Version 1.0 Class\r\nx\r\n");
        QCOMPARE(exportFileBytes("Counter.cls", "' VERSION 1.0 CLASS"), header + "' VERSION 1.0 CLASS\r\n");
        QCOMPARE(exportFileBytes("Counter.cls", "VERSION 1.0 CLASSIC"), header + "VERSION 1.0 CLASSIC\r\n");
        QCOMPARE(exportFileBytes("x.txt", "a\nb\r\rc\n"), "a\nb\r\rc\n\r\n");
        QCOMPARE(exportFileBytes("x.txt", "a\r"), "a\r\r\n");
        QCOMPARE(exportFileBytes("x.txt", ""), "\r\n");
        QCOMPARE(exportFileBytes("x.txt", "caf\u00e9 \u20ac \u201cq\u201d \u00ff"), "caf\xe9 \x80 \x93q\x94 \xff\r\n");
    }

    void windows1252HoldsWhatItCan() {
        // What the code page cannot hold becomes one "?" per character.
        QCOMPARE(windows1252::encode("\u0151 \u6f22 \U0001F600 \u0100"), "? ? ? ?");
        QByteArray every;
        for (int b = 0; b < 256; ++b)
            every += char(b);
        const QString decoded = windows1252::decode(every);
        QCOMPARE(decoded[0x81], QChar(0x0081));
        QCOMPARE(decoded[0x9F], QChar(0x0178));
        // Every defined byte comes back as it was.
        QByteArray again = windows1252::encode(decoded);
        for (const int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
            again[undefined] = char(undefined);
        QCOMPARE(again, every);
    }

    void importedFilesAreDecodedAsTheyWereWritten() {
        QCOMPARE(decodeImportedFile("' \xc3\xa9t\xc3\xa9 \xe2\x82\xac"), "' \u00e9t\u00e9 \u20ac");
        QCOMPARE(decodeImportedFile("\xef\xbb\xbfSub \xc3\xa9t\xc3\xa9"), "Sub \u00e9t\u00e9"); // no byte-order mark
        QCOMPARE(decodeImportedFile("' \xe9t\xe9 \x80"), "' \u00e9t\u00e9 \u20ac");             // Windows-1252
        QCOMPARE(decodeImportedFile(QByteArray::fromHex("fffe6100ac203dd800de")), "a\u20ac\U0001F600");
        QCOMPARE(decodeImportedFile(QByteArray::fromHex("feff006120ac")), "a\u20ac");
        QCOMPARE(decodeImportedFile("\xfe\xff"), "");
        QCOMPARE(decodeImportedFile(QByteArray::fromHex("fffe610062")), "a\ufffd");
        QCOMPARE(decodeImportedFile(QByteArray::fromHex("0001fffe")),
                 QString::fromUtf16(u"\u0000\u0001\u00ff\u00fe", 4));
        QCOMPARE(withWindowsLineBreaks("\n\na\r\nb\nc\rd\r\n"), "\r\n\r\na\r\nb\r\nc\rd\r\n");
    }

    void exportStartsInTheStoredFolderWhereItExists() {
        QTemporaryDir dir;
        QCOMPARE(exportStartDirectory(dir.path(), "/home/u"), dir.path());
        QCOMPARE(exportStartDirectory(dir.filePath("gone"), "/home/u"), "/home/u");
        QCOMPARE(exportStartDirectory(QString(), "/home/u"), QString());
    }

    // target: what the path names. What cannot be written says why and leaves whatever was there as it was; a file
    // written over keeps its other names, owner and permissions.
    void filesAreWrittenWholeOrNotAtAll_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason"); // empty: written
        auto row = [](const char* target, const QString& reason) {
            QTest::newRow(target) << QString(target) << reason;
        };
        row("folder gone", "the folder <dir>/gone does not exist");
        row("read-only", "the file is read-only");
        row("folder", "it is a folder");
        row("pipe", "it is a pipe (FIFO), not a file, and was left as it is");
        row("link", "it is a pipe (FIFO), not a file, and was left as it is"); // to a pipe
        row("device", "it is a device, not a file, and was left as it is");
        row("hard link", "");
        row("permissions", "");
        row("owner", ""); // another user's file
    }

    void filesAreWrittenWholeOrNotAtAll() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString old = dir.filePath("old.bas");
        QVERIFY(writeFile(old, "a much longer old code that must go away entirely"));
        const bool named = QStringList{"folder", "device", "pipe", "link"}.contains(target);
        const QString path = target == "folder gone" ? dir.filePath("gone/new.bas") : named ? dir.filePath("new") : old;
        if (target == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("new"));
        } else if (target == "device" && !makeNullDevice(path)) {
            QSKIP("only the administrator may make a device");
        } else if (target == "pipe" || target == "link") {
            VERDANE_POSIX_FILES_ONLY("named pipes");
            QVERIFY(makeFifo(dir.filePath("pipe")));
            QVERIFY(target == "pipe" ? QFile::rename(dir.filePath("pipe"), path)
                                     : QFile::link(dir.filePath("pipe"), path));
        } else if (target == "hard link") {
            QVERIFY(makeHardLink(path, dir.filePath("other name.bas")));
        } else if (target == "read-only") {
            QVERIFY(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        } else if (target == "permissions") {
            QVERIFY(
                QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
        } else if (target == "owner" && (!runsAsRoot() || !changeOwner(path, 4242, 4343))) {
            QSKIP("only the administrator may give a file to another user");
        }
        auto facts = [&] {
            const filesystem::Facts f = filesystem::facts(path);
            return std::tuple(int(f.kind), f.mode, f.owner, f.group, f.links);
        };
        const auto before = facts();
        const Status written = writeFileWhole(path, "new code\r\n");
        QCOMPARE(written.message(), QDir::toNativeSeparators(reason.replace("<dir>", dir.path())));
        QCOMPARE(written.isFailed(), !reason.isEmpty());
        QCOMPARE(facts(), before);
        QFile::setPermissions(old, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QCOMPARE(fileBytes(named && reason.isEmpty() ? path : old),
                 reason.isEmpty() ? "new code\r\n" : "a much longer old code that must go away entirely");
        QVERIFY(target != "hard link" || fileBytes(dir.filePath("other name.bas")) == "new code\r\n");
    }

    // what: what input.bas is. Only failures to read are failures; the rest are refusals, which name the path.
    void filesAreReadWholeUpToTheLimit_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("problem");
        auto row = [](const char* tag, const QString& what, qint64 limit, Outcome outcome, const QString& problem) {
            QTest::newRow(tag) << what << limit << outcome << problem;
        };
        row("a file", "file", 8, Outcome::Read, "");
        row("a link to a file", "link to file", 8, Outcome::Read, "");
        row("a file at the limit", "file", 5, Outcome::Read, "");
        row("a byte over the limit", "file", 4, Outcome::TooLarge, "The file <path> holds more than 4 bytes");
        row("larger than SQLite stores", "huge", kImportSizeLimit, Outcome::TooLarge, "holds more than 64 MB");
        row("empty", "empty", 8, Outcome::Empty, "Zero Length files not allowed");
        row("nothing named", "", 8, Outcome::NoPath, "Please choose the file to import.");
        row("missing", "missing", 8, Outcome::Missing, "The file <path> does not exist.");
        row("a folder", "folder", 8, Outcome::Folder, "<path> is a folder, not a file.");
        row("a pipe", "pipe", 8, Outcome::NotRegular, "<path> is a pipe (FIFO), not a file: only files");
        row("a link to a pipe", "link to pipe", 8, Outcome::NotRegular, "<path> is a pipe (FIFO)");
        row("a device", "device", 8, Outcome::NotRegular, "<path> is a device, not a file: only files");
        row("a link to itself", "loop", 8, Outcome::Failed, "The file <path> could not be read: ");
    }

    void filesAreReadWholeUpToTheLimit() {
        QFETCH(QString, what);
        QFETCH(qint64, limit);
        QFETCH(Outcome, outcome);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString path = what.isEmpty() ? QString() : dir.filePath("input.bas");
        const QString target = what.startsWith("link") ? dir.filePath("target") : path;
        if (what.startsWith("link") || what == "loop" || what.endsWith("pipe"))
            VERDANE_POSIX_FILES_ONLY("named pipes or symbolic links a test can make");
        if (what.endsWith("file"))
            QVERIFY(writeFile(target, "x = 1"));
        else if (what == "empty")
            QVERIFY(writeFile(path, {}));
        else if (what == "huge") // sparse: nothing of it may be read
            QVERIFY(QFile(path).open(QIODevice::WriteOnly) && QFile::resize(path, 1'000'000'001));
        else if (what == "folder")
            QVERIFY(QDir(dir.path()).mkdir("input.bas"));
        else if (what.endsWith("pipe"))
            QVERIFY(makeFifo(target));
        else if (what == "device" && !makeNullDevice(path))
            QSKIP("only the administrator may make a device");
        if (what.startsWith("link") || what == "loop")
            QVERIFY(QFile::link(what == "loop" ? path : target, path));

        const ImportInput input = readImportFile(path, limit);
        QCOMPARE(input.outcome, outcome);
        QCOMPARE(input.status.isFailed(), outcome == Outcome::Failed);
        QCOMPARE(input.bytes, outcome == Outcome::Read ? "x = 1" : QByteArray());
        QCOMPARE(input.read(), outcome == Outcome::Read);
        QVERIFY2(input.status.message().contains(problem.replace("<path>", path)), qPrintable(input.status.message()));
    }

    void streamsAreReadToTheirEndOrTheLimit() {
        // Through a real pipe, written from another thread as a program piping into the tool would.
        auto piped = [](const QByteArray& given, qint64 limit) {
            int ends[2];
            if (!makePipe(ends))
                qFatal("no pipe");
            std::thread writer([&] {
                QFile out;
                if (out.open(ends[1], QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
                    out.write(given);
            });
            QFile in;
            in.open(ends[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
            const ImportInput input = readImportStream(in, "The standard input", limit);
            in.close();
            writer.join();
            return input;
        };
        QCOMPARE(piped("12345", 5).bytes, "12345");
        QCOMPARE(piped(QByteArray(3 << 20, 'x'), kImportSizeLimit).bytes, QByteArray(3 << 20, 'x'));
        QCOMPARE(piped("", 5).outcome, Outcome::Empty);
        const ImportInput over = piped("123456", 5);
        QCOMPARE(over.outcome, Outcome::TooLarge);
        QCOMPARE(over.status.message(), "The standard input holds more than 5 bytes, the most a snippet may hold.");
        QVERIFY(over.bytes.isEmpty());
        // An endless stream costs no more than the limit; a stream that cannot be read is a failure.
        QFile zeros("/dev/zero");
        QVERIFY(zeros.open(QIODevice::ReadOnly));
        QCOMPARE(readImportStream(zeros, "The standard input").status.message(),
                 "The standard input holds more than 64 MB, the most a snippet may hold.");
        // What is stored is what counts, as the export writes it: a byte a character, and the line break it adds.
        for (const auto& [code, fits] :
             {std::pair{"1\r\n2\r\n", true}, {"1\r\n23", false}, {"\U0001F600\U0001F600ab", true}})
            QCOMPARE(checkStoredSize(QString::fromUtf8(code), "The code", 6).isOk(), fits);
        QBuffer closed;
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::read (QBuffer): device not open");
        const ImportInput failed = readImportStream(closed, "The clipboard");
        QVERIFY(failed.status.isFailed());
        QVERIFY2(failed.status.message().startsWith("The clipboard could not be read"),
                 qPrintable(failed.status.message()));
    }
};

QTEST_GUILESS_MAIN(TestExchangeFormats)
#include "tst_exchangeformats.moc"
