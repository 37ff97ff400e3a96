// Network play between whole programs on loopback: two games keep the same
// position move after move; both sides of a game started from the command
// line play by mouse at once; a hostile peer's short, long, illegal and
// out-of-turn packets change nothing; a start with "-connect" to a host
// that is not there keeps drawing while it tries and tells so until the
// player leaves for the main menu.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTNetwork.h"
#include "chess/engine/board.h"
#include "chess/engine/makemove.h"
#include "chess/engine/movegen.h"
#include "chess/engine/notation.h"
#include "chess/engine/position_text.h"
#include "chess/game/chess_game.h"
#include "tests/chess/game/child_process.h"

namespace {

using namespace std::chrono_literals;
using rookfall_test::ChildProcess;

// A game of its own for each program: settings, lock, desktop; small and
// without multisampling so the software renderer keeps up.
struct ProgramHome {
    std::filesystem::path folder;
    explicit ProgramHome(const std::string& name) {
        folder = std::filesystem::temp_directory_path() /
                 ("rookfall_" + name + "_" + std::to_string(::getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
    }
    ~ProgramHome() { std::filesystem::remove_all(folder); }
    std::vector<std::string> Environment() const {
        return {"HOME=" + folder.string(), "JENTRA_SETTINGS_DIR=" + folder.string(),
                "JENTRA_WINDOWED=1"};
    }
};

std::vector<std::string> Driver(std::vector<std::string> arguments, int gamePort,
                                int discoveryPort) {
    arguments.insert(arguments.begin(), ROOKFALL_DRIVER);
    for (const std::string& more :
         {std::string("--game-port"), std::to_string(gamePort), std::string("--discovery-port"),
          std::to_string(discoveryPort), std::string("--multisample"), std::string("0"),
          std::string("--size"), std::string("640"), std::string("480"),
          std::string("--game-speed"), std::string("5")})
        arguments.push_back(more);
    return arguments;
}

int Count(const std::string& moves) {
    std::istringstream in(moves);
    int n = 0;
    for (std::string word; in >> word;)
        ++n;
    return n;
}

TEST(NetworkPlay, TwoGamesKeepTheSamePositionMoveAfterMove) {
    const int gamePort = rookfall_test::FreeUdpPort(), discoveryPort = rookfall_test::FreeUdpPort();
    ProgramHome hostHome("host"), joinHome("join");
    ChildProcess host, join;
    ASSERT_TRUE(host.Start(Driver({"--net", "host", "--plies", "24"}, gamePort, discoveryPort),
                           hostHome.Environment()));
    ASSERT_EQ(host.WaitFor("session", 120s), "up") << host.Output();
    ASSERT_TRUE(join.Start(Driver({"--net", "join", "--plies", "24"}, gamePort, discoveryPort),
                           joinHome.Environment()));
    const std::string hostMoves = host.WaitFor("moves", 240s);
    const std::string joinMoves = join.WaitFor("moves", 240s);
    EXPECT_EQ(host.Wait(60s), 0) << host.Output();
    EXPECT_EQ(join.Wait(60s), 0) << join.Output();
    EXPECT_GE(Count(hostMoves), 20) << host.Output();
    EXPECT_EQ(hostMoves, joinMoves);
    EXPECT_EQ(host.WaitFor("position", 1s), join.WaitFor("position", 1s));
}

// Started with "-host" and "-connect", each side plays with the mouse at
// once: the cursor is there and picks the squares it is moved onto.
TEST(NetworkPlay, BothSidesStartedFromTheCommandLineMoveByMouseAtOnce) {
    const int gamePort = rookfall_test::FreeUdpPort(), discoveryPort = rookfall_test::FreeUdpPort();
    ProgramHome hostHome("mousehost"), joinHome("mousejoin");
    ChildProcess host, join;
    ASSERT_TRUE(
        host.Start(Driver({"--net", "host", "--plies", "4", "--mouse"}, gamePort, discoveryPort),
                   hostHome.Environment()));
    ASSERT_EQ(host.WaitFor("session", 120s), "up") << host.Output();
    ASSERT_TRUE(
        join.Start(Driver({"--net", "join", "--plies", "4", "--mouse"}, gamePort, discoveryPort),
                   joinHome.Environment()));
    const std::string hostMoves = host.WaitFor("moves", 240s);
    const std::string joinMoves = join.WaitFor("moves", 240s);
    EXPECT_EQ(Count(hostMoves), 4) << host.Output();
    EXPECT_EQ(hostMoves, joinMoves) << join.Output();
    // Two clicks a move, each side two moves (a click the game missed would
    // be repeated; none should be).
    EXPECT_EQ(host.WaitFor("clicks", 1s), "4") << host.Output();
    EXPECT_EQ(join.WaitFor("clicks", 1s), "4") << join.Output();
    EXPECT_EQ(host.Wait(60s), 0) << host.Output();
    EXPECT_EQ(join.Wait(60s), 0) << join.Output();
}

// The peer's side of a session: the engine's network object with a
// listener, and a chess board of its own that follows the game.
class HostilePeer : public JTUnknown {
public:
    HostilePeer() {
        savedMap_ = gpJTIDMap;
        gpJTIDMap = &map_;
        JTRouter::SetFallbackReceiver(this);
        chess::InitEngine();
        chess::NewGame(true);
        chess::BuildLegalMoves(false);
    }
    ~HostilePeer() override {
        net_.LeaveGame();
        JTRouter::SetFallbackReceiver(nullptr);
        gpJTIDMap = savedMap_;
    }
    unsigned Message(JTID*, JTID*, unsigned msg, void* data) override {
        if (msg == JTMSG_NETRECEIVE && data) {
            const auto* block = static_cast<JTNetData*>(data);
            if (block->nSize == 5 && block->pData[0] == 0x01) {
                chess::ChessMove m;
                std::memcpy(&m, block->pData + 1, 4);
                received.push_back(m);
            }
        }
        return 0;
    }
    bool Join(int gamePort, int discoveryPort) {
        JTID application;
        std::memcpy(application.bytes, ChessGame::ApplicationGuid().bytes, 16);
        net_.SetApplicationGUID(application);
        net_.SetGamePort(0);
        net_.SetDiscoveryPort(uint16_t(discoveryPort));
        net_.SetBindAddress("127.0.0.1");
        net_.SetEnumRetryInterval(50);
        (void)gamePort;
        net_.InitDirectPlay("-connect 127.0.0.1");
        return net_.ConnectUsingLobbySettings() == JTNET_OK;
    }
    void Pump() { net_.Update(); }
    void Send(const std::vector<uint8_t>& bytes) {
        net_.SendNetwork(bytes.data(), unsigned(bytes.size()));
    }
    void SendMove(chess::ChessMove m) {
        Send({0x01, uint8_t(m), uint8_t(m >> 8), uint8_t(m >> 16), uint8_t(m >> 24)});
    }
    // Plays a move on the peer's own board (as the host will).
    static void Play(chess::ChessMove m) {
        for (int i = 0; i < chess::LegalMoveCount(); ++i)
            if ((chess::LegalMove(i) & 0x3FFF) == (m & 0x3FFF)) {
                chess::MakeMove(chess::LegalMove(i));
                break;
            }
        chess::BuildLegalMoves(true);
    }

    std::vector<chess::ChessMove> received;

private:
    JTIDMap map_;
    JTIDMap* savedMap_;
    JTNetwork net_;
};

TEST(NetworkPlay, AHostilePeerChangesNothingButItsOwnLegalMoves) {
    const int gamePort = rookfall_test::FreeUdpPort(), discoveryPort = rookfall_test::FreeUdpPort();
    ProgramHome hostHome("hostile");
    ChildProcess host;
    ASSERT_TRUE(host.Start(Driver({"--net", "host", "--plies", "4"}, gamePort, discoveryPort),
                           hostHome.Environment()));
    ASSERT_EQ(host.WaitFor("session", 120s), "up") << host.Output();

    HostilePeer peer;
    ASSERT_TRUE(peer.Join(gamePort, discoveryPort));
    auto pump = [&] { peer.Pump(); };
    auto awaitMove = [&](size_t n) {
        const auto deadline = std::chrono::steady_clock::now() + 120s;
        while (peer.received.size() < n && std::chrono::steady_clock::now() < deadline) {
            peer.Pump();
            std::this_thread::sleep_for(5ms);
        }
        return peer.received.size() >= n;
    };

    std::vector<chess::ChessMove> expected;
    ASSERT_TRUE(awaitMove(1)) << host.Output();
    expected.push_back(peer.received[0]);
    HostilePeer::Play(peer.received[0]);
    const chess::ChessMove black1 = chess::LegalMove(0);
    peer.Send({0x01});
    peer.Send({0x01, uint8_t(black1), uint8_t(black1 >> 8), 0});
    peer.Send({0x01, uint8_t(black1), uint8_t(black1 >> 8), 0, 0, 0});
    peer.SendMove(chess::EncodeMove(0x14, 0x44)); // e7-e4: no such move
    peer.SendMove(chess::EncodeMove(0x22, 0x32)); // from an empty square
    peer.SendMove(black1);
    expected.push_back(black1);
    HostilePeer::Play(black1);

    ASSERT_TRUE(awaitMove(2)) << host.Output();
    expected.push_back(peer.received[1]);
    HostilePeer::Play(peer.received[1]);
    const chess::ChessMove black2 = chess::LegalMove(chess::LegalMoveCount() - 1);
    peer.SendMove(black2);
    expected.push_back(black2);
    HostilePeer::Play(black2);
    // White's move, legal here, sent by the peer who plays Black.
    peer.SendMove(chess::LegalMove(0));
    peer.Send({0x01, 0xFF, 0xFF, 0xFF, 0xFF});

    const std::string finalMoves = host.WaitFor("final-moves", 120s, pump);
    EXPECT_EQ(host.Wait(60s, pump), 0) << host.Output();
    std::string want;
    for (chess::ChessMove m : expected)
        want += (want.empty() ? "" : " ") + std::string(chess::MoveToCoordinates(m & 0x3FFF));
    EXPECT_EQ(finalMoves, want) << host.Output();
    EXPECT_EQ(host.WaitFor("final-position", 1s), chess::GetPosition());
}

TEST(NetworkPlay, ConnectingToAHostThatIsNotThereKeepsDrawingAndSaysSoUntilThePlayerLeaves) {
    const int gamePort = rookfall_test::FreeUdpPort(), discoveryPort = rookfall_test::FreeUdpPort();
    ProgramHome home("nohost");
    ChildProcess game;
    ASSERT_TRUE(
        game.Start(Driver({"--connect-missing"}, gamePort, discoveryPort), home.Environment()));
    // Frames go on while the five tries run, and the dots under the line move.
    const std::string frames = game.WaitFor("connecting-frames", 120s);
    ASSERT_FALSE(frames.empty()) << game.Output();
    EXPECT_GE(std::stoi(frames), 5) << game.Output();
    EXPECT_GE(std::stoi(game.WaitFor("connecting-texts", 1s)), 2);
    EXPECT_EQ(game.WaitFor("connecting-text", 1s).rfind("Connecting to 127.0.0.1|..", 0), 0u);
    // The failure is still shown seconds later; Escape leaves it for the main menu.
    EXPECT_EQ(game.WaitFor("failure", 30s), "No network game was found at 127.0.0.1");
    EXPECT_EQ(game.WaitFor("menu", 30s), std::to_string(kMenuMain));
    EXPECT_EQ(game.WaitFor("network", 1s), "none");
    EXPECT_EQ(game.Wait(60s), 0);
}

} // namespace
