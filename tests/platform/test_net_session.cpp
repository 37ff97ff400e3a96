// Sessions on loopback: hosting, joining, guaranteed data both ways, leaving,
// ending, refusals and the wire reader's length checks.
#include "platform/net_session.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <thread>

using namespace platform;
using Clock = std::chrono::steady_clock;

namespace {

NetHostConfig LoopbackHost(int maxPlayers = 2) {
    NetHostConfig config;
    config.sessionName = "Test Session";
    config.port = 0;
    config.bindAddress = "127.0.0.1";
    config.maxPlayers = maxPlayers;
    config.discoveryPort = 0;
    return config;
}

// Waits (bounded) for the next event of the given kind, collecting others.
bool WaitFor(NetSession& session, NetEventKind kind, NetEvent& out,
             std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
    auto deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        NetEvent event;
        while (session.PollEvent(event))
            if (event.kind == kind) {
                out = std::move(event);
                return true;
            }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return false;
}

struct HostAndGuest {
    NetSession host, guest;
    void Connect() {
        std::string error;
        ASSERT_TRUE(host.Host(LoopbackHost(), &error)) << error;
        ASSERT_NE(host.Port(), 0);
        ASSERT_TRUE(guest.Join("127.0.0.1", host.Port(), 5000, &error)) << error;
        NetEvent joined;
        ASSERT_TRUE(WaitFor(host, NetEventKind::PlayerJoined, joined));
        EXPECT_EQ(joined.player, guest.LocalPlayer());
        ASSERT_TRUE(WaitFor(guest, NetEventKind::PlayerJoined, joined));
        EXPECT_EQ(joined.player, kNetHostPlayer);
    }
};

} // namespace

TEST(NetSession, HostAndJoinExchangeGuaranteedData) {
    HostAndGuest s;
    s.Connect();
    EXPECT_TRUE(s.host.IsHost());
    EXPECT_FALSE(s.guest.IsHost());
    EXPECT_EQ(s.host.PlayerCount(), 2);
    EXPECT_EQ(s.guest.PlayerCount(), 2);
    EXPECT_NE(s.guest.LocalPlayer(), kNetHostPlayer);

    const uint8_t move[5] = {0x01, 0x74, 0x3B, 0x00, 0x00};
    ASSERT_TRUE(s.guest.Send(kNetAllPlayers, move, sizeof move));
    NetEvent got;
    ASSERT_TRUE(WaitFor(s.host, NetEventKind::Received, got));
    EXPECT_EQ(got.player, s.guest.LocalPlayer());
    EXPECT_EQ(got.data, std::vector<uint8_t>(move, move + 5));

    // Many blocks arrive complete and in the order sent.
    for (uint8_t i = 0; i < 50; ++i)
        ASSERT_TRUE(s.host.Send(s.guest.LocalPlayer(), &i, 1));
    for (uint8_t i = 0; i < 50; ++i) {
        ASSERT_TRUE(WaitFor(s.guest, NetEventKind::Received, got));
        ASSERT_EQ(got.data.size(), 1u);
        EXPECT_EQ(got.data[0], i);
        EXPECT_EQ(got.player, kNetHostPlayer);
    }
    // Empty blocks and unknown players are refused, not sent.
    EXPECT_FALSE(s.host.Send(kNetAllPlayers, move, 0));
    EXPECT_FALSE(s.host.Send(77, move, 5));
}

TEST(NetSession, LeavingAndEndingAreReported) {
    {
        HostAndGuest s;
        s.Connect();
        NetPlayerId guestId = s.guest.LocalPlayer();
        s.guest.Leave();
        EXPECT_FALSE(s.guest.IsActive());
        NetEvent left;
        ASSERT_TRUE(WaitFor(s.host, NetEventKind::PlayerLeft, left));
        EXPECT_EQ(left.player, guestId);
        EXPECT_EQ(s.host.PlayerCount(), 1);
        EXPECT_TRUE(s.host.IsActive());
        const uint8_t byte = 7;
        EXPECT_FALSE(s.guest.Send(kNetAllPlayers, &byte, 1));
    }
    {
        HostAndGuest s;
        s.Connect();
        s.host.EndSession();
        NetEvent ended;
        ASSERT_TRUE(WaitFor(s.guest, NetEventKind::SessionEnded, ended));
        EXPECT_FALSE(s.guest.IsActive());
        ASSERT_TRUE(WaitFor(s.host, NetEventKind::SessionEnded, ended));
        EXPECT_FALSE(s.host.IsActive());
    }
}

