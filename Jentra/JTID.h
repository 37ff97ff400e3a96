// Identity and messaging: 16-byte object identifiers, the map from
// identifier to object, the router that delivers numbered messages by
// identifier, and the communicator each messaging object embeds.
#pragma once

#include <cstdint>

class JTFile;
class JTUnknown;

class JTID {
public:
    // A new random identifier.
    JTID() { New(); }
    // Replaces the identifier with a new random one.
    void New();
    bool operator==(const JTID& other) const;
    bool operator!=(const JTID& other) const { return !(*this == other); }
    // u16 version (1), then the 16 bytes: 18 bytes in the stream.
    bool SaveLoad(JTFile& f);

    uint8_t bytes[16];
};

class JTCommunicator {
public:
    explicit JTCommunicator(JTUnknown* owner = nullptr) : owner(owner) {}
    // Sends msg to the object registered under to; see JTRouter::Send.
    unsigned Send(JTID& to, unsigned msg, void* data);
    // Sends msg to every registered object; see JTRouter::Broadcast.
    void Broadcast(unsigned msg, void* data);

    // First member, so a pointer to the communicator is a pointer to its id.
    JTID id;
    JTUnknown* owner;
};

// Identifier-to-object map: two parallel arrays sized exactly to the count,
// searched linearly; the first registration of an identifier wins.
class JTIDMap {
public:
    JTIDMap() = default;
    ~JTIDMap();
    // The map owns its arrays; a copy would free them twice.
    JTIDMap(const JTIDMap&) = delete;
    JTIDMap& operator=(const JTIDMap&) = delete;

    void Add(JTID* id, JTUnknown* object);
    void Remove(JTID* id);
    JTUnknown* Find(const JTID* id) const;
    int GetNumUnks() const { return m_count; }
    JTUnknown* GetUnk(int i) const { return (i >= 0 && i < m_count) ? m_objects[i] : nullptr; }
    const JTID* GetID(int i) const { return (i >= 0 && i < m_count) ? &m_ids[i] : nullptr; }

private:
    int IndexOf(const JTID* id) const;

    JTID* m_ids = nullptr;
    JTUnknown** m_objects = nullptr;
    int m_count = 0;
};

// Delivers messages through gpJTIDMap as direct, synchronous calls of the
// receiver's Message on the caller's thread.
class JTRouter {
public:
    // The registered receiver's answer. A message to an identifier nobody
    // registered goes to the fallback receiver (the game object) and the
    // sender gets 0.
    static unsigned Send(JTID* from, JTID* to, unsigned msg, void* data);
    // Calls every registered object once (with to = null), including
    // objects registered while the broadcast runs; an object removed during
    // the broadcast before its turn is not called.
    static void Broadcast(JTID* from, unsigned msg, void* data);

    // The catch-all receiver of messages to unregistered identifiers. The
    // game object sets itself here when it starts and clears it when it
    // ends; with none set such messages are dropped.
    static void SetFallbackReceiver(JTUnknown* receiver);
    static JTUnknown* GetFallbackReceiver();
};
