// The list of sessions found on the network, as the game's session menu
// shows it: one record per hosted session, kept current by discovery answers
// and aged out when a host falls silent. While the search goes on a silent
// host's record is kept (invalid) and reused, not freed, so the menu's walk
// of the list under its lock never meets freed memory; Clear frees them all.
#pragma once

#include "Jentra/JTNetwork.h"
#include "platform/net_discovery.h"

#include <cstdint>

class JTHostList {
public:
    JTHostList();
    ~JTHostList();
    JTHostList(const JTHostList&) = delete;
    JTHostList& operator=(const JTHostList&) = delete;

    // One discovery answer heard at time now (milliseconds).
    void Update(const platform::NetHostFound& found, uint32_t now);
    // Every valid record not heard for longer than timeout becomes invalid.
    void Age(uint32_t now, uint32_t timeout);
    // Frees every record; the list is empty afterwards.
    void Clear();

    DPHostEnumInfo* First() { return sentinel_.pNext; }
    const DPHostEnumInfo* End() const { return &sentinel_; }
    // The index-th valid record, counting valid records only; null past them.
    DPHostEnumInfo* FindValid(int index);
    int CountValid() const;

    bool Changed() const { return changed_; }
    void ResetChanged() { changed_ = false; }

    // "%s (%d) (%dms)" without a player limit, else "%s (%d/%d) (%dms)".
    static void FormatText(char* out, size_t size, const char* sessionName, int players,
                           int maxPlayers, uint32_t latencyMs);

private:
    DPHostEnumInfo sentinel_{};
    bool changed_ = false;
};
