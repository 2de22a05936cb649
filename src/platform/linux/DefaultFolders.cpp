#include "platform/DefaultFolders.h"

#include <QDir>
#include <QStandardPaths>

namespace verdane::platform {

QString defaultStartFolder() {
    return QDir::homePath();
}

// Shared by the window and the terminal, whatever name each runs under: $XDG_DATA_HOME and $XDG_CACHE_HOME.
QString userDataFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Verdane"));
}

QString cacheFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("Verdane"));
}

} // namespace verdane::platform
