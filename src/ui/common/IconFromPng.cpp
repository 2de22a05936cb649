#include "ui/common/Artwork.h"

#include <QImage>

namespace verdane {

// Drawn from the renderings of the icon's SVG made on the build machine: the one of the size asked for, or the
// smallest larger one scaled down (the largest scaled up beyond them).
QImage appIconImage(int pixels) {
    int chosen = appIconSizes().last();
    for (const int size : appIconSizes()) {
        if (size >= pixels) {
            chosen = size;
            break;
        }
    }
    const QImage image(QStringLiteral(":/icons/appicon-%1.png").arg(chosen));
    return chosen == pixels ? image : image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace verdane
