// Two networking instances on loopback: finding, hosting, joining, data as
// message 31 on the main thread, leaving and ending as 32 and 33, and the
// direct "-host"/"-connect" path.
#include "Jentra/core/network/network_core.h"
#include "platform/clock.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <iterator>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

struct Delivered {
    unsigned msg;
    std::vector<unsigned char> data;
    std::thread::id thread;
};

// One engine's networking with a recording listener.
struct Peer {
    JTNetworkCore net;
    std::vector<Delivered> got;
    Peer() {
        net.SetDeliver([this](unsigned msg, void* data) {
            Delivered d{msg, {}, std::this_thread::get_id()};
            if (msg == 31) {
                auto* block = static_cast<JTNetData*>(data);
                d.data.assign(block->pData, block->pData + block->nSize);
            }
            got.push_back(std::move(d));
        });
        net.SetGamePort(0);
        net.SetDiscoveryPort(0);
        net.SetBindAddress("127.0.0.1"); // nothing listens beyond loopback
        net.SetEnumRetryInterval(50);
        const uint8_t app[16] = {'r', 'o', 'o', 'k', 'f', 'a', 'l', 'l'};
        net.SetApplicationGUID(app);
    }
};

// Runs Update on both until the predicate holds or time runs out.
template <typename Pred>
bool Pump(std::initializer_list<Peer*> peers, Pred done,
          std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        for (Peer* p : peers)
            p->net.Update();
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

int Count(const Peer& p, unsigned msg) {
    int n = 0;
    for (const Delivered& d : p.got)
        n += d.msg == msg ? 1 : 0;
    return n;
}

class NetworkCoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("JENTRA_DISCOVERY_HOSTS");
        hadEnv_ = old != nullptr;
        if (hadEnv_) oldEnv_ = old;
        setenv("JENTRA_DISCOVERY_HOSTS", "127.0.0.1", 1); // loopback whatever the caller set
    }
    void TearDown() override {
        if (hadEnv_)
            setenv("JENTRA_DISCOVERY_HOSTS", oldEnv_.c_str(), 1);
        else
            unsetenv("JENTRA_DISCOVERY_HOSTS");
    }

    // host hosts, guest finds it through discovery and joins it.
    void HostAndJoin(Peer& host, Peer& guest) {
        host.net.SetLocalPlayerName("Ann");
        ASSERT_EQ(host.net.HostGame(), JTNET_OK);
        ASSERT_TRUE(host.net.IsNetworkGame());
        EXPECT_STREQ(host.net.GetSessionName(), "Ann's Game");
        guest.net.SetDiscoveryPort(host.net.GetSessionDiscoveryPort());
        ASSERT_TRUE(guest.net.EnumServiceProviders());
        ASSERT_TRUE(guest.net.SelectServiceProvider(-4));
        ASSERT_TRUE(guest.net.StartEnumHosts());
        ASSERT_TRUE(Pump({&host, &guest}, [&] {
            DPHostEnumInfo* first = guest.net.GetHostList();
            bool found = first != guest.net.GetHostListEnd() && first->bValid;
            guest.net.ReleaseHostList();
            return found;
        }));
        DPHostEnumInfo* first = guest.net.GetHostList();
        EXPECT_STREQ(first->szSessionName, "Ann's Game");
        std::string expected = "Ann's Game (1/" + std::to_string(first->nMaxPlayers) + ") (";
        EXPECT_EQ(std::string(first->szSession).rfind(expected, 0), 0u) << first->szSession;
        guest.net.ReleaseHostList();
        EXPECT_TRUE(guest.net.TakeHostListChanged());

        ASSERT_TRUE(guest.net.JoinGame(0));
        guest.net.StopEnumHosts();
        EXPECT_TRUE(guest.net.IsNetworkGame());
        EXPECT_FALSE(guest.net.IsHost());
        ASSERT_TRUE(Pump({&host, &guest}, [&] { return host.net.GetNumPlayers() == 2; }));
    }

