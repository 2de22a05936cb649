#include "ui/common/Artwork.h"

#include <QPainter>
#include <QSvgRenderer>

namespace verdane {

QImage appIconImage(int pixels) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer drawing(QStringLiteral(":/icons/appicon.svg"));
    QPainter p(&image);
    drawing.render(&p, QRectF(0, 0, pixels, pixels));
    return image;
}

} // namespace verdane
