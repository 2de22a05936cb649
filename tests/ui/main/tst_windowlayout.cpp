#include "ui/main/WindowLayout.h"

#include <QTest>

using namespace verdane;

namespace {
LayoutInput input(double x, double W, double H) {
    return LayoutInput{x, W, H, 420, 375, true};
}
} // namespace

class TestWindowLayout : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The splitter stays between the margins, the upper bound winning in a window too narrow for both.
    void controlsStayInTheWindow() {
        using Row = std::array<double, 3>; // requested, outer width, expected
        for (const auto& [requested, outerWidth, expected] :
             {Row{4000, 9000, 4000}, Row{600, 9000, 1500}, Row{8000, 9000, 7500}, Row{1965, 3000, 1500},
              Row{1965, 2000, 500}})
            QCOMPARE(SizeControls(input(requested, outerWidth, 6000), Layout{}).splitter, expected);
        // Shrinking pushes the splitter, which does not come back.
        Layout l = SizeControls(input(5000, 9000, 6000), Layout{});
        l = SizeControls(input(l.splitter, 5600, 6000), l);
        QCOMPARE(l.splitter, 4100.0);
        l = SizeControls(input(l.splitter, 12000, 6000), l);
        QCOMPARE(l.splitter, 4100.0);
        QCOMPARE(l.codePane.width, 12000 - 4100 - 140.0);

        // A length that would be negative keeps its previous value; what can be set still is.
        const Layout tall = SizeControls(input(2500, 9000, 6000), Layout{});
        const Layout shortWindow = SizeControls(input(2500, 9000, 500), tall);
        QCOMPARE(shortWindow.tree.height, tall.tree.height);
        QCOMPARE(shortWindow.codePane.height, tall.codePane.height);
        QCOMPARE(shortWindow.tree.top, 420 + 300.0); // below the tool bar and the title strip

        // The drag bar stays 500 twips from the edges.
        for (const auto& [pointer, expected] :
             {std::pair{-1800.0, 500.0}, {35.0, 2000.0}, {9000.0, 8500.0}, {-1365.0, 600.0}})
            QCOMPARE(dragBarLeft(1965, pointer, 9000), expected);
    }
};

QTEST_GUILESS_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
