// Where the menu module's own file lies, and the desktop program beside it.
#pragma once

#include <filesystem>

namespace lumivane::menu {

// The file holding this code (the library, once it is one), absolute.
std::filesystem::path ModulePath();

// The Lumivane program in the module's folder.
std::filesystem::path LumivaneProgramPath();

} // namespace lumivane::menu
