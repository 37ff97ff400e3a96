// The end of a game and the recorded games: the result with what next,
// naming the game to record it, and choosing a recorded game to replay.
#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "Jentra/JTAudio.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTNetwork.h"
#include "Jentra/JTTransMap.h"
#include "JTControls/JTButton.h"
#include "JTControls/JTText.h"
#include "chess/engine/attacks.h"
#include "chess/engine/movegen.h"
#include "chess/game/chess_game.h"
#include "chess/game/menus.h"
#include "chess/game/net_packets.h"
#include "chess/game/recorded_games.h"

namespace {

const JTVec3 kTitleOffset(0.0f, 0.25f, 0.0f);
constexpr float kResultScale = 0.003f;
const JTVec3 kGameOverListOffset(0.0f, 0.05f, 0.0f);
constexpr const char* kEditModel = "JTControls\\JTEdit.jtm";
const JTVec3 kNameEditOffset(0.0f, 0.15f, 0.0f);
const JTVec3 kOkOffset(-0.2f, 0.05f, 0.0f);
const JTVec3 kCancelOffset(0.2f, 0.05f, 0.0f);
const JTVec3 kGamesListOffset(0.0f, 0.15f, 0.0f);
const JTVec3 kGamesCancelOffset(0.0f, -0.5f, 0.0f);
const JTVec3 kUpOffset(-0.2f, -0.4f, 0.0f);
const JTVec3 kDownOffset(0.2f, -0.4f, 0.0f);
constexpr const char* kExtension = ".gam";
// The game-over texts of the translation table (data/Langfile.csv).
constexpr int kWhiteWinsText = 4001;
constexpr int kBlackWinsText = 4002;
constexpr int kDrawText = 4003;

// A text of the translation table, or its English words while the table
// lacks it (an older or missing "Langfile.csv").
const char* Translated(int id, const char* english) {
    const char* text = JTTranslate(id);
    return *text ? text : english;
}

// The recorded games of the folder by name: each file ending in ".gam" (in
// any letter case), without that ending.
std::vector<std::string> RecordedGameNames() {
    std::vector<std::string> names;
    std::error_code error;
    std::filesystem::directory_iterator it(RecordedGamesFolder(), error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
        if (!it->is_regular_file(error)) continue;
        const std::filesystem::path& file = it->path();
        if (strcasecmp(file.extension().c_str(), kExtension) != 0) continue;
        names.push_back(file.stem().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

// --- game over ----------------------------------------------------------------

void GameOverMenu::Build() {
    AddMenuBackground();
    const ChessGame& game = Game();
    const int toMove = chess::gBoard.side;
    const char* sound = "GameOver.wav";
    if (chess::LegalMoveCount() > 0 && game.GetDrawRule() != chess::DrawRule::None) {
        result = Translated(kDrawText, "Draw");
    } else if (!chess::SideInCheck(toMove)) {
        result = "Stalemate";
    } else if (game.GetPlayer(chess::White) == kPlayerLocal &&
               game.GetPlayer(chess::Black) == kPlayerLocal) {
        // Two people at this computer: one of them has won, so the text
        // names the winner rather than telling either that they lost.
        result = toMove == chess::White ? Translated(kBlackWinsText, "Black wins!!!")
                                        : Translated(kWhiteWinsText, "White wins!!!");
        sound = "Unlock.wav";
    } else if (game.GetPlayerToMove() != kPlayerLocal) {
        result = "You have won!!!";
        sound = "Unlock.wav";
    } else {
        result = "You have lost!!!";
    }
    AddText(result, kTitleOffset, kResultScale);
    Beep(sound);
    list = AddList(kGameOverListOffset, {"Save Recorded Game", "New Game", "Main Menu"});
}

void GameOverMenu::Choose(int item) {
    ChessGame& game = Game();
    switch (item) {
    case 0:
        game.OpenMenu(kMenuNameGame);
        break;
    case 1:
        if (InNetworkGame()) {
            // The opponent's game starts again too.
            uint8_t packet[ChessNetNewGame::kSize];
            uint8_t* cursor = packet;
            ChessNetNewGame().Write(cursor);
            gpJTNetwork->SendNetwork(packet, sizeof packet);
        }
        game.StartNewGame();
        game.CloseMenu();
        break;
    case 2:
        BackToMainMenu();
        break;
    default:
        break;
    }
}

// --- naming the game ----------------------------------------------------------

void NameGameMenu::Build() {
    AddMenuBackground();
    AddText("Please name this game:", kTitleOffset);
    edit = AddControl<JTEdit>(kEditModel, "JTEdit", kNameEditOffset);
    if (edit && gpJTKeyboard) gpJTKeyboard->SetFocus(&edit->GetID());
    // Plain texts, close under the name field (panels would run into it).
    if (JTButton* ok = AddButton("OK", kOkOffset, nullptr)) okButton = ok->GetID();
    if (JTButton* cancel = AddButton("Cancel", kCancelOffset, nullptr))
        cancelButton = cancel->GetID();
}

void NameGameMenu::Used(const JTID& control, int) {
    if (control == okButton || Is(control, edit))
        Save();
    else if (control == cancelButton)
        Cancel();
}

void NameGameMenu::Save() {
    const std::string name = std::string(edit ? edit->GetText() : "") + kExtension;
    // A name that cannot be used, or a file that cannot be written, keeps
    // the menu open so the player can try another name.
    if (!Game().SaveRecordedGame(name.c_str())) {
        BeepInvalid();
        return;
    }
    Cancel();
}

void NameGameMenu::Cancel() {
    if (!newGameRequested) {
        Game().CloseMenu();
        return;
    }
    Game().CloseToBoard();
    Game().StartNewGame();
}

// --- choosing a recorded game -------------------------------------------------

void RecordedGamesMenu::Build() {
    AddMenuBackground();
    AddText("Choose the recorded game:", kTitleOffset);
    const std::vector<std::string> names = RecordedGameNames();
    list = AddControl<JTList>(nullptr, "JTList", kGamesListOffset);
    if (list) {
        for (const std::string& name : names)
            list->AddItem(name.c_str(), nullptr, nullptr, true);
        // Up to six lines; no empty ones when there are fewer games.
        list->SetNumVisible(std::min(int(names.size()), kVisibleGames));
    }
    if (JTButton* cancel = AddButton("Cancel", kGamesCancelOffset)) cancelButton = cancel->GetID();
    if (int(names.size()) > kVisibleGames) {
        hasScrollButtons = true;
        if (JTButton* up = AddButton("Up", kUpOffset)) upButton = up->GetID();
        if (JTButton* down = AddButton("Down", kDownOffset)) downButton = down->GetID();
    }
}

void RecordedGamesMenu::Used(const JTID& control, int item) {
    if (control == cancelButton) {
        Game().ReplaceMenu(kMenuMain);
    } else if (hasScrollButtons && control == upButton) {
        if (list) list->Scroll(-1);
    } else if (hasScrollButtons && control == downButton) {
        if (list) list->Scroll(1);
    } else if (Is(control, list)) {
        const char* chosen = list->GetItemText(item);
        if (!chosen) return;
        // A file that cannot be replayed keeps the menu, and the game.
        if (!Game().ReplayRecordedGame((std::string(chosen) + kExtension).c_str())) {
            BeepInvalid();
            return;
        }
        Game().CloseMenu();
    }
}
