// World: handles, the join list, the removal queue and the source lists.
#include "desktop/scene/world/world.h"

#include <algorithm>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

namespace {

World* gWorld = nullptr;

constexpr size_t kMaxJoining = 5099;
constexpr int kFirstOrdinarySlot = 1;
constexpr int kLastOrdinarySlot = kFirstHighSlot - 1;
// Unit classes whose loss is announced like a Hub's.
constexpr int kHubLikeClasses[] = {129, 141};

template <class T> void EraseValue(std::vector<T>& list, const T& value) {
    list.erase(std::remove(list.begin(), list.end(), value), list.end());
}

// Removes by moving the last entry into its place.
void SwapRemove(std::vector<Entity*>& list, Entity* entity) {
    auto found = std::find(list.begin(), list.end(), entity);
    if (found == list.end()) return;
    *found = list.back();
    list.pop_back();
}

} // namespace

World* GetWorld() {
    return gWorld;
}

void SetWorld(World* world) {
    gWorld = world;
}

World::World() {
    Init();
}

World::~World() {
    Clear();
    if (gWorld == this) gWorld = nullptr;
}

int World::Init() {
    if (root) Clear();
    ClearLists();
    root = new Node;
    root->AddRef();
    sun = nullptr;
    std::fill(std::begin(objects), std::end(objects), nullptr);
    std::fill(std::begin(reserved), std::end(reserved), uint8_t(0));
    for (int slot = 0; slot < kWorldSlots; ++slot)
        handles[slot] = slot;
    buckets.assign(kCollisionBuckets, {});
    relativisticMode = 0;
    return 0;
}

void World::ClearLists() {
    gravitySources.clear();
    lights.clear();
    removals.clear();
    joining.clear();
    buckets.clear();
    pairs.clear();
    pairKeys.clear();
}

void World::Clear() {
    if (root)
        for (int i = root->ChildCount() - 1; i >= 0; --i) {
            Node* child = root->ChildAt(i);
            if (IsA(child, ClassId::Entity))
                RemoveEntity(static_cast<Entity*>(child), nullptr);
            else
                root->RemoveChildAt(i);
        }
    if (root) {
        Node* old = root;
        root = nullptr;
        old->Release();
    }
    std::vector<Entity*> waiting;
    waiting.swap(joining);
    for (Entity* entity : waiting)
        entity->Release();
    ClearLists();
    sun = nullptr;
}

int World::Reset() {
    Clear();
    return Init();
}

// --- Handles ----------------------------------------------------------------

EntityHandle World::AllocIn(int first, int last, Entity* entity) {
    for (int slot = first; slot <= last; ++slot)
        if (!objects[slot] && !reserved[slot]) {
            objects[slot] = entity;
            return handles[slot];
        }
    return kNoEntity;
}

EntityHandle World::AllocHandle(Entity* entity) {
    return AllocIn(kFirstOrdinarySlot, kLastOrdinarySlot, entity);
}

EntityHandle World::AllocHighHandle(Entity* entity) {
    return AllocIn(kFirstHighSlot, kWorldSlots - 1, entity);
}

EntityHandle World::ReserveHandle() {
    for (int slot = kFirstOrdinarySlot; slot <= kLastOrdinarySlot; ++slot)
        if (!objects[slot] && !reserved[slot]) {
            reserved[slot] = 1;
            return handles[slot];
        }
    return kNoEntity;
}

void World::ClearReservation(EntityHandle handle) {
    if (handle < 0 || SlotOf(handle) >= kWorldSlots) return;
    reserved[SlotOf(handle)] = 0;
}

std::vector<uint8_t> World::Reservations() const {
    return std::vector<uint8_t>(std::begin(reserved), std::end(reserved));
}

void World::SetReservations(const std::vector<uint8_t>& flags) {
    for (size_t slot = 0; slot < flags.size() && slot < size_t(kWorldSlots); ++slot)
        reserved[slot] = flags[slot] ? 1 : 0;
}

