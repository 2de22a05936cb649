#pragma once

#include <QIcon>
#include <QRectF>

class QPainter;

namespace verdane {

// The program's mark, a green leaf, drawn to fill box (its height sets the size). Drawn rather than stored, so it
// is crisp at any size and pixel ratio.
void paintLeaf(QPainter& painter, const QRectF& box);
// The program's icon: the leaf on a rounded tile.
QIcon appIcon();
QPixmap appIconPixmap(int size, qreal devicePixelRatio = 1.0);

} // namespace verdane
