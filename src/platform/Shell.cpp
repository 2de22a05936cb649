#include "platform/Shell.h"

#include <QDesktopServices>

namespace verdane::shell {

namespace {
QList<QUrl>* g_recorder = nullptr;
bool g_recordedOpen = true;
} // namespace

bool openUrl(const QUrl& url) {
    if (g_recorder) {
        g_recorder->append(url);
        return g_recordedOpen;
    }
    return QDesktopServices::openUrl(url);
}

void recordInsteadOfOpening(QList<QUrl>* opened, bool opens) {
    g_recorder = opened;
    g_recordedOpen = opens;
}

} // namespace verdane::shell
