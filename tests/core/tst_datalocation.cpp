#include "core/DataLocation.h"
#include "core/NewDatabase.h"
#include "core/Placement.h"
#include "core/Settings.h"
#include "core/SqliteStore.h"
#include "platform/DefaultFolders.h"
#include "support/TestSupport.h"

#include <QDirIterator>
#include <QSettings>

class TestDataLocation : public QObject {
    Q_OBJECT

    TestEnvironment m_env;

private Q_SLOTS:
    void init() { m_env.reset(); }

    // A default holds only while its key is absent: what the user stored, even empty, is read back as it was.
    void valuesRoundTripExactlyAsText() {
        // Exports go where the file dialogs start until told otherwise: the home folder, on Windows Documents.
        QCOMPARE(settings::read(settings::DefFileExportDir), platform::defaultStartFolder());
        QVERIFY(QFileInfo(platform::defaultStartFolder()).isDir());
        QCOMPARE(settings::read(settings::ChatServiceName), "mIRC");
        QVERIFY(!settings::contains(settings::DefFileExportDir));
        for (const char* value : {"", "C:\\Projects\\", "  spaced  ", "a,b;c=d", "@Variant(odd)",
                                  "/home/\u00e9l\u00e8ve/export", "[Settings]"}) {
            QVERIFY(settings::write(settings::DefFileExportDir, value));
            QCOMPARE(settings::read(settings::DefFileExportDir), value);
        }
        QVERIFY(settings::contains(settings::DefFileExportDir));
        // The store is the per-user file of the application "Verdane", section "Settings".
        QVERIFY(QSettings(m_env.settingsFile(), QSettings::NativeFormat).childGroups().contains("Settings"));
    }

    // The placement is text a user may have edited: what is not a usable number is refused whole.
    void placementIsStoredInTwips() {
        QCOMPARE(readPlacement(), std::optional<Placement>(Placement{1000, 1000, 6500, 6500}));
        QVERIFY(writePlacement(QRect(-20, 40, 500, 300)));
        QCOMPARE(readPlacement(), std::optional<Placement>(Placement{-300, 600, 7500, 4500}));
        settings::write(settings::MainTop, " 30 ");
        settings::write(settings::MainWidth, "9000.5");
        QCOMPARE(readPlacement(), std::optional<Placement>(Placement{-300, 30, 9000.5, 4500}));
        for (const char* unusable : {"wide", "", "6500px", "-10", "inf", "1e300"}) {
            settings::write(settings::MainHeight, unusable);
            QVERIFY2(!readPlacement(), unusable);
        }
        QCOMPARE(twipsToPixels(1000), 67); // rounded: a window kept in twips must not creep a pixel each run
    }

