#include "ui/common/MessageBox.h"

#include <QMessageBox>

#include <deque>

namespace verdane {

namespace {
struct TestHooks {
    bool testMode = false;
    std::deque<MessageBox::Button> answers;
    QList<MessageBox::Shown> shown;
};

TestHooks& hooks() {
    static TestHooks h;
    return h;
}

QMessageBox::Icon toQt(MessageBox::Icon icon) {
    switch (icon) {
    case MessageBox::Icon::Critical:
        return QMessageBox::Critical;
    case MessageBox::Icon::Information:
        return QMessageBox::Information;
    case MessageBox::Icon::Warning:
        return QMessageBox::Warning;
    case MessageBox::Icon::Question:
        return QMessageBox::Question;
    case MessageBox::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

MessageBox::Button MessageBox::show(QWidget* parent, const QString& text, Icon icon, Buttons buttons) {
    const QString title = QStringLiteral("Verdane");
    TestHooks& h = hooks();
    if (h.testMode) {
        h.shown.append(Shown{text, icon, title, buttons});
        if (h.answers.empty())
            return Button::Ok;
        const Button answer = h.answers.front();
        h.answers.pop_front();
        return answer;
    }
    // The texts keep Windows line ends (the disclaimer's paragraphs); a Qt label would show the CR.
    QString shownText = text;
    shownText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const bool question = buttons == Buttons::OkCancel;
    QMessageBox box(toQt(icon), title, shownText, question ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                    parent);
    return (box.exec() == QMessageBox::Ok || !question) ? Button::Ok : Button::Cancel;
}

void MessageBox::setTestMode(bool on) {
    hooks().testMode = on;
}

void MessageBox::setNextAnswer(Button answer) {
    hooks().answers.push_back(answer);
}

const QList<MessageBox::Shown>& MessageBox::shown() {
    return hooks().shown;
}

QStringList MessageBox::shownTexts() {
    QStringList texts;
    for (const Shown& s : hooks().shown)
        texts << s.text;
    return texts;
}

void MessageBox::clearShown() {
    hooks().shown.clear();
    hooks().answers.clear();
}

void MessageBox::report(QWidget* parent, const Status& status) {
    if (!status.isOk())
        show(parent, status.message(), status.isFailed() ? Icon::Critical : Icon::None);
}

} // namespace verdane
