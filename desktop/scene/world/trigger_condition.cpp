// TriggerCondition: the tests of the 11 condition kinds and their blocks.
#include "desktop/scene/world/trigger_condition.h"

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_file_format.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/trigger.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

constexpr int kSpaceBar = 57;

// Units that do not count when asking whether a player is beaten: mines,
// satellites, pods, probes, colony ships, mining stations and classes of
// the same groups that have no class in this program.
constexpr int kNonCombatClasses[] = {14, 16, 69, 74, 76, 113, 27, 81, 83, 119, 120, 146};

Entity* Resolve(EntityHandle handle) {
    const World* world = GetWorld();
    return world ? world->GetEntity(handle) : nullptr;
}

bool KnownTo(const Entity& entity, int player) {
    return player >= 0 && player < kPlayerCount && entity.identification[player] == kKnown;
}

float Distance(EntityHandle a, EntityHandle b) {
    const World* world = GetWorld();
    return world ? world->Distance(a, b) : kLargestDistance;
}

} // namespace

int TriggerCondition::Test() {
    switch (ConditionType(type)) {
    case ConditionType::Always:
        return 1;
    case ConditionType::UserEvent: {
        const UserInputWords& words = GetUserInputWords();
        return ((words.events[0] & mask1) | (words.events[1] & mask2)) != 0;
    }
    case ConditionType::Delay:
        return owner && uint64_t(GetSceneClock().gameTime) >=
                            uint64_t(owner->activationTime) + uint64_t(delay);
    case ConditionType::SpaceBar: {
        const Keyboard* keyboard = GetKeyboardHolder();
        return keyboard && keyboard->keyState[kSpaceBar] != 0 && keyboard->blocked == 0 &&
               keyboard->blockedByCommand == 0;
    }
    case ConditionType::Visible:
        return TestVisible();
    case ConditionType::Distance:
        return TestDistance();
    case ConditionType::PlayerBeaten:
        return TestPlayerBeaten();
    case ConditionType::UnitsGone:
        return TestUnitsGone();
    case ConditionType::Passage:
        return TestPassage();
    case ConditionType::UnitsNear:
        return TestUnitsNear();
    case ConditionType::Variable:
        return TestVariable();
    }
    return 0;
}

bool TriggerCondition::TestVisible() const {
    if (subject < 0 || subject >= kPlayerCount) return false;
    if (mode == 0) {
        for (EntityHandle handle : handles) {
            const Entity* entity = Resolve(handle);
            if (entity && KnownTo(*entity, subject)) return true;
        }
        return false;
    }
    for (EntityHandle handle : handles) {
        const Entity* entity = Resolve(handle);
        if (!entity) {
            if (mode == 1) return false;
            continue;
        }
        if (!KnownTo(*entity, subject)) return false;
    }
    return true;
}

bool TriggerCondition::TestDistance() const {
    const bool referenceLives = Resolve(subject) != nullptr;
    if (mode == 0) {
        if (!referenceLives) return false;
        for (EntityHandle handle : handles)
            if (Resolve(handle) && Distance(subject, handle) <= distance) return true;
        return false;
    }
    if (mode == 1) {
        if (!referenceLives) return false;
        for (EntityHandle handle : handles)
            if (!Resolve(handle) || Distance(subject, handle) > distance) return false;
        return true;
    }
    if (!referenceLives) return true;
    for (EntityHandle handle : handles)
        if (Resolve(handle) && Distance(subject, handle) > distance) return false;
    return true;
}

bool TriggerCondition::TestPlayerBeaten() const {
    const Player* player = PlayerAt(subject);
    if (!player) return false;
    for (const Unit* unit : player->units) {
        bool counts = unit->TargetForEnemies();
        for (int classId : kNonCombatClasses)
            counts = counts && !IsA(unit, classId);
        if (counts) return false;
    }
    return true;
}

bool TriggerCondition::TestUnitsGone() const {
    if (subject != 0) {
        for (EntityHandle handle : handles)
            if (Resolve(handle)) return false;
        return true;
    }
    for (EntityHandle handle : handles)
        if (!Resolve(handle)) return true;
    return false;
}

bool TriggerCondition::TestPassage() const {
    Entity* entity = Resolve(subject);
    Wormhole* gate = AsWormhole(entity);
    // Whether a unit of the player (of that prototype) has flown through.
    return gate && gate->TakeTraveller(int32_t(value), name);
}

bool TriggerCondition::TestUnitsNear() const {
    const Player* player = PlayerAt(subject);
    auto someUnitNear = [&](EntityHandle handle) {
        if (!player) return false;
        for (const Unit* unit : player->units) {
            if (!name.empty() && !platform::EqualsIgnoreCase(unit->Name(), name)) continue;
            if (Distance(unit->handle, handle) <= distance) return true;
        }
        return false;
    };
    if (mode == 0) {
        for (EntityHandle handle : handles)
            if (Resolve(handle) && someUnitNear(handle)) return true;
        return false;
    }
    for (EntityHandle handle : handles) {
        if (!Resolve(handle)) {
            if (mode == 1) return false;
            continue;
        }
        if (!someUnitNear(handle)) return false;
    }
    return true;
}

