#include "exchange/ExportFormat.h"
#include "exchange/ImportText.h"
#include "exchange/Windows1252.h"

#include <QTemporaryDir>
#include <QTest>

using namespace verdane;

class TestExchangeFormats : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void classHeaderIsNineExactLines() {
        QCOMPARE(classModuleHeader("Counter"), QByteArray("VERSION 1.0 CLASS\r\n"
                                                          "BEGIN\r\n"
                                                          "  MultiUse = -1  'True\r\n"
                                                          "End\r\n"
                                                          "Attribute VB_Name = \"Counter\"\r\n"
                                                          "Attribute VB_GlobalNameSpace = False\r\n"
                                                          "Attribute VB_Creatable = True\r\n"
                                                          "Attribute VB_PredeclaredId = False\r\n"
                                                          "Attribute VB_Exposed = False\r\n"));
    }

    void fileNameDecidesTheClassAndItsName_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("isClass");
        QTest::addColumn<QString>("name");
        QTest::newRow("class") << "Shapes.cls" << true << "Shapes";
        QTest::newRow("capitals") << "Shapes.CLS" << true << "Shapes";
        QTest::newRow("cls inside") << "notes.cls.txt" << true << "notes";
        QTest::newRow("clsx") << "old.clsx" << true << "old";
        QTest::newRow("several dots") << "a.b.cls" << true << "a";
        QTest::newRow("module") << "module.bas" << false << "module";
        QTest::newRow("text") << "snippet.txt" << false << "snippet";
        QTest::newRow("no dot") << "Untitled" << false << "Untitled";
    }

    void fileNameDecidesTheClassAndItsName() {
        QFETCH(QString, fileName);
        QFETCH(bool, isClass);
        QFETCH(QString, name);
        QCOMPARE(isClassModuleName(fileName), isClass);
        QCOMPARE(className(fileName), name);
    }

    void classNamesAreVbIdentifiers_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("name");
        QTest::newRow("as proposed") << "Stopwatch Class (GetTickCount).cls"
                                     << "Stopwatch_Class__GetTickCount_";
        QTest::newRow("a quote and a space") << "a\"b c.cls"
                                             << "a_b_c";
        QTest::newRow("a digit first") << "1Timer.cls"
                                       << "C1Timer";
        QTest::newRow("an underscore first") << "_Timer.cls"
                                             << "C_Timer";
        QTest::newRow("letters beyond ASCII") << "Gr\u00f6\u00dfe.cls"
                                              << "Gr__e";
        QTest::newRow("a character outside the BMP") << "a\U0001F600b.cls"
                                                     << "a_b";
        QTest::newRow("nothing before the dot") << ".cls"
                                                << "Class1";
        QTest::newRow("longer than 40") << QString(45, 'x') + ".cls" << QString(40, 'x');
        QTest::newRow("40 with the prefix") << QString(45, '9') + ".cls" << 'C' + QString(39, '9');
    }

    void classNamesAreVbIdentifiers() {
        QFETCH(QString, fileName);
        QFETCH(QString, name);
        QCOMPARE(className(fileName), name);
        QVERIFY(classModuleHeader(className(fileName)).contains("Attribute VB_Name = \"" + name.toLatin1() + "\"\r\n"));
    }

    void proposedFileNamesStayInTheExportFolder_data() {
        QTest::addColumn<QString>("snippet");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("plain") << "Keep Form On Top"
                               << "Keep Form On Top";
        QTest::newRow("dots inside stay") << "Ver 1.2 (old)"
                                          << "Ver 1.2 (old)";
        QTest::newRow("up two folders") << "../../evil"
                                        << "___.._evil";
        QTest::newRow("home folder") << "~/tilde"
                                     << "__tilde";
        QTest::newRow("absolute") << "/etc/passwd"
                                  << "_etc_passwd";
        QTest::newRow("Windows separators and drive") << "C:\\x\\y"
                                                      << "C__x_y";
        QTest::newRow("wildcards and quotes") << "a*b?c\"d<e>f|g"
                                              << "a_b_c_d_e_f_g";
        QTest::newRow("line break and NUL") << QString("a\nb") + QChar(0) + "c\td"
                                            << "a_b_c_d";
        QTest::newRow("hidden") << "...x.y"
                                << "___x.y";
    }

    void proposedFileNamesStayInTheExportFolder() {
        QFETCH(QString, snippet);
        QFETCH(QString, proposed);
        QCOMPARE(proposedFileName(snippet), proposed);
    }

    void exportedFileIsHeaderCodeAndOneLineEnd_data() {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray header = classModuleHeader("Counter");
        const QString ownHeader = QStringLiteral("VERSION 1.0 CLASS\r\nBEGIN\r\n  MultiUse = -1  'True\r\nEnd\r\n"
                                                 "Attribute VB_Name = \"Other\"\r\n");
        QTest::newRow("module") << "module.bas"
                                << "Sub A()\r\nEnd Sub" << QByteArray("Sub A()\r\nEnd Sub\r\n");
        QTest::newRow("module ending with a line break") << "module.bas"
                                                         << "Sub A()\r\nEnd Sub\r\n"
                                                         << QByteArray("Sub A()\r\nEnd Sub\r\n");
        QTest::newRow("class") << "Counter.cls"
                               << "Sub A()\r\nEnd Sub" << header + "Sub A()\r\nEnd Sub\r\n";
        QTest::newRow("class with its own header") << "Counter.cls" << ownHeader + "Sub A()\r\n"
                                                   << ownHeader.toLatin1() + "Sub A()\r\n";
        QTest::newRow("own header in other letter case")
            << "Counter.cls"
            << "Version 1.0 Class\r\nx" << QByteArray("Version 1.0 Class\r\nx\r\n");
        QTest::newRow("header text further down") << "Counter.cls"
                                                  << "' VERSION 1.0 CLASS\r\n"
                                                  << header + "' VERSION 1.0 CLASS\r\n";
        QTest::newRow("a longer version line is no header") << "Counter.cls"
                                                            << "VERSION 1.0 CLASSIC\r\n"
                                                            << header + "VERSION 1.0 CLASSIC\r\n";
        // The code goes out as it is shown, line breaks unchanged.
        QTest::newRow("other line breaks") << "x.txt"
                                           << "a\nb\r\rc\n"
                                           << QByteArray("a\nb\r\rc\n\r\n");
        QTest::newRow("ends with a lone CR") << "x.txt"
                                             << "a\r" << QByteArray("a\r\r\n");
        QTest::newRow("empty") << "x.txt"
                               << "" << QByteArray("\r\n");
    }

    void exportedFileIsHeaderCodeAndOneLineEnd() {
        QFETCH(QString, fileName);
        QFETCH(QString, code);
        QFETCH(QByteArray, bytes);
        QCOMPARE(exportFileBytes(fileName, code), bytes);
    }

    void windows1252RoundTrip() {
        QCOMPARE(windows1252::encode("caf\u00e9 \u20ac5 \u201cq\u201d \u00ff"), QByteArray("caf\xe9 \x80"
                                                                                           "5 \x93q\x94 \xff"));
        // What the code page cannot hold becomes one "?" per character.
        QCOMPARE(windows1252::encode("\u0151 \u6f22 \U0001F600 \u0100"), QByteArray("? ? ? ?"));
        QByteArray every;
        for (int b = 0; b < 256; ++b)
            every += char(b);
        const QString decoded = windows1252::decode(every);
        QCOMPARE(decoded.size(), 256);
        QCOMPARE(decoded[0x80], QChar(0x20AC));
        QCOMPARE(decoded[0x81], QChar(0x0081));
        QCOMPARE(decoded[0x9F], QChar(0x0178));
        QCOMPARE(decoded[0xE9], QChar(0x00E9));
        // Every defined byte comes back as it was.
        QByteArray again = windows1252::encode(decoded);
        for (const int undefined : {0x81, 0x8D, 0x8F, 0x90, 0x9D})
            again[undefined] = char(undefined);
        QCOMPARE(again, every);
    }

    void importedFilesAreDecodedAsTheyWereWritten_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("ASCII") << QByteArray("Sub A()") << "Sub A()";
        QTest::newRow("UTF-8") << QByteArray("' Gr\xc3\xb6\xc3\x9f"
                                             "e \xe2\x82\xac")
                               << "' Gr\u00f6\u00dfe \u20ac";
        QTest::newRow("UTF-8 with a byte-order mark") << QByteArray("\xef\xbb\xbf"
                                                                    "caf\xc3\xa9")
                                                      << "caf\u00e9";
        QTest::newRow("Windows-1252") << QByteArray("' Gr\xf6\xdf"
                                                    "e \x80")
                                      << "' Gr\u00f6\u00dfe \u20ac";
        QTest::newRow("UTF-16 LE") << QByteArray("\xff\xfe"
                                                 "a\0\xac\x20=\xd8\x00\xde",
                                                 10)
                                   << "a\u20ac\U0001F600";
        QTest::newRow("UTF-16 BE") << QByteArray("\xfe\xff\0a\x20\xac", 6) << "a\u20ac";
        QTest::newRow("UTF-16, the mark alone") << QByteArray("\xfe\xff") << "";
        QTest::newRow("UTF-16, an odd last byte") << QByteArray("\xff\xfe"
                                                                "a\0b",
                                                                5)
                                                  << "a\ufffd";
        QTest::newRow("binary") << QByteArray("\x00\x01\xff\xfe", 4)
                                << QString::fromUtf16(u"\u0000\u0001\u00ff\u00fe", 4);
    }

    void importedFilesAreDecodedAsTheyWereWritten() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(decodeImportedFile(bytes), text);
    }

    void lineFeedsGainTheirCarriageReturns() {
        QCOMPARE(withWindowsLineBreaks("a\nb\n"), "a\r\nb\r\n");
        QCOMPARE(withWindowsLineBreaks("a\r\nb\r\n"), "a\r\nb\r\n");
        QCOMPARE(withWindowsLineBreaks("a\r\nb\nc\rd"), "a\r\nb\r\nc\rd");
        QCOMPARE(withWindowsLineBreaks("\n\n"), "\r\n\r\n");
    }

    void exportStartsInTheStoredFolderWhereItExists() {
        QTemporaryDir dir;
        QCOMPARE(exportStartDirectory(dir.path(), "/home/u"), dir.path());
        QCOMPARE(exportStartDirectory("C:\\", "/home/u"), "/home/u");
        QCOMPARE(exportStartDirectory(QString(), "/home/u"), QString());
    }
};

QTEST_GUILESS_MAIN(TestExchangeFormats)
#include "tst_exchangeformats.moc"
