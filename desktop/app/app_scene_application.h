// The program as its scene sees it: quitting, scene changes, the switches
// and state word that trigger actions set, the language and its companion
// text tables, the game-time scale, settings flags, and the system commands
// that message records of type 8 carry.
#pragma once

#include "desktop/scene/world/scene_hooks.h"

namespace lumivane {

class DesktopApp;

// System commands: the sub-code in the low byte of a type-8 record's value A.
enum class SystemCommandCode : uint8_t {
    GiveResources = 0, // every player gets kGivenResources
    DisplaySwitchOn = 1,
    DisplaySwitchOff = 2,
    UnitSwitchOff = 3,
    UnitSwitchOn = 4,
};
inline constexpr float kGivenResources = 10000.0f;
// The global switch of trigger action 7 is the one the units read.
inline constexpr int kUnitSwitchAction = 7;

class AppSceneApplication : public SceneApplication {
public:
    explicit AppSceneApplication(DesktopApp& app) : app_(app) {}

    std::string LanguageText(int32_t entry) const override;
    int LanguageSetting() const override;
    bool LanguageFileIsTxt() const override;
    std::unique_ptr<TextTable> LoadTextTable(const std::filesystem::path& path) const override;

    void Quit() override;
    void RequestScene(const std::string& path) override;
    void SetStateWord(int32_t value) override;
    void SetTimeScale(float scale) override;
    bool SetRegistryFlag(std::string_view name) override;
    void SystemCommand(const Message& message) override;

    // The switch the units read; a new scene starts with it off.
    bool UnitSwitch() const { return Switch(kUnitSwitchAction) != 0; }
    void SetUnitSwitch(bool on) { SetSwitch(kUnitSwitchAction, on ? 1 : 0); }

private:
    DesktopApp& app_;
};

} // namespace lumivane
