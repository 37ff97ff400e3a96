// The LAN menu on the running game with sessions hosted on loopback
// addresses of this machine: the list shows the sessions found, an entry
// joins the session it shows even when a stale record lies between, and a
// join to a host that has gone or does not answer runs beside the frames,
// can be cancelled at once, and keeps the menu, saying why: a word that
// goes with the menu, while the game's own notices outlive it. The peer's
// requests of one frame are carried out in their order.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "Jentra/JTNetwork.h"
#include "chess/engine/position_text.h"
#include "platform/net_discovery.h"
#include "tests/chess/game/child_process.h"
#include "tests/chess/game/game_session.h"
#include "tests/chess/game/menu_helpers.h"

namespace {

using namespace rookfall_test;

constexpr uint32_t kRetryMs = 100;
constexpr uint32_t kJoinTimeoutMs = 1000;

class LanSession : public GameSession {
protected:
    void SetUp() override {
        GameSession::SetUp();
        discoveryPort_ = FreeUdpPort();
        ASSERT_NE(discoveryPort_, 0);
        setenv("JENTRA_DISCOVERY_HOSTS", "127.0.0.2,127.0.0.3,127.0.0.4", 1);
        // Frames keep pace with the hosts' answers, which come in real time.
        frameMs_ = 20;
        game_->onStart = [this](ScriptedGame&) {
            gpJTNetwork->SetDiscoveryPort(uint16_t(discoveryPort_));
            gpJTNetwork->SetEnumRetryInterval(kRetryMs);
            gpJTNetwork->SetJoinTimeout(kJoinTimeoutMs);
        };
    }
    void TearDown() override {
        GameSession::TearDown();
        unsetenv("JENTRA_DISCOVERY_HOSTS");
    }

    // A session of Rookfall hosted by the player at the address.
    std::unique_ptr<JTNetwork> Host(const char* address, const char* player) {
        auto host = std::make_unique<JTNetwork>();
        JTID application;
        std::memcpy(application.bytes, ChessGame::ApplicationGuid().bytes, 16);
        host->SetApplicationGUID(application);
        host->SetGamePort(0);
        host->SetDiscoveryPort(uint16_t(discoveryPort_));
        host->SetBindAddress(address);
        host->SetLocalPlayerName(player);
        host->InitDirectPlay("");
        EXPECT_EQ(host->HostGame(), JTNET_OK) << address;
        return host;
    }

    int discoveryPort_ = 0;
};

// The entries the LAN menu shows, in order.
std::vector<std::string> Shown(ChessGame& game) {
    std::vector<std::string> texts;
    if (JTList* list = ShownList(game))
        for (int i = 0; i < list->GetNumItems(); ++i)
            texts.push_back(list->GetItemText(i));
    return texts;
}

int IndexOf(const std::vector<std::string>& texts, const std::string& text) {
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == text) return int(i);
    return -1;
}

TEST_F(LanSession, AnEntryJoinsTheSessionItShowsAndAJoinThatFailsKeepsTheMenu) {
    std::unique_ptr<JTNetwork> anna, stale, bert;
    std::string second;
    int phase = 0;
    Play(
        [&](ScriptedGame& g, int step) {
            // Frames at the pace of the hosts' clocks.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            const std::vector<std::string> shown = Shown(g);
            switch (phase) {
            case 0:
                g.OpenMenu(kMenuLan);
                phase = 1;
                return false;
            case 1:
                EXPECT_EQ(g.GetCurrentMenu(), kMenuLan);
                if (shown == std::vector<std::string>{"No Games Found"}) {
                    // One at a time, so the stale one is found between the others.
                    anna = Host("127.0.0.2", "Anna");
                    phase = 2;
                }
                return false;
            case 2:
                if (shown.size() == 1 && shown[0] == "Anna's Game") {
                    stale = Host("127.0.0.3", "Stale");
                    phase = 3;
                }
                return false;
            case 3:
                if (shown.size() == 2) {
                    bert = Host("127.0.0.4", "Bert");
                    phase = 4;
                }
                return false;
            case 4: {
                if (shown.size() != 3) return false;
                // The host goes before its record grows old: joining fails.
                const int index = IndexOf(shown, "Stale's Game");
                EXPECT_GE(index, 0);
                stale.reset();
                EXPECT_TRUE(Choose(g, index));
                EXPECT_EQ(g.GetCurrentMenu(), kMenuLan);
                EXPECT_FALSE(gpJTNetwork->IsNetworkGame());
                phase = 5;
                return false;
            }
            case 5:
                // Its record goes stale while the join waits; the other two
                // remain, and the join's failure is told.
                if (shown.size() != 2 || gpJTNetwork->IsJoining()) return false;
                EXPECT_EQ(IndexOf(shown, "Stale's Game"), -1);
                EXPECT_EQ(g.GetCurrentMenu(), kMenuLan);
                EXPECT_EQ(g.GetNotice(), "The game at 127.0.0.3 did not answer");
                second = shown[1];
                EXPECT_TRUE(Choose(g, 1));
                phase = 6;
                return false;
            case 6:
                if (g.GetCurrentMenu() == kMenuLan && step < 2000) return false;
                EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
                EXPECT_EQ(g.GetPlayer(chess::White), kPlayerRemote);
                EXPECT_EQ(g.GetPlayer(chess::Black), kPlayerLocal);
                phase = 7;
                return false;
            default: {
                // The host of the second entry has its opponent.
                JTNetwork* joined = second == "Anna's Game" ? anna.get() : bert.get();
                JTNetwork* other = second == "Anna's Game" ? bert.get() : anna.get();
                if (joined->GetNumPlayers() < 2 && step < 2000) return false;
                EXPECT_EQ(joined->GetNumPlayers(), 2);
                EXPECT_EQ(other->GetNumPlayers(), 1);
                EXPECT_STREQ(gpJTNetwork->GetSessionName(), second.c_str());
                return true;
            }
            }
        },
        4000);
    EXPECT_TRUE(second == "Anna's Game" || second == "Bert's Game") << second;
}

