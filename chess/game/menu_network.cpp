// The menus of a game between two people: on this computer or over the
// local network, the player's name and the games found there, hosting and
// waiting for the opponent, and the lobby's wait.
#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTNetwork.h"
#include "Jentra/JTUserOptions.h"
#include "JTControls/JTButton.h"
#include "JTControls/JTText.h"
#include "chess/engine/board.h"
#include "chess/game/chess_game.h"
#include "chess/game/menus.h"
#include "platform/user_name.h"

namespace {

const JTVec3 kListOffset(0.0f, 0.25f, 0.0f);
const JTVec3 kTitleOffset(0.0f, 0.25f, 0.0f);

// Play mode entries say what they do by their data.
constexpr intptr_t kPlayOverLan = -4; // also the TCP/IP provider's number
constexpr intptr_t kPlayHere = 2;
constexpr intptr_t kSpacer = 0;
constexpr intptr_t kBack = 3;

constexpr const char* kEditModel = "JTControls\\JTEdit.jtm";
const JTVec3 kNameLabelOffset(-0.3f, 0.25f, 0.0f);
const JTVec3 kNameEditOffset(0.3f, 0.25f, 0.0f);
const JTVec3 kHostListOffset(0.0f, 0.1f, 0.0f);
const JTVec3 kHostButtonOffset(0.0f, -0.52f, 0.0f);
const JTVec3 kLanCancelOffset(0.0f, -0.65f, 0.0f);
constexpr const char* kNoGames = "No Games Found";
constexpr intptr_t kNoGame = -1;

const JTVec3 kWaitCancelOffset(0.0f, 0.1f, 0.0f);

JTUserOptions& Options() {
    return *ChessMenuDialog::Game().GetUserOptions();
}

void* AsData(intptr_t value) {
    return reinterpret_cast<void*>(value);
}

// Both sides of a network game: who is here, who is the peer, and the
// camera behind the side played here.
void StartNetworkGame(bool hosting) {
    ChessGame& game = ChessMenuDialog::Game();
    if (hosting)
        game.SetPlayers(kPlayerLocal, kPlayerRemote);
    else
        game.SetPlayers(kPlayerRemote, kPlayerLocal);
    game.StartNewGame();
    game.PlaceCameraBehind(hosting ? chess::White : chess::Black);
}

// Why a join did not come about, in the player's words; where is the
// address or name of the host asked.
std::string JoinFailure(int32_t result, const std::string& where) {
    switch (result) {
    case JTNET_E_NOANSWER:
        return "The game at " + where + " did not answer";
    case JTNET_E_REFUSED:
        return "The game at " + where + " refused to let you join";
    case JTNET_E_NOHOST:
        return "No network game was found at " + where;
    default:
        return "The network game could not be started";
    }
}

} // namespace

// --- play mode ----------------------------------------------------------------

void PlayModeMenu::Build() {
    AddMenuBackground();
    if (gpJTNetwork) gpJTNetwork->EnumServiceProviders();
    list = AddList(kListOffset, {});
    if (!list) return;
    if (gpJTNetwork && gpJTNetwork->HasTCPIP())
        list->AddItem("Play over LAN", AsData(kPlayOverLan), nullptr, true);
    list->AddItem("Play on this Computer", AsData(kPlayHere), nullptr, true);
    list->AddItem("", AsData(kSpacer), nullptr, true);
    list->AddItem("Back", AsData(kBack), nullptr, true);
    list->SetNumVisible(-1);
}

void PlayModeMenu::Choose(int item) {
    ChessGame& game = Game();
    switch (reinterpret_cast<intptr_t>(list->GetItemData(item))) {
    case kPlayOverLan:
        if (gpJTNetwork) gpJTNetwork->SelectServiceProvider(int(kPlayOverLan));
        game.ReplaceMenu(kMenuLan);
        break;
    case kPlayHere:
        game.SetPlayers(kPlayerLocal, kPlayerLocal);
        game.StartNewGame();
        game.CloseMenu();
        game.PlaceCameraBehind(chess::White);
        break;
    case kBack:
        game.ReplaceMenu(kMenuMain);
        break;
    default:
        break;
    }
}

// --- LAN ----------------------------------------------------------------------

void LanMenu::Build() {
    AddMenuBackground();
    // The label ends where the field begins.
    if (JTText* label = AddText("", kNameLabelOffset)) {
        label->SetAlignment(MIDDLE_RIGHT);
        SetText(label, "Player Name:");
    }
    edit = AddControl<JTEdit>(kEditModel, "JTEdit", kNameEditOffset);
    if (edit) {
        if (gpJTKeyboard) gpJTKeyboard->SetFocus(&edit->GetID());
        // The name used last time; the login name the first time.
        std::string name = gpJTNetwork ? gpJTNetwork->GetLocalPlayerName() : "";
        if (name.empty()) name = Options().PlayerName;
        if (name.empty()) {
            name = platform::CurrentUserName();
            std::snprintf(Options().PlayerName, sizeof Options().PlayerName, "%s", name.c_str());
            Options().Save();
        }
        edit->SetText(name.c_str());
    }
    list = AddControl<JTList>(nullptr, "JTList", kHostListOffset);
    if (list) {
        list->AddItem(kNoGames, AsData(kNoGame), nullptr, true);
        list->SetNumVisible(-1);
    }
    if (gpJTNetwork) searching = gpJTNetwork->StartEnumHosts(GetID());
    if (JTButton* host = AddButton("Host Game", kHostButtonOffset)) hostButton = host->GetID();
    if (JTButton* cancel = AddButton("Cancel", kLanCancelOffset)) cancelButton = cancel->GetID();
}

