#include "ui/main/MainToolBar.h"

#include "ui/main/MainMenu.h"
#include "ui/main/ToolBarIcons.h"

#include <QAction>
#include <QToolButton>

namespace verdane {

MainToolBar::MainToolBar(const MainActions& actions, QWidget* parent)
    : QToolBar(parent) {
    setObjectName(QStringLiteral("ToolBar"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    struct Item {
        QAction* action; // nullptr: a separator
        const char* key;
        const char* tooltip;
        int image;
    };
    const Item items[] = {
        {nullptr, nullptr, nullptr, 0},
        {actions.fileExportFile, "ExportFile", "Export to File", 2},
        {actions.fileCopyAll, "CopyAll", "Copy All", 1},
        {actions.filePrint, "Print", "Print", 3},
        {nullptr, nullptr, nullptr, 0},
        {actions.fileFind, "Find", "Find", 4},
        {actions.fileExportChat, "mIRC", "Export to mIRC Chat", 5},
        {nullptr, nullptr, nullptr, 0},
        {actions.helpContents, "Help", "Help", 6},
    };
    for (const Item& item : items) {
        if (!item.action) {
            addSeparator();
            continue;
        }
        item.action->setIcon(toolBarIcon(item.image));
        item.action->setToolTip(QString::fromLatin1(item.tooltip));
        addAction(item.action);
        auto* button = qobject_cast<QToolButton*>(widgetForAction(item.action));
        button->setObjectName(QString::fromLatin1(item.key));
        // Buttons start raised, as a tool bar without the flat style shows them.
        button->setAutoRaise(false);
        m_buttons << button;
    }
}

void MainToolBar::ToggleFlatToolbar() {
    if (m_buttons.isEmpty())
        return; // nothing to style: the bar keeps what it has
    m_flat = !m_flat;
    for (QToolButton* b : std::as_const(m_buttons))
        b->setAutoRaise(m_flat);
    update();
}

} // namespace verdane
