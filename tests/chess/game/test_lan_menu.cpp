// The LAN menu on the running game with sessions hosted on loopback
// addresses of this machine: the list shows the sessions found, an entry
// joins the session it shows even when a stale record lies between, and a
// join to a host that has gone keeps the menu.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "Jentra/JTNetwork.h"
#include "tests/chess/game/child_process.h"
#include "tests/chess/game/game_session.h"
#include "tests/chess/game/menu_helpers.h"

namespace {

using namespace rookfall_test;

constexpr uint32_t kRetryMs = 100;

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
                // Its record has gone stale; the other two remain.
                if (shown.size() != 2) return false;
                EXPECT_EQ(IndexOf(shown, "Stale's Game"), -1);
                second = shown[1];
                EXPECT_TRUE(Choose(g, 1));
                EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
                EXPECT_EQ(g.GetPlayer(chess::White), kPlayerRemote);
                EXPECT_EQ(g.GetPlayer(chess::Black), kPlayerLocal);
                phase = 6;
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

} // namespace
