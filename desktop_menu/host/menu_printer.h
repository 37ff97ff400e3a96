// Printing a built menu as text, one item a line, popups indented:
//   popup "<text>"
//     item <id> "<text>" check=<0|1> gray=<0|1>
//     separator
#pragma once

#include "desktop_menu/interface/menu_model.h"

#include <cstdio>

namespace lumivane::menu {

void PrintMenu(const MenuModel& menu, std::FILE* out, int depth = 0);

} // namespace lumivane::menu
