// Finding the module's file from the address of one of its functions.
#include "desktop_menu/module/module_path.h"

#include <dlfcn.h>

namespace lumivane::menu {

std::filesystem::path ModulePath() {
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&ModulePath), &info) || !info.dli_fname) return {};
    std::error_code ec;
    std::filesystem::path path = std::filesystem::weakly_canonical(info.dli_fname, ec);
    return ec ? std::filesystem::absolute(info.dli_fname, ec) : path;
}

std::filesystem::path LumivaneProgramPath() {
    return ModulePath().parent_path() / "Lumivane";
}

} // namespace lumivane::menu
