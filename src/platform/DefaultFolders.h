#pragma once

#include <QString>

namespace verdane::platform {

// Where the file dialogs start until the user chooses a folder: one that exists for every user of this system.
QString defaultStartFolder();
// The user's own folder of Verdane's, for the user's snippets when the program is installed (not yet made).
QString userDataFolder();
// The user's folder of Verdane's for what can always be made again, such as the search's cache files.
QString cacheFolder();

} // namespace verdane::platform
