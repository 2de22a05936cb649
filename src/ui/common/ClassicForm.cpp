#include "ui/common/ClassicForm.h"

#include "core/Placement.h"
#include "ui/common/Faces.h"

#include <QCheckBox>
#include <QFont>
#include <QLabel>
#include <QRadioButton>
#include <QWidget>

namespace verdane {

namespace {
Qt::WindowFlags flagsOf(ClassicForm::Kind kind) {
    const Qt::WindowFlags frame = Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    switch (kind) {
    case ClassicForm::Kind::ModelessTool:
        return Qt::Tool | frame;
    case ClassicForm::Kind::Modal:
        return Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint;
    case ClassicForm::Kind::Modeless:
        break;
    }
    return Qt::Dialog | frame;
}
} // namespace

ClassicForm::ClassicForm(QWidget* owner, Kind kind, const char* name, const QString& caption, int widthTwips,
                         int heightTwips)
    : QDialog(kind == Kind::Modal ? owner : nullptr, flagsOf(kind)) {
    setObjectName(QString::fromLatin1(name));
    useDialogFont(this);
    setWindowTitle(caption);
    setModal(kind == Kind::Modal);
    setFixedSize(twipsToPixels(widthTwips), twipsToPixels(heightTwips));
}

void ClassicForm::done(int result) {
    QDialog::done(result);
    if (!isModal())
        deleteLater();
}

void ClassicForm::setTabOrder(std::initializer_list<QWidget*> controls) {
    QWidget* previous = nullptr;
    for (QWidget* control : controls) {
        if (previous)
            QWidget::setTabOrder(previous, control);
        previous = control;
    }
    if (controls.size() > 0)
        (*controls.begin())->setFocus();
}

QRect twipRect(int left, int top, int width, int height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

void place(QWidget* control, const char* name, int left, int top, int width, int height) {
    control->setObjectName(QString::fromLatin1(name));
    control->setGeometry(twipRect(left, top, width, height));
}

void useDialogFont(QWidget* window) {
    // Arial's widths, which the classic 8-point dialog font matches closely.
    QFont font(faces::dialog());
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8);
    window->setFont(font);
}

void fitCaptions(QWidget* window) {
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!qobject_cast<QLabel*>(control) && !qobject_cast<QRadioButton*>(control) &&
            !qobject_cast<QCheckBox*>(control))
            continue;
        // As far as the window, or the next control on its right, allows.
        int room = control->parentWidget()->width() - control->x();
        for (const QWidget* other : control->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const QRect g = other->geometry();
            if (other != control && g.left() > control->x() && g.top() < control->geometry().bottom() &&
                g.bottom() > control->y())
                room = qMin(room, g.left() - control->x());
        }
        const int wanted = qMin(control->sizeHint().width(), room);
        if (wanted > control->width())
            control->resize(wanted, control->height());
    }
}

} // namespace verdane
