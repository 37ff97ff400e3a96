// Session, host search and message queue of the engine's networking. The
// transport queues what arrives on its own thread; Update turns it into
// messages 31-33 and hands them out on the caller's (main) thread.
#include "Jentra/core/network/network_core.h"

#include "Jentra/JTMessages.h"
#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <thread>

namespace {

constexpr unsigned kMsgNetReceive = JTMSG_NETRECEIVE;
constexpr unsigned kMsgNetPlayerLeft = JTMSG_NETPLAYERLEFT;
constexpr unsigned kMsgNetSessionLost = JTMSG_NETSESSIONLOST;
constexpr const char* kProviderName = "TCP/IP";
constexpr int kTcpIpProvider = -4;
constexpr const char* kDirectSessionName = "Rookfall Session";

} // namespace

JTNetworkCore::JTNetworkCore() = default;

JTNetworkCore::~JTNetworkCore() {
    browser_.Stop();
    session_.Leave();
    std::lock_guard lock(hostListMutex_);
    hosts_.Clear();
}

int32_t JTNetworkCore::Init(const char* commandLine) {
    commandLine_ = JTParseNetCommandLine(commandLine);
    if (commandLine_.bDirectConnect) {
        isHost_ = commandLine_.bHost;
        lobbyLaunched_ = true;
        lobbySettingsPresent_ = true;
    }
    return JTNET_OK;
}

// One provider stands for the whole network: TCP/IP over UDP.
bool JTNetworkCore::EnumServiceProviders() {
    providersEnumerated_ = true;
    return true;
}

bool JTNetworkCore::SelectServiceProvider(int index) {
    if (index == kTcpIpProvider) index = 0;
    if (!providersEnumerated_ || index < 0 || index >= GetNumServiceProviders()) return false;
    providerSelected_ = true;
    return true;
}

const char* JTNetworkCore::GetServiceProviderName(int index) const {
    return providersEnumerated_ && index == 0 ? kProviderName : nullptr;
}

void JTNetworkCore::SetApplicationGUID(const uint8_t guid[16]) {
    if (guid) std::memcpy(application_.data(), guid, application_.size());
}

void JTNetworkCore::SetEnumRetryInterval(uint32_t ms) {
    retryMs_ = ms ? ms : 1;
    hostTimeoutMs_ = 3 * retryMs_;
}

void JTNetworkCore::SetLocalPlayerName(const char* name) {
    std::snprintf(localPlayerName_, sizeof localPlayerName_, "%s", name ? name : "");
}

bool JTNetworkCore::StartEnumHosts() {
    StopEnumHosts();
    std::string error;
    if (!browser_.Start(platform::NetDiscoveryTargets(), discoveryPort_, application_, retryMs_,
                        &error)) {
        std::fprintf(stderr, "network: cannot search for games: %s\n", error.c_str());
        return false;
    }
    enumerating_ = true;
    return true;
}

void JTNetworkCore::StopEnumHosts() {
    browser_.Stop();
    enumerating_ = false;
    std::lock_guard lock(hostListMutex_);
    hosts_.Clear();
}

DPHostEnumInfo* JTNetworkCore::GetHostList() {
    hostListMutex_.lock();
    return hosts_.First();
}

void JTNetworkCore::ReleaseHostList() {
    hostListMutex_.unlock();
}

bool JTNetworkCore::TakeHostListChanged() {
    std::lock_guard lock(hostListMutex_);
    bool changed = hosts_.Changed();
    hosts_.ResetChanged();
    return changed;
}

bool JTNetworkCore::HostSession(const char* sessionName) {
    platform::NetHostConfig config;
    config.sessionName = sessionName;
    config.port = gamePort_;
    config.maxPlayers = maxPlayers_;
    config.discoveryPort = discoveryPort_;
    config.application = application_;
    config.bindAddress = bindAddress_;
    std::string error;
    if (!session_.Host(config, &error)) {
        std::fprintf(stderr, "network: cannot host \"%s\": %s\n", sessionName, error.c_str());
        return false;
    }
    inSession_ = true;
    return true;
}

int32_t JTNetworkCore::HostGame() {
    isHost_ = true;
    // Bounded: a long player name makes a shorter session name, never an overrun.
    std::snprintf(sessionName_, sizeof sessionName_, "%.252s's Game", localPlayerName_);
    return HostSession(sessionName_) ? JTNET_OK : JTNET_E_FAIL;
}

int32_t JTNetworkCore::BeginJoinAt(const std::string& address, uint16_t port) {
    StopJoin();
    joinAddress_ = address;
    std::string error;
    if (!session_.BeginJoin(address, port, &error)) {
        std::fprintf(stderr, "network: cannot join %s:%u: %s\n", address.c_str(), port,
                     error.c_str());
        joinResult_ = JTNET_E_FAIL;
        return joinResult_;
    }
    joining_ = true;
    joinDeadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(joinTimeoutMs_);
    return JTNET_PENDING;
}

