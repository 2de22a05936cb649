#include "core/Placement.h"

#include "core/Settings.h"

#include <cmath>

namespace verdane {

namespace {
// Beyond this a window could not be placed on any screen; such a value is as unusable as text.
constexpr double kLargestTwips = 1.0e7;
// How much of the title bar must show for the user to grab it: its top part, this high and this wide.
constexpr int kTitleBarGrip = 20;
constexpr int kTitleBarShown = 100;

bool titleBarShows(const QRect& outer, const QRect& screen) {
    const QRect grip = QRect(outer.left(), outer.top(), outer.width(), kTitleBarGrip).intersected(screen);
    return grip.height() == kTitleBarGrip && grip.width() >= qMin(kTitleBarShown, outer.width());
}

qint64 distanceSquared(const QPoint& a, const QPoint& b) {
    const qint64 dx = a.x() - b.x();
    const qint64 dy = a.y() - b.y();
    return dx * dx + dy * dy;
}
} // namespace

QRect reachablePlacement(const QRect& outer, const QList<QRect>& screens) {
    const QRect* nearest = nullptr;
    for (const QRect& screen : screens) {
        // Where it is stays; a size larger than the screen would put the window's lower edge and status bar out of
        // sight, so it is made to fit.
        if (titleBarShows(outer, screen))
            return QRect(outer.topLeft(), outer.size().boundedTo(screen.size()));
        if (!nearest ||
            distanceSquared(screen.center(), outer.center()) < distanceSquared(nearest->center(), outer.center()))
            nearest = &screen;
    }
    if (!nearest || nearest->isEmpty())
        return outer;
    QRect moved(outer.topLeft(), outer.size().boundedTo(nearest->size()));
    // Keep as much of the user's placement as the screen allows: only the edges that are out of reach move.
    const int shown = qMin(kTitleBarShown, moved.width());
    moved.moveLeft(qBound(nearest->left() - (moved.width() - shown), moved.left(), nearest->right() + 1 - shown));
    moved.moveTop(qBound(nearest->top(), moved.top(), nearest->bottom() + 1 - kTitleBarGrip));
    return moved;
}

int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

std::optional<double> parseTwips(const QString& text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > kLargestTwips)
        return std::nullopt;
    return value;
}

std::optional<Placement> readPlacement() {
    const auto left = parseTwips(settings::read(settings::MainLeft));
    const auto top = parseTwips(settings::read(settings::MainTop));
    const auto width = parseTwips(settings::read(settings::MainWidth));
    const auto height = parseTwips(settings::read(settings::MainHeight));
    if (!left || !top || !width || !height || *width < 0 || *height < 0)
        return std::nullopt;
    return Placement{*left, *top, *width, *height};
}

bool writePlacement(const QRect& outerPixels) {
    bool ok = settings::write(settings::MainLeft, QString::number(pixelsToTwips(outerPixels.x())));
    ok = settings::write(settings::MainTop, QString::number(pixelsToTwips(outerPixels.y()))) && ok;
    ok = settings::write(settings::MainWidth, QString::number(pixelsToTwips(outerPixels.width()))) && ok;
    ok = settings::write(settings::MainHeight, QString::number(pixelsToTwips(outerPixels.height()))) && ok;
    return ok;
}

} // namespace verdane
