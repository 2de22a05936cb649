#pragma once

#include <QToolBar>

class QToolButton;

namespace verdane {

// The main window's tool bar: nine items, buttons known by string keys. A click reports the button's key.
class MainToolBar final : public QToolBar {
    Q_OBJECT

public:
    explicit MainToolBar(QWidget* parent = nullptr);

    // The button of a key, or nullptr.
    QAction* button(const QString& key) const;
    // Flips the buttons between raised and flat; the window calls it once as it loads, which makes them flat.
    void ToggleFlatToolbar();
    bool isFlat() const { return m_flat; }

Q_SIGNALS:
    void ButtonClick(const QString& key);

private:
    QList<QToolButton*> keyedButtons() const;

    bool m_flat = false;
};

} // namespace verdane
