// The real game with a script: ScriptedGame runs ChessGame frame by frame
// and calls the script after each of the game's own updates, so tests and
// the test driver can act like a player (square messages, network data) and
// look at what the game did. Also helpers to run it and to press keys.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "Jentra/JTMath.h"
#include "Jentra/JTNetwork.h"
#include "chess/engine/board.h"
#include "chess/game/chess_game.h"

class JTCamera;

namespace rookfall_test {

class ScriptedGame : public ChessGame {
public:
    // Called after the game's update of each frame; frame counts from 0.
    std::function<void(ScriptedGame& game, int frame)> onFrame;
    // Called at the end of InitialScene (before the first frame).
    std::function<void(ScriptedGame& game)> onStart;
    int frames = 0;

    // The intro's loading is over.
    bool Loaded() { return GetCurrentMenu() != kMenuIntro; }
    // Clicks a square as a player would (the square's message to the game).
    void Pick(int square);
    // A move played by picking its two squares.
    void PickMove(chess::ChessMove m);
    // The player's mouse, as events for the next frame: the game's cursor
    // goes to where the camera shows the place (false when it shows it
    // nowhere on the screen), and the left button clicks.
    bool MouseOver(JTCamera* camera, const JTVec3& place);
    void LeftClick();
    // Network data as the engine hands it to the game.
    void Receive(const unsigned char* data, unsigned size);
    void Quit();

    using ChessGame::Update;

protected:
    void InitialScene() override;
    void Update() override;
};

// Options written into the game's settings before it starts (0 or -1:
// leave as they are).
struct GameSettings {
    float gameSpeed = 0;
    int multisample = -1;
    int width = 0, height = 0;
};
void WriteGameSettings(const GameSettings& settings);

// A key (a DIK_ code) going down or up, as an event for the next frame.
void PushKey(int dik, bool down);

// Runs the game on the command line until it quits; the exit status.
int RunGame(ScriptedGame& game, const std::string& commandLine);

// The moves of the game as "e2e4 e7e5 ..." (from and to squares only).
std::string MoveList(const ChessGame& game);

} // namespace rookfall_test
