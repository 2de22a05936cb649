#include "core/CatalogueModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

using namespace verdane;

class TestCatalogueModel : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void nodesAreNumberedInOrderOfAddition() {
        CatalogueModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        const int a = model.addRoot(QStringLiteral("A"));
        const int b = model.addRoot(QStringLiteral("B"));
        const int a1 = model.addChild(a, QStringLiteral("a1"));
        const int b1 = model.addChild(b, QStringLiteral("b1"));
        const int a2 = model.addChild(a, QStringLiteral("a2"));
        const int a11 = model.addChild(a1, QStringLiteral("a11"));
        QCOMPARE(QList<int>({a, b, a1, b1, a2, a11}), QList<int>({1, 2, 3, 4, 5, 6}));
        QCOMPARE(model.nodeCount(), 6);
        QCOMPARE(model.parentNode(a2), a);
        QCOMPARE(model.parentNode(a), 0);
        QCOMPARE(model.childCount(a), 2);
        QCOMPARE(model.childCount(b1), 0);

        // The view's rows follow each parent's own order, whatever the numbering.
        const QModelIndex indexA2 = model.index(1, 0, model.indexOfNode(a));
        QCOMPARE(model.nodeOf(indexA2), a2);
        QCOMPARE(indexA2.data().toString(), QStringLiteral("a2"));
        QCOMPARE(model.nodeOf(model.parent(model.indexOfNode(a11))), a1);
        QCOMPARE(model.rowCount(), 2);

        model.setCaption(b1, QStringLiteral("renamed"));
        QCOMPARE(model.caption(b1), QStringLiteral("renamed"));
        QCOMPARE(model.addChild(99), 0);
        QCOMPARE(model.caption(0), QString());
        QCOMPARE(model.caption(7), QString());
    }

    void rebuildResetsViewsOnce() {
        CatalogueModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addRoot(QStringLiteral("old"));
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy inserts(&model, &QAbstractItemModel::rowsInserted);
        model.beginRebuild();
        model.clear();
        const int root = model.addRoot(QStringLiteral("new"));
        for (int i = 0; i < 1000; ++i)
            model.addChild(root, QString::number(i));
        model.endRebuild();
        QCOMPARE(resets.count(), 1);
        QCOMPARE(inserts.count(), 0);
        QCOMPARE(model.nodeCount(), 1001);
        QCOMPARE(model.rowCount(model.indexOfNode(root)), 1000);
        QCOMPARE(model.caption(1001), QStringLiteral("999"));
    }

    void clearOutsideARebuildEmptiesTheModel() {
        CatalogueModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        model.addChild(model.addRoot(QStringLiteral("r")), QStringLiteral("c"));
        model.clear();
        QCOMPARE(model.nodeCount(), 0);
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.indexOfNode(1).isValid());
    }
};

QTEST_GUILESS_MAIN(TestCatalogueModel)
#include "tst_cataloguemodel.moc"
