// Game sessions between players: one program hosts, others join; each player
// sends guaranteed (reliable, ordered) blocks of bytes to one player or to
// all. A service thread keeps the connections alive and queues what arrives,
// up to a bound per connection; the owner takes the events on its own thread
// with PollEvent, so nothing received ever runs game code on the service
// thread.
#pragma once

#include "platform/net_discovery.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace platform {

// Players are numbered by the host: the host is 1, joiners from 2 up.
using NetPlayerId = uint32_t;
inline constexpr NetPlayerId kNetAllPlayers = 0;
inline constexpr NetPlayerId kNetHostPlayer = 1;

enum class NetEventKind {
    Received,     // data from `player`
    PlayerJoined, // `player` is now in the session
    PlayerLeft,   // `player` left the session
    SessionEnded, // the session is over for this player
};

struct NetEvent {
    NetEventKind kind = NetEventKind::Received;
    NetPlayerId player = 0;
    std::vector<uint8_t> data; // a private copy of what arrived
};

// What one connection may have waiting for the owner: past either bound the
// connection is dropped (the host lets the player go, a joiner leaves the
// session), so a peer that sends faster than the owner takes can neither
// grow the queue without end nor starve the owner's frame.
inline constexpr size_t kNetMaxWaitingPackets = 4096;
inline constexpr size_t kNetMaxWaitingBytes = 4u << 20;

struct NetHostConfig {
    std::string sessionName;
    uint16_t port = kDefaultGamePort;               // 0 picks a free port
    int maxPlayers = 2;                             // 0: no limit
    std::string bindAddress;                        // empty: every local address
    bool discoverable = true;                       // run a discovery responder beside the session
    uint16_t discoveryPort = kDefaultDiscoveryPort; // 0 picks a free port
    NetApplicationId application{};
};

// Wire kinds of the session protocol (first byte of every packet).
namespace netwire {
inline constexpr uint8_t kData = 1;         // u32 from, u32 to, payload
inline constexpr uint8_t kWelcome = 2;      // u32 you, u16 n, n x u32 other players
inline constexpr uint8_t kPlayerJoined = 3; // u32 player
inline constexpr uint8_t kPlayerLeft = 4;   // u32 player
inline constexpr size_t kDataHeader = 9;

// One packet read from the wire; payload points into the caller's buffer.
struct Packet {
    uint8_t kind = 0;
    NetPlayerId player = 0; // data: sender; welcome: you; joined/left: who
    NetPlayerId to = 0;     // data only
    const uint8_t* payload = nullptr;
    size_t payloadSize = 0;
    std::vector<NetPlayerId> others; // welcome only
};
// False for unknown kinds and for packets shorter than their kind needs
// (a data packet must carry at least one byte).
bool Parse(const uint8_t* data, size_t size, Packet& packet);
} // namespace netwire

class NetSession {
public:
    NetSession();
    ~NetSession();
    NetSession(const NetSession&) = delete;
    NetSession& operator=(const NetSession&) = delete;

    // Starts a session with this program as host. Fails (with a reason) when
    // the port cannot be had or a session is already running.
    bool Host(const NetHostConfig& config, std::string* error = nullptr);

    // Joins the session hosted at address:port. Waits at most timeoutMs for
    // the host to accept; on failure nothing is left running.
    bool Join(const std::string& address, uint16_t port, uint32_t timeoutMs,
              std::string* error = nullptr);

    // The same without waiting, for a caller that goes on with its frames:
    // BeginJoin asks the host (false, with a reason, when even that cannot
    // be done) and JoinProgress, asked as often as the caller likes, tells
    // whether the host has answered. A refusal leaves nothing running; a
    // host that never answers is given up by the caller with Leave.
    enum class JoinStatus { Waiting, Accepted, Refused };
    bool BeginJoin(const std::string& address, uint16_t port, std::string* error = nullptr);
    JoinStatus JoinProgress(std::string* error = nullptr);

    // Queues a guaranteed block for one player or for kNetAllPlayers (every
    // other player). False when not in a session, the block is empty or the
    // player is unknown.
    bool Send(NetPlayerId to, const void* data, size_t size);

    // Takes the oldest event not yet taken (owner's thread).
    bool PollEvent(NetEvent& event);
    // Events waiting to be taken.
    size_t WaitingEvents();

    // Leaves the session; a host leaving ends it for every player. No event
    // is queued for the leaving side itself.
    void Leave();

    // Host: ends the session for every player, this one included (each gets
    // SessionEnded). Joiner: the same as Leave.
    void EndSession();

    bool IsActive() const { return active_.load(); }
    bool IsHost() const { return isHost_; }
    NetPlayerId LocalPlayer() const { return localPlayer_.load(); }
    int PlayerCount() const { return playerCount_.load(); }
    uint16_t Port() const { return port_; }
    // Discovery port actually bound, 0 when nobody answers queries.
    uint16_t DiscoveryPort() const { return responder_.Port(); }

private:
    struct Impl;
    struct PeerRecord;

    bool ClearEndedSession();
    void StartService();
    void StopService();
    void ServiceLoop();
    void HandleConnect(void* peer, uint32_t greeting);
    void HandleDisconnect(void* peer, uint32_t reason);
    void HandleReceive(void* peer, const uint8_t* data, size_t size);
    // Host: forgets the connection's player and tells the others.
    void RemovePlayer(void* peer);
    // A joiner's session is over: no host, no players, and the game told.
    void EndJoinedSession();
    void Queue(NetEventKind kind, NetPlayerId player, const uint8_t* data = nullptr,
               size_t size = 0);
    // Queues data that arrived over a connection (the joiner's one to the
    // host counts as the host's); false, queuing nothing, when it would take
    // the connection past what it may have waiting.
    bool QueueReceived(NetPlayerId connection, NetPlayerId from, const uint8_t* data, size_t size);
    // Drops a connection that sent more than the owner takes, and what it
    // still has waiting.
    void DropFlooder(void* peer);
    void ForgetWaiting(NetPlayerId connection);
    void SendRaw(void* peer, const std::vector<uint8_t>& packet);
    void BroadcastRaw(const std::vector<uint8_t>& packet, void* except);
    void PublishPlayers();
    void Shutdown();

    std::unique_ptr<Impl> impl_;
    std::mutex hostMutex_; // guards every use of the transport host and peers
    std::thread service_;
    std::atomic<bool> running_{false};

    struct Waiting {
        NetEvent event;
        NetPlayerId connection = 0; // data only: the connection it came over
    };
    struct WaitingCount {
        size_t packets = 0, bytes = 0;
    };
    std::mutex eventMutex_;
    std::deque<Waiting> events_;
    std::unordered_map<NetPlayerId, WaitingCount> waiting_; // data per connection

    std::mutex joinMutex_;
    std::condition_variable joinSignal_;
    int joinState_ = 0; // 0 waiting, 1 welcomed, -1 refused or lost
    std::string joinError_;

    std::atomic<bool> active_{false};
    std::atomic<NetPlayerId> localPlayer_{0};
    std::atomic<int> playerCount_{0};
    bool isHost_ = false;
    int maxPlayers_ = 0;
    NetPlayerId nextPlayer_ = 2;
    uint16_t port_ = 0;
    NetDiscoveryResponder responder_;
};

} // namespace platform
