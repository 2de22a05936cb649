#include "ui/main/WindowLayout.h"

namespace verdane {

namespace {
// Setting a negative length fails; the control keeps its previous one.
void setLength(double& length, double value) {
    if (value >= 0)
        length = value;
}
} // namespace

Layout SizeControls(const LayoutInput& in, const Layout& previous) {
    Layout l = previous;
    const double W = in.outerWidth;
    double x = in.requestedSplitter;
    if (x < kSplitterMargin)
        x = kSplitterMargin;
    if (x > W - kSplitterMargin) // after the lower bound: in a window under 3000 twips this one wins
        x = W - kSplitterMargin;
    l.splitter = x;

    setLength(l.tree.width, x);
    l.splitterStrip.left = x;
    l.codePane.left = x + 40;
    setLength(l.codePane.width, W - (l.tree.width + 140));
    setLength(l.groupCaption.width, l.tree.width);
    l.codeCaption.left = l.codePane.left + 20;
    setLength(l.codeCaption.width, l.codePane.width - 40);
    l.titleStrip.top = in.toolBarShown ? in.toolBarHeight : 1;
    setLength(l.titleStrip.width, W);
    l.tree.top = in.toolBarShown ? in.toolBarHeight + kTitleStripHeight : kTitleStripHeight;
    l.codePane.top = l.tree.top;
    setLength(l.tree.height, in.clientHeight - (in.statusBarHeight + l.titleStrip.top + kTitleStripHeight));
    setLength(l.codePane.height, l.tree.height);
    l.splitterStrip.top = l.tree.top;
    setLength(l.splitterStrip.height, l.tree.height);
    return l;
}

double dragBarLeft(double stripLeft, double pointerX, double outerWidth) {
    const double p = stripLeft + pointerX;
    if (p < kDragBarMargin)
        return kDragBarMargin;
    if (p > outerWidth - kDragBarMargin)
        return outerWidth - kDragBarMargin;
    return p;
}

} // namespace verdane
