#include "platform/WindowLayer.h"

#include <QWindow>

namespace verdane {

void setTopMost(QWindow* window) {
    if (window)
        window->setFlag(Qt::WindowStaysOnTopHint, true);
}

} // namespace verdane
