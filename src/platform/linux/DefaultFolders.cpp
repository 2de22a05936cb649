#include "platform/DefaultFolders.h"

#include <QDir>

namespace verdane::platform {

QString defaultExportFolder() {
    // The file dialogs start in the home folder too; a drive letter means nothing here.
    return QDir::homePath();
}

} // namespace verdane::platform