int32_t JTNetworkCore::PollJoin() {
    if (!joining_) return joinResult_;
    std::string error;
    switch (session_.JoinProgress(&error)) {
    case platform::NetSession::JoinStatus::Accepted:
        joining_ = false;
        inSession_ = true;
        joinResult_ = JTNET_OK;
        return joinResult_;
    case platform::NetSession::JoinStatus::Refused:
        joining_ = false;
        std::fprintf(stderr, "network: cannot join %s: %s\n", joinAddress_.c_str(), error.c_str());
        joinResult_ = JTNET_E_REFUSED;
        return joinResult_;
    case platform::NetSession::JoinStatus::Waiting:
        break;
    }
    if (std::chrono::steady_clock::now() < joinDeadline_) return JTNET_PENDING;
    // The search heard of the game, but the game itself keeps silent.
    session_.Leave();
    joining_ = false;
    std::fprintf(stderr, "network: the game at %s did not answer in %u ms\n", joinAddress_.c_str(),
                 joinTimeoutMs_);
    joinResult_ = JTNET_E_NOANSWER;
    return joinResult_;
}

void JTNetworkCore::StopJoin() {
    if (!joining_) return;
    session_.Leave();
    joining_ = false;
    joinResult_ = JTNET_E_FAIL;
}

int32_t JTNetworkCore::StartJoinGame(int host) {
    isHost_ = false;
    std::string address;
    uint16_t port = 0;
    {
        // The list is held only while the host's address is copied, not
        // while connecting.
        std::lock_guard lock(hostListMutex_);
        DPHostEnumInfo* entry = hosts_.FindValid(host);
        if (!entry) return JTNET_E_NOHOST;
        address = entry->szAddress;
        std::snprintf(sessionName_, sizeof sessionName_, "%s", entry->szSessionName);
        port = entry->wPort;
    }
    return BeginJoinAt(address, port);
}

int32_t JTNetworkCore::ContinueJoinGame() {
    return PollJoin();
}

void JTNetworkCore::CancelJoinGame() {
    StopJoin();
}

bool JTNetworkCore::JoinGame(int host) {
    int32_t result = StartJoinGame(host);
    while (result == JTNET_PENDING) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        result = ContinueJoinGame();
    }
    return result == JTNET_OK;
}

int32_t JTNetworkCore::ConnectUsingLobbySettings() {
    int32_t result = StartDirectConnect();
    while (result == JTNET_PENDING) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        result = ContinueDirectConnect();
    }
    return result;
}

int32_t JTNetworkCore::StartDirectConnect() {
    StopDirectConnect();
    directResult_ = JTNET_OK;
    if (!commandLine_.bDirectConnect) return directResult_; // nothing asked for
    EnumServiceProviders();
    SelectServiceProvider(kTcpIpProvider);
    if (commandLine_.bHost) {
        isHost_ = true;
        std::snprintf(sessionName_, sizeof sessionName_, "%s", kDirectSessionName);
        directResult_ = HostSession(sessionName_) ? JTNET_OK : JTNET_E_FAIL;
        return directResult_;
    }
    isHost_ = false;
    // A name that does not resolve now will not resolve at the next try;
    // one that does is not asked for again.
    directAddress_ = platform::ResolveIPv4Text(commandLine_.szHostName);
    if (directAddress_.empty()) {
        std::fprintf(stderr, "network: cannot reach %s: the name does not resolve\n",
                     commandLine_.szHostName);
        directResult_ = JTNET_E_NOHOST;
        return directResult_;
    }
    return NextDirectAttempt();
}

int32_t JTNetworkCore::NextDirectAttempt() {
    if (directAttempt_ >= JTNetwork::kDirectConnectAttempts) {
        std::fprintf(stderr, "network: no game found at %s after %d attempts\n",
                     commandLine_.szHostName, directAttempt_);
        directAttempt_ = 0;
        directResult_ = JTNET_E_NOHOST;
        return directResult_;
    }
    ++directAttempt_;
    std::string error;
    if (!browser_.Start({directAddress_}, discoveryPort_, application_, retryMs_, &error)) {
        std::fprintf(stderr, "network: cannot reach %s: %s\n", commandLine_.szHostName,
                     error.c_str());
        directAttempt_ = 0;
        directResult_ = JTNET_E_NOHOST;
        return directResult_;
    }
    directDeadline_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(hostTimeoutMs_);
    return JTNET_PENDING;
}

