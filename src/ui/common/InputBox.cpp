#include "ui/common/InputBox.h"

#include <QInputDialog>
#include <QLineEdit>

#include <deque>

namespace verdane {

namespace {
struct TestHooks {
    bool testMode = false;
    std::deque<QString> answers; // a null text: cancel
    QList<InputBox::Asked> asked;
};

TestHooks& hooks() {
    static TestHooks h;
    return h;
}
} // namespace

std::optional<QString> InputBox::ask(QWidget* parent, const QString& prompt, const QString& text, int maxLength) {
    TestHooks& h = hooks();
    if (h.testMode) {
        h.asked.append(Asked{prompt, text});
        if (h.answers.empty())
            return std::nullopt;
        const QString answer = h.answers.front();
        h.answers.pop_front();
        if (answer.isNull())
            return std::nullopt;
        return answer;
    }
    QInputDialog box(parent);
    box.setWindowTitle(QStringLiteral("Verdane"));
    box.setLabelText(prompt);
    box.setTextValue(text);
    if (auto* line = box.findChild<QLineEdit*>())
        line->setMaxLength(maxLength);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

void InputBox::setTestMode(bool on) {
    hooks().testMode = on;
}

void InputBox::setNextAnswer(const std::optional<QString>& answer) {
    // An empty answer is text all the same: the user confirmed an empty box.
    hooks().answers.push_back(answer ? (answer->isNull() ? QStringLiteral("") : *answer) : QString());
}

const QList<InputBox::Asked>& InputBox::asked() {
    return hooks().asked;
}

void InputBox::clear() {
    hooks().asked.clear();
    hooks().answers.clear();
}

} // namespace verdane
