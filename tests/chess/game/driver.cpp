// rookfall_driver: the game itself, played by a script, for the checks that
// need whole programs (two players over the network, the screensaver, a
// start without a host, pictures of the worlds). It prints what it saw as
// "key value" lines on stdout and exits 0 when its script ran to the end.
//
//   --net host|join --game-port P --discovery-port D --plies N [--mouse]
//       plays the local side's moves by picking squares (the join side
//       through "-connect 127.0.0.1"), until the game holds N moves; with
//       --mouse by moving the mouse onto the squares and clicking them
//   --connect-missing --game-port P --discovery-port D
//       "-connect" to a host that is not there; reports the frames drawn
//       and the texts shown while trying, the failure shown, and the menu
//       that Escape leads to
//   --saver [--game-speed S] [--max-plies N]
//       "/saver": the computer plays itself until mate, stalemate, a draw
//       or N plies, then the frames that follow are counted
//   --world W [--frames F] [--eye X Y Z] [--menu M] [--select S] [--hover S]
//       shows world W with its pieces at rest (seen from the eye, looking at
//       the board's centre), with menu M open over it, or with the piece on
//       0x88 square S selected or the cursor over square S, and writes a
//       screenshot
// Any mode: --multisample 0|1 and --size W H set those options first.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "Jentra/JTCamera.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTKeyCodes.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTNetwork.h"
#include "chess/engine/attacks.h"
#include "chess/engine/position_text.h"
#include "chess/game/chess_pieces.h"
#include "chess/game/chess_square.h"
#include "chess/game/menus.h"
#include "tests/chess/game/scripted_game.h"

using rookfall_test::ScriptedGame;

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string mode;
    std::string side; // host or join
    int gamePort = 0, discoveryPort = 0;
    int plies = 24;
    float gameSpeed = 0;
    int multisample = -1; // -1: as the settings say
    int width = 0, height = 0;
    int maxPlies = 300;
    int world = 1;
    int frames = 30;
    bool eyeGiven = false;
    JTVec3 eye;
    int timeoutSeconds = 120;
    int menu = -1;
    int select = -1, hover = -1;
    bool mouse = false;
};

Options Parse(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto next = [&]() -> const char* { return i + 1 < argc ? argv[++i] : ""; };
        if (a == "--net") {
            o.mode = "net";
            o.side = next();
        } else if (a == "--connect-missing") {
            o.mode = "connect-missing";
        } else if (a == "--saver") {
            o.mode = "saver";
        } else if (a == "--world") {
            o.mode = "world";
            o.world = std::atoi(next());
        } else if (a == "--game-port") {
            o.gamePort = std::atoi(next());
        } else if (a == "--discovery-port") {
            o.discoveryPort = std::atoi(next());
        } else if (a == "--plies") {
            o.plies = std::atoi(next());
        } else if (a == "--game-speed") {
            o.gameSpeed = float(std::atof(next()));
        } else if (a == "--multisample") {
            o.multisample = std::atoi(next());
        } else if (a == "--size") {
            o.width = std::atoi(next());
            o.height = std::atoi(next());
        } else if (a == "--max-plies") {
            o.maxPlies = std::atoi(next());
        } else if (a == "--eye") {
            o.eyeGiven = true;
            o.eye.x = float(std::atof(next()));
            o.eye.y = float(std::atof(next()));
            o.eye.z = float(std::atof(next()));
        } else if (a == "--frames") {
            o.frames = std::atoi(next());
        } else if (a == "--timeout") {
            o.timeoutSeconds = std::atoi(next());
        } else if (a == "--menu") {
            o.menu = std::atoi(next());
        } else if (a == "--select") {
            o.select = std::atoi(next());
        } else if (a == "--hover") {
            o.hover = std::atoi(next());
        } else if (a == "--mouse") {
            o.mouse = true;
        }
    }
    return o;
}

// The network's ports on loopback, so parallel runs and the machine's own
// games never meet.
void UseTestPorts(const Options& o) {
    if (!gpJTNetwork) return;
    gpJTNetwork->SetGamePort(uint16_t(o.gamePort));
    gpJTNetwork->SetDiscoveryPort(uint16_t(o.discoveryPort));
    gpJTNetwork->SetBindAddress("127.0.0.1");
    gpJTNetwork->SetEnumRetryInterval(50);
}

// A line break of a value shows as "|", so each report stays one line.
void Report(const char* key, std::string value) {
    for (char& c : value)
        if (c == '\n') c = '|';
    std::printf("%s %s\n", key, value.c_str());
    std::fflush(stdout);
}