unsigned LanMenu::Message(JTID* from, JTID* to, unsigned msg, void* data) {
    // However the menu is left, the search for games ends with it, and so
    // does a join the host has not answered yet.
    if (msg == JTMSG_REMOVED && gpJTNetwork) {
        if (joining) gpJTNetwork->CancelJoinGame();
        joining = false;
        if (searching) gpJTNetwork->StopEnumHosts();
        searching = false;
    }
    return ChessMenuDialog::Message(from, to, msg, data);
}

void LanMenu::Update(JTSequencer* sequencer) {
    ChessMenuDialog::Update(sequencer);
    if (!IsCurrent()) return;
    RefreshHosts();
    if (joining) ContinueJoin();
}

void LanMenu::RefreshHosts() {
    if (!list || !gpJTNetwork) return;
    // Each valid session found, numbered as JoinGame counts them.
    std::vector<std::pair<std::string, intptr_t>> hosts;
    const DPHostEnumInfo* end = gpJTNetwork->GetHostListEnd();
    for (DPHostEnumInfo* p = gpJTNetwork->GetHostList(); p && p != end; p = p->pNext)
        if (p->bValid) hosts.emplace_back(p->szSessionName, intptr_t(hosts.size()));
    gpJTNetwork->ReleaseHostList();
    if (hosts.empty()) hosts.emplace_back(kNoGames, kNoGame);

    // Unchanged entries keep their slots as they are.
    bool same = list->GetNumItems() == int(hosts.size());
    for (int i = 0; same && i < list->GetNumItems(); ++i)
        same = hosts[i].first == list->GetItemText(i) &&
               hosts[i].second == reinterpret_cast<intptr_t>(list->GetItemData(i));
    if (same) return;
    list->RemoveAll();
    for (const auto& [name, number] : hosts)
        list->AddItem(name.c_str(), AsData(number), nullptr, true);
    list->SetNumVisible(-1);
}

void LanMenu::StoreName() {
    const char* name = edit ? edit->GetText() : "";
    if (gpJTNetwork) gpJTNetwork->SetLocalPlayerName(name);
    std::snprintf(Options().PlayerName, sizeof Options().PlayerName, "%s", name);
    Options().Save();
}

void LanMenu::Used(const JTID& control, int item) {
    if (control == cancelButton) {
        // At once, whatever is under way.
        if (gpJTNetwork) {
            if (joining) gpJTNetwork->CancelJoinGame();
            gpJTNetwork->StopEnumHosts();
        }
        joining = false;
        searching = false;
        Game().ReplaceMenu(kMenuMain);
        return;
    }
    // One join at a time, and no hosting beside it.
    if (joining) {
        BeepInvalid();
        return;
    }
    if (Is(control, list)) {
        const intptr_t host = reinterpret_cast<intptr_t>(list->GetItemData(item));
        if (host >= 0) Join(int(host));
    } else if (control == hostButton) {
        Host();
    }
}

void LanMenu::Join(int host) {
    if (!gpJTNetwork) return;
    StoreName();
    // The host's game is asked here and heard from in the frames that
    // follow; the menu and its list stay meanwhile.
    const int32_t result = gpJTNetwork->StartJoinGame(host);
    if (result != JTNET_PENDING) {
        BeepInvalid();
        if (result != JTNET_E_NOHOST)
            Game().ShowNotice(JoinFailure(result, gpJTNetwork->GetJoinAddress()).c_str(), this);
        return;
    }
    joining = true;
    // The menu's own word: it goes when the menu is left, by Cancel or
    // by the game that begins.
    Game().ShowNotice(("Joining " + std::string(gpJTNetwork->GetSessionName()) + "...").c_str(),
                      this);
}

void LanMenu::ContinueJoin() {
    const int32_t result = gpJTNetwork->ContinueJoinGame();
    if (result == JTNET_PENDING) return;
    joining = false;
    if (result != JTNET_OK) {
        // A failed join keeps the menu, and its list goes on refreshing.
        BeepInvalid();
        Game().ShowNotice(JoinFailure(result, gpJTNetwork->GetJoinAddress()).c_str(), this);
        return;
    }
    gpJTNetwork->StopEnumHosts();
    searching = false;
    StartNetworkGame(false);
    Game().CloseMenu();
}

void LanMenu::Host() {
    if (!gpJTNetwork) return;
    gpJTNetwork->StopEnumHosts();
    searching = false;
    StoreName();
    if (gpJTNetwork->HostGame() != JTNET_OK) {
        // No session to wait in: the search goes on instead.
        BeepInvalid();
        searching = gpJTNetwork->StartEnumHosts(GetID());
        return;
    }
    StartNetworkGame(true);
    Game().ReplaceMenu(kMenuWaiting);
}

