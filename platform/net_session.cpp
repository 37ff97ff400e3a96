// Game sessions over ENet. The host accepts joiners, numbers them and relays
// blocks meant for everyone; joiners talk only to the host. One service
// thread per session drives the transport under hostMutex_ and turns what
// arrives into queued events; every packet is checked against its kind's
// length before a field is read, and short ones are dropped.
#include "platform/net_session.h"

#include "platform/binary_io.h"

#include <enet/enet.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

// Sent with the connection request so that strangers on the port are refused.
constexpr enet_uint32 kProtocolMagic = 0x4A544E31; // "JTN1"
constexpr enet_uint32 kRefuseProtocol = 1;
constexpr enet_uint32 kRefuseFull = 2;
constexpr enet_uint32 kDropFlood = 3;
constexpr size_t kMaxPacketSize = 1u << 20;
constexpr int kServiceWaitMs = 10;
constexpr uint32_t kLeaveGraceMs = 300;
constexpr size_t kUnlimitedPeerSlots = 64;

bool InitializeTransport() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = enet_initialize() == 0; });
    return ok;
}

std::vector<uint8_t> PlayerPacket(uint8_t kind, NetPlayerId player) {
    BufferWriter packet;
    packet.WriteU8(kind);
    packet.WriteU32(player);
    return packet.Take();
}

std::vector<uint8_t> DataPacket(NetPlayerId from, NetPlayerId to, const uint8_t* data,
                                size_t size) {
    BufferWriter packet;
    packet.WriteU8(netwire::kData);
    packet.WriteU32(from);
    packet.WriteU32(to);
    packet.WriteBytes(data, size);
    return packet.Take();
}

void SetError(std::string* error, const std::string& text) {
    if (error) *error = text;
}

// The transport makes its socket without close-on-exec; a program started
// later (a browser, a helper) must not inherit the game's port.
ENetHost* CreateTransportHost(const ENetAddress* address, size_t peers) {
    ENetHost* host = enet_host_create(address, peers, 1, 0, 0);
    if (!host) return nullptr;
    fcntl(host->socket, F_SETFD, fcntl(host->socket, F_GETFD) | FD_CLOEXEC);
    host->maximumPacketSize = kMaxPacketSize;
    // The transport's own bound on what a peer may have half-received or
    // not yet handed out.
    host->maximumWaitingData = kNetMaxWaitingBytes;
    return host;
}

uint64_t NewInstanceId() {
    // Different for every session hosted, even two in one process.
    static std::atomic<uint64_t> counter{0};
    uint64_t t = static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    uint64_t id = t ^ (static_cast<uint64_t>(getpid()) << 40) ^ (++counter * 0x9E3779B97F4A7C15ull);
    return id ? id : 1;
}

} // namespace

bool netwire::Parse(const uint8_t* data, size_t size, Packet& packet) {
    packet = Packet{};
    MemoryReader in(data, size);
    if (!in.ReadU8(packet.kind)) return false;
    switch (packet.kind) {
    case kData:
        if (!in.ReadU32(packet.player) || !in.ReadU32(packet.to) || in.AtEnd()) return false;
        packet.payload = in.Rest().data();
        packet.payloadSize = in.Rest().size();
        return true;
    case kWelcome: {
        uint16_t count = 0;
        if (!in.ReadU32(packet.player) || !in.ReadU16(count) || in.Remaining() < 4u * count)
            return false;
        packet.others.resize(count);
        for (NetPlayerId& other : packet.others)
            in.ReadU32(other);
        return true;
    }
    case kPlayerJoined:
    case kPlayerLeft:
        return in.ReadU32(packet.player);
    default:
        return false; // unknown kinds come from newer peers; ignore them
    }
}

struct NetSession::PeerRecord {
    ENetPeer* peer = nullptr;
    NetPlayerId id = 0;
};

struct NetSession::Impl {
    ENetHost* host = nullptr;
    ENetPeer* server = nullptr;                     // joiner: the connection to the host
    std::vector<std::unique_ptr<PeerRecord>> peers; // host: one per joined player
    std::vector<NetPlayerId> others;                // joiner: the players besides itself
    bool welcomed = false;                          // joiner: the host accepted us
};

NetSession::NetSession() : impl_(std::make_unique<Impl>()) {}

NetSession::~NetSession() {
    Leave();
}

