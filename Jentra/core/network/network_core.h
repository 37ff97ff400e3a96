// The working part of the engine's networking: session, host search, direct
// connection and the message queue. It knows nothing of engine objects; the
// exported JTNetwork wraps it and hands its messages to the listener. Every
// message leaves through the delivery function, called only from Update, so
// the game sees network events on the thread that runs its frames.
#pragma once

#include "Jentra/JTNetwork.h"
#include "Jentra/core/network/host_list.h"
#include "platform/net_session.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <string>
#include <mutex>
#include <vector>

class JTNetworkCore {
public:
    // Blocks of data handed to the listener in one Update at most; more wait
    // for the next frame, counted against what their sender may have
    // waiting (past that the transport drops the sender), so a flood costs a
    // frame a bounded time and the process a bounded amount of memory.
    static constexpr int kMaxDataMessagesPerUpdate = 256;

    // msg is 31, 32 or 33; data is a JTNetData* for 31, else null.
    using Deliver = std::function<void(unsigned msg, void* data)>;

    JTNetworkCore();
    ~JTNetworkCore();
    JTNetworkCore(const JTNetworkCore&) = delete;
    JTNetworkCore& operator=(const JTNetworkCore&) = delete;

    void SetDeliver(Deliver deliver) { deliver_ = std::move(deliver); }

    int32_t Init(const char* commandLine);

    bool EnumServiceProviders();
    bool SelectServiceProvider(int index);
    int GetNumServiceProviders() const { return providersEnumerated_ ? 1 : 0; }
    const char* GetServiceProviderName(int index) const;

    bool StartEnumHosts();
    void StopEnumHosts();
    DPHostEnumInfo* GetHostList();
    const DPHostEnumInfo* GetHostListEnd() const { return hosts_.End(); }
    void ReleaseHostList();
    bool TakeHostListChanged();

    int32_t HostGame();
    bool JoinGame(int host);
    int32_t StartJoinGame(int host);
    int32_t ContinueJoinGame();
    void CancelJoinGame();
    bool IsJoining() const { return joining_; }
    const char* GetJoinAddress() const { return joinAddress_.c_str(); }
    int32_t ConnectUsingLobbySettings();
    int32_t StartDirectConnect();
    int32_t ContinueDirectConnect();
    void StopDirectConnect();
    int GetDirectConnectAttempt() const { return directAttempt_; }
    bool SendNetwork(const unsigned char* data, unsigned size);
    void DestroyGame();
    void LeaveGame();
    void Update();
    void PostponeDelivery() { postponed_ = true; }

    void SetLocalPlayerName(const char* name);
    const char* GetLocalPlayerName() const { return localPlayerName_; }
    const char* GetSessionName() const { return sessionName_; }
    int GetNumPlayers() const { return session_.PlayerCount(); }
    bool IsNetworkGame() const { return inSession_.load(); }
    bool IsHost() const { return isHost_; }
    bool GetLobbyLaunched() const { return lobbyLaunched_ && lobbySettingsPresent_; }
    bool GetLobbyConnected() const { return lobbySettingsPresent_; }
    const JTNetCommandLine& GetCommandLine() const { return commandLine_; }

    void SetApplicationGUID(const uint8_t guid[16]);
    void SetMaxPlayers(int maxPlayers) { maxPlayers_ = maxPlayers; }
    void SetGamePort(uint16_t port) { gamePort_ = port; }
    void SetDiscoveryPort(uint16_t port) { discoveryPort_ = port; }
    void SetBindAddress(const char* address) { bindAddress_ = address ? address : ""; }
    void SetEnumRetryInterval(uint32_t ms);
    void SetJoinTimeout(uint32_t ms) { joinTimeoutMs_ = ms; }
    uint16_t GetSessionPort() const { return session_.Port(); }
    uint16_t GetSessionDiscoveryPort() const { return session_.DiscoveryPort(); }

private:
    struct Queued {
        unsigned msg;
        unsigned generation; // the session it belongs to
        std::vector<unsigned char> data;
    };
    void QueueMessage(unsigned msg, std::vector<unsigned char> data = {});
    // Moves the session's events to the queue in order, stopping after
    // maxData blocks of data.
    void TakeSessionEvents(int maxData = std::numeric_limits<int>::max());
    void DiscardSessionEvents();
    bool HostSession(const char* sessionName);
    // Asks the game at address:port to take this player (JTNET_PENDING or
    // JTNET_E_FAIL), then tells how that goes, without waiting.
    int32_t BeginJoinAt(const std::string& address, uint16_t port);
    int32_t PollJoin();
    void StopJoin();
    // Starts the next search for the "-connect" host, or ends the tries.
    int32_t NextDirectAttempt();

    Deliver deliver_;
    platform::NetSession session_;
    platform::NetBrowser browser_;
    JTHostList hosts_;
    std::recursive_mutex hostListMutex_;
    std::mutex queueMutex_;
    std::deque<Queued> queue_;
    unsigned generation_ = 0; // counts sessions this side has left (main thread)

    bool providersEnumerated_ = false;
    bool providerSelected_ = false;
    bool enumerating_ = false;
    uint32_t retryMs_ = 1000;
    uint32_t hostTimeoutMs_ = 3000; // three retry intervals
    uint32_t joinTimeoutMs_ = 5000;
    std::atomic<bool> inSession_{false};
    bool isHost_ = false;
    bool lobbyLaunched_ = false;
    bool lobbySettingsPresent_ = false;
    int maxPlayers_ = 2;
    uint16_t gamePort_ = platform::kDefaultGamePort;
    uint16_t discoveryPort_ = platform::kDefaultDiscoveryPort;
    platform::NetApplicationId application_{};
    std::string bindAddress_; // empty: every local address
    char localPlayerName_[256] = {};
    char sessionName_[260] = {};
    JTNetCommandLine commandLine_;
    // The "-connect" tries: the one under way (0: none), when it gives up,
    // and the result once they are over.
    int directAttempt_ = 0;
    std::chrono::steady_clock::time_point directDeadline_{};
    int32_t directResult_ = JTNET_OK;
    std::string directAddress_; // the "-connect" host, resolved once
    // The join under way: until when the host's game may take to answer,
    // and the result once it is over.
    bool joining_ = false;
    std::string joinAddress_;
    std::chrono::steady_clock::time_point joinDeadline_{};
    int32_t joinResult_ = JTNET_E_FAIL;
    bool postponed_ = false; // the listener asked to stop for this Update
};
