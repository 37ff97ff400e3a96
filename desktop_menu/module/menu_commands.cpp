// The commands of the desktop popup.
#include "desktop_menu/module/menu_commands.h"

#include "desktop/shell/active_desktop.h"
#include "desktop/shell/desktop_objects.h"
#include "desktop/shell/registry.h"
#include "desktop_menu/module/menu_settings.h"
#include "desktop_menu/module/screen_saver.h"
#include "desktop_menu/module/shell_open.h"
#include "platform/paths.h"

namespace lumivane::menu {

namespace {

constexpr const char* kHomePagePrefix = "https://www.quellmar.example/lumivane/home/";

void Toggle(MenuKey& key, const ByteValue& value) {
    key.Write(value, key.Read(value) ? 0 : 1);
}

// Runs a single command; answers whether the program should be raised.
bool RunCommand(Command command, MenuKey& key) {
    switch (command) {
    case Command::TurnOff:
        TurnOffAnimatedDesktop();
        return true;
    case Command::TurnOn:
        TurnOn();
        return true;
    case Command::FreezeOn:
        key.Write(values::kFreeze, 1);
        return true;
    case Command::FreezeOff:
        key.Write(values::kFreeze, 0);
        return true;
    case Command::Mute:
        Toggle(key, values::kMute);
        return true;
    case Command::RandomStartup:
        Toggle(key, values::kRandomStartup);
        return true;
    case Command::RandomNow:
        key.Write(values::kRandomNow, 1);
        key.Write(values::kFreeze, 0);
        return true;
    case Command::HomePage:
        OpenWithDesktop(HomePageAddress(key.Read(values::kAdVariation)));
        return true;
    case Command::Help:
        OpenHelp();
        return true;
    case Command::Logo:
        Toggle(key, values::kLogo);
        return true;
    case Command::HighQuality:
        key.Write(values::kHighQualityMode, ReadHighQuality(key) ? 0 : 1);
        return true;
    case Command::DisplayProperties: {
        const std::string commandLine = key.Read(values::kDisplayPropertiesCommand);
        if (!commandLine.empty()) RunCommandLine(commandLine);
        return false;
    }
    case Command::SetScreenSaver:
        SetScreenSaver();
        return false;
    case Command::RemoveScreenSaver:
        RemoveScreenSaver();
        return false;
    }
    return false;
}

} // namespace

void CarryOut(const PickedItem& picked, const std::vector<SceneEntry>& scenes) {
    if (picked.kind == PickedItem::Kind::Nothing) return;
    MenuKey key;
    key.Open();
    bool raise = true;
    switch (picked.kind) {
    case PickedItem::Kind::Volume:
        key.Write(values::kVolume, kMaxVolume - uint32_t(picked.index));
        key.Write(values::kMute, 0);
        break;
    case PickedItem::Kind::Scene:
        key.Write(values::kScene, scenes.at(size_t(picked.index)).fileName);
        key.Write(values::kFreeze, 0);
        break;
    case PickedItem::Kind::RandomPeriod:
        key.Write(values::kRandomPeriod, kRandomPeriods.at(size_t(picked.index)));
        break;
    case PickedItem::Kind::Single:
        raise = RunCommand(picked.command, key);
        break;
    case PickedItem::Kind::Nothing:
        break;
    }
    key.Close();
    if (raise) RequestRaise();
}

uint32_t TurnOffAnimatedDesktop() {
    TurnOff();
    // Only a running desktop program holds the event; none is made here.
    const NamedEventDesc& exit = kDesktopEvents[size_t(DesktopEvent::Exit)];
    if (auto event = platform::NamedEvent::Open(exit.name)) event->Set();
    return 0;
}

uint32_t OpenHelp() {
    MenuKey key;
    key.Open();
    const std::filesystem::path folder = DataFolder(key.Read(values::kWorkingDir));
    key.Close();
    const auto page = platform::ResolvePath(folder, "readme.htm");
    OpenWithDesktop((page ? *page : folder / "readme.htm").string());
    return 0;
}

std::string HomePageAddress(uint32_t variation) {
    return kHomePagePrefix + std::to_string(variation) + "/";
}

} // namespace lumivane::menu
