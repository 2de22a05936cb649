#include "platform/WindowLayer.h"

#include <QWidget>
#include <QWindow>

namespace verdane {

void setTopMost(QWidget* window) {
    if (!window)
        return;
    // Changing the flags of a shown widget would hide it; its native window takes the hint while it stays up.
    if (QWindow* handle = window->windowHandle(); handle && window->isVisible())
        handle->setFlag(Qt::WindowStaysOnTopHint, true);
    else
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
}

} // namespace verdane