void World::FreeHandle(EntityHandle handle) {
    if (handle < 0) return;
    const int slot = SlotOf(handle);
    if (slot >= kWorldSlots) return;
    objects[slot] = nullptr;
    handles[slot] = NextGeneration(handles[slot]);
}

int World::ClearSlots() {
    std::fill(std::begin(objects), std::end(objects), nullptr);
    return 0;
}

Entity* World::GetEntity(EntityHandle handle) const {
    if (handle < 0) return nullptr;
    const int slot = SlotOf(handle);
    if (slot >= kWorldSlots || handles[slot] != handle) return nullptr;
    return objects[slot];
}

void World::SetSlot(EntityHandle handle, Entity* entity) {
    if (handle < 0 || SlotOf(handle) >= kWorldSlots) return;
    objects[SlotOf(handle)] = entity;
    handles[SlotOf(handle)] = handle;
}

// --- Joining ----------------------------------------------------------------

bool World::AddEntity(Entity* entity) {
    if (!entity) return false;
    if (joining.size() > kMaxJoining) {
        RemoveEntity(entity, nullptr);
        return false;
    }
    entity->AddRef(); // the join list holds it until the root does
    joining.push_back(entity);
    return true;
}

bool World::AddNode(Node* node) {
    if (!node) return false;
    if (root && root->AddChild(node)) return true;
    node->Release();
    return false;
}

void World::NoteJoined(Entity* entity) {
    if (IsA(entity, ClassId::Light) && entity->PropFlag("Global")) AddLight(entity);
    if (entity->props && entity->props->Flag(EntityFields().massive)) AddGravitySource(entity);
    if (IsA(entity, ClassId::Sun)) sun = entity;
}

void World::JoinPending() {
    std::vector<Entity*> arrivals;
    arrivals.swap(joining);
    for (Entity* entity : arrivals) {
        if (!root->AddChild(entity)) {
            entity->Release();
            continue;
        }
        entity->Release(); // the root holds it now
        NoteJoined(entity);
        for (Player* player : GetPlayers().players)
            if (player) player->OnEntityJoined(entity);
    }
    if (joining.capacity() > 128) std::vector<Entity*>().swap(joining);
    joining.reserve(128);
}

void World::Rejoin(Entity* entity) {
    if (!entity || root->IndexOfChild(entity) < 0) return;
    entity->AddRef(); // handed to the join list below
    root->RemoveChild(entity);
    joining.push_back(entity);
}

// --- Removal ----------------------------------------------------------------

void World::QueueRemove(Entity* entity, Entity* responsible, bool cascade) {
    if (!entity || IsQueuedForRemoval(entity)) return;
    if (std::find(cascading.begin(), cascading.end(), entity) != cascading.end()) return;
    if (cascade && GetEntity(entity->handle) == entity) {
        cascading.push_back(entity);
        std::vector<Entity*> owned;
        for (int i = 0; i < EntityCount(); ++i)
            if (Entity* e = EntityAt(i); e && e->ownerHandle == entity->handle) owned.push_back(e);
        for (Entity* e : joining)
            if (e->ownerHandle == entity->handle) owned.push_back(e);
        for (Entity* e : owned)
            QueueRemove(e, nullptr, true);
        cascading.pop_back();
    }
    if (IsQueuedForRemoval(entity)) return;
    removals.push_back({entity, responsible ? responsible->handle : kNoEntity});
    AnnounceRemoval(entity);
}

void World::AnnounceRemoval(const Entity* entity) const {
    const bool hubLike = IsA(entity, ClassId::Hub) ||
                         std::find(std::begin(kHubLikeClasses), std::end(kHubLikeClasses),
                                   int(entity->classId)) != std::end(kHubLikeClasses);
    Player* local = GetPlayers().local;
    const Player* side = entity->owner;
    if (!hubLike || !local || !side || side == local || entity->health > 0.0f) return;
    if (entity->identification[local->index] != kKnown || !side->CountsAsEnemy(local->index))
        return;
    QueueAnnouncement(GetAnnouncementSounds().hubDestroyed);
}

