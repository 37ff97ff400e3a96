// The settings menus: the screen's size and colour depth, multisampling,
// and the volumes of the ambiance and the sound effects. Every choice is
// kept in the user options at once.
#include <cstdio>
#include <iterator>

#include "Jentra/JTAudio.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTUserOptions.h"
#include "chess/game/chess_game.h"
#include "chess/game/menus.h"

namespace {

const JTVec3 kListOffset(0.0f, 0.25f, 0.0f);

struct ScreenSize {
    uint32_t width, height;
};
constexpr ScreenSize kScreenSizes[] = {
    {640, 480}, {800, 600}, {1024, 768}, {1280, 1024}, {1600, 1200}};
constexpr int kNumScreenSizes = int(std::size(kScreenSizes));

constexpr uint32_t kFormat16Bit = 23; // R5G6B5
constexpr uint32_t kFormat32Bit = 22; // X8R8G8B8

JTUserOptions& Options() {
    return *ChessMenuDialog::Game().GetUserOptions();
}

// The display takes the mode of the options (what it can of it); false when
// it could not take the mode's size.
bool ApplyDisplayMode() {
    if (!gpJTDisplay) return false;
    const JTModeDesc& want = Options().ModeDesc;
    const D3DDISPLAYMODE mode = {want.Width, want.Height, want.RefreshRate, D3DFORMAT(want.Format)};
    return gpJTDisplay->ChangeDisplayMode(&mode);
}

// A display option chosen: the display follows it, the options keep it and
// its slot is the one selected.
void ApplyDisplayChoice(JTList* list, int slot) {
    ApplyDisplayMode();
    Options().Save();
    ChessMenuDialog::SelectOnly(list, slot);
}

} // namespace

// --- settings ---------------------------------------------------------------

void SettingsMenu::Build() {
    AddMenuBackground();
    list = AddList(kListOffset, {"Resolution", "Color Depth", "Anti-Aliasing", "Ambiance Volume",
                                 "Sound Effects Volume", "", "Back"});
}

void SettingsMenu::Choose(int item) {
    static constexpr int kOpens[] = {kMenuResolution, kMenuColourDepth, kMenuAntiAlias,
                                     kMenuAmbianceVolume, kMenuEffectsVolume};
    if (item >= 0 && item < int(std::size(kOpens)))
        Game().OpenMenu(kOpens[item]);
    else if (item == 6)
        Game().CloseMenu();
}

// --- resolution ---------------------------------------------------------------

void ResolutionMenu::Build() {
    AddMenuBackground();
    list = AddList(kListOffset, {"640 x 480", "800 x 600", "1024 x 768", "1280 x 1024",
                                 "1600 x 1200", "", "Back"});
    SelectCurrentSize();
}

void ResolutionMenu::SelectCurrentSize() {
    int current = -1;
    const int width = gpJTDisplay ? gpJTDisplay->GetWidth() : int(Options().ModeDesc.Width);
    for (int i = 0; i < kNumScreenSizes; ++i)
        if (int(kScreenSizes[i].width) == width) current = i;
    SelectOnly(list, current);
}

void ResolutionMenu::Choose(int item) {
    if (item >= 0 && item < kNumScreenSizes) {
        SelectOnly(list, -1);
        JTModeDesc& mode = Options().ModeDesc;
        mode.Width = kScreenSizes[item].width;
        mode.Height = kScreenSizes[item].height;
        if (!ApplyDisplayMode() && gpJTDisplay) {
            // Refused: the screen stays as it was, and the player is told.
            char text[80];
            std::snprintf(text, sizeof text, "This screen cannot show %u x %u", mode.Width,
                          mode.Height);
            Game().ShowNotice(text);
        }
        // The options keep the size the display really has.
        if (gpJTDisplay) {
            mode.Width = uint32_t(gpJTDisplay->GetWidth());
            mode.Height = uint32_t(gpJTDisplay->GetHeight());
        }
        Options().Save();
    } else if (item == 6) {
        Game().CloseMenu();
    }
    SelectCurrentSize();
}

// --- colour depth -----------------------------------------------------------

void ColourDepthMenu::Build() {
    AddMenuBackground();
    list = AddList(kListOffset, {"16 bit color", "32 bit color", "", "Back"});
    SelectOnly(list, Options().ModeDesc.Format == kFormat16Bit ? 0 : 1);
}

void ColourDepthMenu::Choose(int item) {
    if (item == 0 || item == 1) {
        Options().ModeDesc.Format = item == 0 ? kFormat16Bit : kFormat32Bit;
        ApplyDisplayChoice(list, item);
    } else if (item == 3) {
        Game().CloseMenu();
    }
}

// --- anti-aliasing ------------------------------------------------------------

void AntiAliasMenu::Build() {
    AddMenuBackground();
    list = AddList(kListOffset, {"On", "Off", "", "Back"});
    SelectOnly(list, Options().Multisample ? 0 : 1);
}

void AntiAliasMenu::Choose(int item) {
    if (item == 0 || item == 1) {
        Options().Multisample = item == 0;
        Options().MultisampleSet = true;
        ApplyDisplayChoice(list, item);
    } else if (item == 3) {
        Game().CloseMenu();
    }
}

// --- volumes ------------------------------------------------------------------

void VolumeMenu::Build() {
    AddMenuBackground();
    list = AddList(kListOffset, {"Off", "Min", "  |  ", "  |  ", "Max", "", "Back"});
}

void VolumeMenu::Choose(int item) {
    constexpr int kBack = 6;
    if (item == kBack)
        Game().CloseMenu();
    else if (item < 0 || item > 4)
        return; // the spacer
    JTUserOptions& options = Options();
    float& volume = group == 1 ? options.MusicVolume : options.SfxVolume;
    if (item != kBack) volume = 0.25f * float(item);
    options.Save();
    if (gpJTAudio) gpJTAudio->SetVolume(group, volume);
    // The music thread takes its level from the sound options.
    if (group == 1) JTGetSoundOptions().musicVolume = options.MusicVolume;
}
