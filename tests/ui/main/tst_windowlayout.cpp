#include "ui/main/WindowLayout.h"

#include <QTest>

using namespace verdane;

namespace {
constexpr double TB = 420;
constexpr double SB = 375;

LayoutInput input(double x, double W, double H, bool toolBar = true) {
    return LayoutInput{x, W, H, TB, SB, toolBar};
}
} // namespace

class TestWindowLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitterStaysBetweenTheMargins_data() {
        QTest::addColumn<double>("requested");
        QTest::addColumn<double>("outerWidth");
        QTest::addColumn<double>("expected");
        QTest::newRow("inside") << 4000.0 << 9000.0 << 4000.0;
        QTest::newRow("too far left") << 600.0 << 9000.0 << 1500.0;
        QTest::newRow("too far right") << 8000.0 << 9000.0 << 7500.0;
        QTest::newRow("both bounds meet in the narrowest window") << 1965.0 << 3000.0 << 1500.0;
        QTest::newRow("upper bound wins when too narrow") << 1965.0 << 2000.0 << 500.0;
    }

    void splitterStaysBetweenTheMargins() {
        QFETCH(double, requested);
        QFETCH(double, outerWidth);
        QFETCH(double, expected);
        QCOMPARE(SizeControls(input(requested, outerWidth, 6000), Layout{}).splitter, expected);
    }

    void shrinkingPushesTheSplitterWhichDoesNotComeBack() {
        Layout l = SizeControls(input(5000, 9000, 6000), Layout{});
        QCOMPARE(l.splitter, 5000.0);
        l = SizeControls(input(l.splitter, 5600, 6000), l);
        QCOMPARE(l.splitter, 4100.0);
        l = SizeControls(input(l.splitter, 12000, 6000), l);
        QCOMPARE(l.splitter, 4100.0);
        QCOMPARE(l.codePane.width, 12000 - 4100 - 140.0);
    }

    void aLengthThatWouldBeNegativeKeepsItsPreviousValue() {
        const Layout tall = SizeControls(input(2500, 9000, 6000), Layout{});
        const Layout shortWindow = SizeControls(input(2500, 9000, 500), tall);
        QCOMPARE(shortWindow.tree.height, tall.tree.height);
        QCOMPARE(shortWindow.codePane.height, tall.codePane.height);
        QCOMPARE(shortWindow.splitterStrip.height, tall.tree.height);
        // What can be set still is.
        QCOMPARE(shortWindow.tree.top, TB + 300);
    }

    void dragBarStaysFiveHundredFromTheEdges() {
        QCOMPARE(dragBarLeft(1965, -1800, 9000), 500.0);
        QCOMPARE(dragBarLeft(1965, 35, 9000), 2000.0);
        QCOMPARE(dragBarLeft(1965, 9000, 9000), 8500.0);
        QCOMPARE(dragBarLeft(1965, -1365, 9000), 600.0);
    }
};

QTEST_GUILESS_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