    // A run looks for its files and makes nothing; preparing then makes the user's file, with its folder, only where
    // the location asks for it.
    void filesAreFoundInOrder() {
        const QString library = "/" + kLibraryFileName, user = "/" + kUserFileName, bin = "prefix/bin",
                      home = "home/data/Verdane";
        const QStringList installed{"prefix/share/verdane" + library, home + user},
            elsewhere{"elsewhere" + library, "elsewhere" + user};
        // What the tree holds besides the installed library (databases, or a file in the way); --data-dir elsewhere;
        // the library and the user's file read; made by preparing: 1 the user's file, -1 an error, 0 nothing.
        using Case = std::tuple<QStringList, bool, QStringList, int>;
        for (const auto& [present, dataDirGiven, read, made] :
             {Case{{bin + library, bin + user}, true, elsewhere, 0}, // --data-dir before a complete program folder
              Case{{}, true, elsewhere, 0},                          // --data-dir holding neither file
              Case{{bin + library, bin + user}, false, {bin + library, bin + user}, 0}, // the program folder's
              Case{{bin + library, home + user}, false, installed, 0}, // the program folder with the library only
              Case{{bin + user}, false, installed, 1},                 // the program folder with the user file only
              Case{{home + user}, false, installed, 0},                // installed, the user file there
              Case{{}, false, installed, 1},                           // installed, no user folder yet
              Case{{home}, false, installed, -1}}) {                   // installed, a file where the user's folder goes
            QTemporaryDir dir;
            const QDir root(dir.path());
            for (const QString& path : present + QStringList{"prefix/share/verdane" + library, "elsewhere/"}) {
                QVERIFY(root.mkpath(QFileInfo(path).path()));
                if (path.endsWith(".mdb"))
                    DatabaseFile(root.filePath(path)).table(path.endsWith(user) ? kUserCodeTable : "File", {});
                else if (!path.endsWith('/'))
                    QVERIFY(writeFile(root.filePath(path), "in the way"));
            }
            auto tree = [&] {
                QStringList paths;
                for (QDirIterator it(root.path(), QDir::AllEntries | QDir::NoDotAndDotDot,
                                     QDirIterator::Subdirectories);
                     it.hasNext();)
                    paths << root.relativeFilePath(it.next());
                paths.sort();
                return paths;
            };
            const QStringList before = tree();

            const DataLocation location =
                locateData({dataDirGiven ? root.filePath("elsewhere") : QString(), root.filePath(bin),
                            root.filePath("prefix/share/verdane"), root.filePath(home), QString()});
            QCOMPARE(
                QStringList({root.relativeFilePath(location.libraryPath), root.relativeFilePath(location.userPath)}),
                read);
            QCOMPARE(location.createUserFile, made != 0);
            QCOMPARE(tree(), before);

            const QString problem = prepareUserFile(location);
            QVERIFY2(problem.isEmpty() == (made >= 0) && (made >= 0 || problem.contains(root.filePath(home))),
                     qPrintable(problem));
            if (made > 0) {
                // Nothing beside it, and an empty table that takes the user's snippets.
                QCOMPARE(QDir(root.filePath(home)).entryList(QDir::Files), QStringList{kUserFileName});
                SqliteStore store(location.libraryPath, location.userPath);
                QVERIFY(store.reopenDatabases().user && store.addUserSnippet("Mine", "' mine"));
            } else {
                QCOMPARE(tree(), before);
            }
        }
    }

    // Another program may make the user's file between a run's look and its making one: that file is kept.
    void aUserFileMadeMeanwhileIsKept() {
        QTemporaryDir dir;
        const QString path = dir.filePath(kUserFileName);
        DatabaseFile(path).table(kUserCodeTable, {{"Kept", "' kept"}});
        const QByteArray before = fileBytes(path);
        QCOMPARE(writeDatabase(path, ExistingFile::Keep,
                               [](const sqlite::Connection& db) { return createSnippetTable(db, kUserCodeTable); }),
                 QString());
        QCOMPARE(fileBytes(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{kUserFileName});
    }

    // A server named with --library is read, else the one the Options name unless --data-dir names a folder; an
    // empty --library is the files. The files are found all the same, for init-server, and none is made.
    void serverOrFiles() {
        const QString options = "postgresql://team@db/options", given = "postgresql://team@db/given";
        QTemporaryDir dir;
        using Case = std::tuple<QString, bool, QString, QString>; // --library (null: none), --data-dir, Options, read
        for (const auto& [library, dataDirGiven, inOptions, read] :
             {Case{{}, false, {}, {}}, Case{{}, false, options, options}, Case{given, false, options, given},
              Case{{}, true, options, {}}, Case{"", false, options, {}}}) {
            settings::write(settings::LibraryServer, inOptions);
            const DataLocation location = locateData(runningPlaces(dataDirGiven ? dir.path() : QString(), library));
            QCOMPARE(location.serverUrl, read);
            QCOMPARE(location.source == DataLocation::Source::Server, !read.isEmpty());
            QVERIFY(!location.libraryPath.isEmpty());
            QVERIFY(read.isEmpty() || !location.createUserFile);
        }
    }
};

QTEST_GUILESS_MAIN(TestDataLocation)
#include "tst_datalocation.moc"
