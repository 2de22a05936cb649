#include "platform/DefaultFolders.h"

#include <QDir>

namespace verdane::platform {

QString defaultStartFolder() {
    return QDir::homePath();
}

} // namespace verdane::platform
