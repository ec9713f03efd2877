#include "tray/FreedMemory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace FreedMemory {

void shareArenas() {
#if defined(__GLIBC__)
    mallopt(M_ARENA_MAX, 2);
#endif
}

void giveBack() {
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace FreedMemory
