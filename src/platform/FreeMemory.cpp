#include "platform/FreeMemory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace FreeMemory {

void giveBack() {
#ifdef __GLIBC__
    malloc_trim(0); // every arena, also free pages in their middle
#endif
}

void keepLargeBlocksApart() {
#ifdef __GLIBC__
    // Setting it also stops glibc from moving it.
    mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
#endif
}

} // namespace FreeMemory
