#pragma once

#include <cstddef>

namespace verdane {

// Finds the first occurrence of needle in [begin, end): a pointer to it, or nullptr. Made for the search over
// upper-cased code, where most needles are short: two of the needle's rarest bytes are looked for sixteen (or
// thirty-two) places at a time, and only where both are found is the whole needle compared. An empty needle is
// found at begin.
const char* findBytes(const char* begin, const char* end, const char* needle, size_t needleSize);

} // namespace verdane