private:
    bool hadEnv_ = false;
    std::string oldEnv_;
};

uint16_t SilentPort(int& fd) {
    fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    return ntohs(addr.sin_port);
}

} // namespace

TEST_F(NetworkCoreTest, DataArrivesAsMessage31OnTheUpdatingThread) {
    Peer host, guest;
    HostAndJoin(host, guest);

    const unsigned char move[5] = {0x01, 0x74, 0x3B, 0x00, 0x00};
    EXPECT_EQ(host.net.GetHostListEnd(), host.net.GetHostList()); // the host searched nothing
    host.net.ReleaseHostList();
    ASSERT_TRUE(guest.net.SendNetwork(move, sizeof move));
    ASSERT_TRUE(Pump({&host, &guest}, [&] { return Count(host, 31) == 1; }));
    EXPECT_EQ(host.got.back().data, std::vector<unsigned char>(move, move + 5));
    EXPECT_EQ(host.got.back().thread, std::this_thread::get_id());

    const unsigned char newGame[1] = {0x02};
    ASSERT_TRUE(host.net.SendNetwork(newGame, 1));
    ASSERT_TRUE(Pump({&host, &guest}, [&] { return Count(guest, 31) == 1; }));
    EXPECT_EQ(guest.got.back().data.size(), 1u);
    EXPECT_EQ(guest.got.back().thread, std::this_thread::get_id());

    // Nothing is handed out except from Update.
    ASSERT_TRUE(guest.net.SendNetwork(move, sizeof move));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Count(host, 31), 1);
    host.net.Update();
    EXPECT_EQ(Count(host, 31), 2);
}

// A frame hands out a bounded share of what came; the rest follows in the
// next frames, in order, none lost, and the sender keeps its place.
TEST_F(NetworkCoreTest, AFrameHandsOutABoundedShareOfTheDataInOrder) {
    Peer host, guest;
    HostAndJoin(host, guest);
    const int sent = 2 * JTNetworkCore::kMaxDataMessagesPerUpdate + 100;
    for (int i = 0; i < sent; ++i) {
        const unsigned char block[3] = {0x07, uint8_t(i), uint8_t(i >> 8)};
        ASSERT_TRUE(guest.net.SendNetwork(block, sizeof block));
    }
    // Time for all of it to arrive before the host's next frame.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const int share = JTNetworkCore::kMaxDataMessagesPerUpdate;
    std::vector<int> perFrame;
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (Count(host, 31) < sent && Clock::now() < deadline) {
        const int before = Count(host, 31);
        host.net.Update();
        perFrame.push_back(Count(host, 31) - before);
    }
    ASSERT_EQ(Count(host, 31), sent);
    EXPECT_EQ(perFrame.front(), share);
    for (int n : perFrame)
        EXPECT_LE(n, share);
    for (int i = 0; i < sent; ++i) {
        const std::vector<unsigned char> want = {0x07, uint8_t(i), uint8_t(i >> 8)};
        ASSERT_EQ(host.got[size_t(i)].data, want) << i;
    }
    EXPECT_TRUE(guest.net.IsNetworkGame());
    EXPECT_EQ(host.net.GetNumPlayers(), 2);
}

TEST_F(NetworkCoreTest, LeavingGives32ThereAnd33Here) {
    Peer host, guest;
    HostAndJoin(host, guest);
    guest.net.LeaveGame();
    EXPECT_FALSE(guest.net.IsNetworkGame());
    EXPECT_EQ(Count(guest, 33), 0); // only Update delivers
    ASSERT_TRUE(
        Pump({&host, &guest}, [&] { return Count(host, 32) == 1 && Count(guest, 33) == 1; }));
    EXPECT_EQ(Count(host, 33), 0);
    EXPECT_TRUE(host.net.IsNetworkGame());
    const unsigned char byte = 1;
    EXPECT_FALSE(guest.net.SendNetwork(&byte, 1));
}

