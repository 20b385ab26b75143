#include "platform/FreeMemory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace FreeMemory {

void shareWorkersHeap() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 2);
#endif
}

void giveBack() {
#ifdef __GLIBC__
    malloc_trim(0); // also free pages in the middle of the heap
#endif
}

} // namespace FreeMemory
