// Built with AVX2 enabled, and called only where the processor has it. Nothing here may be shared with the rest of
// the program (no library header, no inline function another file could take this build of), so that no AVX2
// instruction runs elsewhere.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace verdane {

unsigned long long contentHashAvx2(const void* data, size_t size, unsigned long long seed) {
    return XXH3_64bits_withSeed(data, size, seed);
}

} // namespace verdane
