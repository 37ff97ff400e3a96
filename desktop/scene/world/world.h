// World: the one registry of live entities in the running scene. It issues
// the handles by which everything refers to an entity, holds the root node
// whose children are the top-level entities, lets entities join and leave
// only at fixed points of the frame (the join list and the removal queue),
// keeps the gravity sources and global lights, and once per frame updates
// every top-level entity and runs the collision pass.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <vector>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/entity_handle.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class Entity;
class Node;
class ObjectTable;
class Player;

inline constexpr float kLargestDistance = 3.4028235e38f;
inline constexpr int kCollisionBuckets = 1000;

class World {
public:
    World();
    ~World();
    World(const World&) = delete;
    World& operator=(const World&) = delete;

    // A fresh registry: a new root, every slot's handle its slot number.
    int Init();
    // Removes every entity and frees the lists.
    void Clear();
    int Reset();

    // --- Handles ----------------------------------------------------------
    // The first free, unreserved slot of 1..4999 (AllocHighHandle: of
    // 5000..5099) now holds the entity; its stored handle, or -1 when full.
    EntityHandle AllocHandle(Entity* entity);
    EntityHandle AllocHighHandle(Entity* entity);
    // Holds back a slot of 1..4999 for an entity made later (SetHandle).
    EntityHandle ReserveHandle();
    // Empties the slot and moves it to its next generation.
    void FreeHandle(EntityHandle handle);
    // Empties every slot; handles and reservations stay.
    int ClearSlots();
    // Null for a negative or stale handle, else the slot's entity.
    Entity* GetEntity(EntityHandle handle) const;
    // Stores the entity in a slot outright (used by Entity::SetHandle).
    void SetSlot(EntityHandle handle, Entity* entity);
    EntityHandle StoredHandle(int slot) const { return handles[slot]; }
    // The slot's entity whatever the handle's generation (null outside).
    Entity* SlotObject(int slot) const {
        return slot >= 0 && slot < kWorldSlots ? objects[slot] : nullptr;
    }
    bool IsReserved(int slot) const { return reserved[slot] != 0; }
    // Gives a reserved slot back (its handle's slot; negatives are ignored).
    void ClearReservation(EntityHandle handle);
    // Every slot's reservation flag, to be put back after a reload.
    std::vector<uint8_t> Reservations() const;
    void SetReservations(const std::vector<uint8_t>& flags);

    // --- Joining and leaving ----------------------------------------------
    // Queues a new entity to join at the next update. False when the join
    // list is full: the entity has then been removed already.
    bool AddEntity(Entity* entity);
    // A plain node (no entity) joins the root at once: no handle, no update,
    // no search or collision ever sees it, so it need not wait for the
    // frame's join point. It stays until the world is cleared. False when
    // the root is full: the node has then been released.
    bool AddNode(Node* node);
    void JoinPending();
    // Queues the entity (and with `cascade` everything it owns) for removal
    // at the end of the frame; `responsible` inherits its camera views.
    void QueueRemove(Entity* entity, Entity* responsible, bool cascade);
    bool IsQueuedForRemoval(const Entity* entity) const;
    void FlushRemovals();
    void RemoveEntity(Entity* entity, Entity* responsible);
    void ReplaceOwnerHandle(EntityHandle oldHandle, EntityHandle newHandle);
    // Takes a top-level entity out of the root; it joins again at the end
    // of the entity order with the next update.
    void Rejoin(Entity* entity);
    // An entity is being destroyed: nothing here may keep naming it.
    void ForgetEntity(Entity* entity);

    void AddGravitySource(Entity* entity);
    void RemoveGravitySource(Entity* entity);
    void AddLight(Entity* entity);
    void RemoveLight(Entity* entity);

    // --- Queries ----------------------------------------------------------
    // Between two entities; a = 0 measures from the camera; the largest
    // float when a handle does not resolve.
    float Distance(EntityHandle a, EntityHandle b) const;
    Entity* FindNearest(EntityHandle from, const Player* player, int classId) const;
    Entity* FindNearestUnitOf(EntityHandle from, const Player* player, int classId) const;
    Entity* FindNearestEnemy(EntityHandle from, const Player* player, bool seeAll) const;

    // --- Collision --------------------------------------------------------
    // Sphere A at offset p from sphere B moving by v relative to it over the
    // step, radii summing to `reach`: 1 and the contact time in 0..1.
    static int SweptSphereTest(const Vec3& p, const Vec3& v, float reach, float& time);
    // Non-zero when the bounding spheres of A and B meet this step; the
    // normal then points from A to B.
    int TestCollision(const Entity* a, const Entity* b, Vec3& normal) const;

    // The frame step: join, update, links and players, collisions.
    void Update();

    // --- Scene-state file -------------------------------------------------
    int Save(platform::BinaryWriter& file, ObjectTable& table);
    // False (after clearing what was read) for a damaged section.
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version);

    // --- Contents ---------------------------------------------------------
    Node* Root() const { return root; }
    int EntityCount() const;
    Entity* EntityAt(int index) const;
    const std::vector<Entity*>& JoinList() const { return joining; }
    const std::vector<Entity*>& GravitySources() const { return gravitySources; }
    const std::vector<Entity*>& Lights() const { return lights; }
    Entity* Sun() const { return sun; }

    // Set while the Sun is "relativistic" and time runs; units read it.
    uint8_t relativisticMode = 0;

private:
    struct Removal {
        Entity* entity;
        EntityHandle responsible;
    };

    EntityHandle AllocIn(int first, int last, Entity* entity);
    void NoteJoined(Entity* entity); // gravity, lights, Sun
    void ClearLists();
    void UpdateEntities();
    void CollisionPass();
    void FillBuckets();
    void TestBucketPairs();
    const Entity* TopOwner(const Entity* entity) const;
    void AnnounceRemoval(const Entity* entity) const;

    Node* root = nullptr;
    std::vector<Entity*> gravitySources;
    std::vector<Entity*> lights;
    Entity* sun = nullptr;
    Entity* objects[kWorldSlots] = {};
    EntityHandle handles[kWorldSlots] = {};
    uint8_t reserved[kWorldSlots] = {};
    std::vector<Removal> removals;
    std::vector<Removal> flushing;  // the queue being carried out
    std::vector<Entity*> cascading; // entities whose owned ones are being queued
    std::vector<Entity*> joining;
    std::vector<std::vector<int>> buckets;
    std::vector<std::pair<Entity*, Entity*>> pairs;
    std::unordered_set<uint64_t> pairKeys;
};

// The program's world; null until start-up makes it.
World* GetWorld();
void SetWorld(World* world);

} // namespace lumivane
