#pragma once

#include <QIcon>
#include <QImage>
#include <QList>
#include <QRectF>

class QPainter;

namespace verdane {

// The program's mark, a green leaf, drawn to fill box (its height sets the size). Drawn rather than stored, so it
// is crisp at any size and pixel ratio.
void paintLeaf(QPainter& painter, const QRectF& box);
// The program's icon: the leaf on a rounded tile, drawn from the same SVG file that the desktop's icon files are made
// from.
QIcon appIcon();
QPixmap appIconPixmap(int size, qreal devicePixelRatio = 1.0);
QImage appIconImage(int pixels);
// The sizes in pixels the icon is drawn at ahead, for the windows and for a desktop's icon theme.
QList<int> appIconSizes();

} // namespace verdane
