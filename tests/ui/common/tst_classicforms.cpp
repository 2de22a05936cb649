#include "core/GroupNames.h"
#include "support/UiSupport.h"
#include "ui/chat/ChatWindow.h"
#include "ui/exchange/ImportWindow.h"
#include "ui/find/FindWindow.h"
#include "ui/main/CodeView.h"
#include "ui/main/MainWindow.h"
#include "ui/settings/AboutBox.h"
#include "ui/settings/OptionsWindow.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>

using namespace verdane;
using namespace verdane::test;

namespace {

QString withoutMnemonic(QString caption) {
    return caption.remove(QRegularExpression("&(?!&)"));
}

// What the user cannot read in a window: captions cut short, and captions covered by the controls they describe.
QStringList cutCaptions(QWidget* window) {
    QStringList problems;
    for (QWidget* control : window->findChildren<QWidget*>()) {
        if (!control->isVisibleTo(window))
            continue;
        QString caption;
        int room = 0;
        if (auto* label = qobject_cast<QLabel*>(control); label && !label->wordWrap() && !label->text().isEmpty()) {
            caption = label->text();
            room = label->contentsRect().width() - 2 * label->margin() - qMax(0, label->indent());
        } else if (auto* box = qobject_cast<QGroupBox*>(control)) {
            caption = box->title();
            room = box->width() - 16;
        }
        if (caption.isEmpty())
            continue;
        if (control->fontMetrics().horizontalAdvance(withoutMnemonic(caption)) > room)
            problems << window->objectName() + '/' + control->objectName() + " cut";
        for (QWidget* other : control->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            const bool input = qobject_cast<QLineEdit*>(other) || qobject_cast<QAbstractScrollArea*>(other) ||
                               qobject_cast<QAbstractButton*>(other);
            // A pixel or two of the classic designs' controls overlap; that covers no text.
            const QRect overlap = other->geometry().intersected(control->geometry());
            if (other != control && input && other->isVisibleTo(window) && overlap.width() > 2 && overlap.height() > 2)
                problems << window->objectName() + '/' + control->objectName() + " covered by " + other->objectName();
        }
    }
    return problems;
}

} // namespace

// Every secondary window, as the user first sees it: each caption can be read whole.
class TestClassicForms : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { m_env = std::make_unique<UiEnvironment>(); }

    void everyCaptionCanBeReadWhole() {
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
        for (QWidget* window : std::initializer_list<QWidget*>{main.findWindow(), main.importWindow(),
                                                               main.optionsWindow(), main.chatWindow(), &about}) {
            QVERIFY(window && window->isVisible());
            problems += cutCaptions(window);
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(", ")));
    }

private:
    std::unique_ptr<TestEnvironment> m_env;
};

QTEST_MAIN(TestClassicForms)
#include "tst_classicforms.moc"
