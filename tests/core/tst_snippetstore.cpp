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
    void addUserSnippetNeedsCodeNameAndCodeFirst() {
        using Case = std::tuple<QString, QStringList, bool>; // the table, its columns, accepted
        for (const auto& [table, columns, accepted] :
             {Case{kUserCodeTable, {"CodeName", "Code", "Extra"}, true},
              Case{kUserCodeTable, {"codename", "CODE"}, true}, Case{kUserCodeTable, {"Code", "CodeName"}, false},
              Case{kUserCodeTable, {"Title", "Code"}, false}, Case{kUserCodeTable, {"CodeName", "Body"}, false},
              Case{kUserCodeTable, {"CodeName"}, false}, Case{"Other", {"CodeName", "Code"}, false}}) {
            LibraryFolder folder(Groups{});
            QFile::remove(folder.userPath());
            DatabaseFile(folder.userPath()).table(table, {{"Old", columns.size() > 1 ? "old" : QVariant()}}, columns);
            const QByteArray before = fileBytes(folder.userPath());
            SqliteStore store(folder.path());
            store.reopenDatabases();
            const QString text = "Sub Main()\r\n  MsgBox \"h\u00e9\"\r\nEnd Sub";
            const Status status = store.addUserSnippet("  Spaced  ", text);
            const QString why = table == kUserCodeTable ? "CodeName and Code" : kUserFileName;
            QVERIFY2(accepted ? status.isOk() && code(store, "  Spaced  ") == text
                              : !status.isOk() && status.message().contains(why),
                     qPrintable(table + '(' + columns.join(',') + "): " + status.message()));
            store.closeDatabases();
            QVERIFY(accepted || fileBytes(folder.userPath()) == before);
        }
    }

    // A change acts on the record only as the user was shown it; what another program did in between is kept.
    void changesActOnlyOnWhatWasShown() {
        const QString recoded = "UPDATE UserCode SET Code = 'theirs' WHERE rowid = 1",
                      removed = "DELETE FROM UserCode WHERE rowid = 1",
                      changed = "changed or removed by another program";
        const QStringList gone{"Keep=keep"}, unchanged{"Mine=mine", "Keep=keep"};
        // The change, what another program does first, the new name, the records after, what the refusal says (empty:
        // it goes through).
        using Case = std::tuple<QString, QString, QString, QStringList, QString>;
        for (const auto& [change, meanwhile, newName, after, refusal] :
             {Case{"rename", recoded, "New", {"New=theirs", "Keep=keep"}, {}},
              Case{"rename", removed, "New", gone, changed}, Case{"rename", {}, "Mine", unchanged, {}},
              Case{"replace", removed, "", gone, changed},
              Case{"delete", recoded, "", {"Mine=theirs", "Keep=keep"}, changed},
              Case{"delete", removed, "", gone, changed}}) {
            LibraryFolder folder({}, {{"Mine", "mine"}, {"Keep", "keep"}});
            SqliteStore store(folder.path());
            store.reopenDatabases();
            const SqliteStore::Fingerprint before = store.fingerprint();
            const QByteArray library = fileBytes(folder.libraryPath());
            QVERIFY(meanwhile.isEmpty() || DatabaseFile::exec(folder.userPath(), meanwhile));
            const Status status = ::change(store, change, newName);
            QVERIFY2(folder.userSnippets() == after, qPrintable(change + ": " + folder.userSnippets().join(',')));
            // Only the user's file is ever written, and nothing appears beside it.
            QCOMPARE(fileBytes(folder.libraryPath()), library);
            QCOMPARE(folder.fileNames(), QStringList({kLibraryFileName, kUserFileName}));
            QVERIFY2(refusal.isEmpty() ? status.isOk() && !(store.fingerprint() == before)
                                       : status.isRefused() && status.message().contains(refusal),
                     qPrintable(change + ": " + status.message()));
        }
    }

    // Reads and writes wait for another program's lock, and fail, changing nothing, when it outlasts the wait.
    void locksAreWaitedFor() {
        const QStringList unchanged{"Mine=mine", "Keep=keep"};
        for (const QString operation : {"list", "add", "delete"})
            for (const bool waited : {true, false}) {
                LibraryFolder folder({}, {{"Mine", "mine"}, {"Keep", "keep"}});
                SqliteStore store(folder.path(), waited ? 5000 : 100);
                store.reopenDatabases();
                LockHolder lock(folder.userPath(), 400);
                Status status;
                if (operation == "list")
                    QCOMPARE(names(store, Database::User, kUserCodeTable, &status).size(), waited ? 2 : 0);
                else
                    status =
                        operation == "add" ? store.addUserSnippet("While locked", "w") : ::change(store, operation);
                QVERIFY2(status.isOk() == waited && (waited || status.message().contains(kUserFileName)),
                         qPrintable(operation + ": " + status.message()));
                QCOMPARE(folder.userSnippets(), !waited || operation == "list" ? unchanged
                                                : operation == "add" ? unchanged + QStringList{"While locked=w"}
                                                                     : QStringList{"Keep=keep"});
            }
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
