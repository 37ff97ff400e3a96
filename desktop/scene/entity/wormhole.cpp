// Wormhole: its property table, opening and closing, arrivals through the
// "dummyship" node, travellers, and what trigger actions and conditions ask.
#include "desktop/scene/entity/wormhole.h"

#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

using T = PropType;

constexpr float kOpenPerSecond = 0.5f;
constexpr float kClosePerSecond = 0.25f;
constexpr int32_t kTravelTimeMs = 2000;
constexpr float kExitSpeed = 3.0f;
constexpr float kArrivalTurn = kPi / 180.0f; // one degree per 0.1 s
constexpr float kBlastReach = 20.0f;
constexpr float kBlastPush = 500.0f;

std::vector<PropDesc> BuildWormholeTable() {
    static const std::vector<std::string> types = {"None", "Wave", "Bulge", "Ripple", "Noise"};
    static const std::vector<std::string> axes = {"X & Y", "X", "Y"};
    PropTableBuilder b;
    for (int w = 1; w <= kWarpCount; ++w) {
        const std::string n = "warp " + std::to_string(w) + " ";
        const std::string title = "Warp " + std::to_string(w);
        b.Group(title);
        b.Choice(n + "type", &types, 0);
        b.Choice(n + "axis", &axes, 0);
        b.Text(n + "node", T::Name);
        b.Value(n + "intensity", T::Float, 0, 0.2f, 0.1f);
        b.Value(n + "speed", T::Float, 0, 10, 1.0f);
        b.Value(n + "frequency", T::Float, 0, 10, 3.0f);
        b.Value(n + "decay position", T::Float, -1, 1, 1.0f);
        b.Value(n + "decay rate", T::Float, 0, 2, 0);
        b.Value(n + "center position", T::Float, -1, 1, 0);
        b.EndGroup(title);
    }
    return b.End("Wormhole", EntityPropDescs());
}

size_t Offset(const std::string& name) {
    return PropDesc::OffsetOf(WormholePropDescs(), name);
}

std::vector<WarpFields> MakeWarpFields() {
    std::vector<WarpFields> all;
    for (int w = 1; w <= kWarpCount; ++w) {
        const std::string n = "warp " + std::to_string(w) + " ";
        all.push_back({Offset(n + "type"), Offset(n + "axis"), Offset(n + "node"),
                       Offset(n + "intensity"), Offset(n + "speed"), Offset(n + "frequency"),
                       Offset(n + "decay position"), Offset(n + "decay rate"),
                       Offset(n + "center position")});
    }
    return all;
}

} // namespace

const PropDesc* WormholePropDescs() {
    static const std::vector<PropDesc> table = BuildWormholeTable();
    return table.data();
}

const WarpFields& WarpFieldsOf(int warp) {
    static const std::vector<WarpFields> fields = MakeWarpFields();
    return fields[size_t(std::clamp(warp, 0, kWarpCount - 1))];
}

Wormhole::Wormhole() {
    classId = uint8_t(ClassId::Wormhole);
}

Node* Wormhole::Clone() {
    auto* copy = new Wormhole(*this);
    copy->InitClone(this);
    return copy;
}

void Wormhole::InitClone(Node* source) {
    Entity::InitClone(source);
    // The warps bend the clone's own vertices, never the prototype's.
    DetachAllVertices();
}

void Wormhole::DetachAllVertices() {
    std::vector<Node*> pending{this};
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        if (IsA(node, ClassId::GeoNode)) static_cast<GeoNode*>(node)->DetachVertices(false);
        for (int i = 0; i < node->ChildCount(); ++i)
            pending.push_back(node->ChildAt(i));
    }
}

const PropDesc* Wormhole::GetPropDescs() const {
    return WormholePropDescs();
}

bool Wormhole::IsShown() const {
    return props && props->Flag(EntityFields().visible);
}

void Wormhole::Update() {
    Entity::Update();
    const float frameTime = GetSceneClock().frameTime;
    level += active ? frameTime * kOpenPerSecond : -frameTime * kClosePerSecond;
    level = std::clamp(level, 0.0f, 1.0f);
    pulse = 1.0f - std::cos(kPi * level);
    UpdateParts();
    if (!IsShown()) level = 1.0f;
    const uint32_t now = GetSceneClock().gameTime;
    if (level >= 1.0f && !spawns.empty() &&
        int64_t(now) >= int64_t(lastSpawnTime) + spawns.front().delay)
        SpawnNext();
    SendTravellersAway();
    if (level >= 1.0f && spawns.empty()) active = 0;
}

void Wormhole::UpdateParts() {
    World* world = GetWorld();
    if (!world || spawnedParts.size() <= 1) return;
    const float grown = pulse * 1.5f + 1.0f;
    for (size_t p = 0; p < std::min<size_t>(3, spawnedParts.size()); ++p)
        if (PartSys* part = AsPartSys(world->GetEntity(spawnedParts[p].handle))) {
            RandomFloat(CollectionRandom(), 0.1f, 2.0f); // a size drawn, then overruled
            part->SetScale(1.0f / grown);
        }
    if (spawnedParts.size() > 3)
        if (PartSys* part = AsPartSys(world->GetEntity(spawnedParts[3].handle)))
            part->fadeFactor = pulse * 2.0f + 1.0f;
    SetScale(grown);
}