bool NetSession::Host(const NetHostConfig& config, std::string* error) {
    if (!ClearEndedSession()) {
        SetError(error, "a session is already running");
        return false;
    }
    if (!InitializeTransport()) {
        SetError(error, "network transport could not be initialised");
        return false;
    }
    ENetAddress address{};
    address.host = ENET_HOST_ANY;
    address.port = config.port;
    if (!config.bindAddress.empty() &&
        enet_address_set_host_ip(&address, config.bindAddress.c_str()) != 0) {
        SetError(error, "bad bind address " + config.bindAddress);
        return false;
    }
    // One slot more than the joiners allowed, so a surplus joiner is told
    // the session is full instead of being left without an answer.
    size_t slots =
        config.maxPlayers > 0 ? static_cast<size_t>(config.maxPlayers) : kUnlimitedPeerSlots;
    ENetHost* host = CreateTransportHost(&address, slots);
    if (!host) {
        SetError(error, "cannot host on port " + std::to_string(config.port) +
                            " (in use or not permitted)");
        return false;
    }
    ENetAddress bound{};
    enet_socket_get_address(host->socket, &bound);

    isHost_ = true;
    maxPlayers_ = std::max(0, config.maxPlayers);
    nextPlayer_ = kNetHostPlayer + 1;
    port_ = bound.port;
    if (config.discoverable) {
        responder_.SetSessionName(config.sessionName);
        responder_.SetPlayers(1, maxPlayers_);
        std::string why;
        if (!responder_.Start(config.bindAddress, config.discoveryPort, config.application,
                              NewInstanceId(), port_, &why)) {
            enet_host_destroy(host);
            port_ = 0;
            isHost_ = false;
            SetError(error, why);
            return false;
        }
    }
    impl_->host = host;
    localPlayer_ = kNetHostPlayer;
    playerCount_ = 1;
    active_ = true;
    StartService();
    return true;
}

bool NetSession::Join(const std::string& addressText, uint16_t port, uint32_t timeoutMs,
                      std::string* error) {
    if (!BeginJoin(addressText, port, error)) return false;
    {
        std::unique_lock lock(joinMutex_);
        joinSignal_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                             [this] { return joinState_ != 0; });
    }
    switch (JoinProgress(error)) {
    case JoinStatus::Accepted:
        return true;
    case JoinStatus::Refused:
        return false;
    case JoinStatus::Waiting:
        break;
    }
    Shutdown();
    SetError(error, "no answer from " + addressText + ":" + std::to_string(port) + " in time");
    return false;
}

bool NetSession::BeginJoin(const std::string& addressText, uint16_t port, std::string* error) {
    if (!ClearEndedSession()) {
        SetError(error, "a session is already running");
        return false;
    }
    if (!InitializeTransport()) {
        SetError(error, "network transport could not be initialised");
        return false;
    }
    // A dotted address (what discovery reports) is taken as it stands; only
    // a name asks the resolver, which may take its time.
    ENetAddress address{};
    if (enet_address_set_host_ip(&address, addressText.c_str()) != 0 &&
        enet_address_set_host(&address, addressText.c_str()) != 0) {
        SetError(error, "cannot resolve host " + addressText);
        return false;
    }
    address.port = port;
    ENetHost* host = CreateTransportHost(nullptr, 1);
    if (!host) {
        SetError(error, "cannot create a network endpoint");
        return false;
    }
    ENetPeer* server = enet_host_connect(host, &address, 1, kProtocolMagic);
    if (!server) {
        enet_host_destroy(host);
        SetError(error, "cannot start connecting to " + addressText);
        return false;
    }
    isHost_ = false;
    port_ = port;
    {
        std::lock_guard lock(joinMutex_);
        joinState_ = 0;
        joinError_.clear();
    }
    impl_->host = host;
    impl_->server = server;
    impl_->welcomed = false;
    impl_->others.clear();
    StartService();
    return true;
}

NetSession::JoinStatus NetSession::JoinProgress(std::string* error) {
    int state;
    std::string why;
    {
        std::lock_guard lock(joinMutex_);
        state = joinState_;
        why = joinError_;
    }
    if (state == 0) return impl_->host ? JoinStatus::Waiting : JoinStatus::Refused;
    if (state == 1) return JoinStatus::Accepted;
    // Refused: the husk goes at once, so the next join or host finds room.
    if (impl_->host && !active_) Shutdown();
    SetError(error, why.empty() ? "the host refused the connection" : why);
    return JoinStatus::Refused;
}

