#pragma once

#include <QHash>
#include <QString>

class QAction;
class QMenuBar;

namespace verdane {

// Fills the main window's menu bar: every menu, sub-menu, entry and separator in display order, each named as
// users of the original program know it (mnuFileCopy, mnuFileBar1). Returns the entries' actions by name.
QHash<QString, QAction*> buildMainMenu(QMenuBar* bar);

} // namespace verdane
