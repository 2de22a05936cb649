#include <QDebug>
#include <QDir>
#include <QFile>
#include <QTest>

#include "vbcheck/VbCheck.h"

using namespace verdane::tools;

Q_DECLARE_METATYPE(verdane::tools::VbFault)

namespace {

const QString kData = QStringLiteral(VERDANE_VBCHECK_DATA);

// One planted fault a file, and where the check must find it.
struct Planted {
    const char* file;
    VbFault fault;
    int line;      // of the first finding
    int count = 1; // findings in all, each of that fault
};

const Planted kPlanted[] = {
    {"unclosed-sub.bas", VbFault::Block, 2},
    {"unclosed-function.bas", VbFault::Block, 2},
    {"unclosed-property.bas", VbFault::Block, 4},
    {"unclosed-if.bas", VbFault::Block, 3},
    {"else-if-in-two-words.bas", VbFault::Block, 3},
    {"unclosed-for.bas", VbFault::Block, 5},
    {"unclosed-do.bas", VbFault::Block, 3},
    {"unclosed-while.bas", VbFault::Block, 3},
    {"unclosed-select.bas", VbFault::Block, 3},
    {"unclosed-with.bas", VbFault::Block, 3},
    {"unclosed-type.bas", VbFault::Block, 2},
    {"unclosed-enum.bas", VbFault::Block, 2},
    {"end-if-without-if.bas", VbFault::Block, 4},
    {"next-of-another-for.bas", VbFault::Block, 9, 2},
    {"exit-sub-in-function.bas", VbFault::Block, 3},
    {"goto-missing-label.bas", VbFault::Label, 6},
    {"on-error-missing-label.bas", VbFault::Label, 5},
    {"resume-missing-label.bas", VbFault::Label, 9},
    {"label-in-another-procedure.bas", VbFault::Label, 3},
    {"return-with-value.bas", VbFault::Foreign, 3},
    {"try-catch.bas", VbFault::Foreign, 3, 3},
    {"andalso.bas", VbFault::Foreign, 3},
    {"orelse.bas", VbFault::Foreign, 3},
    {"compound-assignment.bas", VbFault::Foreign, 6},
    {"declaration-with-value.bas", VbFault::Foreign, 3},
    {"string-format.bas", VbFault::Foreign, 3},
    {"ptrsafe.bas", VbFault::Foreign, 2},
    {"public-declare.bas", VbFault::NotPrivate, 2},
    {"declare-without-scope.bas", VbFault::NotPrivate, 2},
    {"public-const.bas", VbFault::NotPrivate, 2},
    {"const-without-scope.bas", VbFault::NotPrivate, 2},
    {"name-defined-twice.bas", VbFault::DuplicateName, 7},
    {"no-header.bas", VbFault::Header, 1},
    {"blank-first-line.bas", VbFault::Header, 1},
    {"empty-header.bas", VbFault::Header, 1},
};

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QString report(const QList<VbFinding>& findings) {
    QStringList lines;
    for (const VbFinding& finding : findings)
        lines << describe(finding);
    return lines.join('\n');
}

} // namespace

class TestVbCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The check a reviewer did by hand, over every snippet that ships.
    void shippedLibraryIsSound() {
        const QList<VbSnippet> snippets = readSnippetFolder(QStringLiteral(VERDANE_LIBRARY_SOURCES));
        QVERIFY(!snippets.isEmpty());
        const QList<VbFinding> findings = checkLibrary(snippets);
        // One line each, as a failure message would cut a long list short.
        for (const VbFinding& finding : findings)
            qWarning().noquote() << describe(finding);
        QVERIFY2(findings.isEmpty(), qPrintable(QStringLiteral("%1 findings").arg(findings.size())));
    }

    void plantedFaultIsFound_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<VbFault>("fault");
        QTest::addColumn<int>("line");  // of the first finding
        QTest::addColumn<int>("count"); // findings in all, each of that fault
        for (const Planted& planted : kPlanted)
            QTest::newRow(planted.file) << QString::fromLatin1(planted.file) << planted.fault << planted.line
                                        << planted.count;
    }

    // Each planted file holds one fault and is sound otherwise, so the check must name that fault and nothing else.
    void plantedFaultIsFound() {
        QFETCH(QString, file);
        QFETCH(VbFault, fault);
        QFETCH(int, line);
        QFETCH(int, count);
        const QString text = readText(kData + "/faults/" + file);
        QVERIFY(!text.isEmpty());
        const QList<VbFinding> findings = checkSnippet(text);
        const QString found = report(findings);
        QVERIFY2(findings.size() == count, qPrintable(found));
        QCOMPARE(findings.first().line, line);
        for (const VbFinding& finding : findings)
            QVERIFY2(finding.fault == fault, qPrintable(found));
        // CR LF, as the library stores it, reads the same.
        const QList<VbFinding> crLf = checkSnippet(QString(text).replace('\n', "\r\n"));
        QCOMPARE(report(crLf), found);
    }

    // A planted file left out of the table would test nothing.
    void everyPlantedFileIsInTheTable() {
        QStringList listed;
        for (const Planted& planted : kPlanted)
            listed << QString::fromLatin1(planted.file);
        listed.sort();
        QCOMPARE(QDir(kData + "/faults").entryList(QDir::Files, QDir::Name), listed);
    }

    void soundCodeHasNoFindings_data() {
        QTest::addColumn<QString>("file");
        for (const QString& file : QDir(kData + "/sound").entryList(QDir::Files))
            QTest::newRow(qPrintable(file)) << file;
    }

    // Continuations, quotes in strings, comments, single-line Ifs, labels and every block form, all valid VB6.
    void soundCodeHasNoFindings() {
        QFETCH(QString, file);
        const QString text = readText(kData + "/sound/" + file);
        QVERIFY(!text.isEmpty());
        QVERIFY2(checkSnippet(text).isEmpty(), qPrintable(report(checkSnippet(text))));
    }

    // Two standard modules with one Public name cannot share a project; a class keeps its members to itself.
    void publicNameDefinedTwiceIsFound() {
        const QList<VbSnippet> snippets = readSnippetFolder(kData + "/clash");
        QCOMPARE(snippets.size(), 3);
        const QList<VbFinding> findings = checkLibrary(snippets);
        QVERIFY2(findings.size() == 1, qPrintable(report(findings)));
        QCOMPARE(findings.first().fault, VbFault::DuplicateName);
        QCOMPARE(findings.first().where, "Miscellaneous/Repeat A String Twice");
        QCOMPARE(findings.first().line, 2);
        QVERIFY(findings.first().message.contains("Math/Double A Number"));
    }

    // The tree and Windows see "Foo", "foo" and " Foo" as one name; other groups may reuse it.
    void snippetNameUsedTwiceInAGroupIsFound() {
        const QString code = "' Says hello\nPrivate Sub Hello()\nEnd Sub\n";
        const QList<VbFinding> findings =
            checkLibrary({{"Math", "Say Hello", code}, {"File", "Say Hello", code}, {"Math", "say hello ", code}});
        QVERIFY2(findings.size() == 1, qPrintable(report(findings)));
        QCOMPARE(findings.first().fault, VbFault::DuplicateName);
        QCOMPARE(findings.first().where, "Math/say hello ");
    }

    void classSnippetIsToldByItsHeader() {
        QVERIFY(isClassSnippet(readText(kData + "/clash/Miscellaneous/Doubler Class")));
        QVERIFY(!isClassSnippet(readText(kData + "/clash/Math/Double A Number")));
        QVERIFY(!isClassSnippet("' Helpers\nPublic Sub A()\nEnd Sub\n' Usage: the class module CA\n"));
    }
};

QTEST_GUILESS_MAIN(TestVbCheck)
#include "tst_vbcheck.moc"
