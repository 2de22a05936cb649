#include "support/UiSupport.h"
#include "ui/settings/AboutBox.h"

#include <QGroupBox>
#include <QLabel>

// Every secondary window, as the user first sees it: the keyboard on a control of its own, each caption can be read
// whole, neither cut short nor covered by a control beside it.
class TestClassicForms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyCaptionCanBeReadWhole() {
        UiEnvironment env;
        Session s({{"Math", {{"Sum", "Sum = a + b"}}}});
        MainWindow& main = s.main();
        clickNode(main, findNode(main, "Math", "Sum"));
        for (const char* entry : {"mnuFileFind", "mnuFileImport", "mnuViewOptions", "mnuFileExportmIRCChat"})
            action(main, entry)->trigger();
        AboutBox about(&main, s.folder().libraryPath(), s.folder().userPath());
        about.show();
        QStringList problems;
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window != &main && window->isVisible() && !window->focusWidget())
                problems << window->objectName() + " opens with no control to type into";
            for (QWidget* control : window->findChildren<QWidget*>()) {
                auto* label = qobject_cast<QLabel*>(control);
                auto* box = qobject_cast<QGroupBox*>(control);
                const QString caption = label && !label->wordWrap() ? label->text() : box ? box->title() : QString();
                if (window == &main || !window->isVisible() || caption.isEmpty() || !control->isVisibleTo(window))
                    continue;
                const int room = label ? label->contentsRect().width() - 2 * label->margin() - qMax(0, label->indent())
                                       : box->width() - 16;
                const QString where = window->objectName() + '/' + control->objectName();
                if (control->fontMetrics().horizontalAdvance(QString(caption).remove(QRegularExpression("&(?!&)"))) >
                    room)
                    problems << where + " cut";
                // A pixel or two of the classic designs' controls overlap; that covers no text.
                for (QWidget* other : control->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                    const QRect overlap = other->geometry().intersected(control->geometry());
                    if ((other->inherits("QLineEdit") || other->inherits("QAbstractScrollArea") ||
                         other->inherits("QAbstractButton")) &&
                        other != control && other->isVisibleTo(window) && overlap.width() > 2 && overlap.height() > 2)
                        problems << where + " covered by " + other->objectName();
                }
            }
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(", ")));
    }
};

QTEST_MAIN(TestClassicForms)
#include "tst_classicforms.moc"
