#pragma once

#include <QWidget>

namespace verdane {

// The strip between the two panes that the user drags. It reports the pointer's position in twips from its own
// left edge and keeps receiving the pointer while the button is held, wherever the pointer goes.
class SplitterStrip final : public QWidget {
    Q_OBJECT

public:
    explicit SplitterStrip(QWidget* parent = nullptr);

Q_SIGNALS:
    void pressed(double xTwips);
    void moved(double xTwips);
    void released(double xTwips);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace verdane
