// World: its section of the scene-state file. The root with the top-level
// entities, then the slot table (a word per slot, 0 empty or 2 followed by
// the slot's entity, mostly a back-reference), the stored handles, the
// reservations, the queued removals and joins, and the game clock.
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/object_table.h"
#include "desktop/scene/world/world.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr uint32_t kOccupied = 2;
constexpr uint32_t kGravityListUpTo = 39;      // older files list the gravity sources
constexpr uint32_t kReservationWordsUpTo = 50; // older files mark reservations as word 1
constexpr uint32_t kGameClockFrom = 52;
constexpr int kSmallestObject = 5;

// Marks a scene-state read for the entity records while it lasts.
class SceneStateRead {
public:
    SceneStateRead() : was(GetModelLoadState().sceneStateLoading) {
        GetModelLoadState().sceneStateLoading = true;
    }
    ~SceneStateRead() { GetModelLoadState().sceneStateLoading = was; }

private:
    bool was;
};

Entity* ReadEntity(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    return static_cast<Entity*>(ReadObjectReference(file, table, version, ClassId::Entity));
}

bool CountFits(const platform::BinaryReader& file, uint32_t count, uint64_t bytesEach) {
    return count <= file.Remaining() / bytesEach;
}

} // namespace

int World::Save(platform::BinaryWriter& file, ObjectTable& table) {
    root->Save(file, table);
    file.WriteU32(kWorldSlots);
    for (Entity* entity : objects) {
        file.WriteU32(entity ? kOccupied : 0);
        if (entity) entity->Save(file, table);
    }
    for (EntityHandle handle : handles)
        file.WriteI32(handle);
    for (uint8_t flag : reserved)
        file.WriteU32(flag ? 1 : 0);
    file.WriteU32(uint32_t(removals.size()));
    for (const Removal& removal : removals)
        removal.entity->Save(file, table);
    file.WriteU32(uint32_t(joining.size()));
    for (Entity* entity : joining)
        entity->Save(file, table);
    file.WriteU32(GetSceneClock().gameTime);
    return 1;
}

bool World::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    SceneStateRead marked;
    // Entities dropped below (their prototype is gone, or they were leaving)
    // leave the table, so the player blocks cannot reach them.
    ObjectTable::Watch watch(table);
    Reset();
    root->Release();
    root = nullptr;
    Unknown* loadedRoot = ReadObjectReference(file, table, version, ClassId::Node);
    if (!loadedRoot) {
        Init();
        return false;
    }
    root = static_cast<Node*>(loadedRoot);
    root->AddRef();
    // Everything read is held until the queues are settled, so an entity
    // that only a slot or the removal queue names goes cleanly at the end.
    std::vector<Entity*> held;
    auto hold = [&](Entity* entity) {
        entity->AddRef();
        held.push_back(entity);
        return entity;
    };
    auto releaseHeld = [&] {
        for (Entity* entity : held)
            entity->Release();
        held.clear();
    };
    auto fail = [&] {
        Reset();
        releaseHeld();
        return false;
    };

    if (version <= kGravityListUpTo) {
        uint32_t count;
        if (!file.ReadU32(count) || !CountFits(file, count, kSmallestObject)) return fail();
        for (uint32_t i = 0; i < count; ++i) {
            Entity* source = ReadEntity(file, table, version);
            if (!source) return fail();
            hold(source); // rebuilt from the root below
        }
    }
    gravitySources.clear();
    lights.clear();
    sun = nullptr;
    for (int i = 0; i < EntityCount(); ++i)
        if (Entity* e = EntityAt(i)) NoteJoined(e);

    uint32_t slots;
    if (!file.ReadU32(slots) || slots > uint32_t(kWorldSlots) || !CountFits(file, slots, 8))
        return fail();
    std::vector<uint32_t> words(slots, 0);
    for (uint32_t slot = 0; slot < slots; ++slot) {
        if (!file.ReadU32(words[slot])) return fail();
        if (words[slot] > 1) {
            Entity* entity = ReadEntity(file, table, version);
            if (!entity) return fail();
            objects[slot] = hold(entity);
        }
    }
    for (uint32_t slot = 0; slot < slots; ++slot)
        if (!file.ReadI32(handles[slot])) return fail();
    if (version <= kReservationWordsUpTo) {
        for (uint32_t slot = 0; slot < slots; ++slot)
            if (words[slot] == 1) {
                reserved[slot] = 1;
                objects[slot] = nullptr;
            }
    } else {
        for (uint32_t slot = 0; slot < slots; ++slot) {
            uint32_t flag;
            if (!file.ReadU32(flag)) return fail();
            reserved[slot] = flag ? 1 : 0;
        }
    }

    uint32_t count;
    if (!file.ReadU32(count) || !CountFits(file, count, kSmallestObject)) return fail();
    std::vector<Entity*> leaving;
    for (uint32_t i = 0; i < count; ++i) {
        Entity* entity = ReadEntity(file, table, version);
        if (!entity) return fail();
        leaving.push_back(hold(entity));
    }
    if (!file.ReadU32(count) || !CountFits(file, count, kSmallestObject)) return fail();
    for (uint32_t i = 0; i < count; ++i) {
        Entity* entity = ReadEntity(file, table, version);
        if (!entity) return fail();
        entity->AddRef();
        joining.push_back(entity);
    }
    uint32_t clock = 0;
    if (version >= kGameClockFrom && !file.ReadU32(clock)) return fail();
    if (!file.Good()) return fail();
    for (Entity* entity : leaving)
        QueueRemove(entity, nullptr, false);
    FlushRemovals();
    releaseHeld();
    GetSceneClock().gameTime = clock;
    return true;
}

} // namespace lumivane
