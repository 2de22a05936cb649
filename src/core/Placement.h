#pragma once

#include <QList>
#include <QRect>
#include <QString>

#include <optional>

namespace verdane {

// Screen lengths are stored in twips, 1/1440 inch: 15 twips to the logical pixel.
inline constexpr int kTwipsPerPixel = 15;
int twipsToPixels(double twips);
inline int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

// A rectangle in twips.
struct TwipRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    friend bool operator==(const TwipRect&, const TwipRect&) = default;
};

// The main window's outer rectangle (frame included).
using Placement = TwipRect;

// The stored placement with its defaults; nothing when a stored text is not a usable number.
std::optional<Placement> readPlacement();
// Writes the four keys in order; a failed key does not stop the others. False when any failed.
bool writePlacement(const QRect& outerPixels);
// A stored text as a length in twips: decimal notation, blanks around it allowed.
std::optional<double> parseTwips(const QString& text);

// A window's outer rectangle (pixels) moved, if need be, so that its title bar can be seen and grabbed on one of the
// screens (their available areas): a window placed for a screen that is gone would open out of reach. A window
// partly off a screen's edge stays where it is as long as enough of its title bar shows. Too big a window is made to
// fit the screen whose title bar it is on, or the screen it is brought to.
QRect reachablePlacement(const QRect& outer, const QList<QRect>& screens);

} // namespace verdane
