#pragma once

#include <QDialog>
#include <QRect>

#include <initializer_list>

class QWidget;

namespace verdane {

// The secondary windows keep the classic forms' designs: fixed positions and sizes in twips (15 to the pixel).

// A rectangle given in twips, in pixels.
QRect twipRect(int left, int top, int width, int height);
// Names a control and places it at its designed rectangle.
void place(QWidget* control, const char* name, int left, int top, int width, int height);

// The secondary windows place their controls at fixed positions made for an 8-point sans-serif font; in the
// desktop's usual, larger font their captions would be cut short.
void useDialogFont(QWidget* window);

// Widens labels, option buttons and check boxes whose caption is longer than their designed width, as far as their
// window allows, so that no caption is cut. Call it once the controls are placed.
void fitCaptions(QWidget* window);

// A secondary window built as a classic form: its name and caption, its fixed client size in twips and the 8-point
// dialog font. A modeless one has no owner and is discarded when it closes, however it is closed (its button, Esc,
// the title bar); a modal one belongs to its owner and to whoever runs it.
class ClassicForm : public QDialog {
    Q_OBJECT

public:
    enum class Kind { Modeless, ModelessTool, Modal };
    ClassicForm(QWidget* owner, Kind kind, const char* name, const QString& caption, int widthTwips, int heightTwips);

protected:
    void done(int result) override;
    // Sets the order in which Tab visits the controls, the first of them taking the focus.
    void setTabOrder(std::initializer_list<QWidget*> controls);
    using QDialog::setTabOrder;
};

} // namespace verdane
