#include "core/CatalogueModel.h"
#include "core/CodeTree.h"
#include "core/GroupNames.h"
#include "core/SqliteStore.h"
#include "support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

QStringList childCaptions(const CatalogueModel& tree, int node) {
    QStringList captions;
    for (int i = 1; i <= tree.nodeCount(); ++i) {
        if (tree.parentNode(i) == node)
            captions << tree.caption(i);
    }
    return captions;
}

void verifySkeleton(const CatalogueModel& tree) {
    QVERIFY(tree.nodeCount() >= 9);
    QCOMPARE(tree.caption(1), kPublisherLabel);
    QCOMPARE(tree.caption(2), kUserCodeCaption);
    QCOMPARE(tree.parentNode(1), 0);
    QCOMPARE(tree.parentNode(2), 0);
    for (int g = 0; g < 7; ++g) {
        QCOMPARE(tree.caption(g + 3), groupNames()[g]);
        QCOMPARE(tree.parentNode(g + 3), 1);
    }
}

} // namespace

class TestCodeTree : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<TestEnvironment>(); }

    void buildsRootsGroupsThenSnippetsInOrder() {
        LibraryFolder folder;
        folder.create(
            {{"Window", {{"W1", "w"}}}, {"File", {{"F2", "f"}, {"F1", "f"}}}, {"Math", {{QVariant(), "no name"}}}},
            {{"F1", "mine"}, {"U", "u"}});
        SqliteStore store(folder.path());
        CatalogueModel tree;
        QAbstractItemModelTester tester(&tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
        // A build is one reset for the views, not one insertion per node.
        QSignalSpy resets(&tree, &QAbstractItemModel::modelReset);
        QSignalSpy inserts(&tree, &QAbstractItemModel::rowsInserted);
        loadCodeTree(tree, store);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(inserts.count(), 0);

        verifySkeleton(tree);
        QCOMPARE(tree.nodeCount(), 9 + 4 + 2);
        QStringList captions;
        for (int i = 10; i <= tree.nodeCount(); ++i)
            captions << tree.caption(i);
        // Library snippets group by group in record order, then the user's; a null name is an empty caption.
        QCOMPARE(captions, QStringList({"F2", "F1", QString(), "W1", "F1", "U"}));
        QCOMPARE(tree.parentNode(10), 3);
        QCOMPARE(tree.parentNode(12), 4);
        QCOMPARE(tree.parentNode(13), 9);
        QCOMPARE(tree.parentNode(14), 2);
        QCOMPARE(childCaptions(tree, 2), QStringList({"F1", "U"}));
    }

    // Whatever is wrong with the files, the roots and the seven groups stand and nothing appears on disk.
    void badFiles_data() {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("expectedNodes");
        QTest::addColumn<int>("expectedUserNodes");
        QTest::newRow("no files at all") << "missing both" << 9 << 0;
        QTest::newRow("library missing") << "missing library" << 9 << 1;
        QTest::newRow("library of random bytes") << "garbage library" << 9 << 1;
        QTest::newRow("user file of random bytes") << "garbage user" << 10 << 0;
        QTest::newRow("group table missing") << "drop Math" << 9 << 1;
        QTest::newRow("table without Code column") << "Math without Code" << 10 << 1;
        QTest::newRow("table without CodeName column") << "Math without CodeName" << 9 << 1;
        QTest::newRow("user table missing") << "drop UserCode" << 10 << 0;
        QTest::newRow("empty file") << "empty library" << 9 << 1;
    }

    void badFiles() {
        QFETCH(QString, damage);
        QFETCH(int, expectedNodes);
        QFETCH(int, expectedUserNodes);
        LibraryFolder folder;
        folder.create({{"Math", {{"M", "m"}}}}, {{"U", "u"}});
        const QByteArray garbage = QByteArray("not a database at all, just some bytes").repeated(200);
        if (damage == "missing both") {
            QFile::remove(folder.libraryPath());
            QFile::remove(folder.userPath());
        } else if (damage == "missing library") {
            QFile::remove(folder.libraryPath());
        } else if (damage == "garbage library") {
            writeFile(folder.libraryPath(), garbage);
        } else if (damage == "garbage user") {
            writeFile(folder.userPath(), garbage);
        } else if (damage == "empty library") {
            writeFile(folder.libraryPath(), {});
        } else if (damage == "drop Math") {
            DatabaseFile::exec(folder.libraryPath(), "DROP TABLE Math");
        } else if (damage == "drop UserCode") {
            DatabaseFile::exec(folder.userPath(), "DROP TABLE UserCode");
        } else {
            const bool keepName = damage.endsWith("Code");
            DatabaseFile::exec(folder.libraryPath(), "DROP TABLE Math");
            DatabaseFile(folder.libraryPath()).table("Math", {{"M", {}}}, {keepName ? "CodeName" : "Title"});
        }
        const QStringList filesBefore = folder.fileNames();
        const QByteArray libraryBefore = fileDigest(folder.libraryPath());
        const QByteArray userBefore = fileDigest(folder.userPath());

        SqliteStore store(folder.path());
        CatalogueModel tree;
        QAbstractItemModelTester tester(&tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
        loadCodeTree(tree, store);
        verifySkeleton(tree);
        QCOMPARE(tree.nodeCount(), expectedNodes + expectedUserNodes);
        QCOMPARE(childCaptions(tree, 2).size(), expectedUserNodes);
        store.closeDatabases();

        QCOMPARE(folder.fileNames(), filesBefore);
        QCOMPARE(fileDigest(folder.libraryPath()), libraryBefore);
        QCOMPARE(fileDigest(folder.userPath()), userBefore);
    }

    // Names repeat and may look like roots or groups; every node still leads to its own record.
    void everyNodeLeadsToItsOwnRecord() {
        LibraryFolder folder;
        folder.create({{"Math", {{"Dup", "m1"}, {"Dup", "m2"}, {"Math", "m3"}}}},
                      {{"Dup", "u1"}, {"User Code", "u2"}, {"File", "u3"}, {"Dup", "u4"}});
        SqliteStore store(folder.path());
        CatalogueModel tree;
        loadCodeTree(tree, store);
        QStringList codes;
        for (int node = 1; node <= tree.nodeCount(); ++node) {
            const SnippetLocation where = locateSnippet(tree, node);
            QCOMPARE(where.isSnippet, node > 9);
            if (!where.isSnippet)
                continue;
            QCOMPARE(where.name, tree.caption(node));
            QCOMPARE(tree.nodeOfRecord(snippetTableNumber(where.ref.database, where.ref.table), where.ref.record),
                     node);
            const SnippetLookup found = store.readSnippet(where.ref, where.name);
            QCOMPARE(outcomeOf(found), "found");
            codes << found.code.value_or(QString());
        }
        QCOMPARE(codes, QStringList({"m1", "m2", "m3", "u1", "u2", "u3", "u4"}));
        // An empty group has no children, and is still no snippet.
        QCOMPARE(tree.childCount(3), 0);
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_GUILESS_MAIN(TestCodeTree)
#include "tst_codetree.moc"
