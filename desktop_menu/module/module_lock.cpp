// The module's count of living objects and locks.
#include "desktop_menu/module/module_lock.h"

#include <atomic>

namespace lumivane::menu {

namespace {
std::atomic<long> gLockCount{0};
}

void LockModule() {
    gLockCount.fetch_add(1);
}

void UnlockModule() {
    gLockCount.fetch_sub(1);
}

bool ModuleInUse() {
    return gLockCount.load() != 0;
}

} // namespace lumivane::menu
