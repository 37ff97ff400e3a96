// ChessGame: Rookfall's application object on the engine. It owns the board
// world and the interface (two scenes with their cameras and views), the
// square and piece entities of the current world, the menu stack, the kinds
// of the two players and the moves of the running game. The chess position
// itself is the chess engine's process-wide state beside it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "Jentra/JTArray.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTMath.h"
#include "chess/engine/board.h"
#include "chess/engine/draw_rules.h"
#include "chess/game/chess_constants.h"
#include "chess/game/sun_cycle.h"

class JTCamera;
class JTEntity;
class JTLight;
class JTScene;
class JTTransNode;
class JTView;
class ChessMenuDialogs;
class ChessPieceEntity;
class ChessSquare;

class ChessGame : public JTGame {
    JT_CLASS(ChessGame, JTGame)
public:
    static constexpr int kNumSquares = 120;
    static constexpr int kMaxPieces = 64;
    static constexpr int kNameSize = 260;
    // Game time between two moves of the computer or of a replay.
    static constexpr uint32_t kMovePacingMs = 3000;

    ChessGame();
    ~ChessGame() override;

    // The game's identity on the network (sessions of other games are not found).
    static const JTGuid& ApplicationGuid();

    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    JTScene* GetMainScene() override;
    JTCamera* GetMainCamera() override;
    const char* GetRegKey() override;
    const char* GetAppName() override;
    const JTGuid& GetGUID() override;
    bool UseFalcon() override;
    virtual JTScene* GetInterfaceScene();

    // Players: kind of a side (ChessPlayerKind), and of the side to move.
    int GetPlayer(int side) const { return player[side & 1]; }
    void SetPlayer(int side, int kind) { player[side & 1] = kind; }
    void SetPlayers(int white, int black);
    int GetPlayerToMove() const;
    int GetWorld() const { return world; }
    bool IsSaverMode() const { return saverMode; }
    bool GetMenuCameraFlag() const { return menuCameraFlag != 0; }
    void SetMenuCameraFlag(bool on) { menuCameraFlag = on ? 1 : 0; }
    int GetNumCustomWorlds() const { return customWorlds.GetCount(); }
    const char* GetCustomWorld(int i) const;

    // The menu stack (menu numbers, ChessMenu). The top is the current menu;
    // an empty stack counts as the board (5).
    int GetCurrentMenu() const;
    int GetMenuDepth() const { return menuStack.GetCount(); }
    JTEntity* GetCurrentDialog() const { return currentDialog; }
    void OpenMenu(int menu);
    void CloseMenu();
    void ReplaceMenu(int menu);
    // Closes menus until the board (5) is on top or the stack is empty.
    void CloseToBoard();
    // The dialogs the menus show; the game keeps the one given.
    void SetMenuDialogs(std::unique_ptr<ChessMenuDialogs> dialogs);

    // A new game: the start position, no moves, the world reloaded.
    void StartNewGame();
    // Puts the board world's camera behind a side (chess::White or
    // chess::Black), looking down on the board, with no idle orbit.
    void PlaceCameraBehind(int side);
    // The "F1 for help" text of the interface, once the game has loaded.
    // While the help is on, it and a second text show the help's lines in
    // two columns in the top corners of the screen, above the far pieces
    // seen from behind either side.
    JTEntity* GetHelpText() const { return helpColumns[0]; }
    bool IsHelpOn() const { return helpOn; }
    // The help hides while a menu shows: the menu's title and controls
    // take the screen.
    void SetHelpHidden(bool hidden);
    JTEntity* GetBanner() const { return banner; }
    // The names of the studio's and the engine's logos in the interface,
    // and where logo 0 or 1 stands on the present screen.
    static const char* const kLogoNames[2];
    static JTVec3 LogoPosition(int logo);
    // A failure the player is to know of (a refused name, a damaged
    // recording, no network game, the opponent gone): a line at the foot of
    // the screen for a few seconds. Empty clears the line. A notice about
    // what a menu is doing (a join under way, a join that failed) names
    // that menu's dialog as its owner, and goes when the menu is left: it
    // would tell of the menu's business over the next one.
    void ShowNotice(const char* text, JTEntity* owner = nullptr);
    const std::string& GetNotice() const { return notice; }

    // Worlds and pieces.
    void LoadWorld(int number);
    ChessPieceEntity* CreatePiece(int index, int colour, int kind, int square);
    // Starts the piece's move to target. Returns the entity that makes the
    // move: a promoted pawn still on its way is first replaced by its queen.
    ChessPieceEntity* StartPieceMove(ChessPieceEntity* piece, const JTVec3& target, bool rookFlag,
                                     bool captureFlag);
    // A piece whose promotion is pending becomes a piece of the promotion's
    // kind in the same slot, place and parking place; returns the entity now
    // in the slot (the given one when nothing was pending, null when the new
    // model could not be built).
    ChessPieceEntity* ReplacePromotedPiece(ChessPieceEntity* piece);
    int GetNumPieces() const { return numPieces; }
    // The piece entity in slot i, or null (a slot whose model failed stays empty).
    ChessPieceEntity* GetPiece(int i) const;
    // The piece entity standing on the square, or null.
    ChessPieceEntity* PieceOn(int square) const;
    ChessSquare* GetSquare(int square) const;
    const char* GetPieceModel(int colour, int kind) const;
    JTLight* GetSunLight() const { return sunLight; }