// A move of the side to move, varied with the ply so games differ from the
// computer's.
chess::ChessMove ChooseMove() {
    const int count = chess::LegalMoveCount();
    if (count == 0) return 0;
    const int ply = chess::gBoard.hply;
    return chess::LegalMove((ply * 7 + 3) % count);
}

// Plays a move as a person does: the mouse onto the piece's square, a
// click, then onto the target square and a click. A click the game has seen
// (its events are read the next frame) and not taken is repeated; two
// clicks are further apart than a double click.
class MouseMove {
public:
    void Play(ScriptedGame& g, chess::ChessMove m) {
        const bool selected = g.GetSelected() == chess::MoveFrom(m);
        const int square = selected ? chess::MoveTo(m) : chess::MoveFrom(m);
        if (Clock::now() - lastClick_ < std::chrono::milliseconds(700)) return;
        if (clicks_ > 0 && g.frames < lastClickFrame_ + 3) return;
        if (!g.MouseOver(g.GetMainCamera(), ChessPieceEntity::SquarePosition(square))) return;
        g.LeftClick();
        lastClick_ = Clock::now();
        lastClickFrame_ = g.frames;
        ++clicks_;
    }
    int Clicks() const { return clicks_; }

private:
    Clock::time_point lastClick_{};
    int lastClickFrame_ = 0;
    int clicks_ = 0;
};

void NetworkScript(const Options& o, ScriptedGame& game, bool& ok) {
    const auto deadline = Clock::now() + std::chrono::seconds(o.timeoutSeconds);
    struct State {
        int settle = -1;
        bool announced = false;
        std::string sessionMoves, sessionPosition; // while the session lasted
        MouseMove mouse;
    };
    game.onStart = [&](ScriptedGame&) { UseTestPorts(o); };
    game.onFrame = [&, deadline, state = State()](ScriptedGame& g, int) mutable {
        const bool inSession = gpJTNetwork && gpJTNetwork->IsNetworkGame();
        if (inSession) {
            if (!state.announced) Report("session", "up");
            state.announced = true;
            state.sessionMoves = rookfall_test::MoveList(g);
            state.sessionPosition = chess::GetPosition();
        }
        auto finish = [&](const char* result) {
            Report("final-moves", state.sessionMoves);
            Report("final-position", state.sessionPosition);
            Report("result", result);
            g.Quit();
        };
        if (Clock::now() > deadline) return finish("timeout");
        if (!g.Loaded()) return;
        if (state.settle >= 0) {
            // Time for the last packets to arrive before the session ends;
            // no move is made meanwhile.
            if (++state.settle > 60 || (!inSession && state.announced)) finish("done");
            return;
        }
        if (g.GetMoves().GetCount() >= o.plies || chess::LegalMoveCount() == 0) {
            Report("moves", rookfall_test::MoveList(g));
            Report("position", chess::GetPosition());
            if (o.mouse) Report("clicks", std::to_string(state.mouse.Clicks()));
            ok = true;
            state.settle = 0;
            return;
        }
        if (g.GetCurrentMenu() != kMenuBoard || g.GetPlayerToMove() != kPlayerLocal ||
            int32_t(gdwTime - g.GetLastMoveTime()) <= 600)
            return;
        if (o.mouse)
            state.mouse.Play(g, ChooseMove());
        else
            g.PickMove(ChooseMove());
    };
}

void ConnectMissingScript(const Options& o, ScriptedGame& game, bool& ok) {
    game.onStart = [&](ScriptedGame&) { UseTestPorts(o); };
    struct State {
        int phase = 0;
        int connectingFrames = 0;
        std::set<std::string> texts;
        Clock::time_point failedAt;
    };
    game.onFrame = [&, state = State()](ScriptedGame& g, int) mutable {
        if (!g.Loaded()) return;
        auto* join = dynamic_cast<LobbyMenu*>(g.GetCurrentDialog());
        switch (state.phase) {
        case 0: // the tries, frame after frame
            if (join && !join->HasFailed()) {
                if (join->IsConnecting()) {
                    ++state.connectingFrames;
                    state.texts.insert(join->GetShownText());
                }
                return;
            }
            Report("connecting-frames", std::to_string(state.connectingFrames));
            Report("connecting-texts", std::to_string(state.texts.size()));
            Report("connecting-text", state.texts.empty() ? "" : *state.texts.begin());
            state.failedAt = Clock::now();
            state.phase = 1;
            return;
        case 1: // the failure stays until the player acts
            if (join && Clock::now() - state.failedAt < std::chrono::seconds(3)) return;
            Report("failure", join ? join->GetShownText() : "(the screen went by itself)");
            rookfall_test::PushKey(DIK_ESCAPE, true);
            state.phase = 2;
            return;
        case 2:
            rookfall_test::PushKey(DIK_ESCAPE, false);
            state.phase = 3;
            return;
        default:
            Report("menu", std::to_string(g.GetCurrentMenu()));
            Report("network", gpJTNetwork && gpJTNetwork->IsNetworkGame() ? "session" : "none");
            ok = true;
            g.Quit();
        }
    };
}

