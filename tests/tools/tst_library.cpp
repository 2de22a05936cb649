#include "core/SqliteStore.h"
#include "support/TestSupport.h"

#include <QDateTime>

#include "mklibrary/LibraryBuilder.h"
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

class TestLibrary : public QObject {
    Q_OBJECT

    TestEnvironment m_env;

private Q_SLOTS:
    // Sources as a snippet author writes them become the library's records in the tree's order, byte for byte but
    // for CR LF line breaks; the same sources always give the same file, and a source newer than the library
    // rebuilds it.
    void buildsTheLibraryFromItsSources() {
        QTemporaryDir dir;
        const QDir src(dir.filePath("src"));
        const QString library = dir.filePath(kLibraryFileName);
        const QString again = dir.filePath("again.mdb");
        const QString tool = src.filePath("Math/beta"); // stands in for the tool's own file
        const QMap<QString, QByteArray> sources{{"Math/Alpha", "' a\r\nSub A()\r\nEnd Sub"},
                                                {"Math/Gamma", "x \u00e9"},
                                                {"Window/W", "w\n\nw"},
                                                {"Math/beta", "' b\nSub B()\nEnd Sub\n"}};
        for (auto s = sources.begin(); s != sources.end(); ++s)
            QVERIFY(src.mkpath(s.key().section('/', 0, 0)) && writeFile(src.filePath(s.key()), s.value()));
        QVERIFY(libraryIsOutOfDate(src.path(), library, tool));
        // A rebuild replaces the file whole and leaves nothing beside it.
        for (const QString& target : {library, again, again})
            QCOMPARE(buildLibrary(src.path(), target), QString());
        QCOMPARE(fileBytes(library), fileBytes(again));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList({"again.mdb", kLibraryFileName}));
        auto records = [&](const QString& group) { return DatabaseFile::lines(library, group); };
        QCOMPARE(records("Math"), QStringList({"Alpha=' a\r\nSub A()\r\nEnd Sub", "beta=' b\r\nSub B()\r\nEnd Sub\r\n",
                                               "Gamma=x \u00e9"}));
        QCOMPARE(records("Window"), QStringList{"W=w\r\n\r\nw"});
        QCOMPARE(records("File"), QStringList());

        QVERIFY(!libraryIsOutOfDate(src.path(), library, tool));
        auto age = [](const QString& path, int seconds) {
            QFile file(path);
            return file.open(QIODevice::ReadWrite) &&
                   file.setFileTime(QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime);
        };
        QVERIFY(age(src.filePath("Math/Gamma"), 60));
        QVERIFY(libraryIsOutOfDate(src.path(), library, tool));
        QVERIFY(age(library, 120));
        QVERIFY(!libraryIsOutOfDate(src.path(), library, tool));
    }

    // The library that the build puts beside the program, with the user's empty file, as the program opens them:
    // every group filled, names as User Code's rules allow them, CR LF line breaks only (the snippets' own rules are
    // the VB check's, below).
    void shippedLibraryIsComplete() {
        SqliteStore store(qEnvironmentVariable("VERDANE_BUILD_DIR"));
        const auto opened = store.reopenDatabases();
        QVERIFY2(opened.library && opened.user, qPrintable(opened.library.message() + opened.user.message()));
        QVERIFY(store.listSnippetNames(Database::User, kUserCodeTable, [](QString) { QFAIL("not empty"); }));
        QStringList unsound;
        const QRegularExpression loneBreak("(?<!\r)\n|\r(?!\n)");
        for (const QString& group : groupNames()) {
            int count = 0;
            store.scanSnippets(Database::Library, group, [&](const QString& name, const QString& code) {
                if (name.isEmpty() || name.size() > 50 || loneBreak.match(code).hasMatch() || code.count("\r\n") < 3)
                    unsound << group + '/' + name;
                return ++count > 0;
            });
            QVERIFY2(count >= 18, qPrintable(group));
        }
        QVERIFY2(unsound.isEmpty(), qPrintable(unsound.join(", ")));
    }

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
        for (const QString& file : QDir(kData + "/faults").entryList(QDir::Files)) {
            const QRegularExpressionMatch m = QRegularExpression("^(\\w+)-(\\d+)(?:x(\\d+))?-").match(file);
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
        const QString text = QString::fromUtf8(fileBytes(path));
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
        const QList<VbSnippet> library{VbSnippet{"Math", "Say Hello", hello}, VbSnippet{"File", "Say Hello", hello},
                                       VbSnippet{"Math", "say hello ", hello}, VbSnippet{"File", "A", usage},
                                       VbSnippet{"Math", "B", usage}};
        QCOMPARE(summary(checkLibrary(library)), "Math/say hello :0: DuplicateName\nMath/B:2: DuplicateName");
    }
};

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
