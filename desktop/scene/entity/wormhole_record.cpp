// Wormhole: its record after the Entity record, written in the newest
// layout and read in every layout from version 22 on. Counts are checked
// against the bytes left.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/spawn_record_io.h"
#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/random_generator.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

// Versions from which (or up to which) a part of the record looks as it does.
constexpr uint32_t kPhasesFrom = 31;
constexpr uint32_t kHeldObjectsUpTo = 68; // two flags, each with an object
constexpr uint32_t kTravellersFrom = 57;
constexpr uint32_t kWholeTravellersFrom = 115;
constexpr uint32_t kSpawnsFrom = 62; // and the time of the last arrival
constexpr uint32_t kWholeSpawnsFrom = 73;

constexpr uint64_t kTravellerBytes = 52;
constexpr uint64_t kShortTravellerBytes = 40;
constexpr float kOldPhaseRange = 10.0f;

bool ReadCount(platform::BinaryReader& file, uint32_t& count, uint64_t bytesEach) {
    return file.ReadU32(count) && count <= file.Remaining() / bytesEach;
}

} // namespace

int Wormhole::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Entity::Save(file, table)) return 0;
    for (float phase : phases)
        file.WriteF32(phase);
    file.WriteI32(active);
    file.WriteF32(level);
    file.WriteU32(uint32_t(travellers.size()));
    for (const WormholeTraveller& t : travellers) {
        file.WriteI32(t.player);
        file.WriteFixedString(t.prototype, kNameSize);
        file.WriteF32(t.health);
        file.WriteI32(t.handle);
        file.WriteI32(t.exitTime);
        file.WriteI32(t.noted);
    }
    WriteSpawnRecords(file, spawns);
    file.WriteI32(lastSpawnTime);
    return 1;
}

bool Wormhole::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Entity::Load(file, table, version)) return false;
    travellers.clear();
    spawns.clear();
    lastSpawnTime = 0;
    if (version < kPhasesFrom) {
        for (float& phase : phases)
            phase = RandomFloat(CollectionRandom(), 0.0f, kOldPhaseRange);
        active = 0;
        level = 0.0f;
    } else {
        for (float& phase : phases)
            file.ReadF32(phase);
        file.ReadI32(active);
        file.ReadF32(level);
        if (!file.Good()) return false;
        if (!(level >= 0.0f)) level = 0.0f; // a NaN too
        level = std::min(level, 1.0f);
    }
    if (version >= kPhasesFrom && version <= kHeldObjectsUpTo)
        for (int i = 0; i < 2; ++i) {
            uint32_t present = 0;
            if (!file.ReadU32(present)) return false;
            if (!present) continue;
            Unknown* held = ReadObjectReference(file, table, version, ClassId::Unknown);
            if (!held) return false;
            HoldLegacyObject(held);
        }
    if (version >= kTravellersFrom) {
        const bool whole = version >= kWholeTravellersFrom;
        uint32_t count = 0;
        if (!ReadCount(file, count, whole ? kTravellerBytes : kShortTravellerBytes)) return false;
        travellers.resize(count);
        for (WormholeTraveller& t : travellers) {
            file.ReadI32(t.player);
            file.ReadFixedString(t.prototype, kNameSize);
            file.ReadF32(t.health);
            if (whole) {
                file.ReadI32(t.handle);
                file.ReadI32(t.exitTime);
                file.ReadI32(t.noted);
            }
        }
    }
    if (version >= kSpawnsFrom) {
        if (!ReadSpawnRecords(file, version >= kWholeSpawnsFrom, spawns)) return false;
        file.ReadI32(lastSpawnTime);
    }
    if (!file.Good()) return false;
    pulse = 1.0f - std::cos(kPi * level);
    DetachAllVertices();
    return true;
}

} // namespace lumivane
