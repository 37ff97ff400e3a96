// Player: the player block of the scene-state file.
#include <algorithm>

#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_file_format.h"
#include "desktop/scene/world/world.h"
#include "platform/binary_io.h"

namespace lumivane {

Unit* ReadPlayerUnit(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    Unknown* object = ReadObjectReference(file, table, version, ClassId::Ship);
    if (!object) return nullptr;
    auto* unit = static_cast<Unit*>(object);
    const World* world = GetWorld();
    if (world && world->GetEntity(unit->handle) == unit) return unit;
    // Not a unit of the world: nobody holds it, so it goes.
    if (object->ReferenceCount() <= 0) object->Release();
    file.Fail();
    return nullptr;
}

void Player::Save(platform::BinaryWriter& file, ObjectTable& table) const {
    file.WriteU32(index);
    file.WriteU32(uint32_t(units.size()));
    for (Unit* unit : units)
        unit->Save(file, table);
    for (const Squad& squad : squads)
        squad.Save(file, table);
    file.WriteU32(0); // a word readers skip
    file.WriteI32(blockValue);
    file.WriteI32(furtherValue);
    file.WriteI32(lastSquadKey);
    file.WriteU32(lastSquadKeyTime);
    file.WriteF32(resources);
    file.WriteU32(uint32_t(buildList.size()));
    for (const BuildChoice& choice : buildList)
        file.WriteFixedString(choice.name, BuildChoice::kNameSize);
    for (const BuildChoice& choice : buildList)
        file.WriteI32(choice.weight);
    file.WriteI32(aiLevel);
    for (int32_t flag : enemy)
        file.WriteI32(flag);
}

bool Player::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version,
                  bool restoring) {
    using namespace scene_file;
    uint32_t storedIndex = 0;
    uint32_t count = 0;
    if (!file.ReadU32(storedIndex) || !file.ReadU32(count)) return false;
    // A player holds at most 200 units.
    if (count > uint32_t(kMaxPlayerUnits)) {
        file.Fail();
        return false;
    }
    units.clear();
    visible.clear();
    for (Squad& squad : squads)
        squad = Squad{squad.index};
    for (uint32_t i = 0; i < count; ++i) {
        Unit* unit = ReadPlayerUnit(file, table, version);
        if (!unit) return false;
        unit->owner = this;
        AddUnit(unit);
    }
    for (Squad& squad : squads)
        if (!squad.Load(file, table, version, *this)) return false;
    int32_t skipped = 0;
    if (!file.ReadI32(skipped) || !file.ReadI32(blockValue) || !file.ReadI32(furtherValue) ||
        !file.ReadI32(lastSquadKey) || !file.ReadU32(lastSquadKeyTime))
        return false;
    if (version < kFloatResourcesFrom) {
        int32_t whole = 0;
        if (!file.ReadI32(whole)) return false;
        resources = float(whole);
    } else if (!file.ReadF32(resources)) {
        return false;
    }
    if (!restoring) {
        resources = 0.0f;
        warningLevel = 1;
    }
    if (version > kBuildListAbove) {
        if (!ReadCount(file, count, BuildChoice::kNameSize)) return false;
        std::vector<BuildChoice> choices(count);
        for (BuildChoice& choice : choices)
            if (!file.ReadFixedString(choice.name, BuildChoice::kNameSize)) return false;
        if (version >= kPlayerWeightsFrom)
            for (BuildChoice& choice : choices)
                if (!file.ReadI32(choice.weight)) return false;
        buildList = std::move(choices);
    }
    if (version >= kComputerPlayerFrom) {
        int32_t level = 0;
        if (!file.ReadI32(level)) return false;
        for (int32_t& flag : enemy)
            if (!file.ReadI32(flag)) return false;
        if (restoring) aiLevel = std::clamp(level, 0, kMaxAILevel);
    }
    return true;
}

} // namespace lumivane
