#include "ui/startup/SplashWindow.h"

#include "core/Placement.h"
#include "platform/WindowLayer.h"
#include "ui/common/Artwork.h"
#include "ui/common/Faces.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>

namespace verdane {

namespace {
// The banner's design size: 8295 x 750 twips.
constexpr int kSplashWidthTwips = 8295;
constexpr int kSplashHeightTwips = 750;
} // namespace

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_image(new QLabel(this)) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    m_image->setObjectName(QStringLiteral("imgSplash"));
    m_image->setScaledContents(false);
    resize(twipsToPixels(kSplashWidthTwips), twipsToPixels(kSplashHeightTwips));
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void SplashWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // The picture covers the whole window, height first, then width.
    m_image->resize(m_image->width(), height());
    m_image->resize(width(), m_image->height());
    m_image->setPixmap(artwork(size(), devicePixelRatioF()));
    // The window is created with the hint; once shown, its native window is asked again, as a resize may come
    // from the window manager placing it.
    setTopMost(windowHandle());
}

QPixmap SplashWindow::artwork(QSize size, qreal devicePixelRatio) {
    QPixmap pixmap(size * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(QPointF(0, 0), QSizeF(size));

    QLinearGradient sky(r.topLeft(), r.bottomRight());
    sky.setColorAt(0.0, QColor(0x1f, 0x3a, 0x5f));
    sky.setColorAt(1.0, QColor(0x2e, 0x6b, 0x5a));
    p.fillRect(r, sky);

    // The program's mark on the left.
    const qreal h = r.height();
    paintLeaf(p, QRectF(0, 0, h, h));

    QFont title(faces::dialog());
    title.setPixelSize(qMax(10, int(h * 0.52)));
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::white);
    const QRectF titleRect(h * 1.35, 0, r.width() * 0.45, h);
    p.drawText(titleRect, Qt::AlignVCenter | Qt::AlignLeft, QStringLiteral("Verdane"));

    QFont subtitle(faces::dialog());
    subtitle.setPixelSize(qMax(8, int(h * 0.24)));
    p.setFont(subtitle);
    p.setPen(QColor(0xd8, 0xe8, 0xf0));
    p.drawText(r.adjusted(0, 0, -h * 0.3, 0), Qt::AlignVCenter | Qt::AlignRight,
               QStringLiteral("Classic Visual Basic snippets, close at hand"));
    return pixmap;
}

} // namespace verdane
