// ChessGame::Update, once a frame before the scenes update: the menu keys
// (and the screensaver's end on any input), the loading sequence behind the
// intro, the help text, the park sun, the computer's and the replay's
// moves, and the data balls of the holographic world.
#include <cmath>
#include <cstdio>

#include "Jentra/JTAudio.h"
#include "Jentra/JTCamera.h"
#include "Jentra/JTEntityProps.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTNetwork.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTRandom.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTEventQueue.h"
#include "chess/engine/search.h"
#include "chess/game/chess_game.h"
#include "chess/game/chess_pieces.h"
#include "chess/game/loading_list.h"
#include "chess/game/menu_dialogs.h"
#include "chess/game/sky_colour.h"

namespace {

constexpr int kFirstLoadingFrame = 2; // the loading begins with the third frame
constexpr float kSaverIdleStartSeconds = 20.0f;
// The help's five lines, read down the first column and then the second:
// above the far pieces, the top corners have room for three lines, not five.
const char* const kHelpColumns[2] = {"Left mouse click to select and move\n"
                                     "Right mouse click and drag to rotate",
                                     "Left & right mouse click and drag\n"
                                     "or use wheel to zoom\n"
                                     "Spacebar for menu"};

bool FocusHeld() {
    if (!gpJTKeyboard || !gpJTIDMap) return false;
    const JTID focus = gpJTKeyboard->GetFocus();
    return gpJTIDMap->Find(&focus) != nullptr;
}

// Escape or Space went down, with no modifier and no control taking keys.
bool MenuKeyPressed() {
    if (!gpJTKeyboard || FocusHeld()) return false;
    return gpJTKeyboard->KeyPress(DIK_ESCAPE, JTMOD_NONE) ||
           gpJTKeyboard->KeyPress(DIK_SPACE, JTMOD_NONE);
}

} // namespace

void ChessGame::Update() {
    FollowDisplayShape();
    MenuKeys();
    if (gpJTKeyboard && !FocusHeld() && gpJTKeyboard->KeyPress(DIK_F1, JTMOD_NONE)) ToggleHelp();
    SunCycle();
    ExpireNotice();
    if (GetPlayerToMove() == kPlayerComputer) ComputerTurn();
    if (GetPlayerToMove() == kPlayerReplay) ReplayTurn();
    if (world == kWorldHolographic) SpawnDataballs();
}

void ChessGame::MenuKeys() {
    const int menu = GetCurrentMenu();
    if (menu == kMenuIntro) {
        if (gnFrame >= kFirstLoadingFrame) LoadingStep();
        return;
    }
    if (menu == kMenuBoard && saverMode) {
        if (SaverInput()) JTPostQuit();
        return;
    }
    if (!MenuKeyPressed()) return;
    switch (menu) {
    case kMenuMain:
    case kMenuWorld:
    case kMenuInGame:
    case kMenuSettings:
    case kMenuResolution:
    case kMenuColourDepth:
    case kMenuAntiAlias:
    case kMenuNameGame:
    case kMenuAmbianceVolume:
    case kMenuEffectsVolume:
        CloseMenu();
        break;
    case kMenuColour:
    case kMenuGameOver:
    case kMenuRecordedGames:
    case kMenuPlayMode:
    case kMenuLan:
    case kMenuWaiting:
    case kMenuLobby:
        ReplaceMenu(kMenuMain);
        break;
    case kMenuLevel:
        ReplaceMenu(kMenuColour);
        break;
    case kMenuBoard:
        OpenMenu(player[0] == kPlayerComputer && player[1] == kPlayerComputer ? kMenuMain
                                                                              : kMenuInGame);
        break;
    default: // the menus without dialogs and the closing screen
        break;
    }
}

bool ChessGame::SaverInput() const {
    if (gpJTMouse) {
        if (gpJTMouse->GetRelX() || gpJTMouse->GetRelY() || gpJTMouse->GetRelZ()) return true;
        for (int button = 0; button < JTMouse::kButtons; ++button)
            if (gpJTMouse->Pressed(button)) return true;
    }
    return gpJTKeyboard && gpJTKeyboard->KeyPressAny();
}

