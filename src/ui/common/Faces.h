#pragma once

#include <QString>

namespace verdane::faces {

// The type faces Verdane draws in: Windows' own where the system has them, else their metric twins, so that text
// takes the same room everywhere.
QString code();   // fixed pitch: Courier New, or Liberation Mono
QString dialog(); // the dialogs' sans serif: Arial, or Liberation Sans

} // namespace verdane::faces
