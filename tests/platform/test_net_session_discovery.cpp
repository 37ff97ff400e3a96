// Finding sessions: the target list from the environment, the datagram
// readers' length checks, and a browser finding a hosted session on loopback.
#include "platform/net_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

using namespace platform;
using Clock = std::chrono::steady_clock;

namespace {

NetApplicationId App(uint8_t tag) {
    NetApplicationId app{};
    app.fill(tag);
    return app;
}

bool WaitForHost(NetBrowser& browser, NetHostFound& found,
                 std::chrono::milliseconds limit = std::chrono::milliseconds(3000)) {
    auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (browser.Poll(found)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

// Restores an environment variable when the test ends.
struct EnvGuard {
    std::string name, old;
    bool had;
    explicit EnvGuard(const char* n) : name(n) {
        const char* v = std::getenv(n);
        had = v != nullptr;
        if (had) old = v;
    }
    ~EnvGuard() {
        if (had)
            setenv(name.c_str(), old.c_str(), 1);
        else
            unsetenv(name.c_str());
    }
};

} // namespace

TEST(NetDiscovery, TargetsComeFromTheEnvironment) {
    EnvGuard guard("JENTRA_DISCOVERY_HOSTS");
    setenv("JENTRA_DISCOVERY_HOSTS", " 127.0.0.1 ,,127.0.0.2,", 1);
    EXPECT_EQ(NetDiscoveryTargets(), (std::vector<std::string>{"127.0.0.1", "127.0.0.2"}));
}

TEST(NetDiscovery, DatagramReadersCheckLengths) {
    netdiscovery::Answer answer;
    answer.app = App(3);
    answer.stamp = 1234;
    answer.instanceId = 0x1122334455667788ull;
    answer.port = 4000;
    answer.players = 1;
    answer.maxPlayers = 2;
    answer.sessionName = "Ann's Game";
    std::vector<uint8_t> bytes = netdiscovery::EncodeAnswer(answer);
    ASSERT_EQ(bytes.size(), netdiscovery::kAnswerFixedSize + answer.sessionName.size());

    netdiscovery::Answer back;
    ASSERT_TRUE(netdiscovery::DecodeAnswer(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.sessionName, "Ann's Game");
    EXPECT_EQ(back.instanceId, answer.instanceId);
    EXPECT_EQ(back.port, 4000);
    EXPECT_EQ(back.maxPlayers, 2);
    // A name length running past the datagram, or any cut, is refused.
    for (size_t n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(netdiscovery::DecodeAnswer(bytes.data(), n, back)) << n;

    // A session name longer than a datagram can carry is cut, not overrun.
    answer.sessionName.assign(1000, 'x');
    bytes = netdiscovery::EncodeAnswer(answer);
    ASSERT_TRUE(netdiscovery::DecodeAnswer(bytes.data(), bytes.size(), back));
    EXPECT_EQ(back.sessionName.size(), kMaxSessionNameLength);

    std::vector<uint8_t> query = netdiscovery::EncodeQuery(App(9), 77);
    NetApplicationId app{};
    uint32_t stamp = 0;
    ASSERT_TRUE(netdiscovery::DecodeQuery(query.data(), query.size(), app, stamp));
    EXPECT_EQ(app, App(9));
    EXPECT_EQ(stamp, 77u);
    EXPECT_FALSE(netdiscovery::DecodeQuery(query.data(), query.size() - 1, app, stamp));
    query[0] = 'X';
    EXPECT_FALSE(netdiscovery::DecodeQuery(query.data(), query.size(), app, stamp));
}

TEST(NetDiscovery, BrowserFindsHostedSessionOnLoopback) {
    // Loopback only, whatever the calling environment says.
    EnvGuard guard("JENTRA_DISCOVERY_HOSTS");
    setenv("JENTRA_DISCOVERY_HOSTS", "127.0.0.1", 1);
    NetHostConfig config;
    config.sessionName = "Ann's Game";
    config.port = 0;
    config.bindAddress = "127.0.0.1";
    config.discoveryPort = 0;
    config.application = App(5);
    NetSession host;
    std::string error;
    ASSERT_TRUE(host.Host(config, &error)) << error;
    ASSERT_NE(host.DiscoveryPort(), 0);

    NetBrowser browser;
    ASSERT_TRUE(browser.Start(NetDiscoveryTargets(), host.DiscoveryPort(), App(5), 50, &error))
        << error;
    NetHostFound found;
    ASSERT_TRUE(WaitForHost(browser, found));
    EXPECT_EQ(found.sessionName, "Ann's Game");
    EXPECT_EQ(found.address, "127.0.0.1");
    EXPECT_EQ(found.port, host.Port());
    EXPECT_EQ(found.players, 1);
    EXPECT_EQ(found.maxPlayers, 2);

    // The answers follow the session: after a join the count is 2.
    NetSession guest;
    ASSERT_TRUE(guest.Join(found.address, found.port, 5000, &error)) << error;
    auto deadline = Clock::now() + std::chrono::seconds(3);
    NetHostFound later;
    while (Clock::now() < deadline && !(browser.Poll(later) && later.players == 2))
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(later.players, 2);
    EXPECT_EQ(later.instanceId, found.instanceId);

    // A browser for another game hears nothing from this host.
    NetBrowser other;
    ASSERT_TRUE(other.Start({"127.0.0.1"}, host.DiscoveryPort(), App(6), 20, &error));
    EXPECT_FALSE(WaitForHost(other, found, std::chrono::milliseconds(300)));

    // Once the host leaves, nobody answers any more.
    host.Leave();
    EXPECT_EQ(host.DiscoveryPort(), 0);
}
