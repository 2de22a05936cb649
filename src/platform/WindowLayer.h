#pragma once

class QWidget;

namespace verdane {

// Puts a window into the always-on-top layer without moving or sizing it.
void setTopMost(QWidget* window);

} // namespace verdane