bool NetSession::Send(NetPlayerId to, const void* data, size_t size) {
    if (!data || size == 0 || size > kMaxPacketSize - netwire::kDataHeader) return false;
    std::lock_guard lock(hostMutex_);
    if (!impl_->host || !active_) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    NetPlayerId self = localPlayer_;
    std::vector<uint8_t> packet = DataPacket(self, to, bytes, size);
    if (isHost_) {
        if (to == kNetAllPlayers) {
            BroadcastRaw(packet, nullptr);
        } else {
            auto it = std::find_if(impl_->peers.begin(), impl_->peers.end(),
                                   [to](const auto& r) { return r->id == to; });
            if (it == impl_->peers.end()) return false;
            SendRaw((*it)->peer, packet);
        }
    } else {
        if (to != kNetAllPlayers &&
            std::find(impl_->others.begin(), impl_->others.end(), to) == impl_->others.end())
            return false;
        SendRaw(impl_->server, packet);
    }
    enet_host_flush(impl_->host);
    return true;
}

bool NetSession::PollEvent(NetEvent& event) {
    std::lock_guard lock(eventMutex_);
    if (events_.empty()) return false;
    Waiting& front = events_.front();
    if (front.connection) {
        auto it = waiting_.find(front.connection);
        if (it != waiting_.end()) {
            it->second.packets -= std::min(it->second.packets, size_t(1));
            it->second.bytes -= std::min(it->second.bytes, front.event.data.size());
            if (it->second.packets == 0) waiting_.erase(it);
        }
    }
    event = std::move(front.event);
    events_.pop_front();
    return true;
}

size_t NetSession::WaitingEvents() {
    std::lock_guard lock(eventMutex_);
    return events_.size();
}

void NetSession::Leave() {
    Shutdown();
}

void NetSession::EndSession() {
    bool wasHost = isHost_ && impl_->host;
    Shutdown();
    if (wasHost) Queue(NetEventKind::SessionEnded, kNetHostPlayer);
}

// --------------------------------------------------------------- internals

bool NetSession::ClearEndedSession() {
    if (!impl_->host) return true;
    if (active_) return false;
    Shutdown(); // the remote side ended it; only the husk is left
    return true;
}

void NetSession::StartService() {
    running_ = true;
    service_ = std::thread([this] { ServiceLoop(); });
}

void NetSession::StopService() {
    running_ = false;
    if (service_.joinable()) service_.join();
}

void NetSession::ServiceLoop() {
    while (running_) {
        int fd = -1;
        {
            std::lock_guard lock(hostMutex_);
            ENetEvent event;
            while (enet_host_service(impl_->host, &event, 0) > 0) {
                switch (event.type) {
                case ENET_EVENT_TYPE_CONNECT:
                    HandleConnect(event.peer, event.data);
                    break;
                case ENET_EVENT_TYPE_DISCONNECT:
                    HandleDisconnect(event.peer, event.data);
                    break;
                case ENET_EVENT_TYPE_RECEIVE:
                    HandleReceive(event.peer, event.packet->data, event.packet->dataLength);
                    enet_packet_destroy(event.packet);
                    break;
                default:
                    break;
                }
            }
            fd = impl_->host->socket;
        }
        // Sleep until something arrives; the short bound keeps ENet's resend
        // and keep-alive timers running.
        pollfd pfd{fd, POLLIN, 0};
        poll(&pfd, 1, kServiceWaitMs);
    }
}

void NetSession::HandleConnect(void* peerPtr, uint32_t greeting) {
    auto* peer = static_cast<ENetPeer*>(peerPtr);
    if (!isHost_) return; // a joiner waits for the host's welcome instead
    if (greeting != kProtocolMagic) {
        enet_peer_disconnect(peer, kRefuseProtocol);
        return;
    }
    if (maxPlayers_ > 0 && playerCount_ >= maxPlayers_) {
        enet_peer_disconnect(peer, kRefuseFull);
        return;
    }
    auto record = std::make_unique<PeerRecord>();
    record->peer = peer;
    record->id = nextPlayer_++;
    peer->data = record.get();

    BufferWriter welcome;
    welcome.WriteU8(netwire::kWelcome);
    welcome.WriteU32(record->id);
    welcome.WriteU16(static_cast<uint16_t>(impl_->peers.size() + 1));
    welcome.WriteU32(kNetHostPlayer);
    for (const auto& other : impl_->peers)
        welcome.WriteU32(other->id);
    SendRaw(peer, welcome.Data());
    BroadcastRaw(PlayerPacket(netwire::kPlayerJoined, record->id), nullptr);

    NetPlayerId id = record->id;
    impl_->peers.push_back(std::move(record));
    ++playerCount_;
    PublishPlayers();
    Queue(NetEventKind::PlayerJoined, id);
}

