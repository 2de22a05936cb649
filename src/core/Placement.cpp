#include "core/Placement.h"

#include "core/Settings.h"

#include <cmath>

namespace verdane {

namespace {
// Beyond this a window could not be placed on any screen; such a value is as unusable as text.
constexpr double kLargestTwips = 1.0e7;
} // namespace

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
