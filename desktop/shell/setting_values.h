// The values of Lumivane's settings key that the desktop program and the
// desktop menu share: one table of names, keys, types and defaults, so the
// two programs cannot drift apart. A value that is missing, or stored with
// another type or size, reads as its default.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lumivane {

// The user key holds what a user changes from the menu; the machine key
// holds installation facts.
enum class KeyRoot { User, Machine };

// Strings are held to this many bytes with their terminating zero.
inline constexpr size_t kMaxSettingString = 260;

// The data folder's name beside the programs, where "WorkingDir" points
// once registration recorded it (and where the program looks while it is
// not set).
inline constexpr const char* kDataFolderName = "LumivaneData";

struct DwordValue {
    const char* name;
    KeyRoot root;
    uint32_t fallback;
};

// A binary value of exactly one byte.
struct ByteValue {
    const char* name;
    KeyRoot root;
    uint8_t fallback;
};

struct StringValue {
    const char* name;
    KeyRoot root;
    const char* fallback;
};

struct BinaryValue {
    const char* name;
    KeyRoot root;
    size_t size;
};

namespace values {

inline constexpr DwordValue kFreeze{"Freeze", KeyRoot::User, 0};
inline constexpr DwordValue kVolume{"Volume", KeyRoot::User, 5};
inline constexpr ByteValue kMute{"Mute", KeyRoot::User, 0};
inline constexpr StringValue kScene{"Scene", KeyRoot::User, "Hell's Heart.mis"};
inline constexpr ByteValue kRandomStartup{"RandomStartup", KeyRoot::User, 1};
inline constexpr DwordValue kRandomPeriod{"RandomPeriod", KeyRoot::User, 600};
inline constexpr ByteValue kRandomNow{"RandomNow", KeyRoot::User, 0};
inline constexpr ByteValue kLogo{"Logo", KeyRoot::User, 1};
// Its default depends on the desktop's width: see HighQualityDefault.
inline constexpr ByteValue kHighQualityMode{"HighQualityMode", KeyRoot::User, 0};
inline constexpr DwordValue kNoVertexBuffers{"NoVertexBuffers", KeyRoot::User, 0};
// Set once the user declined to let the monitor stay on while the desktop runs.
inline constexpr DwordValue kNoCheckMonitorPowerSave{"NoCheckMonitorPowerSave", KeyRoot::User, 0};
inline constexpr DwordValue kSaveEnableComponents{"SaveEnableComponents", KeyRoot::User, 0};
inline constexpr DwordValue kSaveActiveDesktop{"SaveActiveDesktop", KeyRoot::User, 1};
// The saved wallpaper path: 260 UTF-16 code units.
inline constexpr BinaryValue kSaveWallpaper{"SaveWallpaper", KeyRoot::User, 520};

inline constexpr DwordValue kLogging{"Logging", KeyRoot::Machine, 0};
inline constexpr DwordValue kBuild{"Build", KeyRoot::Machine, 0};
inline constexpr DwordValue kLanguage{"Language", KeyRoot::Machine, 1};
inline constexpr DwordValue kUnicode{"Unicode", KeyRoot::Machine, 0};
inline constexpr DwordValue kCodePage{"CodePage", KeyRoot::Machine, 0};
inline constexpr StringValue kWorkingDir{"WorkingDir", KeyRoot::Machine, ""};
// The product page that becomes the wallpaper of the animated desktop.
inline constexpr StringValue kHtml{"html", KeyRoot::Machine, ""};
inline constexpr DwordValue kAdVariation{"AdVariation", KeyRoot::Machine, 1};
// The command line the menu runs to show the desktop's display settings;
// empty: none.
inline constexpr StringValue kDisplayPropertiesCommand{"DisplayPropertiesCommand", KeyRoot::Machine,
                                                       ""};
// Where crash reports are sent ("http://host:port"); empty: nowhere.
inline constexpr StringValue kCrashReportUrl{"CrashReportURL", KeyRoot::Machine, ""};

} // namespace values

// High quality is the default on a desktop at most 1024 pixels wide.
inline uint8_t HighQualityDefault(int desktopClientWidth) {
    return desktopClientWidth <= 1024 ? 1 : 0;
}

} // namespace lumivane