bool TriggerCondition::TestVariable() const {
    Scene* scene = GetScene();
    if (!scene) return false;
    const int32_t v = scene->VariableValue(name).value_or(0);
    int32_t operand = constant;
    if (!name2.empty()) {
        std::optional<int32_t> second = scene->VariableValue(name2);
        if (!second) return false;
        operand = *second;
    }
    switch (comparison) {
    case 0:
        return v == operand;
    case 1:
        return v < operand;
    case 2:
        return v > operand;
    case 3:
        return v != operand;
    case 4:
        return v <= operand;
    case 5:
        return v >= operand;
    default:
        return false;
    }
}

void TriggerCondition::Save(platform::BinaryWriter& file) const {
    file.WriteI32(type);
    file.WriteI32(latch);
    auto writeHandles = [&] {
        file.WriteU32(uint32_t(handles.size()));
        for (EntityHandle handle : handles)
            file.WriteI32(handle);
    };
    switch (ConditionType(type)) {
    case ConditionType::Always:
    case ConditionType::SpaceBar:
        break;
    case ConditionType::UserEvent:
        file.WriteU32(mask1);
        file.WriteU32(mask2);
        break;
    case ConditionType::Delay:
        file.WriteU32(delay);
        break;
    case ConditionType::Visible:
    case ConditionType::PlayerBeaten:
    case ConditionType::UnitsGone:
        file.WriteI32(subject);
        writeHandles();
        file.WriteI32(mode);
        break;
    case ConditionType::Distance:
        file.WriteI32(subject);
        writeHandles();
        file.WriteI32(mode);
        file.WriteF32(distance);
        break;
    case ConditionType::Passage:
        file.WriteI32(subject);
        file.WriteU32(value);
        file.WriteFixedString(name, kNameSize);
        break;
    case ConditionType::UnitsNear:
        file.WriteI32(subject);
        file.WriteFixedString(name, kNameSize);
        writeHandles();
        file.WriteI32(mode);
        file.WriteF32(distance);
        break;
    case ConditionType::Variable:
        file.WriteFixedString(name, kNameSize);
        file.WriteI32(comparison);
        file.WriteI32(constant);
        file.WriteFixedString(name2, kNameSize);
        break;
    }
}

bool TriggerCondition::Load(platform::BinaryReader& file, uint32_t version) {
    using namespace scene_file;
    auto readHandles = [&] {
        uint32_t count = 0;
        if (!ReadCount(file, count, 4)) return false;
        handles.resize(count);
        for (EntityHandle& handle : handles)
            if (!file.ReadI32(handle)) return false;
        return true;
    };
    auto readSingleHandle = [&] {
        handles.resize(1);
        return file.ReadI32(handles[0]);
    };
    if (!file.ReadI32(type)) return false;
    if (version > kLatchAbove && !file.ReadI32(latch)) return false;
    switch (ConditionType(type)) {
    case ConditionType::Always:
    case ConditionType::SpaceBar:
        return true;
    case ConditionType::UserEvent:
        return file.ReadU32(mask1) && file.ReadU32(mask2);
    case ConditionType::Delay:
        return file.ReadU32(delay);
    case ConditionType::Visible:
    case ConditionType::PlayerBeaten:
    case ConditionType::UnitsGone:
        if (!file.ReadI32(subject)) return false;
        if (version < kHandleListsFrom) {
            mode = 0;
            return readSingleHandle();
        }
        return readHandles() && file.ReadI32(mode);
    case ConditionType::Distance:
        if (!file.ReadI32(subject)) return false;
        if (version < kDistanceListFrom) {
            if (!readSingleHandle() || !file.ReadF32(distance)) return false;
            uint32_t allBeyond = 0;
            if (version >= kDistanceModeWordFrom && !file.ReadU32(allBeyond)) return false;
            if (allBeyond) mode = 2;
            return true;
        }
        return readHandles() && file.ReadI32(mode) && file.ReadF32(distance);
    case ConditionType::Passage:
        return file.ReadI32(subject) && file.ReadU32(value) &&
               file.ReadFixedString(name, kNameSize);
    case ConditionType::UnitsNear:
        return file.ReadI32(subject) && file.ReadFixedString(name, kNameSize) && readHandles() &&
               file.ReadI32(mode) && file.ReadF32(distance);
    case ConditionType::Variable:
        if (!file.ReadFixedString(name, kNameSize) || !file.ReadI32(comparison) ||
            !file.ReadI32(constant))
            return false;
        return version < kSecondVariableFrom || file.ReadFixedString(name2, kNameSize);
    }
    // An unknown kind has no known length: the rest of the file cannot be read.
    file.Fail();
    return false;
}

} // namespace lumivane
