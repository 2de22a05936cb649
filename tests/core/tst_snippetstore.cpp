#include "core/GroupNames.h"
#include "core/SnippetStore.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

QStringList names(SnippetStore& store, Database db, const QString& table, Status* status = nullptr) {
    QStringList result;
    const Status s = store.listSnippetNames(db, table, [&](QString name) { result << name; });
    if (status)
        *status = s;
    return result;
}

const QString kMath = QStringLiteral("Math");

} // namespace

class TestSnippetStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    void missingFilesFailWithoutCreatingAnything() {
        LibraryFolder folder;
        SnippetStore store(folder.path());
        const auto opened = store.reopenDatabases();
        QVERIFY(!opened.library.isOk());
        QVERIFY(!opened.user.isOk());
        QVERIFY(opened.library.message().contains(kLibraryFileName));
        Status status;
        QVERIFY(names(store, Database::Library, kMath, &status).isEmpty());
        QVERIFY(!status.isOk());
        QCOMPARE(outcomeOf(store.findSnippetCode(Database::User, kUserCodeTable, QStringLiteral("x"))),
                 QStringLiteral("failed"));
        QVERIFY(!store.addUserSnippet(QStringLiteral("n"), QStringLiteral("c")).isOk());
        store.closeDatabases();
        QVERIFY(folder.fileNames().isEmpty());
    }

    void namesComeInRecordOrderWithNullsAsEmptyText() {
        LibraryFolder folder;
        folder.create({{kMath,
                        {{QStringLiteral("Zeta"), QStringLiteral("z")},
                         {QVariant(), QStringLiteral("nameless")},
                         {QStringLiteral("Alpha"), QStringLiteral("a")},
                         {QStringLiteral("Zeta"), QStringLiteral("second zeta")}}}});
        SnippetStore store(folder.path());
        QVERIFY(store.reopenDatabases().library.isOk());
        QCOMPARE(names(store, Database::Library, kMath),
                 QStringList({QStringLiteral("Zeta"), QString(), QStringLiteral("Alpha"), QStringLiteral("Zeta")}));
        QVERIFY(names(store, Database::User, kUserCodeTable).isEmpty());
        Status status;
        QVERIFY(names(store, Database::Library, QStringLiteral("NoSuchGroup"), &status).isEmpty());
        QVERIFY(!status.isOk());
        QVERIFY(status.message().contains(QStringLiteral("NoSuchGroup")));
    }

    // The lookups behave the same whether or not a walk of the table has been seen first.
    void lookup_data() {
        QTest::addColumn<bool>("listedFirst");
        QTest::newRow("fresh") << false;
        QTest::newRow("after listing") << true;
    }

    void lookup() {
        QFETCH(bool, listedFirst);
        LibraryFolder folder;
        folder.create({{kMath,
                        {{QStringLiteral("Dup"), QStringLiteral("first")},
                         {QStringLiteral("Other"), QStringLiteral("other")},
                         {QStringLiteral("Dup"), QStringLiteral("second")},
                         {QStringLiteral("NullCode"), QVariant()},
                         {QStringLiteral(""), QStringLiteral("empty name")},
                         {QVariant(), QStringLiteral("null name")}}}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        if (listedFirst)
            names(store, Database::Library, kMath);

        auto find = [&](const QString& name) { return store.findSnippetCode(Database::Library, kMath, name); };
        QCOMPARE(find(QStringLiteral("Dup")).code.value_or(QString()), QStringLiteral("first"));
        QCOMPARE(outcomeOf(find(QStringLiteral("Dup"))), QStringLiteral("found"));
        QCOMPARE(outcomeOf(find(QStringLiteral("dup"))), QStringLiteral("none"));
        QCOMPARE(outcomeOf(find(QStringLiteral("Dup "))), QStringLiteral("none"));
        QCOMPARE(outcomeOf(find(QStringLiteral("NullCode"))), QStringLiteral("failed"));
        // The empty name finds the record whose name is the empty string, never the one whose name is null.
        QCOMPARE(find(QString()).code.value_or(QString()), QStringLiteral("empty name"));
        QCOMPARE(outcomeOf(store.findSnippetCode(Database::Library, QStringLiteral("Gone"), QStringLiteral("Dup"))),
                 QStringLiteral("failed"));
    }

    // Another program changing the file between the tree build and a lookup must not yield stale answers.
    void lookupSeesChangesMadeByOtherPrograms() {
        LibraryFolder folder;
        folder.create(
            {}, {{QStringLiteral("Dup"), QStringLiteral("first")}, {QStringLiteral("Dup"), QStringLiteral("second")}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        names(store, Database::User, kUserCodeTable);
        QVERIFY(DatabaseFile::exec(folder.userPath(), QStringLiteral("DELETE FROM UserCode WHERE Code = 'first'")));
        QCOMPARE(store.findSnippetCode(Database::User, kUserCodeTable, QStringLiteral("Dup")).code.value_or(QString()),
                 QStringLiteral("second"));
        QVERIFY(DatabaseFile::exec(folder.userPath(), QStringLiteral("INSERT INTO UserCode VALUES ('New', 'new')")));
        QCOMPARE(store.findSnippetCode(Database::User, kUserCodeTable, QStringLiteral("New")).code.value_or(QString()),
                 QStringLiteral("new"));
    }

    void scanYieldsEveryRecordInOrderAndCanStop() {
        LibraryFolder folder;
        folder.create({{kMath,
                        {{QStringLiteral("A"), QStringLiteral("1")},
                         {QStringLiteral("B"), QVariant()},
                         {QStringLiteral("C"), QStringLiteral("3")}}}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        QStringList seen;
        QVERIFY(store.scanSnippets(Database::Library, kMath, [&](const QString& name, const QString& code) {
            seen << name + QLatin1Char('=') + code;
            return true;
        }));
        QCOMPARE(seen, QStringList({QStringLiteral("A=1"), QStringLiteral("B="), QStringLiteral("C=3")}));
        seen.clear();
        store.scanSnippets(Database::Library, kMath, [&](const QString& name, const QString&) {
            seen << name;
            return false;
        });
        QCOMPARE(seen, QStringList{QStringLiteral("A")});
        QVERIFY(!store.scanSnippets(Database::Library, QStringLiteral("Missing"), [](auto&, auto&) { return true; }));
    }

    void addUserSnippetNeedsCodeNameAndCodeFirst_data() {
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("the two, then more") << QStringList{"CodeName", "Code", "Extra"} << true;
        QTest::newRow("in other letter case") << QStringList{"codename", "CODE"} << true;
        QTest::newRow("swapped") << QStringList{"Code", "CodeName"} << false;
        QTest::newRow("other names") << QStringList{"Title", "Body"} << false;
        QTest::newRow("one column") << QStringList{"CodeName"} << false;
    }

    void addUserSnippetNeedsCodeNameAndCodeFirst() {
        QFETCH(QStringList, columns);
        QFETCH(bool, accepted);
        LibraryFolder folder;
        folder.create();
        QFile::remove(folder.userPath());
        const QList<Record> old{
            {QStringLiteral("Old"), columns.size() > 1 ? QVariant(QStringLiteral("old")) : QVariant()}};
        DatabaseFile(folder.userPath()).table(kUserCodeTable, columns.size() > 1 ? old : QList<Record>{}, columns);
        const QByteArray before = fileDigest(folder.userPath());
        SnippetStore store(folder.path());
        store.reopenDatabases();
        const QString code = QStringLiteral("Sub Main()\r\n  MsgBox \"h\u00e9\"\r\nEnd Sub");
        const Status status = store.addUserSnippet(QStringLiteral("  Spaced  "), code);
        QCOMPARE(status.isOk(), accepted);
        if (!accepted) {
            QVERIFY2(status.message().contains(QStringLiteral("CodeName and Code")), qPrintable(status.message()));
            store.closeDatabases();
            QCOMPARE(fileDigest(folder.userPath()), before);
            return;
        }
        QCOMPARE(store.findSnippetCode(Database::User, kUserCodeTable, QStringLiteral("  Spaced  "))
                     .code.value_or(QString()),
                 code);
    }

    void addedSnippetIsFoundAfterTheTableWasListed() {
        LibraryFolder folder;
        folder.create({}, {{QStringLiteral("Old"), QStringLiteral("old")}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        names(store, Database::User, kUserCodeTable);
        QVERIFY(store.addUserSnippet(QStringLiteral("New"), QStringLiteral("new")));
        QCOMPARE(store.findSnippetCode(Database::User, kUserCodeTable, QStringLiteral("New")).code.value_or(QString()),
                 QStringLiteral("new"));
    }

    void addUserSnippetFailsWithoutTheTable() {
        LibraryFolder folder;
        folder.create();
        QFile::remove(folder.userPath());
        DatabaseFile(folder.userPath()).table(QStringLiteral("Other"), {});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        const Status status = store.addUserSnippet(QStringLiteral("n"), QStringLiteral("c"));
        QVERIFY(!status.isOk());
        QVERIFY(status.message().contains(kUserFileName));
    }

    void garbageFileIsNotADatabaseAndStaysUntouched() {
        LibraryFolder folder;
        folder.create();
        QByteArray garbage;
        for (int i = 0; i < 8192; ++i)
            garbage.append(char((i * 7919 + 13) % 251));
        QVERIFY(writeFile(folder.libraryPath(), garbage));
        SnippetStore store(folder.path());
        const auto opened = store.reopenDatabases();
        QVERIFY(!opened.library.isOk());
        QVERIFY(opened.user.isOk());
        Status status;
        QVERIFY(names(store, Database::Library, kMath, &status).isEmpty());
        QVERIFY(!status.isOk());
        store.closeDatabases();
        QFile file(folder.libraryPath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), garbage);
    }

    void reopenPicksUpAFileReplacedOnDisk() {
        LibraryFolder folder;
        folder.create({}, {{QStringLiteral("Before"), QStringLiteral("b")}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        QCOMPARE(names(store, Database::User, kUserCodeTable), QStringList{QStringLiteral("Before")});
        const QString replacement = folder.path() + QStringLiteral("/replacement.mdb");
        DatabaseFile(replacement).table(kUserCodeTable, {{QStringLiteral("After"), QStringLiteral("a")}});
        QVERIFY(QFile::remove(folder.userPath()));
        QVERIFY(QFile::rename(replacement, folder.userPath()));
        store.reopenDatabases();
        QCOMPARE(names(store, Database::User, kUserCodeTable), QStringList{QStringLiteral("After")});
        QCOMPARE(
            store.findSnippetCode(Database::User, kUserCodeTable, QStringLiteral("After")).code.value_or(QString()),
            QStringLiteral("a"));
    }

    void waitsForAnotherProgramsLock() {
        LibraryFolder folder;
        folder.create({}, {{QStringLiteral("Held"), QStringLiteral("h")}});
        SnippetStore store(folder.path(), 5000);
        store.reopenDatabases();
        {
            LockHolder lock(folder.userPath(), 600);
            QVERIFY(store.addUserSnippet(QStringLiteral("While locked"), QStringLiteral("w")));
        }
        QCOMPARE(names(store, Database::User, kUserCodeTable),
                 QStringList({QStringLiteral("Held"), QStringLiteral("While locked")}));
    }

    void failsWhenTheLockOutlastsTheWait() {
        LibraryFolder folder;
        folder.create({}, {{QStringLiteral("Held"), QStringLiteral("h")}});
        SnippetStore store(folder.path(), 100);
        store.reopenDatabases();
        LockHolder lock(folder.userPath(), 1500);
        Status status;
        QVERIFY(names(store, Database::User, kUserCodeTable, &status).isEmpty());
        QVERIFY(!status.isOk());
        QVERIFY(!store.addUserSnippet(QStringLiteral("n"), QStringLiteral("c")).isOk());
    }

    void libraryFileNeverChanges() {
        LibraryFolder folder;
        folder.create({{kMath, {{QStringLiteral("A"), QStringLiteral("1")}}}});
        const QByteArray before = fileDigest(folder.libraryPath());
        SnippetStore store(folder.path());
        for (int round = 0; round < 2; ++round) {
            store.reopenDatabases();
            for (const QString& group : groupNames())
                names(store, Database::Library, group);
            store.findSnippetCode(Database::Library, kMath, QStringLiteral("A"));
            store.scanSnippets(Database::Library, kMath, [](auto&, auto&) { return true; });
            store.addUserSnippet(QStringLiteral("B"), QStringLiteral("2"));
        }
        store.closeDatabases();
        QCOMPARE(fileDigest(folder.libraryPath()), before);
        QCOMPARE(folder.fileNames(), QStringList({kLibraryFileName, kUserFileName}));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSnippetStore)
#include "tst_snippetstore.moc"
