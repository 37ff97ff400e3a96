// The desktop popup's items, checks, grays and identifiers.
#include "desktop_menu/module/menu_builder.h"

#include "desktop/shell/registry.h"
#include "desktop_menu/module/menu_settings.h"
#include "desktop_menu/module/menu_texts.h"
#include "desktop_menu/module/screen_saver.h"
#include "platform/paths.h"

#include <string>

namespace lumivane::menu {

namespace {

// The identifiers after the last command that the answer also counts.
constexpr uint32_t kSpareIdentifiers = 1;

MenuModel VolumePopup(uint32_t idFirst, uint32_t volume) {
    MenuModel popup;
    for (int i = 0; i < kVolumeItemCount; ++i) {
        const uint32_t level = kMaxVolume - uint32_t(i);
        popup.Append(
            MenuItem::Command(idFirst + uint32_t(i), std::to_string(level), level == volume));
    }
    return popup;
}

MenuModel ScenesPopup(uint32_t idFirst, const std::vector<SceneEntry>& scenes,
                      const std::string& current) {
    MenuModel popup;
    for (size_t i = 0; i < scenes.size(); ++i) {
        const bool chosen = platform::EqualsIgnoreCase(scenes[i].fileName, current);
        popup.Append(
            MenuItem::Command(idFirst + uint32_t(i), SceneLabel(scenes[i].displayName), chosen));
    }
    return popup;
}

MenuModel PeriodPopup(uint32_t idFirst, const MenuTexts& texts, uint32_t period) {
    MenuModel popup;
    for (size_t i = 0; i < kRandomPeriods.size(); ++i)
        popup.Append(MenuItem::Command(idFirst + uint32_t(i),
                                       texts.Get(text::kFirstPeriod + int(i)),
                                       kRandomPeriods[i] == period));
    return popup;
}

} // namespace

uint32_t BuildDesktopMenu(MenuModel& menu, uint32_t idFirst, CommandOffsets& offsets,
                          std::vector<SceneEntry>& scenes) {
    const DesktopState desktop = ReadDesktopState();
    const bool screenSaverIsOurs = IsScreenSaverOurs();
    MenuKey key;
    key.Open();
    const MenuSettings settings = ReadMenuSettings(key);
    key.Close();
    const std::filesystem::path folder = DataFolder(settings.workingDir);
    const MenuTexts texts(folder, settings.unicode != 0, settings.codePage);

    if (desktop.safeMode) {
        menu.Insert(0, MenuItem::Command(idFirst, texts.Get(text::kSafeMode), false, true));
        menu.Insert(1, MenuItem::Separator());
        return 2;
    }

    scenes = CollectScenes(folder, settings.unicode != 0, settings.codePage);
    SortScenes(scenes);
    const int sceneCount = int(scenes.size());

    offsets.volumeFirst = 0;
    offsets.sceneFirst = kVolumeItemCount;
    offsets.periodFirst = offsets.sceneFirst + sceneCount;
    const int first = offsets.periodFirst + int(kRandomPeriods.size());
    MenuModel volume = VolumePopup(idFirst + uint32_t(offsets.volumeFirst), settings.volume);
    MenuModel scenesPopup =
        ScenesPopup(idFirst + uint32_t(offsets.sceneFirst), scenes, settings.scene);
    MenuModel periods =
        PeriodPopup(idFirst + uint32_t(offsets.periodFirst), texts, settings.randomPeriod);

    // The commands take the offsets from `first` on, in this order; where
    // one item stands for two commands, the state says which.
    int next = first;
    MenuModel product;
    auto add = [&](int textId, Command command, bool checked, bool grayed) {
        offsets[command] = next;
        product.Append(
            MenuItem::Command(idFirst + uint32_t(next), texts.Get(textId), checked, grayed));
        ++next;
    };
    const bool running = desktop.running;
    const bool frozen = settings.freeze != 0 && running;
    add(text::kAnimatedDesktop, running ? Command::TurnOff : Command::TurnOn, running, false);
    add(text::kScreenSaver,
        screenSaverIsOurs ? Command::RemoveScreenSaver : Command::SetScreenSaver, screenSaverIsOurs,
        false);
    product.Append(MenuItem::Separator());
    add(text::kFreeze, frozen ? Command::FreezeOff : Command::FreezeOn, frozen, !running);
    add(text::kHighQuality, Command::HighQuality, settings.highQuality != 0, false);
    add(text::kDisplayProperties, Command::DisplayProperties, false, false);
    product.Append(MenuItem::Separator());
    product.Append(MenuItem::Popup(texts.Get(text::kScenes), std::move(scenesPopup)));
    add(text::kRandomNow, Command::RandomNow, false, !running);
    product.Append(MenuItem::Popup(texts.Get(text::kRandomPeriod), std::move(periods)));
    add(text::kRandomStartup, Command::RandomStartup, settings.randomStartup != 0, false);
    product.Append(MenuItem::Separator());
    product.Append(MenuItem::Popup(texts.Get(text::kVolume), std::move(volume)));
    add(text::kMute, Command::Mute, settings.mute != 0, false);
    product.Append(MenuItem::Separator());
    add(text::kLogo, Command::Logo, settings.logo != 0, false);
    add(text::kHelp, Command::Help, false, false);
    add(text::kHomePage, Command::HomePage, false, false);

    // The product popup goes to the very top, whatever position the shell
    // suggested.
    menu.Insert(0, MenuItem::Popup(texts.Get(text::kProductName), std::move(product)));
    menu.Insert(1, MenuItem::Separator());
    return uint32_t(next) + kSpareIdentifiers;
}

} // namespace lumivane::menu
