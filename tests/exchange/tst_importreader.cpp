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
    void filesAreReadWholeUpToTheLimit_data() {
        QTest::addColumn<QString>("what");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("problem");
        QTest::newRow("a file") << "file" << qint64(8) << Outcome::Read << "";
        QTest::newRow("a link to a file") << "link to file" << qint64(8) << Outcome::Read << "";
        QTest::newRow("a file at the limit") << "file" << qint64(5) << Outcome::Read << "";
        QTest::newRow("a byte over the limit") << "file" << qint64(4) << Outcome::TooLarge << "holds more than 4 bytes";
        QTest::newRow("larger than SQLite stores")
            << "huge" << kImportSizeLimit << Outcome::TooLarge << "holds more than 64 MB";
        QTest::newRow("empty") << "empty" << qint64(8) << Outcome::Empty << "Zero Length files not allowed";
        QTest::newRow("nothing named") << "" << qint64(8) << Outcome::NoPath << "Please choose the file to import.";
        QTest::newRow("missing") << "missing" << qint64(8) << Outcome::Missing << "does not exist";
        QTest::newRow("a folder") << "folder" << qint64(8) << Outcome::Folder << "is a folder, not a file";
        QTest::newRow("a pipe") << "pipe" << qint64(8) << Outcome::NotRegular << "is a pipe (FIFO), not a file";
        QTest::newRow("a link to a pipe") << "link to pipe" << qint64(8) << Outcome::NotRegular << "a pipe (FIFO)";
        QTest::newRow("a device") << "device" << qint64(8) << Outcome::NotRegular << "is a device, not a file";
        QTest::newRow("a link to itself") << "loop" << qint64(8) << Outcome::Failed << "could not be read";
    }

    void filesAreReadWholeUpToTheLimit() {
        QFETCH(QString, what);
        QFETCH(qint64, limit);
        QFETCH(Outcome, outcome);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString path = what.isEmpty() ? QString() : dir.filePath("input.bas");
        const QString target = dir.filePath("target");
        if (what == "file" || what == "link to file") {
            QVERIFY(writeFile(what == "file" ? path : target, "x = 1"));
        } else if (what == "empty") {
            QVERIFY(writeFile(path, {}));
        } else if (what == "huge") {
            QFile huge(path);
            QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize(1'000'000'001));
        } else if (what == "folder") {
            QVERIFY(QDir(dir.path()).mkdir("input.bas"));
        } else if (what == "pipe" || what == "link to pipe") {
            QVERIFY(makeFifo(what == "pipe" ? path : target));
        } else if (what == "device" && !makeNullDevice(path)) {
            QSKIP("only the administrator may make a device");
        }
        if (what.startsWith("link"))
            QVERIFY(QFile::link(target, path));
        if (what == "loop")
            QVERIFY(QFile::link(path, path));

        const ImportInput input = readImportFile(path, limit);
        QCOMPARE(input.outcome, outcome);
        QVERIFY2(input.status.message().contains(problem), qPrintable(input.status.message()));
        QCOMPARE(input.read(), outcome == Outcome::Read);
        QCOMPARE(input.status.isFailed(), outcome == Outcome::Failed);
        QVERIFY(input.read() ? input.status.message().isEmpty() && input.bytes == "x = 1" : input.bytes.isEmpty());
        if (!input.read() && outcome != Outcome::NoPath && outcome != Outcome::Empty)
            QVERIFY2(input.status.message().contains(path), qPrintable(input.status.message()));
    }

    void streamsAreReadToTheirEndOrTheLimit_data() {
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("some code") << QByteArray("Sub A()\r\nEnd Sub\r\n") << qint64(100) << Outcome::Read;
        QTest::newRow("at the limit") << QByteArray("12345") << qint64(5) << Outcome::Read;
        QTest::newRow("over the limit") << QByteArray("123456") << qint64(5) << Outcome::TooLarge;
        QTest::newRow("longer than one read") << QByteArray(3 << 20, 'x') << kImportSizeLimit << Outcome::Read;
        QTest::newRow("nothing") << QByteArray() << qint64(5) << Outcome::Empty;
    }

    // Through a real pipe, written from another thread as a program piping into the tool would.
    void streamsAreReadToTheirEndOrTheLimit() {
        QFETCH(QByteArray, given);
        QFETCH(qint64, limit);
        QFETCH(Outcome, outcome);
        QTemporaryDir dir;
        const QString path = dir.filePath("pipe");
        QVERIFY(makeFifo(path));
        std::thread writer([&] {
            QFile out(path);
            if (out.open(QIODevice::WriteOnly))
                out.write(given);
        });
        QFile in(path);
        const bool opened = in.open(QIODevice::ReadOnly);
        const ImportInput input = readImportStream(in, "The standard input", limit);
        in.close();
        writer.join();
        QVERIFY(opened);
        QCOMPARE(input.outcome, outcome);
        QCOMPARE(input.bytes, outcome == Outcome::Read ? given : QByteArray());
        QCOMPARE(input.status.message().startsWith("The standard input"), outcome == Outcome::TooLarge);
    }

    void anEndlessStreamStopsAtTheLimit() {
        QFile zeros("/dev/zero");
        QVERIFY(zeros.open(QIODevice::ReadOnly));
        const ImportInput input = readImportStream(zeros, "The standard input");
        QCOMPARE(input.outcome, Outcome::TooLarge);
        QCOMPARE(input.status.message(), "The standard input holds more than 64 MB, the most a snippet may hold.");
        QVERIFY(input.bytes.isEmpty());
    }

    void aStreamThatFailsIsAFailure() {
        QBuffer closed;
        QTest::ignoreMessage(QtWarningMsg, "QIODevice::read (QBuffer): device not open");
        const ImportInput input = readImportStream(closed, "The clipboard");
        QCOMPARE(input.outcome, Outcome::Failed);
        QVERIFY2(input.status.message().startsWith("The clipboard could not be read"),
                 qPrintable(input.status.message()));
    }
};

QTEST_GUILESS_MAIN(TestImportReader)
#include "tst_importreader.moc"
