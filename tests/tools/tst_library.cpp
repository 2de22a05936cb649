#include "core/GroupNames.h"
#include "core/SqliteStore.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTest>

#include "mklibrary/LibraryBuilder.h"

using namespace verdane;
using namespace verdane::test;
using namespace verdane::tools;

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
        const QMap<QString, QByteArray> sources{{"Math/beta", "' b\nSub B()\nEnd Sub\n"},
                                                {"Math/Alpha", "' a\r\nSub A()\r\nEnd Sub"},
                                                {"Math/Gamma", "x \u00e9"},
                                                {"Window/W", "w\n\nw"}};
        for (auto s = sources.begin(); s != sources.end(); ++s)
            QVERIFY(src.mkpath(s.key().section('/', 0, 0)) && writeFile(src.filePath(s.key()), s.value()));
        QVERIFY(libraryIsOutOfDate(src.path(), library, tool));
        // A rebuild replaces the file whole and leaves nothing beside it.
        for (const QString& target : {library, again, again})
            QCOMPARE(buildLibrary(src.path(), target), QString());
        QCOMPARE(fileDigest(library), fileDigest(again));
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

    // The library that the build puts beside the program, with the user's empty file, as the program opens them.
    void shippedLibraryIsComplete() {
        SqliteStore store(qEnvironmentVariable("VERDANE_BUILD_DIR"));
        const auto opened = store.reopenDatabases();
        QVERIFY2(opened.library && opened.user, qPrintable(opened.library.message() + opened.user.message()));
        QVERIFY(store.listSnippetNames(Database::User, kUserCodeTable, [](QString) { QFAIL("not empty"); }));
        QStringList unsound;
        qsizetype total = 0;
        const QRegularExpression loneBreak("(?<!\r)\n|\r(?!\n)");
        for (const QString& group : groupNames()) {
            QSet<QString> names;
            store.scanSnippets(Database::Library, group, [&](const QString& name, const QString& code) {
                if (name.isEmpty() || name.size() > 50 || names.contains(name) || !code.startsWith('\'') ||
                    loneBreak.match(code).hasMatch() || code.count("\r\n") < 3)
                    unsound << group + '/' + name;
                names << name;
                return true;
            });
            QVERIFY2(names.size() >= 18, qPrintable(group));
            total += names.size();
        }
        QVERIFY2(unsound.isEmpty(), qPrintable(unsound.join(", ")));
        QVERIFY(total >= 150);
    }
};

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
