#include "core/DataLocation.h"
#include "core/GroupNames.h"
#include "core/NewDatabase.h"
#include "core/Settings.h"
#include "core/SqliteStore.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

Q_DECLARE_METATYPE(verdane::DataLocation::Source)

namespace {

// The four places of a run, as folders of a temporary tree.
struct Places {
    QTemporaryDir root;
    DataPlaces places{{},
                      root.filePath(QStringLiteral("prefix/bin")),
                      root.filePath(QStringLiteral("prefix/share/verdane")),
                      root.filePath(QStringLiteral("home/data/Verdane")),
                      {}};

    Places() {
        QDir().mkpath(places.programDir);
        QDir().mkpath(places.shareDir);
    }
};

void makeDatabase(const QString& path, const QString& table) {
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    DatabaseFile(path).table(table, {{QStringLiteral("Kept"), QStringLiteral("' kept")}});
}

QStringList userNames(const DataLocation& location) {
    SqliteStore store(location.libraryPath, location.userPath);
    store.reopenDatabases();
    QStringList names;
    if (!store.listSnippetNames(Database::User, kUserCodeTable, [&](QString name) { names << name; }))
        return {QStringLiteral("<unreadable>")};
    return names;
}

} // namespace

class TestDataLocation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void filesAreFoundInOrder_data() {
        QTest::addColumn<bool>("dataDirGiven");
        QTest::addColumn<QString>("besideProgram"); // which files the program's folder holds
        QTest::addColumn<QString>("perUser");       // "file", "folder" (without the file) or "missing"
        QTest::addColumn<DataLocation::Source>("source");
        QTest::addColumn<bool>("created");
        using S = DataLocation::Source;
        auto row = [](const char* name, bool dataDirGiven, const char* besideProgram, const char* perUser, S source,
                      bool created) {
            QTest::newRow(name) << dataDirGiven << QString::fromLatin1(besideProgram) << QString::fromLatin1(perUser)
                                << source << created;
        };
        row("--data-dir before a complete program folder", true, "both", "missing", S::DataDir, false);
        row("--data-dir holding neither file", true, "none", "missing", S::DataDir, false);
        row("program folder with both files", false, "both", "missing", S::ProgramFolder, false);
        row("program folder with the library only", false, "library", "file", S::Installed, false);
        row("program folder with the user file only", false, "user", "missing", S::Installed, true);
        row("installed, the user file there", false, "none", "file", S::Installed, false);
        row("installed, the user folder empty", false, "none", "folder", S::Installed, true);
        row("installed, no user folder yet", false, "none", "missing", S::Installed, true);
    }

    void filesAreFoundInOrder() {
        QFETCH(bool, dataDirGiven);
        QFETCH(QString, besideProgram);
        QFETCH(QString, perUser);
        QFETCH(DataLocation::Source, source);
        QFETCH(bool, created);
        Places run;
        DataPlaces& places = run.places;
        if (dataDirGiven) {
            places.dataDir = run.root.filePath(QStringLiteral("elsewhere"));
            QVERIFY(QDir().mkpath(places.dataDir));
        }
        const QDir program(places.programDir);
        if (besideProgram == QLatin1String("both") || besideProgram == QLatin1String("library"))
            makeDatabase(program.filePath(kLibraryFileName), QStringLiteral("File"));
        if (besideProgram == QLatin1String("both") || besideProgram == QLatin1String("user"))
            makeDatabase(program.filePath(kUserFileName), kUserCodeTable);
        makeDatabase(QDir(places.shareDir).filePath(kLibraryFileName), QStringLiteral("File"));
        if (perUser == QLatin1String("file"))
            makeDatabase(QDir(places.userDataDir).filePath(kUserFileName), kUserCodeTable);
        if (perUser == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(places.userDataDir));

        const DataLocation location = locateData(places);
        QCOMPARE(location.source, source);
        const bool installed = source == DataLocation::Source::Installed;
        const QString libraryFolder = dataDirGiven ? places.dataDir : installed ? places.shareDir : places.programDir;
        const QString userFolder = dataDirGiven ? places.dataDir : installed ? places.userDataDir : places.programDir;
        QCOMPARE(location.libraryPath, QDir(libraryFolder).filePath(kLibraryFileName));
        QCOMPARE(location.userPath, QDir(userFolder).filePath(kUserFileName));
        QCOMPARE(location.createUserFile, created);
        // Looking makes nothing; only preparing does, and only what the location asks for.
        QCOMPARE(QFileInfo::exists(places.userDataDir), perUser != QLatin1String("missing"));
        const bool userFileBefore = QFileInfo::exists(location.userPath);
        QCOMPARE(prepareUserFile(location), QString());
        QCOMPARE(QFileInfo::exists(location.userPath), userFileBefore || created);
        QCOMPARE(QFileInfo::exists(places.userDataDir), perUser != QLatin1String("missing") || created);
    }

    void firstRunMakesAnEmptyUserFile_data() {
        QTest::addColumn<QString>("blocked"); // a file in the way of the user folder, relative to the tree; or none
        QTest::addColumn<bool>("made");
        QTest::newRow("user folder and its parent missing") << QString() << true;
        QTest::newRow("unwritable: a file where the user folder goes") << "home/data/Verdane" << false;
        QTest::newRow("unwritable: a file where its parent goes") << "home/data" << false;
    }

    void firstRunMakesAnEmptyUserFile() {
        QFETCH(QString, blocked);
        QFETCH(bool, made);
        Places run;
        makeDatabase(QDir(run.places.shareDir).filePath(kLibraryFileName), QStringLiteral("File"));
        if (!blocked.isEmpty()) {
            QVERIFY(QDir().mkpath(QFileInfo(run.root.filePath(blocked)).path()));
            QVERIFY(writeFile(run.root.filePath(blocked), "in the way"));
        }
        const DataLocation location = locateData(run.places);
        QVERIFY(location.createUserFile);

        const QString problem = prepareUserFile(location);
        QCOMPARE(problem.isEmpty(), made);
        QCOMPARE(QFileInfo(location.userPath).isFile(), made);
        if (!made) {
            QVERIFY2(problem.contains(run.places.userDataDir), qPrintable(problem));
            QCOMPARE(QFile(run.root.filePath(blocked)).size(), qint64(10));
            return;
        }
        // An empty table the store takes the user's snippets into, and nothing left beside the file.
        QCOMPARE(userNames(location), QStringList());
        SqliteStore store(location.libraryPath, location.userPath);
        QVERIFY(store.reopenDatabases().user.ok);
        QVERIFY(store.addUserSnippet(QStringLiteral("Mine"), QStringLiteral("' mine")));
        QCOMPARE(userNames(location), QStringList{QStringLiteral("Mine")});
        QCOMPARE(QDir(run.places.userDataDir).entryList(QDir::Files), QStringList{kUserFileName});
        // The next run finds the file and leaves it be.
        QVERIFY(!locateData(run.places).createUserFile);
    }

    // Another program may make the user file between a run's look and its making one: that file is kept.
    void aUserFileMadeMeanwhileIsKept() {
        Places run;
        const QString path = QDir(run.places.userDataDir).filePath(kUserFileName);
        makeDatabase(path, kUserCodeTable);
        const QByteArray before = fileDigest(path);
        bool created = true;
        const QString error = writeDatabase(
            path, ExistingFile::Keep,
            [](const sqlite::Connection& db) { return createSnippetTable(db, kUserCodeTable); }, &created);
        QCOMPARE(error, QString());
        QVERIFY(!created);
        QCOMPARE(fileDigest(path), before);
        QCOMPARE(QDir(run.places.userDataDir).entryList(QDir::Files), QStringList{kUserFileName});
    }

    // A server named with --library is read, else the one the Options name unless --data-dir names a folder; an
    // empty --library is the files. The files are found all the same, for init-server, and none is made.
    void serverOrFiles_data() {
        QTest::addColumn<QString>("library"); // null: no --library
        QTest::addColumn<bool>("dataDirGiven");
        QTest::addColumn<QString>("inOptions");
        QTest::addColumn<QString>("read");
        const QString options = QStringLiteral("postgresql://team@db/options");
        const QString given = QStringLiteral("postgresql://team@db/given");
        QTest::newRow("the files") << QString() << false << QString() << QString();
        QTest::newRow("the Options' server") << QString() << false << options << options;
        QTest::newRow("--library before the Options") << given << false << options << given;
        QTest::newRow("--data-dir before the Options") << QString() << true << options << QString();
        QTest::newRow("an empty --library") << QStringLiteral("") << false << options << QString();
    }

    void serverOrFiles() {
        QFETCH(QString, library);
        QFETCH(bool, dataDirGiven);
        QFETCH(QString, inOptions);
        QFETCH(QString, read);
        const TestEnvironment settings;
        settings::write(settings::LibraryServer, inOptions);
        Places run;
        const DataPlaces places = runningPlaces(dataDirGiven ? run.root.path() : QString(), library);
        const DataLocation location = locateData(places);
        QCOMPARE(location.serverUrl, read);
        QCOMPARE(location.source == DataLocation::Source::Server, !read.isEmpty());
        QVERIFY(!location.libraryPath.isEmpty());
        if (!read.isEmpty())
            QVERIFY(!location.createUserFile);
    }
};

QTEST_GUILESS_MAIN(TestDataLocation)
#include "tst_datalocation.moc"
