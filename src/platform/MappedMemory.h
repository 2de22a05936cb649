#pragma once

#include <utility>

namespace verdane::platform {

// Reading a file through a memory mapping: where the file is cut short meanwhile (another program truncating it),
// the pages past its new end cannot be read, and the system would end the whole program. A read made through
// readMapped is stopped instead, and told so.

// Runs read(context); false when it touched mapped memory that could no longer be read. read is then left at that
// point without returning, so it must not hold anything that needs to be released (no allocation, no lock, no object
// with a destructor).
bool readMappedRaw(void (*read)(void*), void* context);

template <typename Read> bool readMapped(Read&& read) {
    return readMappedRaw([](void* context) { (*static_cast<Read*>(context))(); }, &read);
}

} // namespace verdane::platform
