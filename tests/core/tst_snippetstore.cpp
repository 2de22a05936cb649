#include "core/GroupNames.h"
#include "core/SqliteStore.h"
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

// One change of record 1, shown as "Mine" holding "mine".
Status change(SnippetStore& store, const QString& which, const QString& newName = QStringLiteral("New")) {
    const QString name = QStringLiteral("Mine");
    const QString code = QStringLiteral("mine");
    if (which == QLatin1String("rename"))
        return store.renameUserSnippet(1, name, newName);
    if (which == QLatin1String("replace"))
        return store.replaceUserCode(1, name, code, QStringLiteral("new"));
    return store.deleteUserSnippet(1, name, code);
}

} // namespace

class TestSnippetStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    void missingFilesFailWithoutCreatingAnything() {
        LibraryFolder folder;
        SqliteStore store(folder.path());
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
        SqliteStore store(folder.path());
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
        SqliteStore store(folder.path());
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
        SqliteStore store(folder.path());
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
        SqliteStore store(folder.path());
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
        SqliteStore store(folder.path());
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
        SqliteStore store(folder.path());
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
        SqliteStore store(folder.path());
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
        SqliteStore store(folder.path());
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
        SqliteStore store(folder.path());
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
        SqliteStore store(folder.path(), 5000);
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
        SqliteStore store(folder.path(), 100);
        store.reopenDatabases();
        LockHolder lock(folder.userPath(), 1500);
        Status status;
        QVERIFY(names(store, Database::User, kUserCodeTable, &status).isEmpty());
        QVERIFY(!status.isOk());
        QVERIFY(!store.addUserSnippet(QStringLiteral("n"), QStringLiteral("c")).isOk());
    }

    // A change acts on the record only as the user was shown it; what another program did in between is kept.
    void changesActOnlyOnWhatWasShown_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("meanwhile"); // what another program does first
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("refusal"); // what the refusal says; empty: it goes through
        const QString none;
        const QString renamed = QStringLiteral("UPDATE UserCode SET CodeName = 'Theirs' WHERE rowid = 1");
        const QString recoded = QStringLiteral("UPDATE UserCode SET Code = 'theirs' WHERE rowid = 1");
        const QString removed = QStringLiteral("DELETE FROM UserCode WHERE rowid = 1");
        const QString changed = QStringLiteral("changed or removed by another program");
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
        folder.create(
            {}, {{QStringLiteral("Mine"), QStringLiteral("mine")}, {QStringLiteral("Keep"), QStringLiteral("keep")}});
        SqliteStore store(folder.path());
        store.reopenDatabases();
        const SqliteStore::Fingerprint before = store.fingerprint();
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
        folder.create(
            {}, {{QStringLiteral("Mine"), QStringLiteral("mine")}, {QStringLiteral("Keep"), QStringLiteral("keep")}});
        for (const int timeoutMs : {100, 5000}) {
            SqliteStore store(folder.path(), timeoutMs);
            store.reopenDatabases();
            LockHolder lock(folder.userPath(), 300);
            const Status status = ::change(store, QStringLiteral("delete"));
            QCOMPARE(status.isOk(), timeoutMs > 300);
            QVERIFY2(status.isOk() || status.message().contains(kUserFileName), qPrintable(status.message()));
            QCOMPARE(folder.userSnippets().size(), timeoutMs > 300 ? 1 : 2);
        }
    }

    // Undo puts a name or a record back where it was, beside the namesakes it had, and is refused where another
    // program changed the record or took its name since.
    void undoPutsBackWhatWasThere() {
        LibraryFolder folder;
        folder.create({}, {{QStringLiteral("A"), QStringLiteral("a")},
                           {QStringLiteral("Dup"), QStringLiteral("d1")},
                           {QStringLiteral("Dup"), QStringLiteral("d2")},
                           {QStringLiteral("C"), QStringLiteral("c")}});
        const QStringList asCreated = folder.userSnippets();
        SqliteStore store(folder.path());
        store.reopenDatabases();
        SnippetStore::PriorSnippet prior;

        QVERIFY(store.renameUserSnippet(2, QStringLiteral("Dup"), QStringLiteral("Solo"), 0, &prior));
        QCOMPARE(prior.namesakes, 1);
        QVERIFY(store.renameUserSnippet(2, QStringLiteral("Solo"), prior.name, prior.namesakes));
        QCOMPARE(folder.userSnippets(), asCreated);

        qint64 record = 0;
        QVERIFY(store.deleteUserSnippet(1, QStringLiteral("A"), QStringLiteral("a"), &prior));
        QVERIFY(store.restoreUserSnippet(prior, &record));
        QCOMPARE(record, 1);
        QCOMPARE(folder.userSnippets(), asCreated);

        // Renamed again by another program: the undo of our rename is refused.
        QVERIFY(store.renameUserSnippet(4, QStringLiteral("C"), QStringLiteral("D"), 0, &prior));
        QVERIFY(DatabaseFile::exec(folder.userPath(),
                                   QStringLiteral("UPDATE UserCode SET CodeName = 'E' WHERE rowid = 4")));
        QVERIFY(store.renameUserSnippet(4, QStringLiteral("D"), prior.name, prior.namesakes).isRefused());

        // Its name taken by another program's snippet: the deleted record stays away.
        QVERIFY(store.deleteUserSnippet(1, QStringLiteral("A"), QStringLiteral("a"), &prior));
        QVERIFY(DatabaseFile::exec(folder.userPath(), QStringLiteral("INSERT INTO UserCode VALUES ('A', 'theirs')")));
        QVERIFY(store.restoreUserSnippet(prior).isRefused());

        // Its place taken: it comes back at the end.
        QVERIFY(store.deleteUserSnippet(5, QStringLiteral("A"), QStringLiteral("theirs"), &prior));
        QVERIFY(DatabaseFile::exec(folder.userPath(), QStringLiteral("INSERT INTO UserCode VALUES ('X', 'x')")));
        QVERIFY(store.restoreUserSnippet(prior, &record));
        QCOMPARE(record, 6);
        QCOMPARE(folder.userSnippets(), QStringList({"Dup=d1", "Dup=d2", "E=c", "X=x", "A=theirs"}));
    }

    void libraryFileNeverChanges() {
        LibraryFolder folder;
        folder.create({{kMath, {{QStringLiteral("A"), QStringLiteral("1")}}}});
        const QByteArray before = fileDigest(folder.libraryPath());
        SqliteStore store(folder.path());
        for (int round = 0; round < 2; ++round) {
            store.reopenDatabases();
            for (const QString& group : groupNames())
                names(store, Database::Library, group);
            store.findSnippetCode(Database::Library, kMath, QStringLiteral("A"));
            store.scanSnippets(Database::Library, kMath, [](auto&, auto&) { return true; });
            qint64 record = 0;
            SnippetStore::PriorSnippet prior;
            store.addUserSnippet(QStringLiteral("B"), QStringLiteral("2"), &record);
            store.renameUserSnippet(record, QStringLiteral("B"), QStringLiteral("C"));
            store.replaceUserCode(record, QStringLiteral("C"), QStringLiteral("2"), QStringLiteral("3"));
            store.deleteUserSnippet(record, QStringLiteral("C"), QStringLiteral("3"), &prior);
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
