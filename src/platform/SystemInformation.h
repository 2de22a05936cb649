#pragma once

namespace verdane::platform {

// Starts the system's program that shows what the machine is and holds, without waiting for it. False when the
// system has none, or it could not be started.
bool startSystemInformation();

} // namespace verdane::platform
