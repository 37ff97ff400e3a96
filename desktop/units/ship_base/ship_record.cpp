// The Ship record of object files and scene-state files, after the Entity
// record: the build queue, the order and the saved order, target list and
// waypoints, fire control, thrusters, the player's record, the squad place
// and the toggles. Written in the newest layout and read in every layout;
// counts, indices and names are checked against what the file can hold.
#include <algorithm>

#include "desktop/scene/object/object_file.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/squad.h"
#include "desktop/units/pilot/pilot.h"
#include "desktop/units/ship_base/ship.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

// Versions from which (or above which) a part of the record is there.
constexpr uint32_t kNextFireFrom = 48;
constexpr uint32_t kSensorRangeAbove = 48;
constexpr uint32_t kOwnerIndexBelow = 54; // an owner index before the squad
constexpr uint32_t kExtraNameBelow = 55;  // a 32-byte text after the node name
constexpr uint32_t kTowLockAbove = 55;
constexpr uint32_t kSavedOrderFrom = 64; // also the orbiting flag and the return point
constexpr uint32_t kFormationAbove = 64;
constexpr uint32_t kListsAbove = 66; // target list and waypoints
constexpr uint32_t kTogglesAbove = 115;

constexpr size_t kItemBytes = 44;
constexpr size_t kWaypointBytes = 16; // a point and the handle it rides on
constexpr int kSquadSlots = 20;
constexpr int kSquads = 10;

void WriteName(platform::BinaryWriter& file, std::string_view name) {
    file.WriteFixedString(name, kNameSize);
}

// A 32-byte name: whatever the bytes, it ends within 31 characters.
bool ReadName(platform::BinaryReader& file, std::string& name) {
    if (!file.ReadFixedString(name, kNameSize)) return false;
    if (name.size() > size_t(kNameSize - 1)) name.resize(kNameSize - 1);
    return true;
}

void WritePlayerRecord(platform::BinaryWriter& file, const UnitPlayerRecord& r) {
    file.WriteI32(r.ordered);
    file.WriteI32(r.timeWord);
    file.WriteI32(r.chainHead);
    file.WriteI32(r.chainPrevious);
    file.WriteI32(r.chainNext);
    WriteVec3(file, r.sphereCentre);
    file.WriteF32(r.sphereRadius);
    for (int32_t word : r.spare)
        file.WriteI32(word);
}

void ReadPlayerRecord(platform::BinaryReader& file, UnitPlayerRecord& r) {
    file.ReadI32(r.ordered);
    file.ReadI32(r.timeWord);
    file.ReadI32(r.chainHead);
    file.ReadI32(r.chainPrevious);
    file.ReadI32(r.chainNext);
    ReadVec3(file, r.sphereCentre);
    file.ReadF32(r.sphereRadius);
    for (int32_t& word : r.spare)
        file.ReadI32(word);
}

bool Fits(const platform::BinaryReader& file, int64_t count, size_t bytesEach) {
    return count >= 0 && uint64_t(count) <= file.Remaining() / bytesEach;
}

} // namespace

int Ship::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Entity::Save(file, table)) return 0;
    SaveShipRecord(file);
    return 1;
}

void Ship::SaveShipRecord(platform::BinaryWriter& file) const {
    for (uint8_t count : queuedCounts)
        file.WriteI32(count);
    file.WriteI32(int32_t(buildQueue.size()));
    for (const BuildQueueItem& item : buildQueue) {
        file.WriteI32(item.choice);
        file.WriteI32(item.site);
        WriteName(file, item.siteNode);
        file.WriteI32(item.squad);
    }
    file.WriteI32(buildUnit);
    file.WriteI32(buildConnector);
    file.WriteI32(amountPaid);
    file.WriteF32(buildProgress);
    file.WriteI32(queueChanged);
    file.WriteI32(lastBuildEnd);
    file.WriteI32(building);
    file.WriteF32(buildDuration);
    file.WriteI32(fadeFlag);
    file.WriteF32(fadeLevel);
    file.WriteI32(orderState);
    file.WriteI32(savedOrder.state);
    file.WriteI32(target);
    WriteVec3(file, movePoint);
    file.WriteF32(followDistance);
    WriteVec3(file, followOffset);
    WriteName(file, approachNode);
    file.WriteI32(orbiting);
    file.WriteI32(formationKind);
    file.WriteF32(formationSpacing);
    file.WriteI32(int32_t(targetList.size()));
    for (EntityHandle h : targetList)
        file.WriteI32(h);
    file.WriteI32(int32_t(waypoints.size()));
    for (const Vec3& point : waypoints)
        WriteVec3(file, point);
    for (EntityHandle rider : waypointRiders)
        file.WriteI32(rider);
    file.WriteI32(currentWaypoint);
    file.WriteI32(savedOrder.target);
    WriteVec3(file, savedOrder.movePoint);
    file.WriteF32(savedOrder.followDistance);
    WriteVec3(file, savedOrder.followOffset);
    WriteName(file, savedOrder.node);
    WriteVec3(file, returnPoint);
    file.WriteI32(fireRequest);
    file.WriteI32(selfDestructTime);
    file.WriteI32(lastFireTime);
    file.WriteI32(nextFireTime);
    file.WriteF32(viewWord);
    file.WriteI32(towLockTime);
    for (int i = 0; i < kSavedThrusters; ++i)
        file.WriteF32(thrusters[i]);
    WritePlayerRecord(file, playerRecord);
    file.WriteF32(sensorRange);
    file.WriteI32(squad ? squad->index : -1);
    file.WriteI32(squad ? squadSlot : -1);
    for (int32_t word : {combat, holdWord, carried, ownedCraft})
        file.WriteI32(word);
    file.WriteI32(autoAttack);
    file.WriteI32(autoRepair);
    file.WriteI32(autoPursue);
}

