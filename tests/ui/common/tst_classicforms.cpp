#include "support/UiSupport.h"
#include "ui/chat/ChatWindow.h"
#include "ui/exchange/ImportWindow.h"
#include "ui/find/FindWindow.h"
#include "ui/main/MainWindow.h"
#include "ui/settings/AboutBox.h"
#include "ui/settings/OptionsWindow.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

// Every secondary window, as the user first sees it: each caption can be read whole, neither cut short nor covered by
// a control beside it.
class TestClassicForms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyCaptionCanBeReadWhole() {
        UiEnvironment env;
        Session s({{"Math", {{"Sum", "Sum = a + b"}}}});
        MainWindow& main = s.main();
        clickNode(main, findNode(main, "Math", "Sum"));
        main.mnuFileFind_Click();
        main.mnuFileImport_Click();
        main.mnuViewOptions_Click();
        main.mnuFileExportmIRCChat_Click();
        AboutBox about(&main, s.folder().libraryPath(), s.folder().userPath());
        about.show();
        QStringList problems;
        for (QWidget* window :
             QList<QWidget*>{main.findWindow(), main.importWindow(), main.optionsWindow(), main.chatWindow(), &about}) {
            QVERIFY(window && window->isVisible());
            for (QWidget* control : window->findChildren<QWidget*>()) {
                auto* label = qobject_cast<QLabel*>(control);
                auto* box = qobject_cast<QGroupBox*>(control);
                const QString caption = label && !label->wordWrap() ? label->text() : box ? box->title() : QString();
                if (caption.isEmpty() || !control->isVisibleTo(window))
                    continue;
                const int room = label ? label->contentsRect().width() - 2 * label->margin() - qMax(0, label->indent())
                                       : box->width() - 16;
                const QString where = window->objectName() + '/' + control->objectName();
                if (control->fontMetrics().horizontalAdvance(QString(caption).remove(QRegularExpression("&(?!&)"))) >
                    room)
                    problems << where + " cut";
                for (QWidget* other : control->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
                    // A pixel or two of the classic designs' controls overlap; that covers no text.
                    const QRect overlap = other->geometry().intersected(control->geometry());
                    if ((qobject_cast<QLineEdit*>(other) || qobject_cast<QAbstractScrollArea*>(other) ||
                         qobject_cast<QAbstractButton*>(other)) &&
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
