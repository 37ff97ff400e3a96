// Custom worlds: every folder beside the built-in worlds' folders in the
// data's "Chess" folder is a world of its own, with its pieces named
// "WhitePawn.jtm" ... "BlackKing.jtm".
#pragma once

#include <string>
#include <vector>

// The custom world folders in folder, in name order. Files, "." and "..",
// and the built-in folders ("Custom Template", "Fire and Ice", "Logo",
// "Matrix", "Park", in any letter case) are not worlds. A missing folder
// has none.
std::vector<std::string> FindCustomWorlds(const char* folder);
