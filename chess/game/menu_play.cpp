// The menus that choose what is played: the main menu, the worlds, the
// in-game menu, the person's colour and the computer's level.
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTEventQueue.h"
#include "chess/engine/board.h"
#include "chess/engine/search.h"
#include "chess/game/chess_game.h"
#include "chess/game/menus.h"
#include "platform/open_url.h"

namespace {

const JTVec3 kListOffset(0.0f, 0.25f, 0.0f);
constexpr const char* kWebSite = "https://www.quellmar.example/rookfall/";
constexpr int kBuiltInWorlds = 3;

} // namespace

void ChessListMenu::Used(const JTID& control, int item) {
    if (Is(control, list)) Choose(item);
}

// --- main menu --------------------------------------------------------------

void MainMenu::Build() {
    AddMenuBackground();
    list = AddList(kListOffset,
                   {"Change World", "Human vs. Computer", "Computer vs. Computer",
                    "Human vs. Human", "Replay Recorded", "Web Site", "Settings", "Exit"});
}

void MainMenu::Choose(int item) {
    ChessGame& game = Game();
    switch (item) {
    case 0:
        game.OpenMenu(kMenuWorld);
        break;
    case 1:
        game.SetPlayers(kPlayerLocal, kPlayerLocal);
        game.StartNewGame();
        // Left Shift skips the colour and level: the game starts at once,
        // seen from White's side (the colour menu places the camera itself).
        if (gpJTKeyboard && gpJTKeyboard->KeyDown(DIK_LSHIFT, JTMOD_ANY)) {
            game.CloseMenu();
            game.PlaceCameraBehind(chess::White);
        } else {
            game.ReplaceMenu(kMenuColour);
        }
        break;
    case 2:
        if (game.GetPlayer(chess::White) != kPlayerComputer ||
            game.GetPlayer(chess::Black) != kPlayerComputer) {
            game.SetPlayers(kPlayerComputer, kPlayerComputer);
            game.StartNewGame();
        }
        game.CloseMenu();
        // Watched from White's side, not from wherever the menu's drift left it.
        game.PlaceCameraBehind(chess::White);
        break;
    case 3:
        game.ReplaceMenu(kMenuPlayMode);
        break;
    case 4:
        game.ReplaceMenu(kMenuRecordedGames);
        break;
    case 5:
        if (!platform::OpenInBrowser(kWebSite)) BeepInvalid();
        break;
    case 6:
        game.OpenMenu(kMenuSettings);
        break;
    case 7:
        JTPostQuit();
        break;
    default:
        break;
    }
}

// --- worlds -----------------------------------------------------------------

int WorldMenu::NumWorldSlots() const {
    return kBuiltInWorlds + Game().GetNumCustomWorlds();
}

void WorldMenu::Build() {
    AddMenuBackground();
    list = AddList(kListOffset, {"Sky", "Fire and Ice", "Holographic"});
    if (!list) return;
    for (int i = 0; i < Game().GetNumCustomWorlds(); ++i)
        list->AddItem(Game().GetCustomWorld(i), nullptr, nullptr, true);
    list->AddItem("", nullptr, nullptr, true);
    list->AddItem("Back", nullptr, nullptr, true);
    list->SetNumVisible(-1);
    // Custom worlds come and go with the data; only the built-in ones are
    // marked as the current world.
    const int world = Game().GetWorld();
    if (world >= kWorldPark && world <= kWorldHolographic) list->SelectItem(world - 1, true);
}

void WorldMenu::Choose(int item) {
    const int worlds = NumWorldSlots();
    if (item >= 0 && item < worlds) {
        SelectOnly(list, -1);
        Game().LoadWorld(item + 1);
        list->SelectItem(item, true);
    } else if (item == worlds + 1) {
        Game().CloseMenu();
    }
}

// --- in-game menu -----------------------------------------------------------

void GameMenu::Build() {
    AddMenuBackground();
    list = AddList(kListOffset, {"Change World", "Restart Game", "Settings", "Back to Game", "",
                                 "Exit to Main Menu"});
}

void GameMenu::Choose(int item) {
    ChessGame& game = Game();
    switch (item) {
    case 0:
        game.OpenMenu(kMenuWorld);
        break;
    case 1:
        BeepInvalid();
        // Both players of a network game would have to agree.
        if (!InNetworkGame()) {
            game.StartNewGame();
            game.CloseMenu();
        }
        break;
    case 2:
        game.OpenMenu(kMenuSettings);
        break;
    case 3:
        game.CloseMenu();
        break;
    case 5:
        BackToMainMenu();
        break;
    default:
        break;
    }
}

// --- colour and level ---------------------------------------------------------

void ColourMenu::Build() {
    AddMenuBackground();
    list = AddList(kListOffset, {"White", "Black"});
}

void ColourMenu::Choose(int item) {
    if (item != 0 && item != 1) return;
    const bool white = item == 0;
    ChessGame& game = Game();
    if (white)
        game.SetPlayers(kPlayerLocal, kPlayerComputer);
    else
        game.SetPlayers(kPlayerComputer, kPlayerLocal);
    game.ReplaceMenu(kMenuLevel);
    game.PlaceCameraBehind(white ? chess::White : chess::Black);
}

void LevelMenu::Build() {
    AddMenuBackground();
    list =
        AddList(kListOffset, {"Level 1: Easy", "Level 2: Easy", "Level 3: Easy", "Level 4: Medium",
                              "Level 5: Medium", "Level 6: Medium", "Level 7: Medium",
                              "Level 8: Hard", "Level 9: Hard", "Level 10: Hard"});
}

void LevelMenu::Choose(int item) {
    if (item < 0 || item > 9) return;
    chess::SetLevel(item);
    Game().CloseMenu();
}
