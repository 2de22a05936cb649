#include "exchange/ImportReader.h"
#include "support/SpecialFiles.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <thread>

using namespace verdane;
using namespace verdane::test;

using Outcome = ImportInput::Outcome;
Q_DECLARE_METATYPE(Outcome)

class TestImportReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
            QTemporaryDir dir;
            const QString path = dir.filePath("pipe");
            makeFifo(path);
            std::thread writer([&] {
                QFile out(path);
                if (out.open(QIODevice::WriteOnly))
                    out.write(given);
            });
            QFile in(path);
            in.open(QIODevice::ReadOnly);
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
        QBuffer closed;
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::read (QBuffer): device not open");
        const ImportInput failed = readImportStream(closed, "The clipboard");
        QVERIFY(failed.status.isFailed());
        QVERIFY2(failed.status.message().startsWith("The clipboard could not be read"),
                 qPrintable(failed.status.message()));
    }
};

QTEST_GUILESS_MAIN(TestImportReader)
#include "tst_importreader.moc"
