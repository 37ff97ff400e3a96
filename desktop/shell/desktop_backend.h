// The desktop's wallpaper and component options that turning the animated
// desktop on and off saves and puts back. Linux desktops have no single
// interface for these, so the stand-in keeps the desktop's state in the
// settings store, where the menu, the program and the tests all see it.
// Changes take effect when applied, as they did on the system's desktop
// object.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

namespace lumivane {

// The options record handed to the desktop: size 12, the enable-components
// flag and the active-desktop flag.
struct DesktopOptions {
    uint32_t size = 12;
    uint32_t enableComponents = 0;
    uint32_t activeDesktop = 0;
};

// A wallpaper path: 260 UTF-16 code units, terminated inside.
inline constexpr size_t kWallpaperUnits = 260;
using WallpaperPath = std::array<char16_t, kWallpaperUnits>;

// The path up to its terminator.
std::u16string_view WallpaperText(const WallpaperPath& path);
// Copies text into a path (cut to 259 units), zero-filled after it.
WallpaperPath MakeWallpaperPath(std::u16string_view text);

// The path as stored: 520 bytes of UTF-16, little-endian, the whole buffer.
using WallpaperBytes = std::array<uint8_t, kWallpaperUnits * 2>;
WallpaperBytes WallpaperToBytes(const WallpaperPath& path);
// Reads stored bytes back; the last unit is forced to a terminator.
WallpaperPath WallpaperFromBytes(const WallpaperBytes& bytes);

// Apply flags: save the state, refresh the desktop, force the refresh.
inline constexpr uint32_t kApplySave = 1, kApplyRefresh = 2, kApplyForce = 4;
inline constexpr uint32_t kApplyAll = kApplySave | kApplyRefresh | kApplyForce;

class DesktopBackend {
public:
    virtual ~DesktopBackend() = default;
    virtual DesktopOptions GetOptions() = 0;
    virtual void SetOptions(const DesktopOptions& options) = 0;
    virtual WallpaperPath GetWallpaper() = 0;
    virtual void SetWallpaper(std::u16string_view path) = 0;
    virtual void Apply(uint32_t flags) = 0;
};

// Makes the desktop object; null when there is none to be had (then
// nothing is changed).
std::unique_ptr<DesktopBackend> CreateDesktopBackend();

// Replaces how desktop objects are made (tests); an empty factory brings
// back the stand-in.
using DesktopBackendFactory = std::function<std::unique_ptr<DesktopBackend>()>;
void SetDesktopBackendFactory(DesktopBackendFactory factory);

// The stand-in's key in the user scope of the settings store and its values
// (the wallpaper as 520 bytes of UTF-16), as last applied.
inline constexpr const char* kStandInDesktopKey = "Desktop\\ActiveDesktop";
inline constexpr const char* kStandInComponents = "ComponentsEnabled";
inline constexpr const char* kStandInActive = "Active";
inline constexpr const char* kStandInWallpaper = "Wallpaper";

} // namespace lumivane
