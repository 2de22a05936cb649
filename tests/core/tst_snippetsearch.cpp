#include "core/SearchSegment.h"
#include "core/SnippetSearch.h"
#include "core/SqliteStore.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

#include <QDateTime>
#include <QRandomGenerator>

namespace {

struct Outcome {
    QStringList hits;
    QList<SnippetRef> records;
    QStringList unreadable;
    bool operator==(const Outcome&) const = default;
};

// The search as defined, read afresh from the tables every time: the yardstick for the fast one.
Outcome referenceSearch(const QString& dataDir, const QString& text) {
    SqliteStore store(dataDir);
    store.reopenDatabases();
    Outcome out;
    const QString needle = text.toUpper();
    for (int table = 0; table < snippetTableCount(); ++table) {
        const SnippetRef where = snippetTable(table);
        const Status s =
            store.scanSnippetBytes(where.database, where.table, [&](qint64 record, const QString& name, auto bytes) {
                const QString code = QString::fromUtf8(bytes);
                if (!code.isEmpty() && code.toUpper().contains(needle)) {
                    out.hits << name;
                    out.records << snippetTable(table, record);
                }
                return true;
            });
        if (!s && !out.unreadable.contains(s.message()))
            out.unreadable << s.message();
    }
    return out;
}

// The fast search's outcome; onHit runs at every hit, before it is taken.
Outcome fastSearch(
    SnippetSearch& search, const QString& text, const std::function<void()>& onHit = [] {}) {
    Outcome out;
    out.unreadable = search.find(text, [&](const SnippetSearch::Hit& hit) {
        onHit();
        out.hits << hit.name;
        out.records << hit.ref;
    });
    return out;
}

// The cache file of a library's seven groups.
QString cacheFileOf(const QString& library, const QString& cacheDir) {
    return SearchSegment::cacheFilePath(FileSegmentSource(library, {0, 1, 2, 3, 4, 5, 6}), cacheDir);
}

// Writes bytes over a file in place and sets its time back, so that nothing but its bytes tells it changed.
bool overwriteInPlace(const QString& path, const QByteArray& bytes) {
    const QDateTime modified = QFileInfo(path).lastModified();
    QFile file(path);
    return writeFile(path, bytes) && file.open(QIODevice::ReadWrite) &&
           file.setFileTime(modified, QFileDevice::FileModificationTime);
}

// Pieces of text that upper-casing treats in every way it can: unchanged, one to one, one to two, and letters
// whose upper case they share with others.
const QStringList kPieces{
    "a",      "B",      "z",      " ",      "  ",     "\r\n",   "\t", "MsgBox", "msgbox",       "\u00e9",
    "\u00c9", "\u00df", "SS",     "ss",     "\u0131", "\u0130", "i",  "I",      "\u6f22\u5b57", "\U0001F600",
    "\u0149", "\u01c6", "\u03c2", "\u03a3", "\u1e9e", "ﬀ",      "x",  "'",      "\"",           "&H"};

QString randomText(QRandomGenerator& r, int pieces) {
    QString text;
    for (int i = 0; i < pieces; ++i)
        text += kPieces[int(r.bounded(kPieces.size()))];
    return text;
}

} // namespace

class TestSnippetSearch : public QObject {
    Q_OBJECT

    TestEnvironment m_env;

private Q_SLOTS:

    // Only the code is searched, never the names, in the tables' order, letter case aside.
    void findsWhatTheDefinitionFinds() {
        QRandomGenerator r(20261206);
        QMap<QString, QList<Record>> groups;
        QList<Record> user;
        QStringList codes;
        int number = 0;
        for (const QString& table : groupNames() + QStringList{kUserCodeTable}) {
            QList<Record>& records = table == kUserCodeTable ? user : groups[table];
            for (int i = 0; i < 40; ++i) {
                const QString code = r.bounded(12) == 0 ? QString() : randomText(r, int(r.bounded(1, 30)));
                codes << code;
                // Names repeat across tables, and some records have no code at all.
                records.append({"n" + QString::number(number++ % 150), r.bounded(20) == 0 ? QVariant() : code});
            }
        }
        LibraryFolder folder(groups, user);
        // A table that cannot be read is passed over and named, the others searched all the same.
        QVERIFY(DatabaseFile::exec(folder.libraryPath(), "DROP TABLE Network"));
        SqliteStore store(folder.path());
        store.reopenDatabases();
        SnippetSearch search(store);

        QStringList needles{"",       " ",          "  ",     "\r\n",   "\u00df",       "ss",
                            "SS",     "S",          "\u0131", "i",      "\u0130",       "\u03c3",
                            "\u6f22", "\U0001F600", "n1",     "msgBOX", "\u00e9\u00c9", "nothing at all here"};
        needles << codes.join("") + "x";
        for (int i = 0; i < 200; ++i) {
            const QString& code = codes[int(r.bounded(codes.size()))];
            if (code.isEmpty())
                continue;
            const int from = int(r.bounded(code.size()));
            QString piece = code.mid(from, int(r.bounded(1, 8)));
            if (r.bounded(2))
                piece = piece.toLower();
            needles << piece;
        }
        for (const QString& needle : needles) {
            const Outcome expected = referenceSearch(folder.path(), needle);
            const Outcome actual = fastSearch(search, needle);
            QVERIFY2(actual == expected, qPrintable("needle \"" + needle + "\": " + actual.hits.join(',') +
                                                    " / expected " + expected.hits.join(',')));
            QVERIFY(expected.unreadable.size() == 1 && expected.unreadable[0].contains("Network"));
        }
    }

    // The copy kept in the cache file is believed only while the database is exactly the file it was made from.
    void theCacheFollowsEveryChange_data() {
        namedRows({"another program commits", "our own import", "the library replaced by one of the same size and time",
                   "the cache file cut short", "the cache file overwritten with other bytes",
                   "the cache file of another library put in its place", "the library overwritten with garbage",
                   "the user's file replaced by a pipe", "a byte of the cached code changed", "a cached name changed"});
    }

    void theCacheFollowsEveryChange() {
        const QByteArray change = QTest::currentDataTag();
        QTemporaryDir cache;
        auto library = [](const QString& code, const QString& name = "Metric") {
            return QMap<QString, QList<Record>>{{"Math", {{name, code}}}};
        };
        LibraryFolder folder(library("one needle"), {{"U", "needles"}});
        const QString needle = "NEEDLE";
        SnippetSearch running(folder.libraryPath(), folder.userPath(), cache.path());
        QCOMPARE(fastSearch(running, needle).hits, QStringList({"Metric", "U"}));
        const QString cacheFile = cacheFileOf(folder.libraryPath(), cache.path());
        QVERIFY(QFileInfo::exists(cacheFile));

        if (change == "another program commits") {
            QVERIFY(DatabaseFile::exec(folder.libraryPath(), "INSERT INTO File VALUES ('F', 'a needle')"));
        } else if (change == "our own import") {
            SqliteStore store(folder.path());
            store.reopenDatabases();
            QVERIFY(store.addUserSnippet("Ours", "needle too"));
        } else if (change.startsWith("the library replaced")) {
            // Written over the old file in place: same size, same commit count, and its time set back. Nothing in the
            // files' headers, sizes or times tells them apart.
            LibraryFolder other(library("one needle", "N"));
            const QByteArray bytes = fileBytes(other.libraryPath()), old = fileBytes(folder.libraryPath());
            QVERIFY(bytes.left(100) == old.left(100) && bytes.size() == old.size());
            QVERIFY(overwriteInPlace(folder.libraryPath(), bytes));
        } else if (change == "the cache file cut short") {
            QVERIFY(QFile::resize(cacheFile, QFileInfo(cacheFile).size() / 2));
        } else if (change == "the cache file overwritten with other bytes") {
            QVERIFY(writeFile(cacheFile, QByteArray(int(QFileInfo(cacheFile).size()), '\x07')));
        } else if (change == "the cache file of another library put in its place") {
            LibraryFolder other(library("NEEDLE elsewhere"));
            SnippetSearch(other.libraryPath(), other.userPath(), cache.path()).find(needle, [](auto&) {});
            QVERIFY(QFile::remove(cacheFile) && QFile::copy(cacheFileOf(other.libraryPath(), cache.path()), cacheFile));
        } else if (change == "the library overwritten with garbage") {
            QVERIFY(writeFile(folder.libraryPath(), QByteArray(4096, 'x')));
        } else if (change == "the user's file replaced by a pipe") {
            VERDANE_POSIX_FILES_ONLY("named pipes");
            QVERIFY(QFile::remove(folder.userPath()) && makeFifo(folder.userPath()));
        } else { // changed in place with its time set back: only its bytes tell
            QByteArray bytes = fileBytes(cacheFile);
            const QByteArray piece = change.contains("code") ? "NEEDLE" : "Metric";
            QVERIFY(bytes.count(piece) == 1);
            bytes[bytes.indexOf(piece)] = 'X';
            QVERIFY(overwriteInPlace(cacheFile, bytes));
        }

        // The program that made the cache, and a program started afresh, both find what the files hold now.
        const Outcome expected = referenceSearch(folder.path(), needle);
        QCOMPARE(fastSearch(running, needle), expected);
        SnippetSearch fresh(folder.libraryPath(), folder.userPath(), cache.path());
        QCOMPARE(fastSearch(fresh, needle), expected);
        QVERIFY(!change.contains("garbage") || !expected.unreadable.isEmpty());
    }

