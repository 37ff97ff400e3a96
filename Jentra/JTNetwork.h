// Networking of the engine: one session between players, hosted here or
// joined from the list of sessions found on the network or named on the
// command line. The game's messages travel as opaque blocks of bytes and
// reach one listener object as engine messages, always on the main thread.
#pragma once

#include "Jentra/JTID.h"
#include "Jentra/JTUnknown.h"

#include <cstdint>

// The data of message 31 (a block arrived): the bytes and their count. The
// block is valid only during the call; a receiver checks the count before it
// reads a field.
struct JTNetData {
    const unsigned char* pData;
    unsigned nSize;
};

// Results of the operations that return a code.
constexpr int32_t JTNET_OK = 0;
constexpr int32_t JTNET_E_FAIL = static_cast<int32_t>(0x80004005);   // nothing started
constexpr int32_t JTNET_E_NOHOST = static_cast<int32_t>(0x86660101); // no host found to join
constexpr int32_t JTNET_PENDING = static_cast<int32_t>(0x8000000A);  // still trying
// A host was found, but its game did not answer in time / refused the join.
constexpr int32_t JTNET_E_NOANSWER = static_cast<int32_t>(0x86660102);
constexpr int32_t JTNET_E_REFUSED = static_cast<int32_t>(0x86660103);

// One session found on the network (a record of the host list). The list is
// circular with a sentinel: walk it from GetHostList() until GetHostListEnd().
struct DPHostEnumInfo {
    uint32_t dwFlags;        // reserved, 0
    char szSessionName[260]; // the session's own name, as the host announced it
    uint64_t qwInstance;     // the same for every answer of one session
    char szAddress[64];      // the host's address, dotted IPv4
    uint16_t wPort;          // the session's game port at that address
    int nPlayers;            // players in the session when last heard
    int nMaxPlayers;         // 0: no limit
    uint32_t dwLatency;      // round trip of the last answer, milliseconds
    char szSession[260];     // display text, see JTHostList::FormatText
    uint32_t dwLastPollTime; // when last heard, milliseconds
    int bValid;              // 0 once the host has been silent too long
    DPHostEnumInfo* pNext;
};

// What "-host" or "-connect <host name>" on the command line asks for.
struct JTNetCommandLine {
    bool bDirectConnect = false; // one of the two was given
    bool bHost = false;          // "-host": host a session at once
    char szHostName[260] = {};   // "-connect": the host to join
};

// "-host" anywhere makes this program the host; otherwise "-connect", one
// blank and a host name (cut at the next blank) joins that host. A
// "-connect" without a name asks for nothing.
JTNetCommandLine JTParseNetCommandLine(const char* commandLine);

class JTNetworkCore;

// The engine's one networking object (gpJTNetwork). The application frame
// makes it, calls InitDirectPlay once with the command line, Update every
// frame, and deletes it at shut-down. Messages 31 (data, a JTNetData*), 32
// (a player left) and 33 (the session is over) reach the listener from
// Update only, on the thread that calls Update.
class JTNetwork : public JTUnknown {
    JT_CLASS(JTNetwork, JTUnknown)
public:
    JTNetwork();
    ~JTNetwork() override;
    // One session per object: a copy would share it.
    JTNetwork(const JTNetwork&) = delete;
    JTNetwork& operator=(const JTNetwork&) = delete;

    // Reads "-host" / "-connect <host name>" from the command line; a
    // following ConnectUsingLobbySettings then hosts or joins directly.
    int32_t InitDirectPlay(const char* commandLine = nullptr);

    // The one transport there is: TCP/IP (index 0, or -4).
    bool EnumServiceProviders();
    bool SelectServiceProvider(int index);
    int GetNumServiceProviders() const;
    const char* GetServiceProviderName(int index) const;
    bool HasIPX() const { return false; }
    bool HasModem() const { return false; }
    bool HasSerial() const { return false; }
    bool HasTCPIP() const { return GetNumServiceProviders() > 0; }

    // Searching for sessions. The host list is refreshed by Update. Between
    // GetHostList and ReleaseHostList the list is locked; walk it with
    //   for (p = GetHostList(); p != GetHostListEnd(); p = p->pNext)
    // and show the records whose bValid is set.
    bool StartEnumHosts(JTID& requester);
    void StopEnumHosts();
    DPHostEnumInfo* GetHostList();
    const DPHostEnumInfo* GetHostListEnd() const;
    void ReleaseHostList();
    // True once after the list gained, lost or changed a record.
    bool TakeHostListChanged();

