// ChessGame's life: construction, the queries the engine asks, the small
// accessors, a new game, the destructor and the program's entry.
#include "chess/game/chess_game.h"

#include <cstdlib>

#include "Jentra/JTCamera.h"
#include "Jentra/JTCursor.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTView.h"
#include "chess/engine/movegen.h"
#include "chess/game/chess_pieces.h"
#include "chess/game/menu_dialogs.h"
#include "platform/clock.h"

JT_CLASS_IMPL(ChessGame)

ChessGame* gpChessGame = nullptr;

namespace {

// Rookfall's application identity: sessions of other games are not found.
constexpr JTGuid kRookfallGuid = {{0x52, 0x6f, 0x6f, 0x6b, 0x66, 0x61, 0x6c, 0x6c, 0x9c, 0x41, 0x4e,
                                   0x27, 0xb3, 0x58, 0x0d, 0x61}};

void DeleteView(JTView*& view) {
    if (!view) return;
    if (gpJTDisplay)
        for (int i = gpJTDisplay->GetNumViews() - 1; i >= 0; --i)
            if (gpJTDisplay->GetView(i) == view) gpJTDisplay->RemoveView(i);
    delete view;
    view = nullptr;
}

} // namespace

ChessGame::ChessGame() : menuDialogs(CreateChessMenuDialogs()) {}

ChessGame::~ChessGame() {
    // The interface first: the cursor in it keeps pointers into the board.
    if (gpCursor) {
        for (int i = gpCursor->GetNumViews() - 1; i >= 0; --i)
            gpCursor->RemoveView(i);
        gpCursor = nullptr;
    }
    for (JTScene** scene : {&interfaceScene, &mainScene}) {
        if (!*scene) continue;
        RemoveScene(*scene);
        delete *scene;
        *scene = nullptr;
    }
    DeleteView(interfaceView);
    DeleteView(mainView);
    delete interfaceCamera;
    delete mainCamera;
    for (int i = 0; i < customWorlds.GetCount(); ++i)
        std::free(customWorlds[i]);
    if (gpChessGame == this) gpChessGame = nullptr;
}

JTScene* ChessGame::GetMainScene() {
    return mainScene;
}
JTCamera* ChessGame::GetMainCamera() {
    return mainCamera;
}
const char* ChessGame::GetRegKey() {
    return "Quellmar\\Rookfall";
}
const char* ChessGame::GetAppName() {
    return "Rookfall";
}
const JTGuid& ChessGame::GetGUID() {
    return kRookfallGuid;
}
const JTGuid& ChessGame::ApplicationGuid() {
    return kRookfallGuid;
}
bool ChessGame::UseFalcon() {
    return false;
}
JTScene* ChessGame::GetInterfaceScene() {
    return interfaceScene;
}

void ChessGame::SetPlayers(int white, int black) {
    player[chess::White] = white;
    player[chess::Black] = black;
}

int ChessGame::GetPlayerToMove() const {
    return player[chess::gBoard.side & 1];
}

const char* ChessGame::GetCustomWorld(int i) const {
    return i >= 0 && i < customWorlds.GetCount() ? customWorlds[i] : nullptr;
}

ChessPieceEntity* ChessGame::GetPiece(int i) const {
    return i >= 0 && i < numPieces ? pieces[i] : nullptr;
}

ChessPieceEntity* ChessGame::PieceOn(int square) const {
    if (square < 0) return nullptr;
    for (int i = 0; i < numPieces; ++i)
        if (pieces[i] && pieces[i]->square == square) return pieces[i];
    return nullptr;
}

ChessSquare* ChessGame::GetSquare(int square) const {
    return square >= 0 && square < kNumSquares && chess::OnBoard(square) ? squares[square]
                                                                         : nullptr;
}

const char* ChessGame::GetPieceModel(int colour, int kind) const {
    if (colour < 0 || colour > 1 || kind < 0 || kind > 5) return "";
    return pieceModels[colour * 6 + kind];
}

void ChessGame::StartNewGame() {
    chess::NewGame(true);
    chess::BuildLegalMoves(false);
    // The list starts again from nothing (capacity 0).
    while (moves.GetCount() > 0)
        moves.RemoveLast();
    moves.Compact();
    replayIndex = 0;
    selected = -1;
    // Every piece returns to its square.
    LoadWorld(world);
    SetInterfaceText(banner, "");
    gameStartTime = platform::TickCount();
}

void ChessGame::SetMenuDialogs(std::unique_ptr<ChessMenuDialogs> dialogs) {
    if (dialogs) menuDialogs = std::move(dialogs);
}

void ChessGame::SetInterfaceText(JTEntity* text, const char* value) {
    if (!text) return;
    GetCommunicator()->Send(text->GetID(), JTMSG_SETTEXT, const_cast<char*>(value));
}

int ChessWinMain(void* instance, char* cmdline) {
    return RunChessGame(new ChessGame(), instance, cmdline);
}

int RunChessGame(ChessGame* game, void* instance, char* cmdline) {
    gpChessGame = game;
    gpJTGame = game;
    const int status = game->WinMain(instance, cmdline);
    delete game;
    gpChessGame = nullptr;
    gpJTGame = nullptr;
    return status;
}
