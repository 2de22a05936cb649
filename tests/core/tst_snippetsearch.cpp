#include "core/GroupNames.h"
#include "core/SnippetSearch.h"
#include "core/SnippetStore.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

struct Outcome {
    QStringList hits;
    QList<SnippetRef> records;
    QStringList unreadable;
    bool operator==(const Outcome& o) const {
        return hits == o.hits && records == o.records && unreadable == o.unreadable;
    }
};

// The search as defined, read afresh from the tables every time: the yardstick for the fast one.
Outcome referenceSearch(SnippetStore& store, const QString& text) {
    Outcome out;
    const QString needle = text.toUpper();
    for (int table = 0; table < snippetTableCount(); ++table) {
        const SnippetRef where = snippetTable(table);
        const StoreStatus s =
            store.scanSnippetBytes(where.database, where.table, [&](qint64 record, const QString& name, auto bytes) {
                const QString code = QString::fromUtf8(bytes);
                if (!code.isEmpty() && code.toUpper().contains(needle)) {
                    out.hits << name;
                    out.records << snippetTable(table, record);
                }
                return true;
            });
        if (!s && !out.unreadable.contains(s.error))
            out.unreadable << s.error;
    }
    return out;
}

Outcome fastSearch(SnippetSearch& search, const QString& text) {
    Outcome out;
    out.unreadable = search.find(text, [&](const SnippetSearch::Hit& hit) {
        out.hits << hit.name;
        out.records << hit.ref;
    });
    return out;
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

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    void upperCasingIsTheFullUnicodeOne() {
        QCOMPARE(QStringLiteral("stra\u00dfe").toUpper(), QStringLiteral("STRASSE"));
        QCOMPARE(QStringLiteral("\u0131").toUpper(), QStringLiteral("I"));
    }

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
                records.append({QStringLiteral("n%1").arg(number++ % 150), r.bounded(20) == 0 ? QVariant() : code});
            }
        }
        LibraryFolder folder;
        folder.create(groups, user);
        SnippetStore store(folder.path());
        store.reopenDatabases();
        SnippetSearch search(store);

        QStringList needles{QString(),
                            " ",
                            "  ",
                            "\r\n",
                            "\u00df",
                            "ss",
                            "SS",
                            "S",
                            "\u0131",
                            "i",
                            "\u0130",
                            "\U0001F600",
                            "\u6f22",
                            "\u03c3",
                            "nothing at all here",
                            codes.join(QString()) + "x",
                            "n1",
                            "msgBOX",
                            "\u00e9\u00c9"};
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
            const Outcome expected = referenceSearch(store, needle);
            const Outcome actual = fastSearch(search, needle);
            QVERIFY2(actual == expected, qPrintable(QStringLiteral("needle \"%1\": %2 hits, expected %3: %4 / %5")
                                                        .arg(needle)
                                                        .arg(actual.hits.size())
                                                        .arg(expected.hits.size())
                                                        .arg(actual.hits.join(','), expected.hits.join(','))));
        }
        QVERIFY(search.isCached());
    }

    void searchesOnlyTheCodeInTableOrder() {
        LibraryFolder folder;
        folder.create({{QStringLiteral("Window"), {{QStringLiteral("W"), QStringLiteral("call Target")}}},
                       {QStringLiteral("File"),
                        {{QStringLiteral("Target"), QStringLiteral("no match")},
                         {QStringLiteral("F"), QStringLiteral("TARGET here")}}}},
                      {{QStringLiteral("F"), QStringLiteral("my target")}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        SnippetSearch search(store);
        QCOMPARE(fastSearch(search, QStringLiteral("target")).hits,
                 QStringList({QStringLiteral("F"), QStringLiteral("W"), QStringLiteral("F")}));
        QCOMPARE(fastSearch(search, QStringLiteral(" target")).hits,
                 QStringList({QStringLiteral("W"), QStringLiteral("F")}));
        QCOMPARE(fastSearch(search, QStringLiteral("target ")).hits, QStringList{QStringLiteral("F")});
    }

    void changesOnDiskAreSeenByTheNextSearch() {
        LibraryFolder folder;
        folder.create({{QStringLiteral("Math"), {{QStringLiteral("Old"), QStringLiteral("needle")}}}});
        SnippetStore store(folder.path());
        store.reopenDatabases();
        SnippetSearch search(store);
        const QString needle = QStringLiteral("NEEDLE");
        QCOMPARE(fastSearch(search, needle).hits, QStringList{QStringLiteral("Old")});

        // Another program commits.
        QVERIFY(
            DatabaseFile::exec(folder.userPath(), QStringLiteral("INSERT INTO UserCode VALUES ('Mine', 'a needle')")));
        QCOMPARE(fastSearch(search, needle), referenceSearch(store, needle));
        QCOMPARE(fastSearch(search, needle).hits.size(), 2);

        // Our own write.
        QVERIFY(store.addUserSnippet(QStringLiteral("Ours"), QStringLiteral("needles")));
        QCOMPARE(fastSearch(search, needle).hits.size(), 3);

        // The file overwritten in place with another library.
        // (with more commits than the first, as a file that has lived longer would: SQLite tells files apart by
        // their commit counter)
        LibraryFolder other;
        other.create({{QStringLiteral("Math"), {{QStringLiteral("New"), QStringLiteral("another needle")}}}});
        QVERIFY(DatabaseFile::exec(other.libraryPath(), QStringLiteral("INSERT INTO Window VALUES ('W', 'w')")));
        QFile source(other.libraryPath());
        QVERIFY(source.open(QIODevice::ReadOnly));
        QVERIFY(writeFile(folder.libraryPath(), source.readAll()));
        QCOMPARE(fastSearch(search, needle), referenceSearch(store, needle));
        QVERIFY(fastSearch(search, needle).hits.contains(QStringLiteral("New")));

        // The file overwritten with garbage: the user's snippets are still searched, and the library named.
        QVERIFY(writeFile(folder.libraryPath(), QByteArray(4096, 'x')));
        const Outcome broken = fastSearch(search, needle);
        QCOMPARE(broken.hits.size(), 2);
        QVERIFY(!broken.unreadable.isEmpty());
        QVERIFY(broken.unreadable.first().contains(kLibraryFileName));
        QCOMPARE(broken, referenceSearch(store, needle));
    }

    void aTableThatCannotBeReadIsPassedOverAndNamed() {
        LibraryFolder folder;
        folder.create({{QStringLiteral("File"), {{QStringLiteral("F"), QStringLiteral("hit")}}},
                       {QStringLiteral("System"), {{QStringLiteral("S"), QStringLiteral("hit")}}}},
                      {{QStringLiteral("U"), QStringLiteral("hit")}});
        QVERIFY(DatabaseFile::exec(folder.libraryPath(), QStringLiteral("DROP TABLE Network")));
        SnippetStore store(folder.path());
        store.reopenDatabases();
        SnippetSearch search(store);
        for (int run = 0; run < 2; ++run) { // the second from the copy in memory
            const Outcome outcome = fastSearch(search, QStringLiteral("hit"));
            QCOMPARE(outcome.hits, QStringList({"F", "S", "U"}));
            QCOMPARE(outcome.unreadable.size(), 1);
            QVERIFY(outcome.unreadable.first().contains(QStringLiteral("Network")));
        }
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestSnippetSearch)
#include "tst_snippetsearch.moc"