    // A cache file cut short while a search reads it (here by the first hit's receiver) ends that reading, never the
    // program: the search reads the database again and hands on the hits it had not given yet.
    void aCacheFileCutShortWhileSearched() {
        LibraryFolder folder({{"Math", {{"First", "a needle"}, {"Far", QString(600000, 'x') + " needle"}}}});
        QTemporaryDir cache;
        SnippetSearch search(folder.libraryPath(), folder.userPath(), cache.path());
        const Outcome expected = referenceSearch(folder.path(), "NEEDLE");
        QCOMPARE(fastSearch(search, "needle"), expected);
        const QString cacheFile = cacheFileOf(folder.libraryPath(), cache.path());
        QCOMPARE(
            fastSearch(search, "needle", [&, cut = false]() mutable { cut = cut || QFile::resize(cacheFile, 4096); }),
            expected);
    }

    // Only a regular file at the cache file's name is read or replaced: anything else there is left as it is, never
    // written through nor waited on, and the search goes on in memory.
    void somethingElseAtTheCacheFilesName_data() {
        namedRows({"a link to a file of the user's", "a link to nowhere", "a pipe"});
    }

    void somethingElseAtTheCacheFilesName() {
        const QByteArray thing = QTest::currentDataTag();
        LibraryFolder folder({{"Math", {{"M", "a needle"}}}});
        QTemporaryDir cache;
        const QString path = cacheFileOf(folder.libraryPath(), cache.path());
        const QString notes = cache.filePath("notes"), nowhere = cache.filePath("nowhere");
        QVERIFY(writeFile(notes, "the user's own"));
        VERDANE_POSIX_FILES_ONLY("named pipes or symbolic links a test can make");
        QVERIFY(thing == "a pipe" ? makeFifo(path) : QFile::link(thing.contains("user") ? notes : nowhere, path));
        // What is at the name, read now: a QFileInfo would read it only when first asked.
        const auto there = [&] {
            return std::pair{int(filesystem::facts(path, filesystem::Links::NotFollowed).kind),
                             QFile::symLinkTarget(path)};
        };
        const auto before = there();
        for (int run = 0; run < 2; ++run) {
            SnippetSearch search(folder.libraryPath(), folder.userPath(), cache.path());
            QCOMPARE(fastSearch(search, "needle"), referenceSearch(folder.path(), "needle"));
        }
        QCOMPARE(there(), before);
        QVERIFY(fileBytes(notes) == "the user's own" && !QFileInfo::exists(nowhere));
        // The notes, the thing, and the user's file's cache: nothing left half-written.
        QCOMPARE(QDir(cache.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 3);
    }

    // Where no cache file can be written, the copy lives in memory, and the search is the same.
    void anUnwritableCacheFolderFallsBackToMemory() {
        LibraryFolder folder({{"Math", {{"M", "a needle"}}}});
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("file"), "not a folder"));
        const QString cacheDir = dir.filePath("file/cache");
        SnippetSearch search(folder.libraryPath(), folder.userPath(), cacheDir);
        for (int run = 0; run < 2; ++run)
            QCOMPARE(fastSearch(search, "needle"), referenceSearch(folder.path(), "needle"));
        QVERIFY(!QFileInfo::exists(cacheDir));
    }
};

QTEST_GUILESS_MAIN(TestSnippetSearch)
#include "tst_snippetsearch.moc"
