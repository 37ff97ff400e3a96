// JTNetwork as an engine object: its class registration, and two instances
// on loopback whose messages reach the listener through the router, from
// Update on the main thread.
#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTNetwork.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A receiver that records what it is sent and on which thread.
class Recorder : public JTUnknown {
public:
    struct Got {
        unsigned msg;
        std::vector<unsigned char> data;
        std::thread::id thread;
    };
    std::vector<Got> got;
    unsigned Message(JTID*, JTID*, unsigned msg, void* data) override {
        Got g{msg, {}, std::this_thread::get_id()};
        if (msg == JTMSG_NETRECEIVE && data) {
            auto* block = static_cast<JTNetData*>(data);
            g.data.assign(block->pData, block->pData + block->nSize);
        }
        got.push_back(std::move(g));
        return 0;
    }
    int Count(unsigned msg) const {
        int n = 0;
        for (const Got& g : got)
            n += g.msg == msg ? 1 : 0;
        return n;
    }
};

class JTNetworkTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedMap_ = gpJTIDMap;
        gpJTIDMap = &map_;
        JTRouter::SetFallbackReceiver(&game_);
        const char* env = std::getenv("JENTRA_DISCOVERY_HOSTS");
        hadEnv_ = env != nullptr;
        if (hadEnv_) oldEnv_ = env;
        setenv("JENTRA_DISCOVERY_HOSTS", "127.0.0.1", 1);
    }
    void TearDown() override {
        JTRouter::SetFallbackReceiver(nullptr);
        gpJTIDMap = savedMap_;
        if (hadEnv_)
            setenv("JENTRA_DISCOVERY_HOSTS", oldEnv_.c_str(), 1);
        else
            unsetenv("JENTRA_DISCOVERY_HOSTS");
    }
    template <typename Pred> bool Pump(JTNetwork& a, JTNetwork& b, Pred done) {
        auto deadline = Clock::now() + std::chrono::seconds(5);
        while (Clock::now() < deadline) {
            a.Update();
            b.Update();
            if (done()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    static void Prepare(JTNetwork& net, const JTID& app) {
        net.SetGamePort(0);
        net.SetDiscoveryPort(0);
        net.SetBindAddress("127.0.0.1"); // nothing listens beyond loopback
        net.SetEnumRetryInterval(50);
        net.SetApplicationGUID(app);
    }

    JTIDMap map_;
    JTIDMap* savedMap_ = nullptr;
    Recorder game_;
    bool hadEnv_ = false;
    std::string oldEnv_;
};

} // namespace

TEST(JTNetworkClass, IsARegisteredEngineClass) {
    EXPECT_EQ(JTUnknown::LookupTypeName("jtnetwork"), JTNetwork::nType);
    JTUnknown* made = JTUnknown::Create(JTNetwork::nType);
    ASSERT_NE(made, nullptr);
    EXPECT_STREQ(made->ClassName(), "JTNetwork");
    EXPECT_TRUE(made->IsDerived(JTUnknown::nType));
    delete made;
}

TEST_F(JTNetworkTest, HostFindJoinAndTalkThroughTheListener) {
    JTID app;
    JTNetwork host, guest;
    Prepare(host, app);
    Prepare(guest, app);

    // The guest's messages go to a registered listener, the host's fall to
    // the game object.
    Recorder listener;
    JTID listenerId;
    map_.Add(&listenerId, &listener);
    guest.SetListener(&listenerId);
    host.SetListener(nullptr);

    host.SetLocalPlayerName("Ann");
    ASSERT_EQ(host.HostGame(), JTNET_OK);
    guest.SetDiscoveryPort(host.GetSessionDiscoveryPort());
    ASSERT_TRUE(guest.EnumServiceProviders());
    ASSERT_TRUE(guest.HasTCPIP());
    ASSERT_TRUE(guest.SelectServiceProvider(-4));
    ASSERT_TRUE(guest.StartEnumHosts(listenerId));
    ASSERT_TRUE(Pump(host, guest, [&] {
        DPHostEnumInfo* p = guest.GetHostList();
        bool found = p != guest.GetHostListEnd() && p->bValid;
        guest.ReleaseHostList();
        return found;
    }));
    ASSERT_TRUE(guest.JoinGame(0));
    guest.StopEnumHosts();

    const unsigned char move[5] = {0x01, 0x34, 0x0C, 0x00, 0x00};
    ASSERT_TRUE(guest.SendNetwork(move, 5));
    ASSERT_TRUE(Pump(host, guest, [&] { return game_.Count(JTMSG_NETRECEIVE) == 1; }));
    EXPECT_EQ(game_.got.back().data, std::vector<unsigned char>(move, move + 5));
    EXPECT_EQ(game_.got.back().thread, std::this_thread::get_id());

    ASSERT_TRUE(host.SendNetwork(move, 5));
    ASSERT_TRUE(Pump(host, guest, [&] { return listener.Count(JTMSG_NETRECEIVE) == 1; }));
    EXPECT_EQ(listener.got.back().thread, std::this_thread::get_id());

    guest.LeaveGame();
    ASSERT_TRUE(Pump(host, guest, [&] {
        return game_.Count(JTMSG_NETPLAYERLEFT) == 1 && listener.Count(JTMSG_NETSESSIONLOST) == 1;
    }));
    EXPECT_EQ(listener.Count(JTMSG_NETPLAYERLEFT), 0);
    map_.Remove(&listenerId);
}
