#include "core/SqliteStore.h"
#include "support/TestSupport.h"

namespace {

QStringList names(SnippetStore& store, Database db, const QString& table, Status* status = nullptr) {
    QStringList result;
    const Status s = store.listSnippetNames(db, table, [&](QString name) { result << name; });
    if (status)
        *status = s;
    return result;
}

QString code(SnippetStore& store, const QString& name, Database db = Database::User,
             const QString& table = kUserCodeTable) {
    return store.findSnippetCode(db, table, name).code.value_or("(none)");
}

// One change of record 1, shown as "Mine" holding "mine".
Status change(SnippetStore& store, const QString& which, const QString& newName = "New") {
    if (which == "rename")
        return store.renameUserSnippet(1, "Mine", newName);
    if (which == "replace")
        return store.replaceUserCode(1, "Mine", "mine", "new");
    return store.deleteUserSnippet(1, "Mine", "mine");
}

} // namespace

class TestSnippetStore : public QObject {
    Q_OBJECT

    TestEnvironment m_env;

private Q_SLOTS:
    // Names and scans come in record order, a null name as the empty text; a lookup finds the first record of
    // exactly that name, whether or not the table was walked first.
    void reads() {
        const QList<Record> math{{"Dup", "first"},         {"Other", "other"}, {"Dup", "second"},
                                 {"NullCode", QVariant()}, {"", "empty name"}, {QVariant(), "null name"}};
        LibraryFolder folder({{"Math", math}});
        for (const bool listedFirst : {false, true}) {
            SqliteStore store(folder.path());
            QVERIFY(store.reopenDatabases().library.isOk());
            if (listedFirst)
                QCOMPARE(names(store, Database::Library, "Math"),
                         QStringList({"Dup", "Other", "Dup", "NullCode", "", ""}));
            auto find = [&](const QString& name) { return store.findSnippetCode(Database::Library, "Math", name); };
            QCOMPARE(code(store, "Dup", Database::Library, "Math"), "first");
            QCOMPARE(outcomeOf(find("dup")), "none");
            QCOMPARE(outcomeOf(find("Dup ")), "none");
            QCOMPARE(find("NullCode").code, QString(""));
            // The empty name finds the record whose name is the empty string, never the one whose name is null.
            QCOMPARE(find("").code.value_or(""), "empty name");
            QCOMPARE(outcomeOf(store.findSnippetCode(Database::Library, "Gone", "Dup")), "failed");
            Status status;
            QVERIFY(names(store, Database::Library, "NoSuchGroup", &status).isEmpty());
            QVERIFY(status.message().contains("NoSuchGroup"));

            QStringList seen;
            QVERIFY(store.scanSnippets(Database::Library, "Math", [&](const QString& name, const QString& code) {
                seen << name + '=' + code;
                return seen.size() < 4;
            }));
            QCOMPARE(seen, QStringList({"Dup=first", "Other=other", "Dup=second", "NullCode="}));
            QVERIFY(!store.scanSnippets(Database::Library, "Missing", [](auto&, auto&) { return true; }));
        }
    }

    // Another program changing the file, or replacing it, between the tree build and a lookup yields no stale
    // answer; a record read by its number must still bear the name it was shown under.
    void seesChangesMadeByOtherPrograms() {
        LibraryFolder folder({}, {{"Dup", "first"}, {"Dup", "second"}});
        SqliteStore store(folder.path());
        store.reopenDatabases();
        names(store, Database::User, kUserCodeTable);
        const SnippetRef second{Database::User, kUserCodeTable, 2};
        QCOMPARE(store.readSnippet(second, "Dup").code.value_or("(none)"), "second");
        QVERIFY(DatabaseFile::exec(folder.userPath(), "DELETE FROM UserCode WHERE Code = 'first'"));
        QCOMPARE(code(store, "Dup"), "second");
        QVERIFY(DatabaseFile::exec(folder.userPath(), "UPDATE UserCode SET CodeName = 'Theirs' WHERE rowid = 2"));
        QCOMPARE(outcomeOf(store.readSnippet(second, "Dup")), "none");
        QVERIFY(DatabaseFile::exec(folder.userPath(), "INSERT INTO UserCode VALUES ('New', 'new')"));
        QCOMPARE(code(store, "New"), "new");

#ifdef Q_OS_WIN
        QSKIP("Windows lets no other program replace a file that this one holds open");
#endif
        const QString replacement = folder.path() + "/replacement.mdb";
        DatabaseFile(replacement).table(kUserCodeTable, {{"After", "a"}});
        QVERIFY(QFile::remove(folder.userPath()) && QFile::rename(replacement, folder.userPath()));
        store.reopenDatabases();
        QCOMPARE(names(store, Database::User, kUserCodeTable), QStringList{"After"});
        QCOMPARE(code(store, "After"), "a");
    }

