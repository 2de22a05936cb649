#include "ui/common/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace verdane {

void paintLeaf(QPainter& p, const QRectF& box) {
    const qreal h = box.height();
    const QPointF o = box.topLeft() - QPointF(h * 0.2, 0);
    auto at = [&](qreal x, qreal y) { return o + QPointF(h * x, h * y); };
    QPainterPath leaf;
    leaf.moveTo(at(0.3, 0.85));
    leaf.cubicTo(at(0.2, 0.35), at(0.7, 0.1), at(1.1, 0.15));
    leaf.cubicTo(at(1.05, 0.6), at(0.7, 0.9), at(0.3, 0.85));
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8f, 0xd1, 0x6a));
    p.drawPath(leaf);
    p.setPen(QPen(QColor(0x2e, 0x6b, 0x5a), qMax(1.0, h * 0.04)));
    p.drawLine(at(0.32, 0.83), at(0.95, 0.22));
    p.restore();
}

QPixmap appIconPixmap(int size, qreal devicePixelRatio) {
    QPixmap pixmap = QPixmap::fromImage(appIconImage(qRound(size * devicePixelRatio)));
    pixmap.setDevicePixelRatio(devicePixelRatio);
    return pixmap;
}

QList<int> appIconSizes() {
    return {16, 22, 24, 32, 48, 64, 128, 256, 512};
}

QIcon appIcon() {
    QIcon icon;
    for (const int size : appIconSizes())
        icon.addPixmap(appIconPixmap(size));
    return icon;
}

} // namespace verdane