    // Hosts "<player name>'s Game"; JTNET_OK, or JTNET_E_FAIL with no session.
    int32_t HostGame();
    // Joins the host'th valid record of the host list (as the list is shown);
    // false when there is none or the join fails. It returns only when the
    // host has answered or the join time is out.
    bool JoinGame(int host);
    // The same step by step, so that the caller goes on drawing and reading
    // keys meanwhile: StartJoinGame asks the host (JTNET_PENDING, or
    // JTNET_E_NOHOST without such a record, JTNET_E_FAIL when nothing could
    // be started); ContinueJoinGame, called once a frame, answers
    // JTNET_PENDING until the host's game has accepted (JTNET_OK, in session)
    // or refused (JTNET_E_REFUSED) or the join time is out
    // (JTNET_E_NOANSWER). CancelJoinGame gives the join up at once.
    int32_t StartJoinGame(int host);
    int32_t ContinueJoinGame();
    void CancelJoinGame();
    bool IsJoining() const;
    // The address of the host being joined, or last joined.
    const char* GetJoinAddress() const;
    // The direct path of "-host"/"-connect": hosts "Rookfall Session", or
    // finds the named host (five tries) and joins it. JTNET_E_FAIL,
    // JTNET_E_NOHOST (nobody answered the search), JTNET_E_NOANSWER or
    // JTNET_E_REFUSED (the host answered the search but its game did not
    // take the join) when that fails; the program goes on either way. It
    // returns only when done (up to five host time-outs and a join time).
    int32_t ConnectUsingLobbySettings();
    // The same step by step, so that the caller goes on drawing and reading
    // keys meanwhile: StartDirectConnect hosts at once, or starts the first
    // search for the named host (its name is resolved here, once);
    // ContinueDirectConnect, called once a frame, answers JTNET_PENDING
    // while the tries and the join go on, then one of the results above
    // (and that result from then on).
    // Without "-host" or "-connect" there is nothing to do: JTNET_OK with no
    // session. StopDirectConnect gives the tries up.
    static constexpr int kDirectConnectAttempts = 5;
    int32_t StartDirectConnect();
    int32_t ContinueDirectConnect();
    void StopDirectConnect();
    // The host "-connect" names ("" without one), and the try under way
    // (1 to kDirectConnectAttempts; 0 when none is).
    const char* GetDirectConnectHost() const;
    int GetDirectConnectAttempt() const;
    // No lobby service exists; there is nothing to wait for.
    void StartWaitForLobby() {}
    void StopWaitForLobby() {}

    // One guaranteed block to every other player; false outside a session.
    bool SendNetwork(const unsigned char* data, unsigned size);
    // Host: ends the session for everybody (33 all round). Joiner: leaves.
    void DestroyGame();
    // Leaves the session; 33 follows from the next Update.
    void LeaveGame();
    // Main thread, every frame: refreshes the host list and hands out the
    // queued messages in arrival order, a bounded number of data blocks a
    // frame (a peer that sends faster than that for long is dropped).
    void Update();
    // Called by the listener while it is handed a message: that message and
    // every one after it wait, in their order, for the next Update (for a
    // request that can be carried out only once a frame).
    void PostponeDelivery();

    // Who receives messages 31-33; null gives a fresh id that names nobody,
    // so they fall to the game object.
    void SetListener(JTID* listener);
    void SetLocalPlayerName(const char* name);
    const char* GetLocalPlayerName() const;
    int GetNumPlayers() const;
    bool IsNetworkGame() const;
    bool IsHost() const;
    bool GetLobbyLaunched() const;
    bool GetLobbyConnected() const;

    // Only sessions of the same application are found and joined.
    void SetApplicationGUID(const JTID& guid);
    // Ports (0 picks a free one; defaults are fixed) and limits.
    void SetGamePort(uint16_t port);
    void SetDiscoveryPort(uint16_t port);
    // A hosted session listens on this address only (empty: every address).
    void SetBindAddress(const char* address);
    void SetMaxPlayers(int maxPlayers);
    void SetEnumRetryInterval(uint32_t ms);
    // How long a join waits for the host's game to answer (5000 ms).
    void SetJoinTimeout(uint32_t ms);
    uint16_t GetSessionPort() const;
    uint16_t GetSessionDiscoveryPort() const;
    const char* GetSessionName() const;

    JTCommunicator communicator;

private:
    JTID m_listener;
    JTNetworkCore* m_core;
};

extern JTNetwork* gpJTNetwork;
