#include "platform/MappedMemory.h"

namespace verdane::platform {

bool readMappedRaw(void (*read)(void*), void* context) {
    // Windows refuses to shorten a file while it is mapped: what is mapped stays readable.
    read(context);
    return true;
}

} // namespace verdane::platform