void ChessGame::LoadingStep() {
    const ChessLoadingItem* item = GetLoadingItem(loadingStep);
    if (!item) {
        FinishLoading();
        return;
    }
    ++loadingStep;
    // The objects only fill the model and texture caches: nothing of them
    // stays, and no time passes while they load.
    gdwTime = 0;
    gdwRealTime = 0;
    if (mainScene && gpJTProtobase) {
        if (item->prototype) {
            if (JTEntityProps* props = gpJTProtobase->Find(item->name))
                props->Instantiate(mainScene);
        } else if (JTEntity* entity = gpJTProtobase->Create(item->name, nullptr)) {
            mainScene->Add(entity);
        }
        mainScene->Reset();
    }
    static const char* const kDots[3] = {"..", "....", "......"};
    char text[64];
    const bool decompressing =
        menuDialogs && currentDialog && menuDialogs->IsDecompressing(currentDialog);
    std::snprintf(text, sizeof text, "%s\n%s", decompressing ? "Decompressing textures" : "Loading",
                  kDots[gnFrame % 3]);
    if (menuDialogs && currentDialog) menuDialogs->ShowLoadingText(currentDialog, text);
}

void ChessGame::FinishLoading() {
    if (saverMode) {
        SetPlayers(kPlayerComputer, kPlayerComputer);
        LoadWorld((JTRand() >> 2) % 3 + 1);
        CloseMenu();
        if (mainCamera) mainCamera->SetIdleStartTime(kSaverIdleStartSeconds);
        return;
    }
    CreateHelpPanel();
    for (JTEntity*& column : helpColumns)
        column = AddInterfaceText(kInterfaceTextScale);
    helpOn = false;
    PlaceInterface();
    SetInterfaceText(helpColumns[0], "F1 for help");
    LoadWorld(kWorldPark);
    const char* const logoModels[2] = {"Chess\\Pellix.jtm", "Chess\\Jentra.jtm"};
    for (int logo = 0; logo < 2; ++logo) {
        JTEntity* entity =
            gpJTProtobase ? gpJTProtobase->Create(logoModels[logo], nullptr) : nullptr;
        if (!entity || !interfaceScene) continue;
        entity->SetName(kLogoNames[logo]);
        entity->SetPos(LogoPosition(logo));
        entity->SetPickable(false);
        interfaceScene->Add(entity);
    }

    if (gpJTNetwork && gpJTNetwork->GetLobbyLaunched()) {
        // Finding the host named by "-connect" takes tries that may last
        // seconds: they run on a screen of their own, frame by frame.
        if (!gpJTNetwork->IsHost()) {
            // Meanwhile the board waits, seen from the side to be played.
            SetPlayers(kPlayerRemote, kPlayerLocal);
            PlaceCameraBehind(chess::Black);
            ReplaceMenu(kMenuLobby);
            return;
        }
        if (gpJTNetwork->ConnectUsingLobbySettings() == JTNET_OK) {
            SetPlayers(kPlayerLocal, kPlayerRemote);
            PlaceCameraBehind(chess::White);
            StartNewGame();
            ReplaceMenu(kMenuWaiting);
            return;
        }
        // Without the session the game goes on as if started by itself.
        ShowNotice("The network game could not be started");
    }
    ReplaceMenu(kMenuMain);
}

void ChessGame::PlaceCameraBehind(int side) {
    if (!mainCamera) return;
    const JTVec3 offset(0.0f, 13.0f, side == chess::White ? -7.0f : 7.0f);
    mainCamera->SetView(mainCamera->GetFocus() + offset, JTVec3Normalize(-offset), JTVec3(0, 1, 0));
    mainCamera->SetIdleStartTime(0.0f);
}