// --- waiting for the opponent ---------------------------------------------------

void WaitingMenu::Build() {
    AddMenuBackground();
    AddText("Waiting for opponent to join...", kTitleOffset);
    if (JTButton* cancel = AddButton("Cancel", kWaitCancelOffset)) cancelButton = cancel->GetID();
}

unsigned WaitingMenu::Message(JTID* from, JTID* to, unsigned msg, void* data) {
    // Left before anybody joined (Cancel, or the menu key): nobody is to
    // find the session any more.
    if (msg == JTMSG_REMOVED && !left && gpJTNetwork && gpJTNetwork->IsNetworkGame() &&
        gpJTNetwork->GetNumPlayers() < 2) {
        left = true;
        gpJTNetwork->LeaveGame();
    }
    return ChessMenuDialog::Message(from, to, msg, data);
}

void WaitingMenu::Update(JTSequencer* sequencer) {
    ChessMenuDialog::Update(sequencer);
    if (opponentJoined || !gpJTNetwork || gpJTNetwork->GetNumPlayers() < 2) return;
    opponentJoined = true;
    // The game begins (unless the menu was left already).
    if (IsCurrent()) Game().CloseMenu();
}

void WaitingMenu::Used(const JTID& control, int) {
    if (control != cancelButton) return;
    if (gpJTNetwork && !left) {
        left = true;
        gpJTNetwork->LeaveGame();
    }
    Game().ReplaceMenu(kMenuMain);
}

// --- lobby, and the tries of "-connect" -------------------------------------------

namespace {

// A host name longer than this is cut for the screen.
constexpr size_t kShownHostLength = 40;
// The dots under "Connecting to" step on this often (real time).
constexpr uint32_t kDotStepMs = 300;

} // namespace

void LobbyMenu::Build() {
    AddMenuBackground();
    const bool direct = gpJTNetwork && gpJTNetwork->GetLobbyConnected();
    if (direct) {
        host = gpJTNetwork->GetDirectConnectHost();
        if (host.size() > kShownHostLength) host = host.substr(0, kShownHostLength) + "...";
    }
    if (JTText* line = AddText("", kTitleOffset)) textLine = line->GetID();
    Show(direct ? "Connecting to " + host + "\n.." : "Please host or join a game using GameSpy...");
    if (JTButton* cancel = AddButton("Cancel", kWaitCancelOffset)) cancelButton = cancel->GetID();
    if (gpJTNetwork) gpJTNetwork->StartWaitForLobby();
}

unsigned LobbyMenu::Message(JTID* from, JTID* to, unsigned msg, void* data) {
    // However the screen is left, the tries end with it; without a
    // session the computer plays itself again behind the main menu.
    if (msg == JTMSG_REMOVED && gpJTNetwork) {
        if (connecting) gpJTNetwork->StopDirectConnect();
        connecting = false;
        gpJTNetwork->StopWaitForLobby();
        if (!gpJTNetwork->IsNetworkGame() && gpChessGame)
            Game().SetPlayers(kPlayerComputer, kPlayerComputer);
    }
    return ChessMenuDialog::Message(from, to, msg, data);
}

void LobbyMenu::Update(JTSequencer* sequencer) {
    ChessMenuDialog::Update(sequencer);
    if (!IsCurrent() || !gpJTNetwork || failed) return;
    int32_t result;
    if (!started) {
        // Connection settings come only from the command line here.
        if (!gpJTNetwork->GetLobbyConnected() || gpJTNetwork->IsNetworkGame()) return;
        started = true;
        result = gpJTNetwork->StartDirectConnect();
    } else if (connecting) {
        result = gpJTNetwork->ContinueDirectConnect();
    } else {
        return; // a lobby that never calls
    }
    connecting = result == JTNET_PENDING;
    if (connecting) {
        static const char* const kDots[3] = {"..", "....", "......"};
        Show("Connecting to " + host + "\n" + kDots[(gdwRealTime / kDotStepMs) % 3]);
    } else if (result != JTNET_OK) {
        Failed(result);
    } else if (gpJTNetwork->IsNetworkGame()) {
        Connected();
    }
}

void LobbyMenu::Connected() {
    StartNetworkGame(gpJTNetwork->IsHost());
    Game().CloseMenu();
}

void LobbyMenu::Failed(int32_t result) {
    failed = true;
    Show(JoinFailure(result, host));
    // Nothing more happens here: the player reads it and goes back.
    if (JTEntity* cancel = dynamic_cast<JTEntity*>(gpJTIDMap->Find(&cancelButton)))
        SetText(cancel, "Back");
    BeepInvalid();
}

void LobbyMenu::Show(const std::string& text) {
    if (text == shown) return;
    shown = text;
    if (JTEntity* line = dynamic_cast<JTEntity*>(gpJTIDMap->Find(&textLine)))
        SetText(line, shown.c_str());
}

void LobbyMenu::Used(const JTID& control, int) {
    if (control != cancelButton) return;
    Game().ReplaceMenu(kMenuMain);
}
