#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "vbcheck/VbCheck.h"

using namespace verdane::tools;

namespace {

const QString kData = VERDANE_VBCHECK_DATA;

// One line a finding, without the message, which may say it in other words.
QString summary(const QList<VbFinding>& findings) {
    QStringList lines;
    for (const VbFinding& finding : findings)
        lines << QString("%1:%2: %3").arg(finding.where).arg(finding.line).arg(faultName(finding.fault));
    return lines.join('\n');
}

} // namespace

class TestVbCheck : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The check a reviewer did by hand, over every snippet that ships.
    void shippedLibraryIsSound() {
        const QList<VbSnippet> snippets = readSnippetFolder(VERDANE_LIBRARY_SOURCES);
        QVERIFY(!snippets.isEmpty());
        const QList<VbFinding> findings = checkLibrary(snippets);
        for (const VbFinding& finding : findings)
            qWarning().noquote() << describe(finding);
        QVERIFY2(findings.isEmpty(), qPrintable(QString("%1 findings").arg(findings.size())));
    }

    // A file of faults/ holds one fault and is sound otherwise; its name says which, on what line the first finding
    // is, and how many there are when more than one ("Block-9x2-next-of-another-for.bas"). A file of sound/ is valid
    // VB6 that only looks suspicious: continuations, quotes, comments, single-line Ifs, labels, every block form.
    void eachFileGivesItsFindings_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("fault"); // of every finding
        QTest::addColumn<int>("line");      // of the first
        QTest::addColumn<int>("count");
        const QRegularExpression planted("^(\\w+)-(\\d+)(?:x(\\d+))?-");
        for (const QString& file : QDir(kData + "/faults").entryList(QDir::Files)) {
            const QRegularExpressionMatch m = planted.match(file);
            QVERIFY2(m.hasMatch(), qPrintable(file));
            QTest::newRow(qPrintable(file)) << kData + "/faults/" + file << m.captured(1) << m.captured(2).toInt()
                                            << qMax(1, m.captured(3).toInt());
        }
        for (const QString& file : QDir(kData + "/sound").entryList(QDir::Files))
            QTest::newRow(qPrintable(file)) << kData + "/sound/" + file << QString() << 0 << 0;
    }

    void eachFileGivesItsFindings() {
        QFETCH(QString, path);
        QFETCH(QString, fault);
        QFETCH(int, line);
        QFETCH(int, count);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        const QList<VbFinding> findings = checkSnippet(text);
        QStringList faults;
        for (const VbFinding& finding : findings)
            faults << faultName(finding.fault);
        QVERIFY2(faults == QStringList(count, fault) && (!count || findings.first().line == line),
                 qPrintable(summary(findings)));
        // CR LF, as the library stores it, reads the same.
        QCOMPARE(summary(checkSnippet(QString(text).replace('\n', "\r\n"))), summary(findings));
    }

    // What only the library as a whole shows. Two standard modules with one Public name cannot share a project, but
    // a class, told by its header alone, keeps its members to itself. The tree and Windows see "Foo", "foo" and " Foo"
    // as one snippet name; other groups may reuse it.
    void libraryWideClashesAreFound() {
        const QList<VbFinding> clash = checkLibrary(readSnippetFolder(kData + "/clash"));
        QCOMPARE(summary(clash), "Miscellaneous/Repeat A String Twice:2: DuplicateName");
        QVERIFY(clash.first().message.contains("Math/Double A Number"));

        const QString hello = "' Says hello\nPrivate Sub Hello()\nEnd Sub\n";
        const QString usage = "' Helpers\nPublic Sub A()\nEnd Sub\n' Usage: the class module CA\n";
        const QList<VbSnippet> library{{"Math", "Say Hello", hello},
                                       {"File", "Say Hello", hello},
                                       {"Math", "say hello ", hello},
                                       {"File", "A", usage},
                                       {"Math", "B", usage}};
        QCOMPARE(summary(checkLibrary(library)), "Math/say hello :0: DuplicateName\nMath/B:2: DuplicateName");
    }
};

QTEST_GUILESS_MAIN(TestVbCheck)
#include "tst_vbcheck.moc"
