// Carrying out the item the user picked: almost every command writes the
// settings key, which the running desktop program watches, and then asks
// that program to raise its priority so that the change shows at once.
#pragma once

#include "desktop_menu/module/menu_layout.h"
#include "desktop_menu/module/scene_list.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lumivane::menu {

void CarryOut(const PickedItem& picked, const std::vector<SceneEntry>& scenes);

// Turns the animated desktop off: the user's desktop comes back, and the
// desktop program that runs is told to end (its Exit event), as it ends
// when its window goes. Answers 0.
uint32_t TurnOffAnimatedDesktop();

// Opens "readme.htm" of the data folder. Answers 0.
uint32_t OpenHelp();

// The product home page's address for the installation's variation number.
std::string HomePageAddress(uint32_t variation);

} // namespace lumivane::menu