bool Ship::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Entity::Load(file, table, version)) return false;
    if (!LoadShipRecord(file, version)) return false;
    if (ChildCount() > 0 && PilotType() == 1) SetPilot(new Pilot);
    weaponNode = FindByName("dummyweapon");
    return true;
}

bool Ship::LoadShipRecord(platform::BinaryReader& file, uint32_t version) {
    int32_t storedCounts[kBuildChoices] = {};
    for (int32_t& count : storedCounts)
        file.ReadI32(count);
    int32_t items = 0;
    if (!file.ReadI32(items) || items > kMaxBuildQueue || !Fits(file, items, kItemBytes))
        return false;
    buildQueue.assign(size_t(items), {});
    uint8_t counts[kBuildChoices] = {};
    for (BuildQueueItem& item : buildQueue) {
        file.ReadI32(item.choice);
        file.ReadI32(item.site);
        ReadName(file, item.siteNode);
        file.ReadI32(item.squad);
        if (item.choice < 0 || item.choice >= kBuildChoices) return false;
        if (++counts[item.choice] > kMaxChoiceItems) return false;
    }
    // The items are what the queue holds; the counts follow them.
    std::copy(std::begin(counts), std::end(counts), std::begin(queuedCounts));

    file.ReadI32(buildUnit);
    file.ReadI32(buildConnector);
    file.ReadI32(amountPaid);
    file.ReadF32(buildProgress);
    file.ReadI32(queueChanged);
    file.ReadI32(lastBuildEnd);
    file.ReadI32(building);
    file.ReadF32(buildDuration);
    file.ReadI32(fadeFlag);
    file.ReadF32(fadeLevel);
    file.ReadI32(orderState);
    file.ReadI32(savedOrder.state);
    file.ReadI32(target);
    ReadVec3(file, movePoint);
    file.ReadF32(followDistance);
    ReadVec3(file, followOffset);
    ReadName(file, approachNode);
    if (version < kExtraNameBelow) file.Skip(kNameSize);
    if (version >= kSavedOrderFrom) file.ReadI32(orbiting);
    if (version > kFormationAbove) {
        int32_t kind = 0;
        file.ReadI32(kind);
        formationKind = uint8_t(kind & 0xFF);
        file.ReadF32(formationSpacing);
    }
    if (version > kListsAbove) {
        int32_t count = 0;
        if (!file.ReadI32(count) || !Fits(file, count, 4)) return false;
        targetList.assign(size_t(count), kNoEntity);
        for (EntityHandle& h : targetList)
            file.ReadI32(h);
        if (!file.ReadI32(count)) return false;
        count = std::max(count, 0); // a negative count means none
        if (!Fits(file, count, kWaypointBytes)) return false;
        waypoints.assign(size_t(count), Vec3());
        waypointRiders.assign(size_t(count), kNoEntity);
        for (Vec3& point : waypoints)
            ReadVec3(file, point);
        for (EntityHandle& rider : waypointRiders)
            file.ReadI32(rider);
        file.ReadI32(currentWaypoint);
        if (count == 0) currentWaypoint = 0;
        if (currentWaypoint < 0 || currentWaypoint >= std::max(count, 1)) return false;
    }
    if (version >= kSavedOrderFrom) {
        file.ReadI32(savedOrder.target);
        ReadVec3(file, savedOrder.movePoint);
        file.ReadF32(savedOrder.followDistance);
        ReadVec3(file, savedOrder.followOffset);
        ReadName(file, savedOrder.node);
        ReadVec3(file, returnPoint);
    }
    file.ReadI32(fireRequest);
    file.ReadI32(selfDestructTime);
    file.ReadI32(lastFireTime);
    if (version >= kNextFireFrom) file.ReadI32(nextFireTime);
    file.ReadF32(viewWord);
    if (version > kTowLockAbove) file.ReadI32(towLockTime);
    for (int i = 0; i < kSavedThrusters; ++i)
        file.ReadF32(thrusters[i]);
    ReadPlayerRecord(file, playerRecord);
    if (version > kSensorRangeAbove) file.ReadF32(sensorRange);
    if (version < kOwnerIndexBelow) {
        // Older entity records carry no owner; the unit's own record does.
        int32_t ownerIndex = -1;
        file.ReadI32(ownerIndex);
        if (!owner) owner = PlayerAt(ownerIndex);
    }
    int32_t squadIndex = -1;
    int32_t slot = -1;
    file.ReadI32(squadIndex);
    file.ReadI32(slot);
    if (squadIndex < -1 || squadIndex >= kSquads || slot < -1 || slot >= kSquadSlots) return false;
    // The unit names its place; the player's block of a scene-state file
    // puts it back into the squad's slot.
    squad = owner && squadIndex >= 0 ? owner->SquadAt(squadIndex) : nullptr;
    squadSlot = squad ? slot : -1;
    for (int32_t* word : {&combat, &holdWord, &carried, &ownedCraft})
        file.ReadI32(*word);
    if (version > kTogglesAbove) {
        file.ReadI32(autoAttack);
        file.ReadI32(autoRepair);
        file.ReadI32(autoPursue);
    }
    return file.Good();
}

} // namespace lumivane
