#include "ui/main/MainToolBar.h"

#include "ui/main/ToolBarIcons.h"

#include <QToolButton>

namespace verdane {

namespace {
struct ToolItem {
    const char* key; // nullptr: a separator
    const char* tooltip;
    int image;
};

constexpr ToolItem kItems[] = {
    {nullptr, nullptr, 0},
    {"ExportFile", "Export to File", 2},
    {"CopyAll", "Copy All", 1},
    {"Print", "Print", 3},
    {nullptr, nullptr, 0},
    {"Find", "Find", 4},
    {"mIRC", "Export to mIRC Chat", 5},
    {nullptr, nullptr, 0},
    {"Help", "Help", 6},
};
} // namespace

MainToolBar::MainToolBar(QWidget* parent)
    : QToolBar(parent) {
    setObjectName(QStringLiteral("ToolBar"));
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    for (const ToolItem& item : kItems) {
        if (!item.key) {
            addSeparator();
            continue;
        }
        const QString key = QString::fromLatin1(item.key);
        QAction* action = addAction(toolBarIcon(item.image), QString::fromLatin1(item.tooltip));
        action->setObjectName(QStringLiteral("ToolBar_") + key);
        action->setData(key);
        action->setToolTip(QString::fromLatin1(item.tooltip));
        connect(action, &QAction::triggered, this, [this, key] { Q_EMIT ButtonClick(key); });
    }
    // Buttons start raised, as a tool bar without the flat style shows them.
    for (QToolButton* b : keyedButtons())
        b->setAutoRaise(false);
}

QList<QToolButton*> MainToolBar::keyedButtons() const {
    QList<QToolButton*> buttons;
    for (QToolButton* b : findChildren<QToolButton*>()) {
        if (b->defaultAction() && b->defaultAction()->data().isValid())
            buttons << b;
    }
    return buttons;
}

QAction* MainToolBar::button(const QString& key) const {
    for (QAction* action : actions()) {
        if (action->data().toString() == key)
            return action;
    }
    return nullptr;
}

void MainToolBar::ToggleFlatToolbar() {
    const QList<QToolButton*> buttons = keyedButtons();
    if (buttons.isEmpty())
        return; // nothing to style: the bar keeps what it has
    m_flat = !m_flat;
    for (QToolButton* b : buttons)
        b->setAutoRaise(m_flat);
    update();
}

} // namespace verdane