// A host at the address that answers the search for games while its game
// port keeps silent, as a program that hung (or was stopped) after it
// began hosting.
struct SilentGame {
    int fd = -1;
    platform::NetDiscoveryResponder responder;
    SilentGame(const char* address, int discoveryPort) {
        fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        inet_pton(AF_INET, address, &addr.sin_addr);
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
        socklen_t len = sizeof addr;
        getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
        platform::NetApplicationId app{};
        std::memcpy(app.data(), ChessGame::ApplicationGuid().bytes, app.size());
        responder.SetSessionName("Idle's Game");
        responder.SetPlayers(1, 2);
        EXPECT_TRUE(
            responder.Start(address, uint16_t(discoveryPort), app, 99, ntohs(addr.sin_port)));
    }
    ~SilentGame() {
        responder.Stop();
        close(fd);
    }
};

TEST_F(LanSession, AJoinThatIsNotAnsweredKeepsTheFramesAndCancelAnswersAtOnce) {
    SilentGame silent("127.0.0.2", discoveryPort_);
    std::unique_ptr<JTNetwork> bert;
    int phase = 0, joiningFrames = 0, joins = 0;
    Play(
        [&](ScriptedGame& g, int) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            const std::vector<std::string> shown = Shown(g);
            auto* menu = dynamic_cast<LanMenu*>(g.GetCurrentDialog());
            switch (phase) {
            case 0:
                g.OpenMenu(kMenuLan);
                phase = 1;
                return false;
            case 1:
                // The search's answer is shown like any game's.
                if (IndexOf(shown, "Idle's Game") < 0) return false;
                EXPECT_TRUE(Choose(g, IndexOf(shown, "Idle's Game")));
                ++joins;
                EXPECT_EQ(g.GetNotice(), "Joining Idle's Game...");
                phase = 2;
                return false;
            case 2:
                // Frames go on while the game is asked, the menu stays, and
                // a second entry is not joined beside the first.
                if (menu && menu->IsJoining()) {
                    if (++joiningFrames == 3) {
                        EXPECT_TRUE(Choose(g, 0));
                        EXPECT_TRUE(menu->IsJoining());
                    }
                    return false;
                }
                EXPECT_EQ(g.GetCurrentMenu(), kMenuLan);
                EXPECT_FALSE(gpJTNetwork->IsNetworkGame());
                EXPECT_EQ(g.GetNotice(), "The game at 127.0.0.2 did not answer");
                // The list goes on following the network.
                bert = Host("127.0.0.3", "Bert");
                phase = 3;
                return false;
            case 3:
                if (IndexOf(shown, "Bert's Game") < 0) return false;
                EXPECT_EQ(g.GetCurrentMenu(), kMenuLan);
                EXPECT_TRUE(Choose(g, IndexOf(shown, "Idle's Game")));
                ++joins;
                phase = 4;
                return false;
            case 4:
                // Cancel in the middle of a join: the main menu at once,
                // and nothing says the join goes on.
                EXPECT_TRUE(menu && menu->IsJoining());
                EXPECT_EQ(g.GetNotice(), "Joining Idle's Game...");
                if (menu) Click(menu->GetCancelButton());
                EXPECT_EQ(g.GetCurrentMenu(), kMenuMain);
                EXPECT_EQ(g.GetNotice(), "");
                EXPECT_FALSE(gpJTNetwork->IsJoining());
                EXPECT_FALSE(gpJTNetwork->IsNetworkGame());
                phase = 5;
                return false;
            default:
                // Nor in the frames after it, while the join's time runs.
                EXPECT_EQ(g.GetNotice(), "");
                return ++phase == 10;
            }
        },
        2000);
    EXPECT_EQ(phase, 10);
    EXPECT_EQ(joins, 2);
    // The join time of 1 s spans frames (a join that held the frame would
    // be over within one).
    EXPECT_GE(joiningFrames, 3);
    EXPECT_EQ(bert ? bert->GetNumPlayers() : 0, 1);
}

