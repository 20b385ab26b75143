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

} // namespace FreeMemory