TEST_F(NetworkCoreTest, EndingTheSessionGives33ToBoth) {
    Peer host, guest;
    HostAndJoin(host, guest);
    // A block sent just before the end still arrives before the end.
    const unsigned char last[2] = {0x02, 0x00};
    ASSERT_TRUE(host.net.SendNetwork(last, 2));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    host.net.DestroyGame();
    ASSERT_TRUE(
        Pump({&host, &guest}, [&] { return Count(guest, 33) == 1 && Count(host, 33) == 1; }));
    ASSERT_EQ(Count(guest, 31), 1);
    EXPECT_EQ(guest.got.front().msg, 31u);
    EXPECT_FALSE(guest.net.IsNetworkGame());
    EXPECT_FALSE(host.net.IsNetworkGame());

    // Both are free for the next session.
    guest.net.SetLocalPlayerName("Bob");
    EXPECT_EQ(guest.net.HostGame(), JTNET_OK);
    EXPECT_STREQ(guest.net.GetSessionName(), "Bob's Game");
}

TEST_F(NetworkCoreTest, TwoLeavingInOneFrameGiveTwo32InOrder) {
    Peer host, a, b;
    host.net.SetMaxPlayers(3);
    HostAndJoin(host, a);
    b.net.SetDiscoveryPort(host.net.GetSessionDiscoveryPort());
    ASSERT_TRUE(b.net.StartEnumHosts());
    ASSERT_TRUE(Pump({&host, &b}, [&] {
        DPHostEnumInfo* first = b.net.GetHostList();
        bool found = first != b.net.GetHostListEnd() && first->bValid;
        b.net.ReleaseHostList();
        return found;
    }));
    ASSERT_TRUE(b.net.JoinGame(0));
    ASSERT_TRUE(Pump({&host}, [&] { return host.net.GetNumPlayers() == 3; }));
    a.net.LeaveGame();
    b.net.LeaveGame();
    auto deadline = Clock::now() + std::chrono::seconds(5);
    while (host.net.GetNumPlayers() != 1 && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    ASSERT_EQ(host.net.GetNumPlayers(), 1);
    EXPECT_EQ(Count(host, 32), 0);
    host.net.Update();
    EXPECT_EQ(Count(host, 32), 2);
}

TEST_F(NetworkCoreTest, DirectHostAndConnectFromTheCommandLine) {
    Peer host, guest;
    ASSERT_EQ(host.net.Init("Rookfall -host"), JTNET_OK);
    EXPECT_TRUE(host.net.GetLobbyLaunched());
    ASSERT_EQ(host.net.ConnectUsingLobbySettings(), JTNET_OK);
    EXPECT_TRUE(host.net.IsHost());
    EXPECT_STREQ(host.net.GetSessionName(), "Rookfall Session");

    ASSERT_EQ(guest.net.Init("Rookfall -connect 127.0.0.1 nosplash"), JTNET_OK);
    EXPECT_TRUE(guest.net.GetLobbyLaunched());
    EXPECT_STREQ(guest.net.GetCommandLine().szHostName, "127.0.0.1");
    guest.net.SetDiscoveryPort(host.net.GetSessionDiscoveryPort());
    ASSERT_EQ(guest.net.ConnectUsingLobbySettings(), JTNET_OK);
    EXPECT_TRUE(guest.net.IsNetworkGame());
    EXPECT_STREQ(guest.net.GetSessionName(), "Rookfall Session");
    ASSERT_TRUE(Pump({&host, &guest}, [&] { return host.net.GetNumPlayers() == 2; }));

    // Without either word nothing is started.
    Peer plain;
    ASSERT_EQ(plain.net.Init("Rookfall nosplash"), JTNET_OK);
    EXPECT_FALSE(plain.net.GetLobbyLaunched());
    EXPECT_EQ(plain.net.ConnectUsingLobbySettings(), JTNET_OK);
    EXPECT_FALSE(plain.net.IsNetworkGame());
}

TEST_F(NetworkCoreTest, FailuresAreReportedNotHidden) {
    int fd = -1;
    uint16_t port = SilentPort(fd);
    ASSERT_GE(fd, 0);

    // Nobody answers at the named host: five short attempts, then an error
    // instead of ending the program.
    Peer guest;
    guest.net.Init("-connect 127.0.0.1");
    guest.net.SetDiscoveryPort(port);
    guest.net.SetEnumRetryInterval(20);
    auto start = Clock::now();
    EXPECT_EQ(guest.net.ConnectUsingLobbySettings(), JTNET_E_NOHOST);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(guest.net.IsNetworkGame());

    // Hosting on a port that is taken fails and leaves no session.
    Peer host;
    host.net.SetGamePort(port);
    testing::internal::CaptureStderr();
    EXPECT_EQ(host.net.HostGame(), JTNET_E_FAIL);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("cannot host"), std::string::npos);
    EXPECT_FALSE(host.net.IsNetworkGame());

    // No such entry in the host list.
    EXPECT_FALSE(guest.net.JoinGame(0));
    EXPECT_FALSE(guest.net.IsNetworkGame());

    // Only the one provider exists.
    EXPECT_FALSE(guest.net.SelectServiceProvider(-1));
    EXPECT_TRUE(guest.net.EnumServiceProviders());
    EXPECT_EQ(guest.net.GetNumServiceProviders(), 1);
    EXPECT_FALSE(guest.net.SelectServiceProvider(1));
    EXPECT_FALSE(guest.net.SelectServiceProvider(-2));
    EXPECT_TRUE(guest.net.SelectServiceProvider(0));
    close(fd);
}

