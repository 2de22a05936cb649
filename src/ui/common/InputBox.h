#pragma once

#include <QList>
#include <QString>

#include <optional>

class QWidget;

namespace verdane {

// Asks for one line of text in a small box titled "Verdane". Tests switch it to answer by itself, as MessageBox
// does: each question then returns the next queued answer (a cancel when none is queued) without being shown, and is
// recorded for the test to read.
class InputBox final {
public:
    struct Asked {
        QString prompt;
        QString text; // what the box offered to start from
    };

    // What the user typed and confirmed, at most maxLength characters; nothing when they cancelled.
    static std::optional<QString> ask(QWidget* parent, const QString& prompt, const QString& text, int maxLength);

    static void setTestMode(bool on);
    static void setNextAnswer(const std::optional<QString>& answer);
    static const QList<Asked>& asked();
    static void clear();
};

} // namespace verdane
