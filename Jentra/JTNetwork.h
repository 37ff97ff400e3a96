// Networking of the engine: one session between players, hosted here or
// joined from the list of sessions found on the network or named on the
// command line. The game's messages travel as opaque blocks of bytes and
// reach one listener object as engine messages, always on the main thread.
#pragma once

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
constexpr int32_t JTNET_E_FAIL = static_cast<int32_t>(0x80004005); // nothing started
constexpr int32_t JTNET_E_NOHOST = static_cast<int32_t>(0x86660101); // no host found to join

// One session found on the network (a record of the host list). The list is
// circular with a sentinel: walk it from GetHostList() until GetHostListEnd().
struct DPHostEnumInfo {
    uint32_t dwFlags;           // reserved, 0
    char szSessionName[260];    // the session's own name, as the host announced it
    uint64_t qwInstance;        // the same for every answer of one session
    char szAddress[64];         // the host's address, dotted IPv4
    uint16_t wPort;             // the session's game port at that address
    int nPlayers;               // players in the session when last heard
    int nMaxPlayers;            // 0: no limit
    uint32_t dwLatency;         // round trip of the last answer, milliseconds
    char szSession[260];        // display text, see JTHostList::FormatText
    uint32_t dwLastPollTime;    // when last heard, milliseconds
    int bValid;                 // 0 once the host has been silent too long
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
