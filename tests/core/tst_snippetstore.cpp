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

const QString kMath = "Math";

// One change of record 1, shown as "Mine" holding "mine".
Status change(SnippetStore& store, const QString& which, const QString& newName = "New") {
    const QString name = "Mine";
    const QString code = "mine";
    if (which == "rename")
        return store.renameUserSnippet(1, name, newName);
    if (which == "replace")
        return store.replaceUserCode(1, name, code, "new");
    return store.deleteUserSnippet(1, name, code);
}

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
        QCOMPARE(outcomeOf(store.findSnippetCode(Database::User, kUserCodeTable, "x")), "failed");
        QVERIFY(!store.addUserSnippet("n", "c").isOk());
        store.closeDatabases();
        QVERIFY(folder.fileNames().isEmpty());
    }

    void namesComeInRecordOrderWithNullsAsEmptyText() {
        LibraryFolder folder;
        folder.create({{kMath, {{"Zeta", "z"}, {QVariant(), "nameless"}, {"Alpha", "a"}, {"Zeta", "second zeta"}}}});
        SnippetStore store(folder.path());
        QVERIFY(store.reopenDatabases().library.isOk());
        QCOMPARE(names(store, Database::Library, kMath), QStringList({"Zeta", QString(), "Alpha", "Zeta"}));
        QVERIFY(names(store, Database::User, kUserCodeTable).isEmpty());
        Status status;
        QVERIFY(names(store, Database::Library, "NoSuchGroup", &status).isEmpty());
        QVERIFY(!status.isOk());
        QVERIFY(status.message().contains("NoSuchGroup"));
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
                        {{"Dup", "first"},
                         {"Other", "other"},
                         {"Dup", "second"},
                         {"NullCode", QVariant()},
                         {"", "empty name"},
                         {QVariant(), "null name"}}}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        if (listedFirst)
            names(store, Database::Library, kMath);

        auto find = [&](const QString& name) { return store.findSnippetCode(Database::Library, kMath, name); };
        QCOMPARE(find("Dup").code.value_or(QString()), "first");
        QCOMPARE(outcomeOf(find("Dup")), "found");
        QCOMPARE(outcomeOf(find("dup")), "none");
        QCOMPARE(outcomeOf(find("Dup ")), "none");
        QCOMPARE(outcomeOf(find("NullCode")), "failed");
        // The empty name finds the record whose name is the empty string, never the one whose name is null.
        QCOMPARE(find(QString()).code.value_or(QString()), "empty name");
        QCOMPARE(outcomeOf(store.findSnippetCode(Database::Library, "Gone", "Dup")), "failed");
    }

    // Another program changing the file between the tree build and a lookup must not yield stale answers.
    void lookupSeesChangesMadeByOtherPrograms() {
        LibraryFolder folder;
        folder.create({}, {{"Dup", "first"}, {"Dup", "second"}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        names(store, Database::User, kUserCodeTable);
        QVERIFY(DatabaseFile::exec(folder.userPath(), "DELETE FROM UserCode WHERE Code = 'first'"));
        QCOMPARE(store.findSnippetCode(Database::User, kUserCodeTable, "Dup").code.value_or(QString()), "second");
        QVERIFY(DatabaseFile::exec(folder.userPath(), "INSERT INTO UserCode VALUES ('New', 'new')"));
        QCOMPARE(store.findSnippetCode(Database::User, kUserCodeTable, "New").code.value_or(QString()), "new");
    }

    void scanYieldsEveryRecordInOrderAndCanStop() {
        LibraryFolder folder;
        folder.create({{kMath, {{"A", "1"}, {"B", QVariant()}, {"C", "3"}}}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        QStringList seen;
        QVERIFY(store.scanSnippets(Database::Library, kMath, [&](const QString& name, const QString& code) {
            seen << name + '=' + code;
            return true;
        }));
        QCOMPARE(seen, QStringList({"A=1", "B=", "C=3"}));
        seen.clear();
        store.scanSnippets(Database::Library, kMath, [&](const QString& name, const QString&) {
            seen << name;
            return false;
        });
        QCOMPARE(seen, QStringList{"A"});
        QVERIFY(!store.scanSnippets(Database::Library, "Missing", [](auto&, auto&) { return true; }));
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
        const QList<Record> old{{"Old", columns.size() > 1 ? QVariant("old") : QVariant()}};
        DatabaseFile(folder.userPath()).table(kUserCodeTable, columns.size() > 1 ? old : QList<Record>{}, columns);
        const QByteArray before = fileDigest(folder.userPath());
        SnippetStore store(folder.path());
        store.reopenDatabases();
        const QString code = "Sub Main()\r\n  MsgBox \"h\u00e9\"\r\nEnd Sub";
        const Status status = store.addUserSnippet("  Spaced  ", code);
        QCOMPARE(status.isOk(), accepted);
        if (!accepted) {
            QVERIFY2(status.message().contains("CodeName and Code"), qPrintable(status.message()));
            store.closeDatabases();
            QCOMPARE(fileDigest(folder.userPath()), before);
            return;
        }
        QCOMPARE(store.findSnippetCode(Database::User, kUserCodeTable, "  Spaced  ").code.value_or(QString()), code);
    }

    void addedSnippetIsFoundAfterTheTableWasListed() {
        LibraryFolder folder;
        folder.create({}, {{"Old", "old"}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        names(store, Database::User, kUserCodeTable);
        QVERIFY(store.addUserSnippet("New", "new"));
        QCOMPARE(store.findSnippetCode(Database::User, kUserCodeTable, "New").code.value_or(QString()), "new");
    }

    void addUserSnippetFailsWithoutTheTable() {
        LibraryFolder folder;
        folder.create();
        QFile::remove(folder.userPath());
        DatabaseFile(folder.userPath()).table("Other", {});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        const Status status = store.addUserSnippet("n", "c");
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
        folder.create({}, {{"Before", "b"}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        QCOMPARE(names(store, Database::User, kUserCodeTable), QStringList{"Before"});
        const QString replacement = folder.path() + "/replacement.mdb";
        DatabaseFile(replacement).table(kUserCodeTable, {{"After", "a"}});
        QVERIFY(QFile::remove(folder.userPath()));
        QVERIFY(QFile::rename(replacement, folder.userPath()));
        store.reopenDatabases();
        QCOMPARE(names(store, Database::User, kUserCodeTable), QStringList{"After"});
        QCOMPARE(store.findSnippetCode(Database::User, kUserCodeTable, "After").code.value_or(QString()), "a");
    }

    void waitsForAnotherProgramsLock() {
        LibraryFolder folder;
        folder.create({}, {{"Held", "h"}});
        SnippetStore store(folder.path(), 5000);
        store.reopenDatabases();
        {
            LockHolder lock(folder.userPath(), 600);
            QVERIFY(store.addUserSnippet("While locked", "w"));
        }
        QCOMPARE(names(store, Database::User, kUserCodeTable), QStringList({"Held", "While locked"}));
    }

    void failsWhenTheLockOutlastsTheWait() {
        LibraryFolder folder;
        folder.create({}, {{"Held", "h"}});
        SnippetStore store(folder.path(), 100);
        store.reopenDatabases();
        LockHolder lock(folder.userPath(), 1500);
        Status status;
        QVERIFY(names(store, Database::User, kUserCodeTable, &status).isEmpty());
        QVERIFY(!status.isOk());
        QVERIFY(!store.addUserSnippet("n", "c").isOk());
    }

    // A change acts on the record only as the user was shown it; what another program did in between is kept.
    void changesActOnlyOnWhatWasShown_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("meanwhile"); // what another program does first
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("refusal"); // what the refusal says; empty: it goes through
        const QString none;
        const QString renamed = "UPDATE UserCode SET CodeName = 'Theirs' WHERE rowid = 1";
        const QString recoded = "UPDATE UserCode SET Code = 'theirs' WHERE rowid = 1";
        const QString removed = "DELETE FROM UserCode WHERE rowid = 1";
        const QString changed = "changed or removed by another program";
        QTest::newRow("rename") << "rename" << none << "New" << QStringList{"New=mine", "Keep=keep"} << none;
        QTest::newRow("rename, code changed meanwhile")
            << "rename" << recoded << "New" << QStringList{"New=theirs", "Keep=keep"} << none;
        QTest::newRow("rename, renamed meanwhile")
            << "rename" << renamed << "New" << QStringList{"Theirs=mine", "Keep=keep"} << changed;
        QTest::newRow("rename, removed meanwhile")
            << "rename" << removed << "New" << QStringList{"Keep=keep"} << changed;
        QTest::newRow("rename to a name held")
            << "rename" << none << "Keep" << QStringList{"Mine=mine", "Keep=keep"} << "already holds";
        QTest::newRow("rename to its own name")
            << "rename" << none << "Mine" << QStringList{"Mine=mine", "Keep=keep"} << none;
        QTest::newRow("replace") << "replace" << none << "" << QStringList{"Mine=new", "Keep=keep"} << none;
        QTest::newRow("replace, code changed meanwhile")
            << "replace" << recoded << "" << QStringList{"Mine=theirs", "Keep=keep"} << changed;
        QTest::newRow("replace, renamed meanwhile")
            << "replace" << renamed << "" << QStringList{"Theirs=mine", "Keep=keep"} << changed;
        QTest::newRow("replace, removed meanwhile")
            << "replace" << removed << "" << QStringList{"Keep=keep"} << changed;
        QTest::newRow("delete") << "delete" << none << "" << QStringList{"Keep=keep"} << none;
        QTest::newRow("delete, code changed meanwhile")
            << "delete" << recoded << "" << QStringList{"Mine=theirs", "Keep=keep"} << changed;
        QTest::newRow("delete, renamed meanwhile")
            << "delete" << renamed << "" << QStringList{"Theirs=mine", "Keep=keep"} << changed;
        QTest::newRow("delete, removed meanwhile") << "delete" << removed << "" << QStringList{"Keep=keep"} << changed;
    }

    void changesActOnlyOnWhatWasShown() {
        QFETCH(QString, change);
        QFETCH(QString, meanwhile);
        QFETCH(QString, newName);
        QFETCH(QStringList, after);
        QFETCH(QString, refusal);
        LibraryFolder folder;
        folder.create({}, {{"Mine", "mine"}, {"Keep", "keep"}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        const SnippetStore::Fingerprint before = store.fingerprint();
        if (!meanwhile.isEmpty())
            QVERIFY(DatabaseFile::exec(folder.userPath(), meanwhile));
        const Status status = ::change(store, change, newName);
        QCOMPARE(folder.userSnippets(), after);
        if (refusal.isEmpty()) {
            QVERIFY2(status.isOk(), qPrintable(status.message()));
            QVERIFY(!(store.fingerprint() == before));
        } else {
            QVERIFY(status.isRefused());
            QVERIFY2(status.message().contains(refusal), qPrintable(status.message()));
        }
    }

    // A change waits for another program's lock as an import does, and changes nothing when the lock stays.
    void changesWaitForALock() {
        LibraryFolder folder;
        folder.create({}, {{"Mine", "mine"}, {"Keep", "keep"}});
        for (const int timeoutMs : {100, 5000}) {
            SnippetStore store(folder.path(), timeoutMs);
            store.reopenDatabases();
            LockHolder lock(folder.userPath(), 300);
            const Status status = ::change(store, "delete");
            QCOMPARE(status.isOk(), timeoutMs > 300);
            QVERIFY2(status.isOk() || status.message().contains(kUserFileName), qPrintable(status.message()));
            QCOMPARE(folder.userSnippets().size(), timeoutMs > 300 ? 1 : 2);
        }
    }

    // Undo puts a name or a record back where it was, beside the namesakes it had, and is refused where another
    // program changed the record or took its name since.
    void undoPutsBackWhatWasThere() {
        LibraryFolder folder;
        folder.create({}, {{"A", "a"}, {"Dup", "d1"}, {"Dup", "d2"}, {"C", "c"}});
        const QStringList asCreated = folder.userSnippets();
        SnippetStore store(folder.path());
        store.reopenDatabases();
        SnippetStore::PriorSnippet prior;

        QVERIFY(store.renameUserSnippet(2, "Dup", "Solo", 0, &prior));
        QCOMPARE(prior.namesakes, 1);
        QVERIFY(store.renameUserSnippet(2, "Solo", prior.name, prior.namesakes));
        QCOMPARE(folder.userSnippets(), asCreated);

        qint64 record = 0;
        QVERIFY(store.deleteUserSnippet(1, "A", "a", &prior));
        QVERIFY(store.restoreUserSnippet(prior, &record));
        QCOMPARE(record, 1);
        QCOMPARE(folder.userSnippets(), asCreated);

        // Renamed again by another program: the undo of our rename is refused.
        QVERIFY(store.renameUserSnippet(4, "C", "D", 0, &prior));
        QVERIFY(DatabaseFile::exec(folder.userPath(), "UPDATE UserCode SET CodeName = 'E' WHERE rowid = 4"));
        QVERIFY(store.renameUserSnippet(4, "D", prior.name, prior.namesakes).isRefused());

        // Its name taken by another program's snippet: the deleted record stays away.
        QVERIFY(store.deleteUserSnippet(1, "A", "a", &prior));
        QVERIFY(DatabaseFile::exec(folder.userPath(), "INSERT INTO UserCode VALUES ('A', 'theirs')"));
        QVERIFY(store.restoreUserSnippet(prior).isRefused());

        // Its place taken: it comes back at the end.
        QVERIFY(store.deleteUserSnippet(5, "A", "theirs", &prior));
        QVERIFY(DatabaseFile::exec(folder.userPath(), "INSERT INTO UserCode VALUES ('X', 'x')"));
        QVERIFY(store.restoreUserSnippet(prior, &record));
        QCOMPARE(record, 6);
        QCOMPARE(folder.userSnippets(), QStringList({"Dup=d1", "Dup=d2", "E=c", "X=x", "A=theirs"}));
    }

    void libraryFileNeverChanges() {
        LibraryFolder folder;
        folder.create({{kMath, {{"A", "1"}}}});
        const QByteArray before = fileDigest(folder.libraryPath());
        SnippetStore store(folder.path());
        for (int round = 0; round < 2; ++round) {
            store.reopenDatabases();
            for (const QString& group : groupNames())
                names(store, Database::Library, group);
            store.findSnippetCode(Database::Library, kMath, "A");
            store.scanSnippets(Database::Library, kMath, [](auto&, auto&) { return true; });
            qint64 record = 0;
            SnippetStore::PriorSnippet prior;
            store.addUserSnippet("B", "2", &record);
            store.renameUserSnippet(record, "B", "C");
            store.replaceUserCode(record, "C", "2", "3");
            store.deleteUserSnippet(record, "C", "3", &prior);
            store.restoreUserSnippet(prior);
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
