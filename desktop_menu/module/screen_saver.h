// Making Lumivane the user's screen saver and giving the previous choice
// back. The screen saver is xscreensaver, configured in ~/.xscreensaver:
// setting adds an entry that starts Lumivane with "--root" to its programs
// and runs just that one ("mode: one", "selected: <its index>"); removing
// puts back the lines it changed. What setting found is kept in the user key
// until then. The system's own record of the screen saver ("SCRNSAVE.EXE"
// under "Control Panel\Desktop" of the user scope) is kept too.
#pragma once

#include <filesystem>

namespace lumivane::menu {

// $HOME/.xscreensaver.
std::filesystem::path ScreenSaverConfigPath();

// Whether the screen saver runs Lumivane alone: "mode: one" with the
// selected entry a Lumivane program.
bool IsScreenSaverOurs();

void SetScreenSaver();
void RemoveScreenSaver();

// Names of what setting keeps in the user key until removing.
namespace saved {
inline constexpr const char* kChanges = "SaveScreenSaverChanges"; // DWORD, flags below
inline constexpr const char* kMode = "SaveScreenSaverMode";       // the line; empty: none
inline constexpr const char* kSelected = "SaveScreenSaverSelected";
inline constexpr const char* kListLine = "SaveScreenSaverList"; // the list's changed first line
inline constexpr unsigned kMadeFile = 1;
inline constexpr unsigned kMadeList = 2;
inline constexpr unsigned kAddedEntry = 4;
} // namespace saved

inline constexpr const char* kSystemScreenSaverKey = "Control Panel\\Desktop";
inline constexpr const char* kSystemScreenSaverValue = "SCRNSAVE.EXE";

} // namespace lumivane::menu
