#include "ui/common/ClassicForm.h"

#include "core/Placement.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

namespace verdane {

QRect twipRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

void place(QWidget* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(twipRect(left, top, width, height));
}

void useDialogFont(QWidget* window) {
    // Liberation Sans has the widths of Arial, which the classic 8-point dialog font matches closely.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8);
    window->setFont(font);
}

void fitCaptions(QWidget* window) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!qobject_cast<QLabel*>(control) && !qobject_cast<QRadioButton*>(control) &&
            !qobject_cast<QCheckBox*>(control))
            continue;
        const int room = control->parentWidget()->width() - control->x();
        const int wanted = qMin(control->sizeHint().width(), room);
        if (wanted > control->width())
            control->resize(wanted, control->height());
    }
}

} // namespace verdane