    // The user's table must begin with CodeName and Code, in any letter case; a table that does not is refused
    // without a byte written, and the message says why.
    void addUserSnippetNeedsCodeNameAndCodeFirst_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("columns");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("the two, then more") << kUserCodeTable << QStringList{"CodeName", "Code", "Extra"} << true;
        QTest::newRow("in other letter case") << kUserCodeTable << QStringList{"codename", "CODE"} << true;
        QTest::newRow("swapped") << kUserCodeTable << QStringList{"Code", "CodeName"} << false;
        QTest::newRow("another name first") << kUserCodeTable << QStringList{"Title", "Code"} << false;
        QTest::newRow("another code column") << kUserCodeTable << QStringList{"CodeName", "Body"} << false;
        QTest::newRow("one column") << kUserCodeTable << QStringList{"CodeName"} << false;
        QTest::newRow("no table") << "Other" << QStringList{"CodeName", "Code"} << false;
    }

    void addUserSnippetNeedsCodeNameAndCodeFirst() {
        QFETCH(QString, table);
        QFETCH(QStringList, columns);
        QFETCH(bool, accepted);
        LibraryFolder folder(Groups{});
        QFile::remove(folder.userPath());
        DatabaseFile(folder.userPath()).table(table, {{"Old", columns.size() > 1 ? "old" : QVariant()}}, columns);
        const QByteArray before = fileBytes(folder.userPath());
        SqliteStore store(folder.path());
        store.reopenDatabases();
        const QString text = "Sub Main()\r\n  MsgBox \"h\u00e9\"\r\nEnd Sub";
        const Status status = store.addUserSnippet("  Spaced  ", text);
        QCOMPARE(status.isOk(), accepted);
        if (accepted) {
            QCOMPARE(code(store, "  Spaced  "), text);
            return;
        }
        QVERIFY2(status.message().contains(table == kUserCodeTable ? "CodeName and Code" : kUserFileName),
                 qPrintable(status.message()));
        store.closeDatabases();
        QCOMPARE(fileBytes(folder.userPath()), before);
    }

    // A change acts on the record only as the user was shown it; what another program did in between is kept.
    void changesActOnlyOnWhatWasShown_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("meanwhile"); // what another program does first
        QTest::addColumn<QString>("newName");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("refusal"); // what the refusal says; empty: it goes through
        const QString none, recoded = "UPDATE UserCode SET Code = 'theirs' WHERE rowid = 1",
                            removed = "DELETE FROM UserCode WHERE rowid = 1",
                            changed = "changed or removed by another program";
        const QStringList theirCode{"Mine=theirs", "Keep=keep"}, gone{"Keep=keep"}, unchanged{"Mine=mine", "Keep=keep"};
        QTest::newRow("rename, code changed meanwhile")
            << "rename" << recoded << "New" << QStringList{"New=theirs", "Keep=keep"} << none;
        QTest::newRow("rename, removed meanwhile") << "rename" << removed << "New" << gone << changed;
        QTest::newRow("rename to its own name") << "rename" << none << "Mine" << unchanged << none;
        QTest::newRow("replace, removed meanwhile") << "replace" << removed << "" << gone << changed;
        QTest::newRow("delete, code changed meanwhile") << "delete" << recoded << "" << theirCode << changed;
        QTest::newRow("delete, removed meanwhile") << "delete" << removed << "" << gone << changed;
    }

    void changesActOnlyOnWhatWasShown() {
        QFETCH(QString, change);
        QFETCH(QString, meanwhile);
        QFETCH(QString, newName);
        QFETCH(QStringList, after);
        QFETCH(QString, refusal);
        LibraryFolder folder({}, {{"Mine", "mine"}, {"Keep", "keep"}});
        SqliteStore store(folder.path());
        store.reopenDatabases();
        const SqliteStore::Fingerprint before = store.fingerprint();
        const QByteArray library = fileBytes(folder.libraryPath());
        if (!meanwhile.isEmpty())
            QVERIFY(DatabaseFile::exec(folder.userPath(), meanwhile));
        const Status status = ::change(store, change, newName);
        QCOMPARE(folder.userSnippets(), after);
        // Only the user's file is ever written, and nothing appears beside it.
        QCOMPARE(fileBytes(folder.libraryPath()), library);
        QCOMPARE(folder.fileNames(), QStringList({kLibraryFileName, kUserFileName}));
        if (refusal.isEmpty()) {
            QVERIFY2(status.isOk(), qPrintable(status.message()));
            QVERIFY(!(store.fingerprint() == before));
        } else {
            QVERIFY(status.isRefused());
            QVERIFY2(status.message().contains(refusal), qPrintable(status.message()));
        }
    }

    // Reads and writes wait for another program's lock, and fail, changing nothing, when it outlasts the wait.
    void locksAreWaitedFor_data() {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("timeoutMs");
        for (const char* operation : {"list", "add", "delete"}) {
            QTest::addRow("%s, waited for", operation) << QString(operation) << 5000;
            QTest::addRow("%s, outlasting the wait", operation) << QString(operation) << 100;
        }
    }

    void locksAreWaitedFor() {
        QFETCH(QString, operation);
        QFETCH(int, timeoutMs);
        LibraryFolder folder({}, {{"Mine", "mine"}, {"Keep", "keep"}});
        SqliteStore store(folder.path(), timeoutMs);
        store.reopenDatabases();
        LockHolder lock(folder.userPath(), 400);
        Status status;
        if (operation == "list")
            QCOMPARE(names(store, Database::User, kUserCodeTable, &status).size(), timeoutMs > 400 ? 2 : 0);
        else
            status = operation == "add" ? store.addUserSnippet("While locked", "w") : ::change(store, operation);
        QCOMPARE(status.isOk(), timeoutMs > 400);
        QVERIFY2(status.isOk() || status.message().contains(kUserFileName), qPrintable(status.message()));
        const QStringList expected = operation == "list"  ? QStringList{"Mine=mine", "Keep=keep"}
                                     : timeoutMs < 400    ? QStringList{"Mine=mine", "Keep=keep"}
                                     : operation == "add" ? QStringList{"Mine=mine", "Keep=keep", "While locked=w"}
                                                          : QStringList{"Keep=keep"};
        QCOMPARE(folder.userSnippets(), expected);
    }

    // Undo puts a name or a record back where it was, beside the namesakes it had, and is refused where another
    // program changed the record or took its name since.
    void undoPutsBackWhatWasThere() {
        LibraryFolder folder({}, {{"A", "a"}, {"Dup", "d1"}, {"Dup", "d2"}, {"C", "c"}});
        const QStringList asCreated = folder.userSnippets();
        SqliteStore store(folder.path());
        store.reopenDatabases();
        SnippetStore::PriorSnippet prior;

        QVERIFY(store.renameUserSnippet(2, "Dup", "Solo", 0, &prior));
        QCOMPARE(prior.namesakes, 1);
        QVERIFY(store.renameUserSnippet(2, "Solo", prior.name, prior.namesakes));
        QCOMPARE(folder.userSnippets(), asCreated);

        // Renamed again by another program: the undo of our rename is refused.
        QVERIFY(store.renameUserSnippet(4, "C", "D", 0, &prior));
        QVERIFY(DatabaseFile::exec(folder.userPath(), "UPDATE UserCode SET CodeName = 'E' WHERE rowid = 4"));
        QVERIFY(store.renameUserSnippet(4, "D", prior.name, prior.namesakes).isRefused());

        // Its place taken: it comes back at the end.
        QVERIFY(store.deleteUserSnippet(4, "E", "c", &prior));
        QVERIFY(DatabaseFile::exec(folder.userPath(), "INSERT INTO UserCode VALUES ('X', 'x')"));
        qint64 record = 0;
        QVERIFY(store.restoreUserSnippet(prior, &record));
        QCOMPARE(record, 5);
        QCOMPARE(folder.userSnippets(), QStringList({"A=a", "Dup=d1", "Dup=d2", "X=x", "E=c"}));
    }
};

QTEST_GUILESS_MAIN(TestSnippetStore)
#include "tst_snippetstore.moc"
