// The popup's texts: Lumivane's language table, read afresh for every menu
// from the data folder and handed out as UTF-8.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

namespace lumivane {
class LanguageTable;
}
namespace platform {
class CodePageConverter;
}

namespace lumivane::menu {

// Language entries of the popup.
namespace text {
inline constexpr int kScenes = 10002;
inline constexpr int kVolume = 10003;
inline constexpr int kMute = 10004;
inline constexpr int kFreeze = 10005;
inline constexpr int kProductName = 10007;
inline constexpr int kRandomStartup = 10008;
inline constexpr int kRandomNow = 10009;
inline constexpr int kSafeMode = 10010;
inline constexpr int kRandomPeriod = 10011;
inline constexpr int kFirstPeriod = 10012; // one entry per random period, in order
inline constexpr int kHelp = 10030;
inline constexpr int kHomePage = 10031;
inline constexpr int kHighQuality = 10035;
inline constexpr int kLogo = 10036;
inline constexpr int kAnimatedDesktop = 10114;
inline constexpr int kScreenSaver = 10115;
inline constexpr int kDisplayProperties = 10116;
} // namespace text

class MenuTexts {
public:
    // Reads "Langfile.txt" (UTF-16) when `unicode`, else "Langfile.csv",
    // from the folder (any letter case). Without the file every text is
    // empty.
    MenuTexts(const std::filesystem::path& folder, bool unicode, unsigned codePage);
    ~MenuTexts();
    MenuTexts(const MenuTexts&) = delete;
    MenuTexts& operator=(const MenuTexts&) = delete;

    // The entry's text in UTF-8; empty when the table lacks it.
    std::string Get(int id) const;

private:
    std::unique_ptr<LanguageTable> table_;
    std::unique_ptr<platform::CodePageConverter> converter_;
};

} // namespace lumivane::menu
