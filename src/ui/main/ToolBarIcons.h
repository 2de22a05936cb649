#pragma once

#include <QIcon>
#include <QString>

namespace verdane {

// The six tool bar images: the desktop's icon theme where it has them, our own drawings otherwise, so the bar
// looks right on a machine without any theme. Numbered as the image list: 1 Copy All, 2 Export to File, 3 Print,
// 4 Find, 5 Export to chat, 6 Help.
QIcon toolBarIcon(int image);
// Our own drawing alone, at any size.
QIcon drawnToolBarIcon(int image);

} // namespace verdane