TEST_F(LanSession, AFailedJoinIsToldOnlyInTheLanMenuAndTheGamesOwnNoticesStay) {
    SilentGame silent("127.0.0.2", discoveryPort_);
    int phase = 0;
    Play(
        [&](ScriptedGame& g, int) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            auto* menu = dynamic_cast<LanMenu*>(g.GetCurrentDialog());
            switch (phase) {
            case 0:
                g.OpenMenu(kMenuLan);
                phase = 1;
                return false;
            case 1:
                if (IndexOf(Shown(g), "Idle's Game") < 0) return false;
                EXPECT_TRUE(Choose(g, IndexOf(Shown(g), "Idle's Game")));
                phase = 2;
                return false;
            case 2:
                if (menu && menu->IsJoining()) return false;
                EXPECT_EQ(g.GetNotice(), "The game at 127.0.0.2 did not answer");
                if (menu) Click(menu->GetCancelButton());
                EXPECT_EQ(g.GetCurrentMenu(), kMenuMain);
                EXPECT_EQ(g.GetNotice(), "");
                // A notice of the game's own is no menu's: it stays its
                // time whatever menu comes.
                g.Message(nullptr, nullptr, JTMSG_NETPLAYERLEFT, nullptr);
                g.OpenMenu(kMenuPlayMode);
                g.ReplaceMenu(kMenuLan);
                EXPECT_EQ(g.GetNotice(), "Your opponent has left the game");
                phase = 3;
                return false;
            default:
                EXPECT_EQ(g.GetNotice(), "Your opponent has left the game");
                return true;
            }
        },
        2000);
    EXPECT_EQ(phase, 3);
}

TEST_F(LanSession, ThePeersRequestsOfOneFrameAreCarriedOutInTheirOrder) {
    const std::string start = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
    const std::vector<uint8_t> newGame = {0x02};
    const chess::ChessMove e2e4 = chess::EncodeMove(0x64, 0x44);
    const std::vector<uint8_t> move = {0x01, uint8_t(e2e4), uint8_t(e2e4 >> 8), 0, 0};
    std::unique_ptr<JTNetwork> peer;
    std::vector<std::string> seen; // the moves after each frame of a burst
    int phase = 0;
    auto burst = [&](std::initializer_list<std::vector<uint8_t>> blocks) {
        for (const auto& block : blocks)
            EXPECT_TRUE(peer->SendNetwork(block.data(), unsigned(block.size())));
        // All of it arrives before the game's next frame takes any.
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
    };
    Play(
        [&](ScriptedGame& g, int step) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            switch (phase) {
            case 0:
                peer = Host("127.0.0.2", "Peer");
                g.OpenMenu(kMenuLan);
                phase = 1;
                return false;
            case 1:
                if (IndexOf(Shown(g), "Peer's Game") < 0) return false;
                EXPECT_TRUE(Choose(g, IndexOf(Shown(g), "Peer's Game")));
                phase = 2;
                return false;
            case 2:
                if ((g.GetCurrentMenu() != kMenuBoard || peer->GetNumPlayers() < 2) && step < 1000)
                    return false;
                EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
                if (g.GetCurrentMenu() != kMenuBoard) return true;
                // The peer plays White: a new game, e2e4, a new game.
                burst({newGame, move, newGame});
                phase = 3;
                return false;
            case 3:
            case 4:
                seen.push_back(MoveList(g));
                if (phase++ == 4) {
                    EXPECT_EQ(std::string(chess::GetPosition()), start);
                    // Now two new games, then e2e4.
                    burst({newGame, newGame, move});
                }
                return false;
            case 5:
            case 6:
                seen.push_back(MoveList(g));
                return phase++ == 6;
            default:
                return true;
            }
        },
        2000);
    // The move came between the two new games, and the last of them stands.
    EXPECT_EQ(seen, (std::vector<std::string>{"e2e4", "", "e2e4", "e2e4"}));
    EXPECT_STREQ(chess::GetPosition(), "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -");
}

} // namespace
