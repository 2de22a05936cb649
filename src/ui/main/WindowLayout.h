#pragma once

#include "core/Placement.h"

namespace verdane {

struct LayoutInput {
    double requestedSplitter = 0; // where the splitter should go
    double outerWidth = 0;        // W: the window's outer width, frame included
    double clientHeight = 0;      // H: the client area's height
    double toolBarHeight = 0;     // TB
    double statusBarHeight = 0;   // SB
    bool toolBarShown = true;     // the check mark of View > Tool Bar
};

// Every control the layout places, relative to the client area (below the menu bar). A length that would come out
// negative cannot be set: that step is skipped and the control keeps what it had, so the result starts from the
// previous layout.
struct Layout {
    double splitter = 1965;
    TwipRect tree;
    TwipRect codePane;
    TwipRect splitterStrip{0, 0, 150, 0};
    TwipRect titleStrip{0, 0, 0, 300};
    TwipRect groupCaption{0, 0, 0, 270}; // "Code Group:" over the tree
    TwipRect codeCaption{0, 0, 0, 270};  // "Code:" over the code pane
    friend bool operator==(const Layout&, const Layout&) = default;
};

inline constexpr double kInitialSplitter = 1965;
inline constexpr double kSplitterMargin = 1500;    // the panes come no closer to an edge
inline constexpr double kDragBarMargin = 500;      // the drag bar comes no closer to an edge
inline constexpr double kMinimumOuterWidth = 3000; // the window is widened to this
inline constexpr double kTitleStripHeight = 300;

// Lays out the main window for a splitter position, the window's size and the tool bar's state.
Layout SizeControls(const LayoutInput& input, const Layout& previous);

// Where the drag bar goes for a pointer at stripLeft + pointerX.
double dragBarLeft(double stripLeft, double pointerX, double outerWidth);

} // namespace verdane
