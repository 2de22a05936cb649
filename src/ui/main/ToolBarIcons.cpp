#include "ui/main/ToolBarIcons.h"

#include "ui/common/Faces.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace verdane {

namespace {

// Each drawing is made on a 16 x 16 grid and scaled, so it is crisp at every size and pixel ratio.
void drawSheets(QPainter& p) {
    const QPen outline(QColor(60, 60, 60), 0.8);
    p.setPen(outline);
    p.setBrush(QColor(235, 235, 235));
    p.drawRect(QRectF(1.5, 1.5, 8.5, 10.5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 4.5, 8.5, 10.5));
    p.setPen(QPen(QColor(90, 120, 170), 0.8));
    for (qreal y = 7; y < 14; y += 2)
        p.drawLine(QPointF(7, y), QPointF(12.5, y));
}

void drawFloppy(QPainter& p) {
    QPainterPath body;
    body.moveTo(1.5, 1.5);
    body.lineTo(12.5, 1.5);
    body.lineTo(14.5, 3.5);
    body.lineTo(14.5, 14.5);
    body.lineTo(1.5, 14.5);
    body.closeSubpath();
    p.setPen(QPen(QColor(20, 30, 60), 0.8));
    p.setBrush(QColor(45, 75, 150));
    p.drawPath(body);
    p.setBrush(QColor(230, 230, 230));
    p.drawRect(QRectF(4, 1.5, 7, 4.5)); // shutter
    p.setBrush(QColor(40, 40, 40));
    p.drawRect(QRectF(8.5, 2.3, 1.6, 2.8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 8.5, 9, 6)); // label
}

void drawPrinter(QPainter& p) {
    p.setPen(QPen(QColor(50, 50, 50), 0.8));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5)); // paper in
    p.setBrush(QColor(160, 160, 165));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.2, 1.2);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4)); // paper out
    p.setBrush(QColor(60, 200, 80));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(12.3, 8.5), 0.8, 0.8);
}

void drawBinoculars(QPainter& p) {
    p.setPen(QPen(QColor(20, 20, 20), 0.8));
    p.setBrush(QColor(50, 50, 55));
    p.drawRoundedRect(QRectF(2, 3, 4.5, 7), 1, 1);
    p.drawRoundedRect(QRectF(9.5, 3, 4.5, 7), 1, 1);
    p.drawRect(QRectF(6.5, 5, 3, 2.5));
    p.setBrush(QColor(90, 150, 220));
    p.drawEllipse(QPointF(4.25, 11.8), 2.6, 2.6);
    p.drawEllipse(QPointF(11.75, 11.8), 2.6, 2.6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 240, 255));
    p.drawEllipse(QPointF(3.5, 11), 0.8, 0.8);
    p.drawEllipse(QPointF(11, 11), 0.8, 0.8);
}

void drawChat(QPainter& p) {
    QPainterPath back;
    back.addRoundedRect(QRectF(5.5, 1.5, 9, 6.5), 2, 2);
    p.setPen(QPen(QColor(30, 90, 40), 0.8));
    p.setBrush(QColor(120, 200, 110));
    p.drawPath(back);
    QPainterPath front;
    front.addRoundedRect(QRectF(1.5, 5.5, 10, 7), 2, 2);
    front.moveTo(3.5, 12);
    front.lineTo(3, 15);
    front.lineTo(6.5, 12);
    p.setPen(QPen(QColor(25, 55, 120), 0.8));
    p.setBrush(QColor(80, 140, 230));
    p.drawPath(front.simplified());
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (qreal x : {4.0, 6.5, 9.0})
        p.drawEllipse(QPointF(x, 9), 0.8, 0.8);
}

void drawQuestionMark(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 0), 0.8));
    p.setBrush(QColor(255, 215, 40));
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QFont font(faces::dialog());
    font.setBold(true);
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(QColor(60, 40, 0));
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
}

class DrawnIconEngine final : public QIconEngine {
public:
    explicit DrawnIconEngine(int image)
        : m_image(image) {}
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->translate(rect.topLeft());
        painter->scale(rect.width() / 16.0, rect.height() / 16.0);
        if (mode == QIcon::Disabled)
            painter->setOpacity(0.4);
        switch (m_image) {
        case 1:
            drawSheets(*painter);
            break;
        case 2:
            drawFloppy(*painter);
            break;
        case 3:
            drawPrinter(*painter);
            break;
        case 4:
            drawBinoculars(*painter);
            break;
        case 5:
            drawChat(*painter);
            break;
        default:
            drawQuestionMark(*painter);
            break;
        }
        painter->restore();
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        QPixmap pm(size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        paint(&p, QRect(QPoint(0, 0), size), mode, state);
        return pm;
    }
    QIconEngine* clone() const override { return new DrawnIconEngine(m_image); }

private:
    int m_image;
};

} // namespace

QIcon drawnToolBarIcon(int image) {
    return QIcon(new DrawnIconEngine(image));
}

QIcon toolBarIcon(int image) {
    static const char* const themeNames[] = {"edit-copy", "document-save",       "document-print",
                                             "edit-find", "internet-group-chat", "help-contents"};
    const int index = qBound(1, image, 6) - 1;
    return QIcon::fromTheme(QString::fromLatin1(themeNames[index]), drawnToolBarIcon(image));
}

} // namespace verdane
