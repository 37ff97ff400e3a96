// What the desktop popup shows, read afresh for every menu: whether the
// animated desktop runs (or the desktop is in safe mode), whether Lumivane
// is the screen saver, and the values of the settings key with the
// defaults the menu assumes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace lumivane {
class SettingsKey;
}

namespace lumivane::menu {

struct DesktopState {
    // The desktop shows the product page ("Lumivane.htm") as its active
    // desktop.
    bool running = false;
    // The wallpaper is the desktop's safe-mode page.
    bool safeMode = false;
};

// Asks the desktop; without one it counts as neither running nor in safe
// mode.
DesktopState ReadDesktopState();

struct MenuSettings {
    uint32_t freeze = 0;
    uint32_t volume = 5;
    std::string scene;
    uint8_t mute = 0;
    uint8_t randomStartup = 1;
    uint32_t randomPeriod = 600;
    uint8_t logo = 1;
    uint8_t highQuality = 1;
    std::string workingDir;
    uint32_t unicode = 0;
    uint32_t codePage = 0;
};

// Reads the values through an open key; missing ones keep their defaults
// (no scene is chosen by default, so no scene item is checked).
MenuSettings ReadMenuSettings(SettingsKey& key);

// "HighQualityMode" as stored, else its default for this desktop's width.
uint8_t ReadHighQuality(SettingsKey& key);

// Where the data lies: "WorkingDir", or the current folder when it is empty.
std::filesystem::path DataFolder(const std::string& workingDir);

} // namespace lumivane::menu
