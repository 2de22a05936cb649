#pragma once

#include <QWidget>

class QLabel;

namespace verdane {

// The banner shown while the main window loads and the catalogue is read. It stays above every other window until
// it is closed.
class SplashWindow final : public QWidget {
    Q_OBJECT

public:
    explicit SplashWindow(QWidget* parent = nullptr);

    // The banner's picture at a given size, drawn rather than scaled so it is crisp at any pixel ratio.
    static QPixmap artwork(QSize size, qreal devicePixelRatio);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QLabel* m_image;
};

} // namespace verdane
