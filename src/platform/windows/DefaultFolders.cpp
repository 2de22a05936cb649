#include "platform/DefaultFolders.h"

#include <QDir>
#include <QStandardPaths>

#include <shlobj.h>

namespace verdane::platform {

namespace {

QString knownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    QString folder;
    if (SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path) == S_OK)
        folder = QDir::fromNativeSeparators(QString::fromWCharArray(path));
    CoTaskMemFree(path);
    return folder;
}

} // namespace

QString defaultStartFolder() {
    // Where Windows users keep their files, and where the file dialogs of other programs start.
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// The user's snippets go with the user from machine to machine, as roaming application data does; the cache stays
// on the machine.
QString userDataFolder() {
    return QDir(knownFolder(FOLDERID_RoamingAppData)).filePath(QStringLiteral("Verdane"));
}

QString cacheFolder() {
    return QDir(knownFolder(FOLDERID_LocalAppData)).filePath(QStringLiteral("Verdane"));
}

} // namespace verdane::platform
