// The application frame drives the network: data a peer sends reaches the
// game object from the frame, on the main thread, and the network service is
// torn down with the others.
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "Jentra/JTMessages.h"
#include "Jentra/JTNetwork.h"
#include "tests/jentra/test_game_support.h"

using namespace game_test;

namespace {

class NetworkGame : public SampleGame {
public:
    using SampleGame::SampleGame;
    std::vector<std::vector<unsigned char>> received;
    std::thread::id receivedOn;
    unsigned Message(JTID*, JTID*, unsigned msg, void* data) override {
        if (msg == JTMSG_NETRECEIVE && data) {
            auto* block = static_cast<JTNetData*>(data);
            received.emplace_back(block->pData, block->pData + block->nSize);
            receivedOn = std::this_thread::get_id();
        }
        return 0;
    }
};

TEST_F(Game, NetworkDataReachesTheGameFromItsFrame) {
    auto* game = new NetworkGame(UniqueKey());
    gpJTGame = game;
    JTNetwork guest;
    const unsigned char move[5] = {0x01, 0x34, 0x0C, 0x00, 0x00};
    bool joined = false, sent = false;
    int sentAtFrame = -1;

    game->onFrame = [&](SampleGame& g, int frame) {
        ASSERT_NE(gpJTNetwork, nullptr);
        if (frame == 0) {
            gpJTNetwork->SetGamePort(0);
            gpJTNetwork->SetDiscoveryPort(0);
            ASSERT_EQ(gpJTNetwork->HostGame(), JTNET_OK);
            // The guest looks for sessions of the same game on loopback.
            JTID application;
            std::memcpy(application.bytes, g.GetGUID().bytes, sizeof application.bytes);
            guest.SetApplicationGUID(application);
            guest.SetGamePort(0);
            guest.SetDiscoveryPort(gpJTNetwork->GetSessionDiscoveryPort());
            guest.SetEnumRetryInterval(50);
            ASSERT_TRUE(guest.EnumServiceProviders());
            ASSERT_TRUE(guest.SelectServiceProvider(-4));
            JTID nobody;
            ASSERT_TRUE(guest.StartEnumHosts(nobody));
        }
        guest.Update();
        if (!joined) {
            DPHostEnumInfo* found = guest.GetHostList();
            bool any = found != guest.GetHostListEnd() && found->bValid;
            guest.ReleaseHostList();
            if (any) {
                ASSERT_TRUE(guest.JoinGame(0));
                guest.StopEnumHosts();
                joined = true;
            }
        } else if (!sent) {
            ASSERT_TRUE(guest.SendNetwork(move, 5));
            sent = true;
            sentAtFrame = frame;
        }
        if (!static_cast<NetworkGame&>(g).received.empty() || frame > 2000) QuitAtFrame(0, 0);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    };
    char cmd[] = "";
    EXPECT_EQ(game->WinMain(nullptr, cmd), 0);
    EXPECT_TRUE(joined);
    EXPECT_GE(sentAtFrame, 0);
    ASSERT_EQ(game->received.size(), 1u);
    EXPECT_EQ(game->received[0], std::vector<unsigned char>(move, move + 5));
    EXPECT_EQ(game->receivedOn, std::this_thread::get_id());
    delete game;
    gpJTGame = nullptr;
    EXPECT_EQ(gpJTNetwork, nullptr);
}

} // namespace