TEST_F(NetworkCoreTest, DirectConnectGoesStepByStepAndFindsAHostThatComesLate) {
    // Nobody answers yet at the host's discovery port.
    int fd = -1;
    const uint16_t port = SilentPort(fd);
    ASSERT_GE(fd, 0);
    Peer guest;
    guest.net.Init("-connect 127.0.0.1");
    guest.net.SetDiscoveryPort(port);
    guest.net.SetEnumRetryInterval(200); // each try gives up after 600 ms

    // No step waits for a try to run out, so a caller's frames go on; the
    // tries follow one another.
    ASSERT_EQ(guest.net.StartDirectConnect(), JTNET_PENDING);
    EXPECT_EQ(guest.net.GetDirectConnectAttempt(), 1);
    Clock::duration longestStep{};
    int32_t result = JTNET_PENDING;
    auto until = [&](auto done) {
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (result == JTNET_PENDING && !done() && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const auto before = Clock::now();
            result = guest.net.ContinueDirectConnect();
            longestStep = std::max(longestStep, Clock::now() - before);
        }
    };
    until([&] { return guest.net.GetDirectConnectAttempt() >= 3; });
    ASSERT_EQ(result, JTNET_PENDING);
    EXPECT_FALSE(guest.net.IsNetworkGame());

    // The host starts during the third try: a later try finds and joins it.
    close(fd);
    Peer host;
    host.net.SetDiscoveryPort(port);
    ASSERT_EQ(host.net.HostGame(), JTNET_OK);
    until([] { return false; });
    EXPECT_EQ(result, JTNET_OK);
    EXPECT_LT(longestStep, std::chrono::milliseconds(300));
    EXPECT_TRUE(guest.net.IsNetworkGame());
    EXPECT_EQ(guest.net.GetDirectConnectAttempt(), 0);
    EXPECT_EQ(guest.net.ContinueDirectConnect(), JTNET_OK); // the result stays
    ASSERT_TRUE(Pump({&host, &guest}, [&] { return host.net.GetNumPlayers() == 2; }));
}

