// What keeps LumivaneMenu loaded: every living object and every lock taken
// through the class factory counts once. The module may be unloaded only
// while the count is zero.
#pragma once

namespace lumivane::menu {

void LockModule();
void UnlockModule();
bool ModuleInUse();

} // namespace lumivane::menu
