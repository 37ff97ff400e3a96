// The stand-in desktop over the settings store, and the factory.
#include "desktop/shell/desktop_backend.h"

#include "platform/settings_store.h"

#include <algorithm>
#include <mutex>

namespace lumivane {

namespace {

using platform::SettingsScope;

std::mutex gFactoryMutex;
DesktopBackendFactory gFactory;

// Reads the applied state when created; applying with the save flag writes
// the pending state back.
class StandInDesktop : public DesktopBackend {
public:
    explicit StandInDesktop(std::unique_ptr<platform::SettingsStore> store)
        : store_(std::move(store)) {
        store_->GetDword(SettingsScope::User, kStandInDesktopKey, kStandInComponents,
                         options_.enableComponents);
        store_->GetDword(SettingsScope::User, kStandInDesktopKey, kStandInActive,
                         options_.activeDesktop);
        WallpaperBytes bytes{};
        if (store_->GetBinary(SettingsScope::User, kStandInDesktopKey, kStandInWallpaper,
                              bytes.data(), bytes.size()) == platform::SettingsStatus::Ok)
            wallpaper_ = WallpaperFromBytes(bytes);
    }

    DesktopOptions GetOptions() override { return options_; }
    void SetOptions(const DesktopOptions& options) override {
        options_.enableComponents = options.enableComponents;
        options_.activeDesktop = options.activeDesktop;
    }
    WallpaperPath GetWallpaper() override { return wallpaper_; }
    void SetWallpaper(std::u16string_view path) override { wallpaper_ = MakeWallpaperPath(path); }
    void Apply(uint32_t flags) override {
        if (!(flags & kApplySave)) return;
        store_->SetDword(SettingsScope::User, kStandInDesktopKey, kStandInComponents,
                         options_.enableComponents);
        store_->SetDword(SettingsScope::User, kStandInDesktopKey, kStandInActive,
                         options_.activeDesktop);
        const WallpaperBytes bytes = WallpaperToBytes(wallpaper_);
        store_->SetBinary(SettingsScope::User, kStandInDesktopKey, kStandInWallpaper, bytes.data(),
                          bytes.size());
    }

private:
    std::unique_ptr<platform::SettingsStore> store_;
    DesktopOptions options_;
    WallpaperPath wallpaper_{};
};

} // namespace

std::u16string_view WallpaperText(const WallpaperPath& path) {
    size_t length = 0;
    while (length < path.size() && path[length] != 0)
        ++length;
    return {path.data(), length};
}

WallpaperPath MakeWallpaperPath(std::u16string_view text) {
    WallpaperPath path{};
    const size_t length = std::min(text.size(), kWallpaperUnits - 1);
    for (size_t i = 0; i < length; ++i)
        path[i] = text[i];
    return path;
}

WallpaperBytes WallpaperToBytes(const WallpaperPath& path) {
    WallpaperBytes bytes{};
    for (size_t i = 0; i < kWallpaperUnits; ++i) {
        bytes[2 * i] = uint8_t(path[i] & 0xff);
        bytes[2 * i + 1] = uint8_t(path[i] >> 8);
    }
    return bytes;
}

WallpaperPath WallpaperFromBytes(const WallpaperBytes& bytes) {
    WallpaperPath path{};
    for (size_t i = 0; i < kWallpaperUnits; ++i)
        path[i] = char16_t(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    path.back() = 0;
    return path;
}

std::unique_ptr<DesktopBackend> CreateDesktopBackend() {
    DesktopBackendFactory factory;
    {
        std::lock_guard lock(gFactoryMutex);
        factory = gFactory;
    }
    if (factory) return factory();
    auto store = platform::SettingsStore::Open();
    if (!store) return nullptr;
    return std::make_unique<StandInDesktop>(std::move(store));
}

void SetDesktopBackendFactory(DesktopBackendFactory factory) {
    std::lock_guard lock(gFactoryMutex);
    gFactory = std::move(factory);
}

} // namespace lumivane
