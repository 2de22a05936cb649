#pragma once

#include "core/Status.h"

#include <QString>
#include <QStringList>

class QUrl;
class QWidget;

namespace verdane {

// Every message box of the program, titled "Verdane". Tests switch it to answer by itself: each box then returns
// the next queued answer (its default button when none is queued) without being shown, and is recorded for the test
// to read.
class MessageBox final {
public:
    enum class Icon { None, Critical, Information, Warning, Question };
    enum class Button { Ok, Cancel, Yes, No, Save, Discard };
    // The buttons a box offers, the default first: OK alone; OK and Cancel for a question (Esc answers Cancel); Yes
    // and No where No is the safe answer, so the default (Esc answers No); Save, Discard and Cancel for unsaved
    // work (Esc answers Cancel).
    enum class Buttons { Ok, OkCancel, YesNo, SaveDiscardCancel };

    struct Shown {
        QString text;
        Icon icon;
        QString title;
        Buttons buttons = Buttons::Ok;
    };

    static Button show(QWidget* parent, const QString& text, Icon icon = Icon::None, Buttons buttons = Buttons::Ok);
    // The one box for a failure: the text "Error" with the critical icon.
    static void error(QWidget* parent) { show(parent, QStringLiteral("Error"), Icon::Critical); }
    // What went wrong, as the status says it: a refusal without alarm, a failure with the critical icon. Nothing for
    // a status that is ok.
    static void report(QWidget* parent, const Status& status);
    // Opens a web address or mail link; where no program could be started for it, a box says so and shows the
    // address, to be copied from there.
    static void openLink(QWidget* parent, const QUrl& url);

    static void setTestMode(bool on);
    static void setNextAnswer(Button answer);
    static const QList<Shown>& shown();
    static QStringList shownTexts();
    static void clearShown();
};

} // namespace verdane
