// Building the desktop popup: the product popup with its volume, scene and
// random-period popups, showing the state of the animated desktop as the
// settings and the desktop report it; or, in the desktop's safe mode, one
// grayed item.
#pragma once

#include "desktop_menu/interface/menu_model.h"
#include "desktop_menu/module/menu_layout.h"
#include "desktop_menu/module/scene_list.h"

#include <cstdint>
#include <vector>

namespace lumivane::menu {

// Inserts the popup and a separator at the top of `menu`, numbering items
// from idFirst, and records the offsets and scenes that picking an item is
// decoded against. Answers the count of identifiers taken.
uint32_t BuildDesktopMenu(MenuModel& menu, uint32_t idFirst, CommandOffsets& offsets,
                          std::vector<SceneEntry>& scenes);

} // namespace lumivane::menu