bool World::IsQueuedForRemoval(const Entity* entity) const {
    return std::any_of(removals.begin(), removals.end(),
                       [&](const Removal& r) { return r.entity == entity; });
}

void World::FlushRemovals() {
    flushing.swap(removals);
    for (size_t i = 0; i < flushing.size(); ++i) {
        Entity* entity = flushing[i].entity;
        if (!entity) continue; // destroyed by an earlier removal
        RemoveEntity(entity, GetEntity(flushing[i].responsible));
    }
    flushing.clear();
    if (removals.capacity() > 128) std::vector<Removal>().swap(removals);
}

void World::RemoveEntity(Entity* entity, Entity* responsible) {
    if (!entity) return;
    if (Unit* ship = AsUnit(entity); ship && ship->owner) ship->owner->RemoveUnit(ship, true);
    if (CameraLink* camera = GetCameraLink()) camera->ReplaceTarget(entity, responsible);
    RemoveLight(entity);
    RemoveGravitySource(entity);
    if (sun == entity) sun = nullptr;
    if (Player* local = GetPlayers().local) local->RemoveVisible(entity);
    for (Entity*& held : GetDisplayState().heldEntities)
        if (held == entity) held = nullptr;
    if (GetEntity(entity->handle) == entity) FreeHandle(entity->handle);

    auto waiting = std::find(joining.begin(), joining.end(), entity);
    const bool wasJoining = waiting != joining.end();
    if (wasJoining) joining.erase(waiting);
    const bool inRoot = root && root->IndexOfChild(entity) >= 0;
    if (inRoot) root->RemoveChild(entity); // releases the root's hold
    if (wasJoining)
        entity->Release();
    else if (!inRoot && entity->ReferenceCount() <= 0)
        entity->Release(); // held by nothing: a clone never registered
}

void World::ReplaceOwnerHandle(EntityHandle oldHandle, EntityHandle newHandle) {
    if (oldHandle < 0) return;
    for (int i = 0; i < EntityCount(); ++i)
        if (Entity* e = EntityAt(i); e && e->ownerHandle == oldHandle) e->ownerHandle = newHandle;
    for (Entity* e : joining)
        if (e->ownerHandle == oldHandle) e->ownerHandle = newHandle;
}

void World::ForgetEntity(Entity* entity) {
    const int slot = entity->handle >= 0 ? SlotOf(entity->handle) : -1;
    if (slot >= 0 && slot < kWorldSlots && objects[slot] == entity) FreeHandle(entity->handle);
    SwapRemove(gravitySources, entity);
    SwapRemove(lights, entity);
    if (sun == entity) sun = nullptr;
    EraseValue(joining, entity);
    removals.erase(std::remove_if(removals.begin(), removals.end(),
                                  [&](const Removal& r) { return r.entity == entity; }),
                   removals.end());
    for (Removal& r : flushing)
        if (r.entity == entity) r.entity = nullptr;
    for (Entity*& held : GetDisplayState().heldEntities)
        if (held == entity) held = nullptr;
    for (Player* player : GetPlayers().players)
        if (player) player->RemoveVisible(entity); // units leave in Unit's destructor
}

// --- Sources ----------------------------------------------------------------

void World::AddGravitySource(Entity* entity) {
    if (entity &&
        std::find(gravitySources.begin(), gravitySources.end(), entity) == gravitySources.end())
        gravitySources.push_back(entity);
}

void World::RemoveGravitySource(Entity* entity) {
    SwapRemove(gravitySources, entity);
}

void World::AddLight(Entity* entity) {
    if (entity && std::find(lights.begin(), lights.end(), entity) == lights.end())
        lights.push_back(entity);
}

void World::RemoveLight(Entity* entity) {
    SwapRemove(lights, entity);
}

int World::EntityCount() const {
    return root ? root->ChildCount() : 0;
}

Entity* World::EntityAt(int index) const {
    Node* node = root ? root->ChildAt(index) : nullptr;
    return IsA(node, ClassId::Entity) ? static_cast<Entity*>(node) : nullptr;
}

} // namespace lumivane
