#include "ui/common/MessageBox.h"

#include "platform/Shell.h"

#include <QMessageBox>
#include <QUrl>

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
// Each offer's buttons, the default first, and the one Esc answers.
struct Offer {
    QList<MessageBox::Button> buttons;
    MessageBox::Button escape;
};

Offer offerOf(MessageBox::Buttons buttons) {
    using B = MessageBox::Button;
    switch (buttons) {
    case MessageBox::Buttons::OkCancel:
        return {{B::Ok, B::Cancel}, B::Cancel};
    case MessageBox::Buttons::YesNo:
        return {{B::No, B::Yes}, B::No};
    case MessageBox::Buttons::SaveDiscardCancel:
        return {{B::Save, B::Discard, B::Cancel}, B::Cancel};
    case MessageBox::Buttons::Ok:
        break;
    }
    return {{B::Ok}, B::Ok};
}

QMessageBox::StandardButton toQt(MessageBox::Button button) {
    // In the order of MessageBox::Button.
    constexpr QMessageBox::StandardButton kButtons[] = {QMessageBox::Ok, QMessageBox::Cancel, QMessageBox::Yes,
                                                        QMessageBox::No, QMessageBox::Save,   QMessageBox::Discard};
    return kButtons[int(button)];
}

} // namespace

MessageBox::Button MessageBox::show(QWidget* parent, const QString& text, Icon icon, Buttons buttons) {
    const QString title = QStringLiteral("Verdane");
    TestHooks& h = hooks();
    const Offer offer = offerOf(buttons);
    if (h.testMode) {
        h.shown.append(Shown{text, icon, title, buttons});
        if (h.answers.empty())
            return offer.buttons.first();
        const Button answer = h.answers.front();
        h.answers.pop_front();
        return answer;
    }
    // The texts keep Windows line ends (the disclaimer's paragraphs); a Qt label would show the CR.
    QString shownText = text;
    shownText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(toQt(icon), title, shownText, QMessageBox::NoButton, parent);
    // Any message can be copied, to be passed on or searched for: an address, a file's path, an error's words.
    box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    for (const Button button : offer.buttons)
        box.addButton(toQt(button));
    box.setDefaultButton(toQt(offer.buttons.first()));
    box.setEscapeButton(box.button(toQt(offer.escape)));
    box.exec();
    for (const Button button : offer.buttons) {
        if (box.clickedButton() == box.button(toQt(button)))
            return button;
    }
    return offer.escape;
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

void MessageBox::openLink(QWidget* parent, const QUrl& url) {
    if (!shell::openUrl(url))
        show(parent,
             QStringLiteral("No web browser or mail program could be started for this address:\n\n%1")
                 .arg(url.toString()),
             Icon::Warning);
}

void MessageBox::report(QWidget* parent, const Status& status) {
    if (!status.isOk())
        show(parent, status.message(), status.isFailed() ? Icon::Critical : Icon::None);
}

} // namespace verdane
