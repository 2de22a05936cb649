#include "platform/Shell.h"

#include <QDesktopServices>

namespace verdane::shell {

namespace {
QList<QUrl>* g_recorder = nullptr;
}

void openUrl(const QUrl& url) {
    if (g_recorder) {
        g_recorder->append(url);
        return;
    }
    QDesktopServices::openUrl(url);
}

void recordInsteadOfOpening(QList<QUrl>* opened) {
    g_recorder = opened;
}

} // namespace verdane::shell
