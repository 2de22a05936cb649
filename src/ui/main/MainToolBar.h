#pragma once

#include <QToolBar>

class QToolButton;

namespace verdane {

struct MainActions;

// The main window's tool bar: nine items, six of them buttons for actions of the menu (Export to File, Copy All,
// Print, Find, Export to mIRC Chat, Help), each button named by its key ("ExportFile") for tests.
class MainToolBar final : public QToolBar {
    Q_OBJECT

public:
    MainToolBar(const MainActions& actions, QWidget* parent = nullptr);

    // Flips the buttons between raised and flat; the window calls it once as it loads, which makes them flat.
    void ToggleFlatToolbar();
    bool isFlat() const { return m_flat; }

private:
    QList<QToolButton*> m_buttons;
    bool m_flat = false;
};

} // namespace verdane
