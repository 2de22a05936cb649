#pragma once

#include <QString>

namespace verdane::platform {

// Where the file dialogs start until the user chooses a folder: one that exists for every user of this system.
QString defaultStartFolder();

} // namespace verdane::platform
