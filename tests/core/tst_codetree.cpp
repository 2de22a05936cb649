#include "core/CatalogueModel.h"
#include "core/CodeTree.h"
#include "core/SqliteStore.h"
#include "support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

#include <functional>

namespace {

// The tree as one "parent>caption" line a node, in node order.
QStringList outline(const CatalogueModel& tree) {
    QStringList lines;
    for (int node = 1; node <= tree.nodeCount(); ++node)
        lines << tree.caption(tree.parentNode(node)) + '>' + tree.caption(node);
    return lines;
}

// The two roots and the seven groups, which stand whatever the files hold.
QStringList skeleton() {
    QStringList lines{'>' + kPublisherLabel, '>' + kUserCodeCaption};
    for (const QString& group : groupNames())
        lines << kPublisherLabel + '>' + group;
    return lines;
}

} // namespace

class TestCodeTree : public QObject {
    Q_OBJECT

    TestEnvironment m_env;

private Q_SLOTS:
    // Library snippets group by group in record order, then the user's; a null name is an empty caption. Names repeat
    // and may look like roots or groups, and every node still leads to its own record.
    void buildsRootsGroupsThenSnippetsInOrder() {
        LibraryFolder folder({{"Window", {{"W1", "w"}}},
                              {"File", {{"F2", "f2"}, {"F1", "f1"}}},
                              {"Math", {{QVariant(), "no name"}, {"Dup", "m1"}, {"Dup", "m2"}, {"Math", "m3"}}}},
                             {{"F1", "mine"}, {"Dup", "u1"}, {"User Code", "u2"}, {"File", "u3"}, {"Dup", "u4"}});
        SqliteStore store(folder.path());
        CatalogueModel tree;
        QAbstractItemModelTester tester(&tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
        // A build is one reset for the views, not one insertion per node.
        QSignalSpy resets(&tree, &QAbstractItemModel::modelReset), inserts(&tree, &QAbstractItemModel::rowsInserted);
        loadCodeTree(tree, store);
        QCOMPARE(resets.count(), 1);
        QCOMPARE(inserts.count(), 0);
        QCOMPARE(outline(tree), skeleton() + QStringList({"File>F2", "File>F1", "Math>", "Math>Dup", "Math>Dup",
                                                          "Math>Math", "Window>W1", "User Code>F1", "User Code>Dup",
                                                          "User Code>User Code", "User Code>File", "User Code>Dup"}));
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
        QCOMPARE(codes, QStringList({"f2", "f1", "no name", "m1", "m2", "m3", "w", "mine", "u1", "u2", "u3", "u4"}));
    }

    // Whatever is wrong with the files, the roots and the seven groups stand and nothing appears on disk.
    void badFiles() {
        const QByteArray garbage = QByteArray("not a database at all, just some bytes").repeated(200);
        const QStringList math{"Math>M"}, user{"User Code>U"};
        auto replaceMath = [](const QString& column) {
            return [column](const LibraryFolder& f) {
                DatabaseFile::exec(f.libraryPath(), "DROP TABLE Math");
                DatabaseFile(f.libraryPath()).table("Math", {{"M", {}}}, {column});
            };
        };
        const struct {
            const char* damage;
            std::function<void(const LibraryFolder&)> doIt;
            QStringList shown;
        } cases[] = {
            {"library missing", [](auto& f) { QFile::remove(f.libraryPath()); }, user},
            {"library of random bytes", [&](auto& f) { writeFile(f.libraryPath(), garbage); }, user},
            {"library empty", [](auto& f) { writeFile(f.libraryPath(), {}); }, user},
            {"user file of random bytes", [&](auto& f) { writeFile(f.userPath(), garbage); }, math},
            {"group table missing", [](auto& f) { DatabaseFile::exec(f.libraryPath(), "DROP TABLE Math"); }, user},
            {"user table missing", [](auto& f) { DatabaseFile::exec(f.userPath(), "DROP TABLE UserCode"); }, math},
            {"table without Code column", replaceMath("CodeName"), math + user},
            {"table without CodeName column", replaceMath("Title"), user},
        };
        for (const auto& c : cases) {
            LibraryFolder folder({{"Math", {{"M", "m"}}}}, {{"U", "u"}});
            c.doIt(folder);
            auto files = [&] {
                return QByteArrayList{folder.fileNames().join('/').toUtf8(), fileBytes(folder.libraryPath()),
                                      fileBytes(folder.userPath())};
            };
            const QByteArrayList before = files();
            SqliteStore store(folder.path());
            CatalogueModel tree;
            QAbstractItemModelTester tester(&tree, QAbstractItemModelTester::FailureReportingMode::QtTest);
            loadCodeTree(tree, store);
            QVERIFY2(outline(tree) == skeleton() + c.shown, c.damage);
            store.closeDatabases();
            QVERIFY2(files() == before, c.damage);
        }
    }
};

QTEST_GUILESS_MAIN(TestCodeTree)
#include "tst_codetree.moc"