TEST_F(NetworkCoreTest, DirectConnectEndsAfterFiveTriesOrWhenGivenUp) {
    int fd = -1;
    const uint16_t port = SilentPort(fd);
    ASSERT_GE(fd, 0);
    Peer guest;
    guest.net.Init("-connect 127.0.0.1");
    guest.net.SetDiscoveryPort(port);
    guest.net.SetEnumRetryInterval(20);

    int highest = 0;
    int32_t result = guest.net.StartDirectConnect();
    const auto deadline = Clock::now() + std::chrono::seconds(5);
    while (result == JTNET_PENDING && Clock::now() < deadline) {
        highest = std::max(highest, guest.net.GetDirectConnectAttempt());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        result = guest.net.ContinueDirectConnect();
    }
    EXPECT_EQ(result, JTNET_E_NOHOST);
    EXPECT_EQ(highest, JTNetwork::kDirectConnectAttempts);
    EXPECT_EQ(guest.net.GetDirectConnectAttempt(), 0);
    EXPECT_EQ(guest.net.ContinueDirectConnect(), JTNET_E_NOHOST);

    // Given up during a try: no more tries, no session.
    ASSERT_EQ(guest.net.StartDirectConnect(), JTNET_PENDING);
    guest.net.StopDirectConnect();
    EXPECT_EQ(guest.net.GetDirectConnectAttempt(), 0);
    EXPECT_EQ(guest.net.ContinueDirectConnect(), JTNET_E_NOHOST);
    EXPECT_FALSE(guest.net.IsNetworkGame());
    close(fd);
}

TEST_F(NetworkCoreTest, SilentHostsAgeOutOnTheEngineClock) {
    Peer host, guest;
    host.net.SetLocalPlayerName("Ann");
    ASSERT_EQ(host.net.HostGame(), JTNET_OK);
    guest.net.SetDiscoveryPort(host.net.GetSessionDiscoveryPort());
    ASSERT_TRUE(guest.net.StartEnumHosts());
    auto firstValid = [&] {
        DPHostEnumInfo* first = guest.net.GetHostList();
        bool valid = first != guest.net.GetHostListEnd() && first->bValid;
        guest.net.ReleaseHostList();
        return valid;
    };
    ASSERT_TRUE(Pump({&host, &guest}, firstValid));
    EXPECT_TRUE(guest.net.TakeHostListChanged());

    // The host goes away; only the engine's clock decides when it is gone
    // from the list (three retry intervals of 50 ms).
    platform::TestClock clock(platform::TickCount64());
    platform::SetCurrentClock(&clock);
    host.net.DestroyGame();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    guest.net.Update(); // takes the last answers, whose latency may change the text
    guest.net.TakeHostListChanged();
    guest.net.Update();
    EXPECT_TRUE(firstValid());
    EXPECT_FALSE(guest.net.TakeHostListChanged());
    clock.AdvanceMilliseconds(151);
    guest.net.Update();
    platform::SetCurrentClock(nullptr);
    EXPECT_FALSE(firstValid());
    EXPECT_TRUE(guest.net.TakeHostListChanged());
}

namespace {

// A host that answers the search for games but whose game port keeps
// silent (it has hung, or something else holds the port).
struct DiscoveryOnlyHost {
    int gameFd = -1;
    uint16_t gamePort = 0;
    platform::NetDiscoveryResponder responder;
    explicit DiscoveryOnlyHost(const uint8_t (&app)[16]) {
        gamePort = SilentPort(gameFd);
        platform::NetApplicationId id{};
        std::copy(std::begin(app), std::end(app), id.begin());
        responder.SetSessionName("Idle's Game");
        responder.SetPlayers(1, 2);
        EXPECT_TRUE(responder.Start("127.0.0.1", 0, id, 77, gamePort));
    }
    ~DiscoveryOnlyHost() {
        responder.Stop();
        close(gameFd);
    }
};

const uint8_t kApp[16] = {'r', 'o', 'o', 'k', 'f', 'a', 'l', 'l'};

} // namespace

