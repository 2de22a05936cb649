#pragma once

#include <QString>

namespace verdane::platform {

// Where exported files go until the user chooses a folder: a folder that exists for every user of this system.
QString defaultExportFolder();

} // namespace verdane::platform
