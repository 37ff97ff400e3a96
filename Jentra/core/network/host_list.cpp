// The list of sessions found on the network: update from answers, ageing,
// display texts, and lookup by running number among the valid records.
#include "Jentra/core/network/host_list.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace {

void CopyText(char* out, size_t size, const char* text) {
    std::snprintf(out, size, "%s", text ? text : "");
}

} // namespace

JTHostList::JTHostList() {
    sentinel_.pNext = &sentinel_;
}

JTHostList::~JTHostList() {
    Clear();
}

void JTHostList::FormatText(char* out, size_t size, const char* sessionName, int players,
                            int maxPlayers, uint32_t latencyMs) {
    if (maxPlayers == 0)
        std::snprintf(out, size, "%s (%d) (%dms)", sessionName, players,
                      static_cast<int>(latencyMs));
    else
        std::snprintf(out, size, "%s (%d/%d) (%dms)", sessionName, players, maxPlayers,
                      static_cast<int>(latencyMs));
}

void JTHostList::Update(const platform::NetHostFound& found, uint32_t now) {
    DPHostEnumInfo* entry = nullptr;
    for (DPHostEnumInfo* p = sentinel_.pNext; p != &sentinel_; p = p->pNext)
        if (p->qwInstance == found.instanceId) {
            entry = p;
            break;
        }
    if (!entry) {
        for (DPHostEnumInfo* p = sentinel_.pNext; p != &sentinel_; p = p->pNext)
            if (!p->bValid) {
                entry = p;
                break;
            }
        if (!entry) {
            entry = new (std::nothrow) DPHostEnumInfo{};
            if (!entry) return;
            entry->pNext = sentinel_.pNext;
            sentinel_.pNext = entry;
        }
        changed_ = true;
    }
    CopyText(entry->szSessionName, sizeof entry->szSessionName, found.sessionName.c_str());
    entry->qwInstance = found.instanceId;
    CopyText(entry->szAddress, sizeof entry->szAddress, found.address.c_str());
    entry->wPort = found.port;
    entry->nPlayers = found.players;
    entry->nMaxPlayers = found.maxPlayers;
    entry->dwLatency = found.latencyMs;

    char text[sizeof entry->szSession];
    FormatText(text, sizeof text, entry->szSessionName, found.players, found.maxPlayers,
               found.latencyMs);
    if (!entry->bValid || std::strcmp(text, entry->szSession) != 0) changed_ = true;
    std::memcpy(entry->szSession, text, sizeof text);
    entry->bValid = 1;
    entry->dwLastPollTime = now;
}

void JTHostList::Age(uint32_t now, uint32_t timeout) {
    for (DPHostEnumInfo* p = sentinel_.pNext; p != &sentinel_; p = p->pNext)
        if (p->bValid && now - p->dwLastPollTime > timeout) {
            p->bValid = 0;
            changed_ = true;
        }
}

void JTHostList::Clear() {
    DPHostEnumInfo* p = sentinel_.pNext;
    while (p != &sentinel_) {
        DPHostEnumInfo* next = p->pNext;
        delete p;
        p = next;
    }
    sentinel_.pNext = &sentinel_;
}

DPHostEnumInfo* JTHostList::FindValid(int index) {
    if (index < 0) return nullptr;
    for (DPHostEnumInfo* p = sentinel_.pNext; p != &sentinel_; p = p->pNext)
        if (p->bValid && index-- == 0) return p;
    return nullptr;
}

int JTHostList::CountValid() const {
    int count = 0;
    for (const DPHostEnumInfo* p = sentinel_.pNext; p != &sentinel_; p = p->pNext)
        count += p->bValid ? 1 : 0;
    return count;
}