TEST_F(NetworkCoreTest, AJoinToAGameThatDoesNotAnswerNeverHoldsTheCallerAndCanBeGivenUp) {
    DiscoveryOnlyHost silent(kApp);
    Peer guest;
    guest.net.SetDiscoveryPort(silent.responder.Port());
    guest.net.SetJoinTimeout(600);
    ASSERT_TRUE(guest.net.StartEnumHosts());
    ASSERT_TRUE(Pump({&guest}, [&] {
        DPHostEnumInfo* first = guest.net.GetHostList();
        bool found = first != guest.net.GetHostListEnd() && first->bValid;
        guest.net.ReleaseHostList();
        return found;
    }));

    // Each step returns at once; the answer "found" is not taken for a game.
    auto stepThrough = [&](int32_t& result) {
        Clock::duration longest{};
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (result == JTNET_PENDING && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            const auto before = Clock::now();
            guest.net.Update();
            result = guest.net.ContinueJoinGame();
            longest = std::max(longest, Clock::now() - before);
        }
        return longest;
    };
    int32_t result = guest.net.StartJoinGame(0);
    ASSERT_EQ(result, JTNET_PENDING);
    EXPECT_TRUE(guest.net.IsJoining());
    EXPECT_STREQ(guest.net.GetJoinAddress(), "127.0.0.1");
    testing::internal::CaptureStderr();
    const auto started = Clock::now();
    const Clock::duration longest = stepThrough(result);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, JTNET_E_NOANSWER);
    EXPECT_GE(Clock::now() - started, std::chrono::milliseconds(550));
    EXPECT_LT(longest, std::chrono::milliseconds(100));
    EXPECT_NE(said.find("did not answer"), std::string::npos) << said;
    EXPECT_FALSE(guest.net.IsJoining());
    EXPECT_FALSE(guest.net.IsNetworkGame());
    EXPECT_EQ(guest.net.ContinueJoinGame(), JTNET_E_NOANSWER); // the result stays

    // Given up half way: nothing is left running, and a real host is
    // joined next.
    ASSERT_EQ(guest.net.StartJoinGame(0), JTNET_PENDING);
    guest.net.CancelJoinGame();
    EXPECT_FALSE(guest.net.IsJoining());
    EXPECT_NE(guest.net.ContinueJoinGame(), JTNET_PENDING);
    EXPECT_FALSE(guest.net.IsNetworkGame());
    guest.net.StopEnumHosts();
    Peer host;
    HostAndJoin(host, guest);
}

TEST_F(NetworkCoreTest, DirectConnectBelievesTheSearchOnlyWhenTheGameAnswers) {
    DiscoveryOnlyHost silent(kApp);
    Peer guest;
    guest.net.Init("-connect localhost");
    guest.net.SetDiscoveryPort(silent.responder.Port());
    guest.net.SetJoinTimeout(400);
    int32_t result = guest.net.StartDirectConnect();
    ASSERT_EQ(result, JTNET_PENDING);
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    Clock::duration longest{};
    while (result == JTNET_PENDING && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        const auto before = Clock::now();
        result = guest.net.ContinueDirectConnect();
        longest = std::max(longest, Clock::now() - before);
    }
    // Found at the first try, refused by silence: no further tries.
    EXPECT_EQ(result, JTNET_E_NOANSWER);
    EXPECT_LT(longest, std::chrono::milliseconds(100));
    EXPECT_STREQ(guest.net.GetJoinAddress(), "127.0.0.1"); // the name, resolved
    EXPECT_FALSE(guest.net.IsNetworkGame());
    EXPECT_EQ(guest.net.GetDirectConnectAttempt(), 0);

    // Given up while the join waits: at once, and for good.
    ASSERT_EQ(guest.net.StartDirectConnect(), JTNET_PENDING);
    while (!guest.net.IsJoining() && Clock::now() < deadline + std::chrono::seconds(5)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ASSERT_EQ(guest.net.ContinueDirectConnect(), JTNET_PENDING);
    }
    ASSERT_TRUE(guest.net.IsJoining());
    guest.net.StopDirectConnect();
    EXPECT_FALSE(guest.net.IsJoining());
    EXPECT_NE(guest.net.ContinueDirectConnect(), JTNET_PENDING);
}