void NetSession::HandleDisconnect(void* peerPtr, uint32_t reason) {
    auto* peer = static_cast<ENetPeer*>(peerPtr);
    if (isHost_) {
        RemovePlayer(peer);
        return;
    }
    if (peer != impl_->server) return;
    impl_->server = nullptr;
    if (!impl_->welcomed) {
        std::lock_guard lock(joinMutex_);
        joinState_ = -1;
        joinError_ = reason == kRefuseFull       ? "the session is full"
                     : reason == kRefuseProtocol ? "the host speaks another protocol"
                                                 : "the host closed the connection";
        joinSignal_.notify_all();
        return;
    }
    EndJoinedSession();
}

void NetSession::EndJoinedSession() {
    impl_->server = nullptr;
    active_ = false;
    playerCount_ = 0;
    Queue(NetEventKind::SessionEnded, kNetHostPlayer);
}

void NetSession::RemovePlayer(void* peerPtr) {
    auto* peer = static_cast<ENetPeer*>(peerPtr);
    auto* record = static_cast<PeerRecord*>(peer->data);
    peer->data = nullptr;
    auto it = std::find_if(impl_->peers.begin(), impl_->peers.end(),
                           [record](const auto& r) { return r.get() == record; });
    if (!record || it == impl_->peers.end()) return; // refused before joining
    NetPlayerId id = record->id;
    impl_->peers.erase(it);
    --playerCount_;
    BroadcastRaw(PlayerPacket(netwire::kPlayerLeft, id), nullptr);
    PublishPlayers();
    Queue(NetEventKind::PlayerLeft, id);
}

void NetSession::DropFlooder(void* peerPtr) {
    // The session's own account first, so whoever hears of the drop from
    // the other side finds it done here.
    auto* peer = static_cast<ENetPeer*>(peerPtr);
    if (isHost_) {
        auto* record = static_cast<PeerRecord*>(peer->data);
        if (record) ForgetWaiting(record->id);
        std::fprintf(stderr, "network: player %u sent more than the game takes; dropped\n",
                     record ? unsigned(record->id) : 0u);
        RemovePlayer(peer);
    } else {
        std::fprintf(stderr, "network: the host sent more than the game takes; leaving\n");
        ForgetWaiting(kNetHostPlayer);
        EndJoinedSession();
    }
    // What was queued for the peer goes, and whatever it sends from now on
    // is refused unread. The farewell itself is acknowledged and sent again
    // until it is: a lone datagram lost under the flood would leave the other
    // side to find out only when the connection times out.
    enet_peer_disconnect(peer, kDropFlood);
}

void NetSession::HandleReceive(void* peerPtr, const uint8_t* data, size_t size) {
    auto* peer = static_cast<ENetPeer*>(peerPtr);
    netwire::Packet packet;
    if (!netwire::Parse(data, size, packet)) return;
    if (isHost_) {
        auto* record = static_cast<PeerRecord*>(peer->data);
        if (!record || packet.kind != netwire::kData) return;
        // The sender is who the connection says, not what the packet claims.
        const NetPlayerId to = packet.to;
        if ((to == kNetAllPlayers || to == kNetHostPlayer) &&
            !QueueReceived(record->id, record->id, packet.payload, packet.payloadSize)) {
            DropFlooder(peer);
            return;
        }
        if (to == kNetHostPlayer) return;
        std::vector<uint8_t> relay = DataPacket(record->id, to, packet.payload, packet.payloadSize);
        for (const auto& other : impl_->peers)
            if (other.get() != record && (to == kNetAllPlayers || to == other->id))
                SendRaw(other->peer, relay);
        return;
    }
    if (peer != impl_->server) return;
    switch (packet.kind) {
    case netwire::kWelcome: {
        if (impl_->welcomed) return;
        impl_->others = std::move(packet.others);
        impl_->welcomed = true;
        localPlayer_ = packet.player;
        playerCount_ = static_cast<int>(impl_->others.size()) + 1;
        active_ = true;
        for (NetPlayerId other : impl_->others)
            Queue(NetEventKind::PlayerJoined, other);
        std::lock_guard lock(joinMutex_);
        joinState_ = 1;
        joinSignal_.notify_all();
        return;
    }
    case netwire::kPlayerJoined:
    case netwire::kPlayerLeft: {
        if (!impl_->welcomed || packet.player == localPlayer_) return;
        auto it = std::find(impl_->others.begin(), impl_->others.end(), packet.player);
        if (packet.kind == netwire::kPlayerJoined && it == impl_->others.end()) {
            impl_->others.push_back(packet.player);
            ++playerCount_;
            Queue(NetEventKind::PlayerJoined, packet.player);
        } else if (packet.kind == netwire::kPlayerLeft && it != impl_->others.end()) {
            impl_->others.erase(it);
            --playerCount_;
            Queue(NetEventKind::PlayerLeft, packet.player);
        }
        return;
    }
    case netwire::kData:
        if (!impl_->welcomed) return;
        if (!QueueReceived(kNetHostPlayer, packet.player, packet.payload, packet.payloadSize))
            DropFlooder(peer);
        return;
    default:
        return;
    }
}