TEST(NetSession, FailedJoinsAndHostsReportFailure) {
    // A port held by a socket that never answers: the join must give up in time.
    int silent = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(silent, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(silent, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    socklen_t len = sizeof addr;
    getsockname(silent, reinterpret_cast<sockaddr*>(&addr), &len);
    uint16_t deadPort = ntohs(addr.sin_port);

    NetSession guest;
    std::string error;
    auto start = Clock::now();
    EXPECT_FALSE(guest.Join("127.0.0.1", deadPort, 400, &error));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(guest.IsActive());

    // Hosting on a port that is taken fails with a reason.
    NetHostConfig taken = LoopbackHost();
    taken.port = deadPort;
    NetSession host;
    error.clear();
    EXPECT_FALSE(host.Host(taken, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(host.IsActive());
    close(silent);

    // A full session refuses a third player at once with a reason.
    HostAndGuest s;
    s.Connect();
    NetSession third;
    error.clear();
    EXPECT_FALSE(third.Join("127.0.0.1", s.host.Port(), 5000, &error));
    EXPECT_NE(error.find("full"), std::string::npos) << error;
    EXPECT_EQ(s.host.PlayerCount(), 2);
}

TEST(NetSession, HostRelaysBlocksBetweenJoiners) {
    NetSession host, a, b;
    std::string error;
    ASSERT_TRUE(host.Host(LoopbackHost(3), &error)) << error;
    ASSERT_TRUE(a.Join("127.0.0.1", host.Port(), 5000, &error)) << error;
    ASSERT_TRUE(b.Join("127.0.0.1", host.Port(), 5000, &error)) << error;
    NetEvent event;
    ASSERT_TRUE(WaitFor(a, NetEventKind::PlayerJoined, event)); // the host
    ASSERT_TRUE(WaitFor(a, NetEventKind::PlayerJoined, event)); // b
    EXPECT_EQ(event.player, b.LocalPlayer());
    EXPECT_EQ(a.PlayerCount(), 3);

    const uint8_t hello[3] = {'h', 'i', '!'};
    ASSERT_TRUE(b.Send(kNetAllPlayers, hello, 3));
    ASSERT_TRUE(WaitFor(a, NetEventKind::Received, event));
    EXPECT_EQ(event.player, b.LocalPlayer());
    EXPECT_EQ(event.data.size(), 3u);
    ASSERT_TRUE(WaitFor(host, NetEventKind::Received, event));
    EXPECT_EQ(event.player, b.LocalPlayer());

    NetPlayerId bId = b.LocalPlayer();
    b.Leave();
    ASSERT_TRUE(WaitFor(a, NetEventKind::PlayerLeft, event));
    EXPECT_EQ(event.player, bId);
    EXPECT_EQ(a.PlayerCount(), 2);
}

// A player may have only so much waiting for the owner: one that sends
// faster than the owner takes is let go, with what it had waiting, in either
// direction; one whose blocks are taken as they come keeps its place and
// loses none.
TEST(NetSession, APeerThatSendsMoreThanTheOwnerTakesIsDropped) {
    const size_t flood = kNetMaxWaitingPackets + 200;
    {
        HostAndGuest s;
        s.Connect();
        const NetPlayerId guestId = s.guest.LocalPlayer();
        const uint8_t byte = 7;
        // Sending stops being possible once the host has let go.
        for (size_t i = 0; i < flood && s.guest.Send(kNetAllPlayers, &byte, 1); ++i) {
        }
        NetEvent event;
        ASSERT_TRUE(WaitFor(s.guest, NetEventKind::SessionEnded, event));
        EXPECT_FALSE(s.guest.IsActive());
        // The host took nothing meanwhile, yet holds only the news of the
        // departure: the flooder's blocks went with it.
        EXPECT_LE(s.host.WaitingEvents(), 1u);
        ASSERT_TRUE(s.host.PollEvent(event));
        EXPECT_EQ(event.kind, NetEventKind::PlayerLeft);
        EXPECT_EQ(event.player, guestId);
        EXPECT_EQ(s.host.PlayerCount(), 1);
        EXPECT_TRUE(s.host.IsActive());
    }
    {
        HostAndGuest s;
        s.Connect();
        const uint8_t byte = 9;
        for (size_t i = 0; i < flood && s.host.Send(kNetAllPlayers, &byte, 1); ++i) {
        }
        NetEvent event;
        ASSERT_TRUE(WaitFor(s.host, NetEventKind::PlayerLeft, event));
        EXPECT_EQ(s.host.PlayerCount(), 1);
        EXPECT_FALSE(s.guest.IsActive());
        EXPECT_LE(s.guest.WaitingEvents(), 1u);
        ASSERT_TRUE(s.guest.PollEvent(event));
        EXPECT_EQ(event.kind, NetEventKind::SessionEnded);
    }
    {
        HostAndGuest s;
        s.Connect();
        size_t got = 0;
        bool inOrder = true;
        auto take = [&] {
            NetEvent event;
            while (s.host.PollEvent(event))
                if (event.kind == NetEventKind::Received) {
                    inOrder = inOrder && event.data.size() == 1 && event.data[0] == uint8_t(got);
                    ++got;
                }
        };
        for (size_t i = 0; i < flood; ++i) {
            const uint8_t byte = uint8_t(i);
            ASSERT_TRUE(s.guest.Send(kNetAllPlayers, &byte, 1));
            if (i % 256 == 0) {
                // The owner keeps up: it takes what has come before more is sent.
                const auto deadline = Clock::now() + std::chrono::seconds(5);
                while (got <= i && Clock::now() < deadline)
                    take();
            }
        }
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        while (got < flood && Clock::now() < deadline)
            take();
        EXPECT_EQ(got, flood);
        EXPECT_TRUE(inOrder);
        EXPECT_TRUE(s.guest.IsActive());
        EXPECT_EQ(s.host.PlayerCount(), 2);
    }
}

TEST(NetWire, ShortPacketsAreDropped) {
    netwire::Packet packet;
    const uint8_t data[] = {netwire::kData, 2, 0, 0, 0, 0, 0, 0, 0, 0xAB};
    ASSERT_TRUE(netwire::Parse(data, sizeof data, packet));
    EXPECT_EQ(packet.player, 2u);
    EXPECT_EQ(packet.payloadSize, 1u);
    EXPECT_EQ(packet.payload[0], 0xAB);
    // A header with no payload, or a cut header, is not data.
    for (size_t n = 0; n < sizeof data; ++n)
        EXPECT_FALSE(netwire::Parse(data, n, packet)) << n;

    // A welcome naming more players than it carries is refused.
    const uint8_t welcome[] = {netwire::kWelcome, 3, 0, 0, 0, 2, 0, 1, 0, 0, 0};
    EXPECT_FALSE(netwire::Parse(welcome, sizeof welcome, packet));
    const uint8_t welcome1[] = {netwire::kWelcome, 3, 0, 0, 0, 1, 0, 1, 0, 0, 0};
    ASSERT_TRUE(netwire::Parse(welcome1, sizeof welcome1, packet));
    EXPECT_EQ(packet.player, 3u);
    ASSERT_EQ(packet.others.size(), 1u);
    EXPECT_EQ(packet.others[0], 1u);
    // The largest count with no players behind it.
    const uint8_t welcomeHuge[] = {netwire::kWelcome, 3, 0, 0, 0, 0xFF, 0xFF};
    EXPECT_FALSE(netwire::Parse(welcomeHuge, sizeof welcomeHuge, packet));

    const uint8_t left[] = {netwire::kPlayerLeft, 2, 0, 0};
    EXPECT_FALSE(netwire::Parse(left, sizeof left, packet));
    const uint8_t unknown[] = {0x7F, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    EXPECT_FALSE(netwire::Parse(unknown, sizeof unknown, packet));
}
