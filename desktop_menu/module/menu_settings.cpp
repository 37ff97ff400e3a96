// Reading the desktop's state and the settings the popup shows.
#include "desktop_menu/module/menu_settings.h"

#include "desktop/shell/desktop_backend.h"
#include "desktop/shell/registry.h"
#include "platform/window.h"

namespace lumivane::menu {

DesktopState ReadDesktopState() {
    DesktopState state;
    auto desktop = CreateDesktopBackend();
    if (!desktop) return state;
    const DesktopOptions options = desktop->GetOptions();
    const WallpaperPath wallpaper = desktop->GetWallpaper();
    const std::u16string_view text = WallpaperText(wallpaper);
    state.running = options.activeDesktop != 0 && text.find(u"Lumivane.htm") != text.npos;
    state.safeMode = text.find(u"SafeMode") != text.npos || text.find(u"safemode") != text.npos;
    return state;
}

uint8_t ReadHighQuality(SettingsKey& key) {
    uint8_t value = 0;
    if (key.GetBool(values::kHighQualityMode.name, value, values::kHighQualityMode.root))
        return value;
    return HighQualityDefault(platform::DesktopWidth());
}

MenuSettings ReadMenuSettings(SettingsKey& key) {
    MenuSettings settings;
    settings.freeze = key.Read(values::kFreeze);
    settings.volume = key.Read(values::kVolume);
    char scene[kMaxSettingString] = "";
    if (key.GetString(values::kScene.name, scene, sizeof scene, values::kScene.root))
        settings.scene = scene;
    settings.mute = key.Read(values::kMute);
    settings.randomStartup = key.Read(values::kRandomStartup);
    settings.randomPeriod = key.Read(values::kRandomPeriod);
    settings.logo = key.Read(values::kLogo);
    settings.highQuality = ReadHighQuality(key);
    settings.workingDir = key.Read(values::kWorkingDir);
    settings.unicode = key.Read(values::kUnicode);
    settings.codePage = key.Read(values::kCodePage);
    return settings;
}

std::filesystem::path DataFolder(const std::string& workingDir) {
    if (!workingDir.empty()) return workingDir;
    std::error_code ec;
    std::filesystem::path current = std::filesystem::current_path(ec);
    return ec ? std::filesystem::path(".") : current;
}

} // namespace lumivane::menu
