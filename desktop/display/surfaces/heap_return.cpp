#include "desktop/display/surfaces/heap_return.h"

#include <malloc.h>

namespace lumivane {

void KeepBigBlocksApart() {
    static const bool set = mallopt(M_MMAP_THRESHOLD, kOwnMappingBytes) != 0;
    (void)set;
}

void GiveBackFreeMemory() {
    malloc_trim(0);
}

} // namespace lumivane