void Wormhole::SpawnNext() {
    const WormholeSpawn record = spawns.front();
    spawns.erase(spawns.begin());
    Matrix exit = local;
    if (Node* dummy = FindByName("dummyship"); dummy && IsA(dummy, ClassId::TransNode))
        exit = static_cast<TransNode*>(dummy)->GetWorldMatrix();
    SpawnRecord at;
    exit.GetPosRot(at.position, at.orientation);
    at.player = record.player;
    at.squad = record.squad;
    Scene* scene = GetScene();
    Entity* unit = scene ? scene->SpawnByName(record.prototype, at) : nullptr;
    World* world = GetWorld();
    if (unit && world) {
        if (record.handle >= 0 && !world->SlotObject(SlotOf(record.handle)))
            unit->SetHandle(record.handle);
        if (IsShown()) {
            Vec3 forward(0, 0, 1);
            at.orientation.RotateVector(forward);
            unit->velocity = velocity + forward * kExitSpeed;
            unit->spin = Quat::MakeAxisAngle(RandomDirection(CollectionRandom()), kArrivalTurn);
        }
        if (Unit* ship = AsUnit(unit)) {
            ship->orderState = kOrderDepart;
            ship->target = handle;
        }
        if (record.healthFraction < 1.0f)
            unit->TakeDamage((1.0f - record.healthFraction) *
                             (unit->props ? unit->props->Float(EntityFields().healthMax) : 0.0f));
        unit->noDamage = uint8_t(record.noDamage != 0);
    }
    lastSpawnTime = int32_t(GetSceneClock().gameTime);
    if (sequencer) sequencer->Play("spawn", sequenceStates, 0);
    active = 1;
    ClearExit(at.position);
}

void Wormhole::ClearExit(const Vec3& exit) {
    World* world = GetWorld();
    Scene* scene = GetScene();
    if (!world) return;
    for (int i = 0; i < world->EntityCount(); ++i) {
        Entity* rock = world->EntityAt(i);
        if (!IsA(rock, ClassId::Asteroid) || world->IsQueuedForRemoval(rock) ||
            !((rock->position - exit).Length() <= rock->radius))
            continue;
        // An asteroid in the way is blown apart and everything near is thrown clear.
        SpawnRecord blast;
        blast.position = exit;
        if (scene) scene->SpawnByName("Big Whammy", blast);
        rock->TakeDamage(rock->health);
        for (int j = 0; j < world->EntityCount(); ++j) {
            Entity* other = world->EntityAt(j);
            if (!other || other == rock || other == this) continue;
            const Vec3 away = other->position - exit;
            if (!(away.Length() < kBlastReach)) continue;
            Vec3 direction = away;
            direction.Normalize();
            other->Accelerate(direction * kBlastPush, true);
            const Vec3 point =
                other->position + RandomDirection(CollectionRandom()) * other->radius;
            other->ApplyTorque(point, direction * (kBlastPush * 0.5f), true);
        }
    }
}

void Wormhole::SendTravellersAway() {
    World* world = GetWorld();
    if (!world) return;
    const int64_t now = GetSceneClock().gameTime;
    for (const WormholeTraveller& traveller : travellers) {
        Entity* unit = world->GetEntity(traveller.handle);
        if (unit && now >= int64_t(traveller.exitTime) + kTravelTimeMs)
            world->QueueRemove(unit, this, true);
    }
}

void Wormhole::AddTraveller(Entity* unit, bool delayed) {
    if (!unit) return;
    WormholeTraveller traveller;
    traveller.player = PlayerIndexOf(unit->owner);
    const Node* source = unit->Prototype() ? unit->Prototype() : unit;
    traveller.prototype = std::string(source->Name().substr(0, kNameSize - 1));
    traveller.health = unit->health;
    traveller.handle = unit->handle;
    traveller.exitTime = int32_t(GetSceneClock().gameTime) + (delayed ? kTravelTimeMs : 0);
    travellers.push_back(traveller);
    if (sequencer) sequencer->Play("spawn", sequenceStates, 0);
    active = 1;
}

bool Wormhole::HasTraveller(EntityHandle unit) const {
    return std::any_of(travellers.begin(), travellers.end(),
                       [&](const WormholeTraveller& t) { return unit >= 0 && t.handle == unit; });
}

void Wormhole::QueueSpawns(std::span<const WormholeSpawn> records) {
    if (records.empty()) return;
    if (spawns.empty()) lastSpawnTime = int32_t(GetSceneClock().gameTime);
    spawns.insert(spawns.end(), records.begin(), records.end());
    active = 1;
    const Player* local = GetPlayers().local;
    if (IsShown() && local && local->index < kIdentifiedPlayers &&
        identification[local->index] == kKnown)
        QueueAnnouncement(GetAnnouncementSounds().wormhole);
}

bool Wormhole::TakeTraveller(int32_t player, std::string_view prototypeName) {
    for (WormholeTraveller& traveller : travellers) {
        if (traveller.noted || traveller.player != player) continue;
        if (!prototypeName.empty() &&
            !platform::EqualsIgnoreCase(traveller.prototype, prototypeName))
            continue;
        traveller.noted = 1;
        return true;
    }
    return false;
}

} // namespace lumivane
