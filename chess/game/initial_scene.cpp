// ChessGame::InitialScene: the command line, the volumes and the ambient
// sound, the two scenes with their cameras and views, the cursor and the
// interface light, the chess engine, the custom worlds found in the data and
// the first game behind the intro.
#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "Jentra/JTAudio.h"
#include "Jentra/JTCamera.h"
#include "Jentra/JTCursor.h"
#include "Jentra/JTDataFolder.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTNetwork.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTView.h"
#include "chess/engine/book.h"
#include "chess/engine/eval.h"
#include "chess/engine/search.h"
#include "chess/engine/tt.h"
#include "chess/game/chess_game.h"
#include "chess/game/custom_worlds.h"
#include "chess/game/scene_objects.h"

namespace {

constexpr float kPi = 3.14159265f;
constexpr unsigned kHashBytes = 2097152;
constexpr unsigned kPawnHashBytes = 1048576;
constexpr int kStartLevel = 3;

// The board world's camera starts behind White, looking down on the board.
const JTVec3 kStartEye(0.0f, 13.0f, -7.0f);
// Views share one depth buffer: the interface always lies in front.
constexpr float kInterfaceDepth = 0.01f;

// Whether the command line holds the word, ignoring case.
bool HasWord(const char* commandLine, const char* word) {
    if (!commandLine) return false;
    const size_t n = std::strlen(word);
    for (const char* p = commandLine; *p; ++p)
        if (strncasecmp(p, word, n) == 0) return true;
    return false;
}

} // namespace

void ChessGame::InitialScene() {
    JTGame::InitialScene();
    ReadCommandLine();

    JTUserOptions* options = GetUserOptions();
    if (gpJTAudio) {
        gpJTAudio->SetVolume(0, options->SfxVolume);
        gpJTAudio->SetVolume(1, options->MusicVolume);
        gpJTAudio->PlaySoundA("LV-BKG1.wav", 1, true);
    }
    if (gpJTNetwork) {
        JTID application;
        std::memcpy(application.bytes, GetGUID().bytes, sizeof application.bytes);
        gpJTNetwork->SetApplicationGUID(application);
    }

    CreateScenes();

    std::fill(std::begin(pieces), std::end(pieces), nullptr);
    std::fill(std::begin(squares), std::end(squares), nullptr);
    std::memset(pieceModels, 0, sizeof pieceModels);
    numPieces = 0;
    world = kWorldNone;
    OpenMenu(kMenuBoard);

    chess::InitEngine();
    // The book lies in the data folder, wherever the program was started from.
    chess::OpenBook(JTResolveDataPath(chess::kBookFileName).c_str());
    chess::SetHashSize(kHashBytes);
    chess::SetPawnHashSize(kPawnHashBytes);
    chess::SetLevel(kStartLevel);

    ScanCustomWorlds();
    StartNewGame();
    CreateBanner();
    CreateNotice();
    OpenMenu(kMenuIntro);
}

void ChessGame::ReadCommandLine() {
    const char* commandLine = GetCmdLine();
    if (HasWord(commandLine, "/saver")) saverMode = true;
    if (HasWord(commandLine, "/safe")) {
        // The safest mode there is: 640 x 480 in 16 bits, no multisampling.
        JTUserOptions* options = GetUserOptions();
        options->ModeDesc.Width = 640;
        options->ModeDesc.Height = 480;
        options->ModeDesc.Format = 23; // R5G6B5
        options->Multisample = false;
        options->Save();
        if (gpJTDisplay) {
            const D3DDISPLAYMODE mode = {options->ModeDesc.Width, options->ModeDesc.Height,
                                         options->ModeDesc.RefreshRate,
                                         D3DFORMAT(options->ModeDesc.Format)};
            gpJTDisplay->ChangeDisplayMode(&mode);
        }
    }
}

void ChessGame::CreateScenes() {
    const float aspect = gpJTDisplay ? gpJTDisplay->GetAspect() : 4.0f / 3.0f;

    mainScene = new JTScene();
    AddScene(mainScene);
    mainCamera = new JTCamera();
    mainCamera->SetClip(0.5f, 5000.0f);
    mainCamera->SetAspect(aspect);
    mainCamera->SetFocus(JTVec3(0, 0, 0));
    mainCamera->SetView(kStartEye, JTVec3Normalize(-kStartEye), JTVec3(0, 1, 0));
    mainCamera->SetCameraControls(JTCamera::kMouseDrag | JTCamera::kWheelZoom |
                                  JTCamera::kArrowKeys);
    mainView = new JTView(mainScene, mainCamera, 0, 0, 1, 1, kInterfaceDepth, 1.0f);

    interfaceScene = new JTScene();
    AddScene(interfaceScene);
    interfaceCamera = new JTCamera();
    interfaceCamera->SetHUD(true);
    interfaceCamera->SetAspect(aspect);
    interfaceCamera->SetFOV(kPi / 2.0f);
    interfaceCamera->SetClip(0.001f, 2.0f);
    interfaceCamera->SetView(JTVec3(0, 0, 0), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
    interfaceView = new JTView(interfaceScene, interfaceCamera, 0, 0, 1, 1, 0.0f, kInterfaceDepth);

    if (gpJTDisplay) {
        gpJTDisplay->AddView(mainView);
        gpJTDisplay->AddView(interfaceView);
    }

    if (gpJTProtobase) {
        auto* cursor =
            static_cast<JTCursor*>(gpJTProtobase->Create("Chess\\arrow2.jtm", new ChessCursor()));
        cursor->SetPickable(false);
        // The interface's controls are found before the board behind them.
        cursor->AddView(interfaceView);
        cursor->AddView(mainView);
        gpCursor = cursor;
        interfaceScene->Add(cursor);
    }
    interfaceScene->Add(
        ChessLight::Make(JTLightRecord::POINT, 1.0f, 0.9f, 0.8f, 10000.0f, JTVec3(0, 0, 0)));
}

void ChessGame::CreateBanner() {
    banner = AddInterfaceText(kInterfaceTextScale);
    PlaceInterface();
}

void ChessGame::ScanCustomWorlds() {
    const std::vector<std::string> found =
        FindCustomWorlds(JTResolveDataPath("modules\\Chess").c_str());
    for (const std::string& name : found) {
        char* copy = static_cast<char*>(std::calloc(1, kNameSize));
        if (!copy) break;
        std::snprintf(copy, kNameSize, "%s", name.c_str());
        customWorlds.Add(copy);
    }
}
