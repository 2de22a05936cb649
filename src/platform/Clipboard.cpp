#include "platform/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace verdane::clipboard {

bool setText(const QString& text) {
    QClipboard* board = QGuiApplication::clipboard();
    if (!board)
        return false;
    board->setText(text, QClipboard::Clipboard);
    // Reading back is the only sign Qt gives that the system accepted it.
    return board->text(QClipboard::Clipboard) == text;
}

QString text() {
    const QClipboard* board = QGuiApplication::clipboard();
    const QMimeData* data = board ? board->mimeData(QClipboard::Clipboard) : nullptr;
    return data && data->hasText() ? data->text() : QString();
}

} // namespace verdane::clipboard