void ChessGame::ToggleHelp() {
    PlaySound("JTBeep_Alert.wav");
    helpOn = !helpOn;
    // Place and alignment first: a text takes them when it is set.
    PlaceInterface();
    for (int column = 0; column < 2; ++column)
        SetInterfaceText(helpColumns[column], helpOn ? kHelpColumns[column] : "");
    // The plates take the size of the lines just set.
    PlaceHelpPanel();
}

void ChessGame::SetHelpHidden(bool hidden) {
    helpHidden = hidden;
    for (JTEntity* column : helpColumns)
        if (column) column->SetOpacity(hidden ? 0.0f : 1.0f);
    PlaceHelpPanel();
}

void ChessGame::SunCycle() {
    if (!sunLight) return;
    const ChessSunState state = sun.Step(gdwTime);
    sunLight->SetPos(state.position);
    JTLightRecord& record = sunLight->GetLight();
    record.diffuse = {state.light.r, state.light.g, state.light.b, 1.0f};
    record.specular = record.diffuse;
    record.ambient = {state.fill.r, state.fill.g, state.fill.b, 1.0f};
    SetSkyColour(skyEntity, state.sky);
}

bool ChessGame::MayMoveNow() const {
    if (int32_t(gdwTime - lastMoveTime) <= int32_t(kMovePacingMs)) return false;
    return GetCurrentMenu() == kMenuBoard || menuCameraFlag;
}

void ChessGame::ComputerTurn() {
    if (!MayMoveNow()) return;
    // A drawn game is over as a mated one: no search for a move.
    const chess::ChessMove m = IsGameOver() ? 0 : chess::Think();
    if (m && ExecuteMove(m)) return;
    // The game is over.
    lastMoveTime = gdwTime;
    if (player[0] == kPlayerComputer && player[1] == kPlayerComputer) StartNewGame();
}

void ChessGame::ReplayTurn() {
    if (!MayMoveNow() || replayIndex >= replay.GetCount()) return;
    // A recording that goes on past a draw (made before the draw rules
    // ended games) stops where its game ended.
    if (IsGameOver()) {
        replayIndex = replay.GetCount();
        return;
    }
    const chess::ChessMove m = replay[replayIndex++];
    if (ExecuteMove(m)) return;
    // A damaged or foreign file: the replay ends at its first move that is
    // not legal in the position reached.
    std::fprintf(stderr, "Rookfall: recorded move %d (%#x) is not legal here; the replay ends\n",
                 replayIndex, unsigned(m));
    ShowNotice("The recorded game is damaged: its replay ends here");
    replayIndex = replay.GetCount();
}

void ChessGame::SpawnDataballs() {
    if (!mainScene || !gpJTProtobase) return;
    // The world's clock starts again at each load.
    if (nextDataballTime > gdwTime + ChessTimedEntity::kLifetimeMs) nextDataballTime = gdwTime;
    if (gdwTime < nextDataballTime) return;
    nextDataballTime = gdwTime + 400 + uint32_t(JTRand() % 1200);

    auto* ball = new ChessTimedEntity();
    gpJTProtobase->Create("Chess\\Matrix\\Databall.jtm", ball);
    if (ball->GetNumChildren() == 0) {
        delete ball;
        return;
    }
    // From low around the board, rising and drifting inwards.
    const float angle = float(JTRand() % 628) * 0.01f;
    const float radius = 12.0f + float(JTRand() % 1000) * 0.008f;
    const JTVec3 start(std::cos(angle) * radius, -4.0f + float(JTRand() % 100) * 0.02f,
                       std::sin(angle) * radius);
    ball->SetName("databall");
    ball->SetPos(start);
    ball->SetVelocity(
        JTVec3(-start.x * 0.03f, 1.2f + float(JTRand() % 100) * 0.01f, -start.z * 0.03f));
    ball->SetAngularVelocity(JTVec3(0.0f, 1.5f, 0.0f));
    ball->SetPickable(false);
    mainScene->Add(ball);
}