int32_t JTNetworkCore::ContinueDirectConnect() {
    if (directAttempt_ == 0) return directResult_;
    if (joining_) {
        // The search has answered; only the game's own answer counts.
        const int32_t result = PollJoin();
        if (result == JTNET_PENDING) return result;
        directAttempt_ = 0;
        directResult_ = result;
        return directResult_;
    }
    platform::NetHostFound found;
    if (browser_.Poll(found)) {
        browser_.Stop();
        std::snprintf(sessionName_, sizeof sessionName_, "%s", found.sessionName.c_str());
        const int32_t result = BeginJoinAt(found.address, found.port);
        if (result == JTNET_PENDING) return result;
        directAttempt_ = 0;
        directResult_ = result;
        return directResult_;
    }
    if (std::chrono::steady_clock::now() < directDeadline_) return JTNET_PENDING;
    browser_.Stop();
    return NextDirectAttempt();
}

void JTNetworkCore::StopDirectConnect() {
    if (directAttempt_ == 0) return;
    browser_.Stop();
    StopJoin();
    directAttempt_ = 0;
    directResult_ = JTNET_E_NOHOST;
}

bool JTNetworkCore::SendNetwork(const unsigned char* data, unsigned size) {
    if (!inSession_) return false;
    return session_.Send(platform::kNetAllPlayers, data, size);
}

void JTNetworkCore::DestroyGame() {
    if (!inSession_) return;
    inSession_ = false;
    ++generation_;
    DiscardSessionEvents();
    if (session_.IsHost()) {
        session_.EndSession(); // everybody, this side too, hears the end
        TakeSessionEvents();
    } else {
        session_.Leave();
        QueueMessage(kMsgNetSessionLost);
    }
}

void JTNetworkCore::LeaveGame() {
    StopJoin(); // a join not yet answered is left as well
    if (!inSession_) return;
    inSession_ = false;
    ++generation_;
    lobbySettingsPresent_ = false;
    session_.Leave();
    // What the old session still had in store belongs to a game left behind.
    DiscardSessionEvents();
    QueueMessage(kMsgNetSessionLost);
}

void JTNetworkCore::QueueMessage(unsigned msg, std::vector<unsigned char> data) {
    std::lock_guard lock(queueMutex_);
    queue_.push_back({msg, generation_, std::move(data)});
}

void JTNetworkCore::DiscardSessionEvents() {
    platform::NetEvent event;
    while (session_.PollEvent(event)) {
    }
}

void JTNetworkCore::TakeSessionEvents(int maxData) {
    platform::NetEvent event;
    int data = 0;
    while (data < maxData && session_.PollEvent(event)) {
        switch (event.kind) {
        case platform::NetEventKind::Received:
            ++data;
            if (inSession_) QueueMessage(kMsgNetReceive, std::move(event.data));
            break;
        case platform::NetEventKind::PlayerLeft:
            QueueMessage(kMsgNetPlayerLeft);
            break;
        case platform::NetEventKind::SessionEnded:
            inSession_ = false;
            QueueMessage(kMsgNetSessionLost);
            break;
        case platform::NetEventKind::PlayerJoined:
            break; // the count is kept by the session
        }
    }
}

void JTNetworkCore::Update() {
    if (enumerating_) {
        std::lock_guard lock(hostListMutex_);
        // The engine's tick count, like every other "when last seen".
        const uint32_t now = platform::TickCount();
        platform::NetHostFound found;
        while (browser_.Poll(found))
            hosts_.Update(found, now);
        hosts_.Age(now, hostTimeoutMs_);
    }
    // Blocks put off by the listener count against this frame's share, so
    // a peer whose requests are taken one a frame cannot pile them up here:
    // they wait in the session, which drops a sender that overdoes it.
    int held = 0;
    {
        std::lock_guard lock(queueMutex_);
        for (const Queued& item : queue_)
            held += item.msg == kMsgNetReceive ? 1 : 0;
    }
    // While a join waits for its answer the session's events stay where they
    // are: the game hears that it is in the session first and sets up its
    // board, and only then the host's first packets, which would otherwise
    // be dropped or land on the board before it is reset.
    if (!joining_) TakeSessionEvents(std::max(0, kMaxDataMessagesPerUpdate - held));

    // Hand out what is queued now. Data of a session this side has left is
    // dropped, even when the receiver leaves while the batch is handed out.
    std::deque<Queued> batch;
    {
        std::lock_guard lock(queueMutex_);
        batch.swap(queue_);
    }
    postponed_ = false;
    for (auto it = batch.begin(); it != batch.end(); ++it) {
        if (!deliver_) continue;
        if (it->msg == kMsgNetReceive) {
            if (it->generation != generation_) continue;
            JTNetData data{it->data.data(), static_cast<unsigned>(it->data.size())};
            deliver_(it->msg, &data);
        } else {
            deliver_(it->msg, nullptr);
        }
        if (!postponed_) continue;
        // This one and the rest come first next time, before anything that
        // was queued while they were handed out.
        postponed_ = false;
        std::lock_guard lock(queueMutex_);
        queue_.insert(queue_.begin(), std::make_move_iterator(it),
                      std::make_move_iterator(batch.end()));
        break;
    }
}
