#include "core/GroupNames.h"
#include "core/NewDatabase.h"
#include "core/SqliteStore.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "mklibrary/LibraryBuilder.h"

using namespace verdane;
using namespace verdane::test;
using namespace verdane::tools;

namespace {

void writeSource(const QDir& root, const QString& group, const QString& name, const QByteArray& text) {
    QVERIFY(root.mkpath(group));
    QVERIFY(writeFile(root.filePath(group + QLatin1Char('/') + name), text));
}

QStringList namesOf(SnippetStore& store, Database db, const QString& table) {
    QStringList names;
    store.listSnippetNames(db, table, [&](QString n) { names << n; });
    return names;
}

} // namespace

class TestLibrary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    void buildsTheSameBytesFromTheSameSources() {
        QTemporaryDir dir;
        const QDir root(dir.path() + QStringLiteral("/src"));
        writeSource(root, QStringLiteral("Math"), QStringLiteral("beta"), "' b\nSub B()\nEnd Sub\n");
        writeSource(root, QStringLiteral("Math"), QStringLiteral("Alpha"), "' a\r\nSub A()\r\nEnd Sub");
        writeSource(root, QStringLiteral("Math"), QStringLiteral("Gamma"), "x");
        writeSource(root, QStringLiteral("Window"), QStringLiteral("W"), "w\n\nw");
        const QString first = dir.filePath(QStringLiteral("first/") + kLibraryFileName);
        const QString second = dir.filePath(QStringLiteral("second/") + kLibraryFileName);
        QDir().mkpath(QFileInfo(first).path());
        QDir().mkpath(QFileInfo(second).path());
        QCOMPARE(buildLibrary(root.path(), first), QString());
        QCOMPARE(buildLibrary(root.path(), second), QString());
        QCOMPARE(fileDigest(first), fileDigest(second));
        // A rebuild replaces the file whole and leaves nothing beside it.
        QCOMPARE(buildLibrary(root.path(), first), QString());
        QCOMPARE(fileDigest(first), fileDigest(second));
        QCOMPARE(QDir(QFileInfo(first).path()).entryList(QDir::Files), QStringList{kLibraryFileName});

        QVERIFY(makeUserDatabase(QFileInfo(first).path() + QLatin1Char('/') + kUserFileName).isEmpty());
        SqliteStore store(QFileInfo(first).path());
        store.reopenDatabases();
        QCOMPARE(namesOf(store, Database::Library, QStringLiteral("Math")),
                 QStringList({QStringLiteral("Alpha"), QStringLiteral("beta"), QStringLiteral("Gamma")}));
        QVERIFY(namesOf(store, Database::Library, QStringLiteral("File")).isEmpty());
        QCOMPARE(store.findSnippetCode(Database::Library, QStringLiteral("Math"), QStringLiteral("beta"))
                     .code.value_or(QString()),
                 QStringLiteral("' b\r\nSub B()\r\nEnd Sub\r\n"));
        QCOMPARE(store.findSnippetCode(Database::Library, QStringLiteral("Math"), QStringLiteral("Alpha"))
                     .code.value_or(QString()),
                 QStringLiteral("' a\r\nSub A()\r\nEnd Sub"));
        QCOMPARE(store.findSnippetCode(Database::Library, QStringLiteral("Window"), QStringLiteral("W"))
                     .code.value_or(QString()),
                 QStringLiteral("w\r\n\r\nw"));
    }

    void rebuildsOnlyWhenASourceChanged() {
        QTemporaryDir dir;
        const QDir root(dir.path() + QStringLiteral("/src"));
        writeSource(root, QStringLiteral("File"), QStringLiteral("One"), "1");
        writeSource(root, QStringLiteral("File"), QStringLiteral("Two"), "2");
        const QString target = dir.filePath(kLibraryFileName);
        const QString tool = root.filePath(QStringLiteral("File/One")); // stands in for the tool's own file
        QVERIFY(libraryIsOutOfDate(root.path(), target, tool));
        QCOMPARE(buildLibrary(root.path(), target), QString());
        QVERIFY(!libraryIsOutOfDate(root.path(), target, tool));

        auto age = [](const QString& path, int seconds) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime));
        };
        age(root.filePath(QStringLiteral("File/Two")), 60);
        QVERIFY(libraryIsOutOfDate(root.path(), target, tool));
        age(target, 120);
        QVERIFY(!libraryIsOutOfDate(root.path(), target, tool));
    }

    void userDatabaseIsMadeOnceAndNeverOverwritten() {
        QTemporaryDir dir;
        const QString path = dir.filePath(kUserFileName);
        bool created = false;
        QCOMPARE(makeUserDatabase(path, &created), QString());
        QVERIFY(created);
        QVERIFY(DatabaseFile::exec(path, QStringLiteral("INSERT INTO UserCode VALUES ('Mine', 'kept')")));
        const QByteArray before = fileDigest(path);
        QCOMPARE(makeUserDatabase(path, &created), QString());
        QVERIFY(!created);
        QCOMPARE(fileDigest(path), before);
        QCOMPARE(DatabaseFile::records(path, kUserCodeTable).size(), 1);
    }

    // The library that the build puts beside the program.
    void shippedLibraryIsComplete() {
        const QString buildDir = qEnvironmentVariable("VERDANE_BUILD_DIR");
        QVERIFY(QFileInfo::exists(buildDir + QLatin1Char('/') + kLibraryFileName));
        QVERIFY(QFileInfo::exists(buildDir + QLatin1Char('/') + kUserFileName));
        SqliteStore store(buildDir);
        const auto opened = store.reopenDatabases();
        QVERIFY2(opened.library.isOk(), qPrintable(opened.library.message()));
        QVERIFY2(opened.user.isOk(), qPrintable(opened.user.message()));
        QVERIFY(store.scanSnippets(Database::User, kUserCodeTable, [](auto&, auto&) { return true; }));

        int total = 0;
        const QRegularExpression loneLineFeed(QStringLiteral("(?<!\r)\n"));
        for (const QString& group : groupNames()) {
            const QStringList names = namesOf(store, Database::Library, group);
            QVERIFY2(names.size() >= 18, qPrintable(group));
            QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
            total += int(names.size());
            store.scanSnippets(Database::Library, group, [&](const QString& name, const QString& code) {
                const QString where = group + QLatin1Char('/') + name;
                [&] {
                    QVERIFY2(!name.isEmpty() && name.size() <= 50, qPrintable(where));
                    QVERIFY2(code.startsWith(QLatin1Char('\'')), qPrintable(where));
                    QVERIFY2(!loneLineFeed.match(code).hasMatch(), qPrintable(where));
                    QVERIFY2(!code.contains(QStringLiteral("\r\r")), qPrintable(where));
                    QVERIFY2(code.count(QStringLiteral("\r\n")) >= 3, qPrintable(where));
                }();
                return !QTest::currentTestFailed();
            });
        }
        QVERIFY(total >= 150);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestLibrary)
#include "tst_library.moc"
