#include "ui/main/SplitterStrip.h"

#include "core/Placement.h"

#include <QMouseEvent>

namespace verdane {

SplitterStrip::SplitterStrip(QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("imgSplitter"));
    setCursor(Qt::SizeHorCursor);
}

void SplitterStrip::mousePressEvent(QMouseEvent* event) {
    Q_EMIT pressed(event->position().x() * kTwipsPerPixel);
}

void SplitterStrip::mouseMoveEvent(QMouseEvent* event) {
    Q_EMIT moved(event->position().x() * kTwipsPerPixel);
}

void SplitterStrip::mouseReleaseEvent(QMouseEvent* event) {
    Q_EMIT released(event->position().x() * kTwipsPerPixel);
}

} // namespace verdane