void NetSession::Queue(NetEventKind kind, NetPlayerId player, const uint8_t* data, size_t size) {
    NetEvent event;
    event.kind = kind;
    event.player = player;
    if (data && size) event.data.assign(data, data + size);
    std::lock_guard lock(eventMutex_);
    events_.push_back({std::move(event), 0});
}

bool NetSession::QueueReceived(NetPlayerId connection, NetPlayerId from, const uint8_t* data,
                               size_t size) {
    Waiting waiting;
    waiting.event.kind = NetEventKind::Received;
    waiting.event.player = from;
    waiting.connection = connection;
    std::lock_guard lock(eventMutex_);
    WaitingCount& count = waiting_[connection];
    if (count.packets + 1 > kNetMaxWaitingPackets || count.bytes + size > kNetMaxWaitingBytes)
        return false;
    ++count.packets;
    count.bytes += size;
    waiting.event.data.assign(data, data + size);
    events_.push_back(std::move(waiting));
    return true;
}

void NetSession::ForgetWaiting(NetPlayerId connection) {
    std::lock_guard lock(eventMutex_);
    std::erase_if(events_, [connection](const Waiting& w) { return w.connection == connection; });
    waiting_.erase(connection);
}

void NetSession::SendRaw(void* peer, const std::vector<uint8_t>& packet) {
    ENetPacket* p = enet_packet_create(packet.data(), packet.size(), ENET_PACKET_FLAG_RELIABLE);
    if (p && enet_peer_send(static_cast<ENetPeer*>(peer), 0, p) != 0) enet_packet_destroy(p);
}

void NetSession::BroadcastRaw(const std::vector<uint8_t>& packet, void* except) {
    for (const auto& record : impl_->peers)
        if (record->peer != except) SendRaw(record->peer, packet);
}

void NetSession::PublishPlayers() {
    if (responder_.IsRunning()) responder_.SetPlayers(playerCount_, maxPlayers_);
}

void NetSession::Shutdown() {
    StopService();
    responder_.Stop();
    ENetHost* host = impl_->host;
    if (host) {
        // Say goodbye to every connection and give the farewells a short,
        // bounded time to be acknowledged; whatever arrives meanwhile is
        // dropped, the leaving side wants no more events.
        size_t open = 0;
        for (size_t i = 0; i < host->peerCount; ++i) {
            ENetPeer* peer = &host->peers[i];
            if (peer->state == ENET_PEER_STATE_DISCONNECTED) continue;
            enet_peer_disconnect(peer, 0);
            // A connection still being made is dropped at once; only a
            // real goodbye waits for its acknowledgement.
            if (peer->state == ENET_PEER_STATE_DISCONNECTING) ++open;
        }
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kLeaveGraceMs);
        ENetEvent event;
        while (open > 0 && std::chrono::steady_clock::now() < deadline) {
            int r = enet_host_service(host, &event, 10);
            if (r < 0) break;
            if (r == 0) continue;
            if (event.type == ENET_EVENT_TYPE_RECEIVE) enet_packet_destroy(event.packet);
            if (event.type == ENET_EVENT_TYPE_DISCONNECT) --open;
        }
        enet_host_destroy(host);
    }
    impl_->host = nullptr;
    impl_->server = nullptr;
    impl_->peers.clear();
    impl_->others.clear();
    impl_->welcomed = false;
    active_ = false;
    playerCount_ = 0;
    localPlayer_ = 0;
    isHost_ = false;
    port_ = 0;
}

} // namespace platform