void SaverScript(const Options& o, ScriptedGame& game, bool& ok) {
    auto lastMove = Clock::now();
    int lastCount = 0, plies = 0, framesAfter = -1;
    game.onFrame = [&, lastMove, lastCount, plies, framesAfter](ScriptedGame& g, int) mutable {
        if (!g.Loaded()) return;
        const int count = g.GetMoves().GetCount();
        if (framesAfter >= 0) {
            if (++framesAfter >= 60) {
                Report("frames-after", std::to_string(framesAfter));
                ok = true;
                g.Quit();
            }
            return;
        }
        if (count != lastCount) {
            lastMove = Clock::now();
            if (count > lastCount) plies = count;
            lastCount = count;
        }
        const bool over = g.IsGameOver();
        if (over || plies >= o.maxPlies) {
            Report("plies", std::to_string(plies));
            const char* end = "ply-limit";
            if (over && chess::LegalMoveCount() > 0)
                end = "draw";
            else if (over)
                end = chess::SideInCheck(chess::gBoard.side) ? "mate" : "stalemate";
            Report("end", end);
            framesAfter = 0;
            return;
        }
        if (Clock::now() - lastMove > std::chrono::seconds(20)) {
            Report("stalled-at", std::to_string(plies));
            g.Quit();
        }
    };
}

void WorldScript(const Options& o, ScriptedGame& game, bool& ok) {
    int shown = -1;
    game.onFrame = [&, shown](ScriptedGame& g, int) mutable {
        if (!g.Loaded()) return;
        if (shown < 0) {
            g.SetPlayers(kPlayerLocal, kPlayerLocal);
            g.CloseToBoard();
            g.LoadWorld(o.world);
            if (o.eyeGiven && g.GetMainCamera()) {
                JTCamera* camera = g.GetMainCamera();
                camera->SetView(o.eye, JTVec3Normalize(-o.eye), JTVec3(0, 1, 0));
                camera->SetIdleStartTime(0);
            }
            if (o.menu >= 0) g.OpenMenu(o.menu);
            shown = 0;
            return;
        }
        if (++shown == 2) {
            if (o.select >= 0) g.Pick(o.select);
            if (ChessSquare* square = o.hover >= 0 ? g.GetSquare(o.hover) : nullptr) {
                JTID cursor;
                JTRouter::Send(&cursor, &square->GetID(), JTMSG_CURSORENTER, nullptr);
            }
        }
        if (shown == o.frames && gpJTDisplay) gpJTDisplay->Screenshot();
        if (shown > o.frames) {
            Report("world", std::to_string(g.GetWorld()));
            ok = true;
            g.Quit();
        }
    };
}

} // namespace

int main(int argc, char** argv) {
    const Options o = Parse(argc, argv);
    rookfall_test::GameSettings settings;
    settings.gameSpeed = o.gameSpeed;
    settings.multisample = o.multisample;
    settings.width = o.width;
    settings.height = o.height;
    rookfall_test::WriteGameSettings(settings);

    auto game = std::make_unique<ScriptedGame>();
    bool ok = false;
    std::string commandLine = "nosplash";
    if (o.mode == "net") {
        NetworkScript(o, *game, ok);
        commandLine += o.side == "host" ? " -host" : " -connect 127.0.0.1";
    } else if (o.mode == "connect-missing") {
        ConnectMissingScript(o, *game, ok);
        commandLine += " -connect 127.0.0.1";
    } else if (o.mode == "saver") {
        SaverScript(o, *game, ok);
        commandLine += " /saver";
    } else if (o.mode == "world") {
        WorldScript(o, *game, ok);
    } else {
        std::fprintf(stderr, "rookfall_driver: say what to do (see the file's head)\n");
        return 2;
    }
    const int status = rookfall_test::RunGame(*game, commandLine);
    game.reset();
    gpJTGame = nullptr;
    if (status != 0) return status;
    return ok ? 0 : 1;
}