TEST_F(NetworkCoreTest, ABlockPutOffByTheListenerComesFirstNextTimeWithEverythingAfterIt) {
    Peer host, guest;
    HostAndJoin(host, guest);
    // The listener takes one block of kind 2 an Update, as a game takes one
    // new game a frame.
    std::vector<std::vector<unsigned char>> taken;
    int updates = 0, kind2ThisUpdate = -1;
    guest.net.SetDeliver([&](unsigned msg, void* data) {
        if (msg != 31) return;
        auto* block = static_cast<JTNetData*>(data);
        if (block->pData[0] == 2) {
            if (kind2ThisUpdate == updates) {
                guest.net.PostponeDelivery();
                return;
            }
            kind2ThisUpdate = updates;
        }
        taken.emplace_back(block->pData, block->pData + block->nSize);
    });
    const std::vector<std::vector<unsigned char>> sent = {{2}, {1, 7}, {2}, {2}, {1, 8}, {3}};
    for (const auto& block : sent)
        ASSERT_TRUE(host.net.SendNetwork(block.data(), unsigned(block.size())));
    // Everything has arrived before the first Update hands anything out.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    guest.net.Update();
    ++updates;
    EXPECT_EQ(taken.size(), 2u);
    for (int i = 0; i < 5 && taken.size() < sent.size(); ++i, ++updates)
        guest.net.Update();
    EXPECT_EQ(taken, sent);
    EXPECT_EQ(updates, 3); // one kind-2 block an Update
}

// The host greets a joiner at once; frames drawn before the game hears that
// its join was answered must not lose that greeting, and it comes only
// after the answer, when the game has set up its side.
TEST_F(NetworkCoreTest, WhatTheHostSendsBeforeTheJoinIsHeardOfWaitsForIt) {
    Peer host, guest;
    host.net.SetLocalPlayerName("Ann");
    ASSERT_EQ(host.net.HostGame(), JTNET_OK);
    guest.net.SetDiscoveryPort(host.net.GetSessionDiscoveryPort());
    ASSERT_TRUE(guest.net.StartEnumHosts());
    ASSERT_TRUE(Pump({&host, &guest}, [&] {
        DPHostEnumInfo* first = guest.net.GetHostList();
        bool found = first != guest.net.GetHostListEnd() && first->bValid;
        guest.net.ReleaseHostList();
        return found;
    }));
    ASSERT_EQ(guest.net.StartJoinGame(0), JTNET_PENDING);
    ASSERT_TRUE(Pump({&host}, [&] { return host.net.GetNumPlayers() == 2; }));
    const unsigned char greeting[] = {7, 1, 2, 3};
    ASSERT_TRUE(host.net.SendNetwork(greeting, sizeof greeting));

    // Frames go by before anyone asks after the join.
    for (int frame = 0; frame < 20; ++frame) {
        guest.net.Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(Count(guest, 31), 0);
    ASSERT_TRUE(guest.net.IsJoining());

    ASSERT_TRUE(Pump({&guest}, [&] { return guest.net.ContinueJoinGame() != JTNET_PENDING; }));
    ASSERT_TRUE(guest.net.IsNetworkGame());
    ASSERT_TRUE(Pump({&guest}, [&] { return Count(guest, 31) == 1; }));
    const auto data = std::find_if(guest.got.begin(), guest.got.end(),
                                   [](const Delivered& d) { return d.msg == 31; });
    EXPECT_EQ(data->data, std::vector<unsigned char>(greeting, greeting + sizeof greeting));
    guest.net.StopEnumHosts();
}