    // Moves.
    int GetSelected() const { return selected; }
    // Carries out m when its from and to squares name a move of the
    // ply-0 legal list (any promotion becomes a queen); false, changing
    // nothing, otherwise. The engine, the pieces and the move list all take
    // the list's move, whatever other bits m carries.
    bool ExecuteMove(chess::ChessMove m);
    void UpdateBanner();
    // The game has ended: the side to move has no legal move (mate or
    // stalemate), or the position is drawn by rule (GetDrawRule). No move
    // is carried out after that.
    bool IsGameOver() const;
    // The rule that drew the game while moves remain, or DrawRule::None.
    chess::DrawRule GetDrawRule() const;
    const JTArray<chess::ChessMove>& GetMoves() const { return moves; }
    uint32_t GetLastMoveTime() const { return lastMoveTime; }

    // Recorded games, in the "Recorded" folder of the working folder.
    bool SaveRecordedGame(const char* name);
    bool LoadRecordedGame(const char* name);
    // A new game that replays the named recorded game (both players become
    // the replay); false, leaving the running game as it is, when it cannot
    // be read.
    bool ReplayRecordedGame(const char* name);
    int GetReplayCount() const { return replay.GetCount(); }
    int GetReplayIndex() const { return replayIndex; }

protected:
    void InitialScene() override;
    void Update() override;

private:
    friend class ChessGameTestAccess;

    // InitialScene's parts.
    void ReadCommandLine();
    void CreateScenes();
    // A line of text in the interface (PlaceInterface puts it), or null.
    JTEntity* AddInterfaceText(float scale);
    // Puts the banner, the help, the notice and the logos in their places
    // for the display's present shape.
    void PlaceInterface();
    // The plates the help's two columns stand on (hidden while the help is
    // off or hidden), and their sizes and places for the lines as set now.
    void CreateHelpPanel();
    void PlaceHelpPanel();
    // Cameras and interface follow a display mode of another shape.
    void FollowDisplayShape();
    void CreateBanner();
    void CreateNotice();
    void ScanCustomWorlds();

    // LoadWorld's parts.
    void ForgetWorld();
    void CreateWorldLight(const JTVec3& position);
    JTEntity* AddScenery(const char* model);
    void InstantiateInMainScene(const char* prototype, const JTVec3& position);
    void PlaceParkingSlots();
    void CreateSquares();

    // Message's parts.
    void SquarePicked(int square);
    void NetworkData(const void* data);
    void SessionEnded();
    void SendToSquare(int square, unsigned msg);

    // Update's parts.
    void MenuKeys();
    bool SaverInput() const;
    void LoadingStep();
    void FinishLoading();
    void ToggleHelp();
    void ExpireNotice();
    // Clears the notice when the dialog, which the menu switch removes, owns it.
    void DropNoticeOf(JTEntity* dialog);
    void SunCycle();
    bool MayMoveNow() const;
    void ComputerTurn();
    void ReplayTurn();
    void SpawnDataballs();

    void SwitchMenu(int newMenu, int oldMenu);
    void PlaySound(const char* name);
    void SetInterfaceText(JTEntity* text, const char* value);

    JTScene* mainScene = nullptr;
    JTCamera* mainCamera = nullptr;
    JTView* mainView = nullptr;
    JTScene* interfaceScene = nullptr;
    JTCamera* interfaceCamera = nullptr;
    JTView* interfaceView = nullptr;

    ChessSquare* squares[kNumSquares] = {};
    ChessPieceEntity* pieces[kMaxPieces] = {};
    int numPieces = 0;
    char pieceModels[12][kNameSize] = {};
    int world = kWorldNone;
    JTLight* sunLight = nullptr; // the world's light the sun cycle moves, or null
    JTEntity* skyEntity = nullptr;
    int ambientSound = -1; // the registered sound of the world's ambience

    JTArray<int> menuStack{16};
    JTEntity* currentDialog = nullptr;
    std::unique_ptr<ChessMenuDialogs> menuDialogs;

    int selected = -1;
    uint32_t lastMoveTime = 0;
    int networkNewGameFrame = -1; // the frame that took the peer's last new-game request
    int networkNewGameMoves = 0;  // the moves of the game just after it
    JTEntity* banner = nullptr;
    JTEntity* helpColumns[2] = {};
    bool helpOn = false;
    bool helpHidden = false;
    JTEntity* helpPanel = nullptr;
    JTTransNode* helpPanelFrames[2] = {}; // size and place the columns' unit plates
    JTEntity* noticeText = nullptr;
    std::string notice;
    uint32_t noticeShownAt = 0; // real time (ms)
    bool noticeOwned = false;   // by the dialog noticeOwner names
    JTID noticeOwner;
    int player[2] = {kPlayerComputer, kPlayerComputer};
    unsigned char menuCameraFlag = 1;
    JTArray<chess::ChessMove> moves{16};
    JTArray<chess::ChessMove> replay{16};
    int replayIndex = 0;
    bool saverMode = false;
    JTArray<char*> customWorlds{16};
    uint64_t gameStartTime = 0;

    // The loading sequence of the intro and the sun's state.
    int loadingStep = 0;
    ChessSunCycle sun;
    uint32_t nextDataballTime = 0;
};

// The game object while it runs (beside gpJTGame).
extern ChessGame* gpChessGame;

// Runs the engine on the game with the command line, then deletes the game.
// Returns the exit status.
int RunChessGame(ChessGame* game, void* instance, char* cmdline);
// The program's entry: RunChessGame on a new ChessGame.
int ChessWinMain(void* instance, char* cmdline);
