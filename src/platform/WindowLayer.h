#pragma once

class QWindow;

namespace verdane {

// Puts a shown window into the always-on-top layer without moving or sizing it.
void setTopMost(QWindow* window);

} // namespace verdane
