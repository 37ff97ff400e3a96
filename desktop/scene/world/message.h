// Message records: how units are told what to do. A record names the units it
// addresses by EntityHandle and carries the parameters of one order; the
// command interface, trigger actions, players and units build them and post
// them to the application's queue, which delivers each in the next frame.
// Every record packs itself into, and unpacks itself from, a flat
// little-endian byte form through one Serialize operation.
#pragma once

#include <cstddef>
#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/entity_handle.h"

namespace lumivane {

// Order type codes (a number space of their own, apart from class numbers).
// Bit 7 of a type code marks an order a unit takes at most once per tick.
namespace order {
inline constexpr uint8_t kSystemIgnored1 = 6;
inline constexpr uint8_t kSystemIgnored2 = 7;
inline constexpr uint8_t kSystemCommand = 8;
inline constexpr uint8_t kFollow = 11;
inline constexpr uint8_t kMove = 12;
inline constexpr uint8_t kAttack = 13;
inline constexpr uint8_t kQueueBuild = 14;
inline constexpr uint8_t kCancelBuild = 15;
inline constexpr uint8_t kFire = 16; // the class's first fire request
inline constexpr uint8_t kRepair = 17;
inline constexpr uint8_t kHunt = 18;
inline constexpr uint8_t kSelfDestruct = 19;
inline constexpr uint8_t kGather = 20;
// A unit's work when it is no pod: the first fire request, as kFire.
inline constexpr uint8_t kWork = 21;
inline constexpr uint8_t kJoinSquad = 22;
inline constexpr uint8_t kFireTwo = 23;   // the second fire request
inline constexpr uint8_t kFireThree = 24; // the third (launch, unload, let go)
inline constexpr uint8_t kTow = 25;
inline constexpr uint8_t kRelease = 26;
inline constexpr uint8_t kRecall = 27;
inline constexpr uint8_t kToggleAutoAttack = 28;
inline constexpr uint8_t kToggleAutoPursue = 29;
inline constexpr uint8_t kToggleAutoRepair = 30;
inline constexpr uint8_t kStop = 31;
inline constexpr uint8_t kScrap = 32;
inline constexpr uint8_t kRecallAll = 33;
inline constexpr uint8_t kShadow = 34;
inline constexpr uint8_t kFormation = 35;
inline constexpr uint8_t kTargetList = 36;
inline constexpr uint8_t kWaypoint = 37;
inline constexpr uint8_t kOncePerTick = 0x80;
} // namespace order

// A growable list of handles that keeps the index of its last entry (-1
// when empty). It starts with room for 8 and grows by 8.
class HandleList {
public:
    static constexpr int kGrowStep = 8;

    HandleList() { entries.reserve(kGrowStep); }

    int LastIndex() const { return int(entries.size()) - 1; }
    int Count() const { return int(entries.size()); }
    bool Empty() const { return entries.empty(); }
    EntityHandle operator[](int index) const { return entries[size_t(index)]; }
    void Append(EntityHandle handle);
    void Clear() { entries.clear(); }
    // The storage is replaced by these handles.
    void Assign(std::span<const EntityHandle> handles);
    std::span<const EntityHandle> Handles() const { return entries; }

private:
    std::vector<EntityHandle> entries;
};

class MessageBase {
public:
    MessageBase() = default;
    virtual ~MessageBase() = default;
    MessageBase(const MessageBase&) = default;
    MessageBase& operator=(const MessageBase&) = default;

    virtual size_t PackedSize() const { return 1; }
    // Packs (pack = true) into or unpacks from `buffer`; answers the offset
    // after the record's bytes, or 0 when the buffer is too short or its
    // lengths do not fit (nothing of this record is then changed).
    virtual size_t Serialize(std::span<uint8_t> buffer, bool pack);

    uint8_t type = 0;
};

class Message : public MessageBase {
public:
    // The common header: 16 bytes, then the handle list's byte length and
    // its handles.
    static constexpr size_t kHeaderSize = 16;

    Message() = default;

    size_t PackedSize() const override { return kHeaderSize + 4 + 4 * size_t(units.Count()); }
    size_t Serialize(std::span<uint8_t> buffer, bool pack) override;

    int32_t frame = 0; // delivered in this frame
    int32_t valueA = 0;
    int16_t valueB = 0;
    uint8_t sender = 0; // index of the posting player
    int32_t local = 0;  // set when posted; never packed
    int32_t valueC = 0;
    HandleList units; // the addressed units

    // A unit accepts this order at most once per tick.
    bool OncePerTick() const { return (type & order::kOncePerTick) != 0; }
    uint8_t Code() const { return type & uint8_t(~order::kOncePerTick); }

protected:
    // The kind's own fields after the common part; `at` is where they begin
    // and the buffer is already known to hold `PackedSize()` bytes when
    // packing. Answers the offset after them, or 0.
    virtual size_t SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack);
};

class FollowOrder : public Message {
public:
    FollowOrder() { type = order::kFollow; }
    size_t PackedSize() const override { return Message::PackedSize() + 20; }

    EntityHandle target = kNoEntity;
    float distance = 0.0f;
    Vec3 offset;

protected:
    size_t SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) override;
};

class MoveOrder : public Message {
public:
    MoveOrder() { type = order::kMove; }
    size_t PackedSize() const override { return Message::PackedSize() + 12; }

    Vec3 destination;

protected:
    size_t SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) override;
};

// Attack (13), tow (25) or shadow (34) one target.
class TargetOrder : public Message {
public:
    TargetOrder() { type = order::kAttack; }
    explicit TargetOrder(uint8_t code) { type = code; }
    size_t PackedSize() const override { return Message::PackedSize() + 4; }

    EntityHandle target = kNoEntity;

protected:
    size_t SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) override;
};

class SquadOrder : public Message {
public:
    SquadOrder() { type = order::kJoinSquad; }
    size_t PackedSize() const override { return Message::PackedSize() + 8; }

    int32_t squad = 0;
    int32_t slot = -1; // -1: the first free slot

protected:
    size_t SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) override;
};

// Carries a second list of handles: the targets or route of order 36.
class HandleListOrder : public Message {
public:
    static constexpr int kMaxRoute = 60;

    HandleListOrder() { type = order::kTargetList; }
    // The byte length of the second list, then its handles.
    size_t PackedSize() const override {
        return Message::PackedSize() + 4 + 4 * size_t(RouteCount());
    }

    // At most kMaxRoute handles travel; longer lists are cut when packed.
    std::vector<EntityHandle> route;
    int RouteCount() const { return route.size() < kMaxRoute ? int(route.size()) : kMaxRoute; }

protected:
    size_t SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) override;
};

class WaypointOrder : public Message {
public:
    WaypointOrder() { type = order::kWaypoint; }
    size_t PackedSize() const override { return Message::PackedSize() + 16; }

    int32_t restart = 0;
    Vec3 point;

protected:
    size_t SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) override;
};

// An order whose parameters are plain words and a name: queue a build (14:
// choice, squad number, site handle and site node), cancel one (15: the
// choice) or change a formation (35: the value in the low byte).
class ParameterOrder : public Message {
public:
    static constexpr size_t kNameBytes = 32;

    explicit ParameterOrder(uint8_t code) { type = code; }
    size_t PackedSize() const override { return Message::PackedSize() + 12 + kNameBytes; }
    // The name as written; a text of 32 characters has no terminator.
    void SetName(std::string_view text);

    int32_t words[3] = {};
    std::array<char, kNameBytes> name{};

protected:
    size_t SerializeFields(std::span<uint8_t> buffer, size_t at, bool pack) override;
};

} // namespace lumivane
