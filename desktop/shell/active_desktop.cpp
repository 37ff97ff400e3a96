// Saving and restoring the desktop's options and wallpaper.
#include "desktop/shell/active_desktop.h"

#include "desktop/shell/desktop_backend.h"
#include "desktop/shell/desktop_objects.h"
#include "desktop/shell/registry.h"
#include "platform/codepage.h"
#include "platform/paths.h"

#include <filesystem>
#include <system_error>

namespace lumivane {

namespace {

constexpr const char* kProductPageFile = "Lumivane.htm";

// The product page as UTF-16; stored settings text is UTF-8.
std::u16string ProductPage(SettingsKey& key) {
    return platform::Utf8ToUtf16(key.Read(values::kHtml));
}

// Turning on names the page it shows: an installation's "html" stands,
// otherwise the data folder's page (the one "WorkingDir" names, else the
// current folder) is recorded, so the menu sees the desktop as on.
void RecordProductPage(SettingsKey& key) {
    if (!key.Read(values::kHtml).empty()) return;
    const std::string workingDir = key.Read(values::kWorkingDir);
    std::error_code error;
    const std::filesystem::path folder = workingDir.empty() ? std::filesystem::current_path(error)
                                                            : std::filesystem::path(workingDir);
    const auto file = platform::ResolvePath(folder, kProductPageFile);
    const std::filesystem::path page =
        std::filesystem::absolute(file ? *file : folder / kProductPageFile, error);
    key.Write(values::kHtml, "file://" + page.string());
}

void SaveDesktop(SettingsKey& key, const DesktopOptions& options, const WallpaperPath& wallpaper) {
    key.Write(values::kSaveEnableComponents, options.enableComponents);
    key.Write(values::kSaveActiveDesktop, options.activeDesktop);
    const WallpaperBytes bytes = WallpaperToBytes(wallpaper);
    key.SetBinary(values::kSaveWallpaper.name, bytes.data(), bytes.size(),
                  values::kSaveWallpaper.root);
}

void RestoreSavedDesktop(SettingsKey& key, platform::NamedEvent* exeTurnOff) {
    auto desktop = CreateDesktopBackend();
    if (!desktop) return;
    DesktopOptions options;
    options.enableComponents = key.Read(values::kSaveEnableComponents);
    options.activeDesktop = key.Read(values::kSaveActiveDesktop);
    desktop->SetOptions(options);

    WallpaperBytes bytes{};
    WallpaperPath saved{};
    if (key.GetBinary(values::kSaveWallpaper.name, bytes.data(), bytes.size(),
                      values::kSaveWallpaper.root))
        saved = WallpaperFromBytes(bytes);
    // The product page was never the user's own wallpaper.
    std::u16string_view wallpaper = WallpaperText(saved);
    if (wallpaper == ProductPage(key)) wallpaper = {};
    desktop->SetWallpaper(wallpaper);
    if (exeTurnOff) exeTurnOff->Set();
    desktop->Apply(kApplyAll);
}

platform::NamedEvent* ExeTurnOffEvent() {
    return gpDesktopObjects ? &gpDesktopObjects->Event(DesktopEvent::ExeTurnOff) : nullptr;
}

} // namespace

int TurnOn() {
    MenuKey key;
    key.Open();
    key.Write(values::kFreeze, 0);
    auto desktop = CreateDesktopBackend();
    if (!desktop) return 0;
    RecordProductPage(key);
    const DesktopOptions found = desktop->GetOptions();
    const WallpaperPath wallpaper = desktop->GetWallpaper();
    const std::u16string page = ProductPage(key);
    // Already on: what the desktop shows now is the product page and our
    // own options, and saving them would lose the user's.
    const bool alreadyOn = !page.empty() && WallpaperText(wallpaper) == page;
    if (!alreadyOn) SaveDesktop(key, found, wallpaper);
    DesktopOptions on;
    on.enableComponents = 0;
    on.activeDesktop = 1;
    desktop->SetOptions(on);
    desktop->SetWallpaper(page);
    desktop->Apply(kApplyAll);
    return 0;
}

int TurnOff() {
    MenuKey key;
    key.Open();
    RestoreSavedDesktop(key, nullptr);
    // The page is no longer shown; turning on names it again.
    key.Write(values::kHtml, "");
    return 0;
}

int RestoreDesktop() {
    if (gpRegistry && gpRegistry->IsOpen()) RestoreSavedDesktop(*gpRegistry, ExeTurnOffEvent());
    return 0;
}

int RestoreDesktopOnOwnConnection() {
    if (!gpRegistry) return 0;
    MenuKey key;
    key.Open();
    if (key.IsOpen()) RestoreSavedDesktop(key, ExeTurnOffEvent());
    return 0;
}

} // namespace lumivane
