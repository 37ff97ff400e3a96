// Finding game sessions on the local network: a responder that a hosting
// program runs beside its session, and a browser that asks a list of
// addresses for sessions and collects the answers. Both speak small UDP
// datagrams on a discovery port of their own; the session itself runs
// elsewhere (net_session.h).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace platform {

// Identifies the game whose sessions are wanted; hosts of other games stay silent.
using NetApplicationId = std::array<uint8_t, 16>;

inline constexpr uint16_t kDefaultDiscoveryPort = 28710;
inline constexpr uint16_t kDefaultGamePort = 28711;
// Session names travel with a one-byte length.
inline constexpr size_t kMaxSessionNameLength = 255;

// What the browser learnt about one hosted session.
struct NetHostFound {
    std::string sessionName;
    std::string address; // dotted IPv4 address the answer came from
    uint16_t port = 0;   // the session's game port at that address
    int players = 0;
    int maxPlayers = 0; // 0: no limit
    uint32_t latencyMs = 0;
    uint64_t instanceId = 0; // same value for every answer of one session
};

// Addresses to ask: JENTRA_DISCOVERY_HOSTS (comma-separated) when set and not
// empty, else the local broadcast address.
std::vector<std::string> NetDiscoveryTargets();

// A host name or dotted address as a dotted IPv4 address (empty when it does
// not resolve). A name may make the resolver wait, so a caller that repeats
// tries to one host resolves it once.
std::string ResolveIPv4Text(const std::string& name);

// Datagram layouts, shared by responder, browser and tests. A query is magic,
// version, pad, application id and a time stamp (26 bytes); an answer adds the
// instance, game port, players, limit and the name with its length byte.
namespace netdiscovery {
inline constexpr size_t kAnswerFixedSize = 41; // up to and including the name length
std::vector<uint8_t> EncodeQuery(const NetApplicationId& app, uint32_t stamp);
bool DecodeQuery(const uint8_t* data, size_t size, NetApplicationId& app, uint32_t& stamp);
struct Answer {
    NetApplicationId app{};
    uint32_t stamp = 0;
    uint64_t instanceId = 0;
    uint16_t port = 0;
    uint16_t players = 0;
    uint16_t maxPlayers = 0;
    std::string sessionName;
};
std::vector<uint8_t> EncodeAnswer(const Answer& answer);
bool DecodeAnswer(const uint8_t* data, size_t size, Answer& answer);
} // namespace netdiscovery

// A UDP socket served by a thread of its own, which Stop wakes through a
// pipe and joins. Shared by the responder and the browser.
class DatagramThread {
public:
    // (bytes, size, IPv4 sender address in network order, sender port in network order)
    using Receive = std::function<void(const uint8_t*, size_t, uint32_t, uint16_t)>;

    DatagramThread() = default;
    ~DatagramThread() { Stop(); }
    DatagramThread(const DatagramThread&) = delete;
    DatagramThread& operator=(const DatagramThread&) = delete;

    // Takes the socket (closed here on failure too) and runs `body` on the thread.
    bool Start(int socket, std::function<void()> body, std::string* error);
    void Stop();
    bool IsRunning() const { return thread_.joinable(); }

    // On the thread: waits up to timeoutMs (-1: no limit) for datagrams and
    // hands each waiting one to `receive`; false once Stop was called.
    bool Serve(int timeoutMs, const Receive& receive);
    void SendTo(const std::vector<uint8_t>& bytes, uint32_t address, uint16_t port);

private:
    int socket_ = -1;
    int wakePipe_[2] = {-1, -1};
    std::thread thread_;
};

// Answers discovery queries for one hosted session. The answer's contents are
// read at each query, so player counts stay current.
class NetDiscoveryResponder {
public:
    NetDiscoveryResponder() = default;
    ~NetDiscoveryResponder();
    NetDiscoveryResponder(const NetDiscoveryResponder&) = delete;
    NetDiscoveryResponder& operator=(const NetDiscoveryResponder&) = delete;

    // Binds the discovery port (0 picks a free one) and starts answering.
    bool Start(const std::string& bindAddress, uint16_t discoveryPort, const NetApplicationId& app,
               uint64_t instanceId, uint16_t gamePort, std::string* error = nullptr);
    void Stop();
    bool IsRunning() const { return worker_.IsRunning(); }
    uint16_t Port() const { return port_; }

    void SetSessionName(const std::string& name);
    void SetPlayers(int players, int maxPlayers);

private:
    void Run();

    uint16_t port_ = 0;
    DatagramThread worker_;
    mutable std::mutex mutex_;
    netdiscovery::Answer answer_;
};

// Asks every target address for sessions, again every retry interval, and
// queues the answers for the caller.
class NetBrowser {
public:
    NetBrowser() = default;
    ~NetBrowser();
    NetBrowser(const NetBrowser&) = delete;
    NetBrowser& operator=(const NetBrowser&) = delete;

    // Targets are host names or IPv4 addresses; those that do not resolve are
    // skipped. Fails when none resolves or no socket can be made.
    bool Start(const std::vector<std::string>& targets, uint16_t discoveryPort,
               const NetApplicationId& app, uint32_t retryMs, std::string* error = nullptr);
    void Stop();
    bool IsRunning() const { return worker_.IsRunning(); }

    // Takes the oldest answer not yet taken.
    bool Poll(NetHostFound& found);

private:
    void Run(uint32_t retryMs);

    std::vector<uint32_t> targets_; // IPv4 addresses in network byte order
    uint16_t discoveryPort_ = 0;
    NetApplicationId app_{};
    DatagramThread worker_;
    std::mutex mutex_;
    std::deque<NetHostFound> found_;
};

} // namespace platform
