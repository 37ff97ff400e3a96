// Entity: collisions, damage and repair, spawned parts, explosion and debris.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr float kMinimumSeparatingSpeed = 0.15f;
constexpr int32_t kAlertInterval = 30000; // ms of game clock

// Part kinds of spawned particle systems by a mark in their name, the first
// mark found deciding: the kind, and the kind when the name also holds
// "Gun-".
struct PartMark {
    std::string_view mark;
    int32_t kind;
    int32_t gunKind;
};
constexpr PartMark kPartMarks[] = {
    {"-CMB", 4, 4},   {"-LLB", 16, 16}, {"-LLF", 22, 13}, {"-LRB", 19, 19},
    {"-LRF", 22, 10}, {"-ULB", 10, 10}, {"-ULF", 22, 19}, {"-URB", 13, 13},
    {"-URF", 22, 16}, {"-MLB", 1, 1},   {"-MRB", 7, 7},   {"-RECOIL", 25, 25},
};

int32_t PartKindOf(std::string_view name) {
    auto has = [&](std::string_view text) { return name.find(text) != std::string_view::npos; };
    int32_t kind = 0;
    for (const PartMark& m : kPartMarks)
        if (has(m.mark)) {
            kind = has("Gun-") ? m.gunKind : m.kind;
            break;
        }
    if (has("-Kite"))
        kind += 1;
    else if (has("-BB"))
        kind += 2;
    return kind;
}

// The smallest box around the node's vertices, in the node's frame.
bool BoxCentre(const GeoNode& node, Vec3& centre) {
    const std::vector<Vertex>* vertices = node.SourceVertices();
    if (!vertices || vertices->empty()) return false;
    Vec3 low = (*vertices)[0].position, high = low;
    for (const Vertex& v : *vertices) {
        low = {std::min(low.x, v.position.x), std::min(low.y, v.position.y),
               std::min(low.z, v.position.z)};
        high = {std::max(high.x, v.position.x), std::max(high.y, v.position.y),
                std::max(high.z, v.position.z)};
    }
    centre = (low + high) * 0.5f;
    return true;
}

} // namespace

void Entity::OnCollision(Entity* other, const Vec3& normal) {
    if (!other) return;
    if (IsA(other, ClassId::Weapon)) {
        // Shots of one side and a shot from this entity pass harmlessly.
        if (other->owner == owner || other->ownerHandle == handle) return;
        float damage = other->PropFloat("damage");
        if (!other->PropFlag("die on impact")) damage *= GetSceneClock().frameTime;
        TakeDamage(damage);
    }
    const Vec3 approach = velocity - other->velocity;
    const float closing = Vec3::Dot(approach, normal);
    if (!(closing < 0.0f)) return;
    if (IsA(this, ClassId::Asteroid) &&
        (IsA(other, ClassId::Sun) || IsA(other, ClassId::Planet) || IsA(other, ClassId::Moon))) {
        Entity* explosion = Explode();
        if (World* world = GetWorld()) world->QueueRemove(this, explosion, false);
        return;
    }
    if (const Unit* ship = AsUnit(this); ship && !ship->CanMove()) return;
    const float m1 = mass, m2 = other->mass;
    const float n2 = Vec3::Dot(normal, normal);
    if (!(m1 > 0.0f) || !(m2 > 0.0f) || !(n2 > 0.0f)) return;
    const float j = -2.0f * closing / (n2 * (1.0f / m1 + 1.0f / m2)) / m1;
    ApplyImpulse(normal, normal, true, j);
    if (m1 <= m2) {
        const float separating = Vec3::Dot(velocity + pendingImpulse, normal);
        if (separating <= kMinimumSeparatingSpeed)
            ApplyImpulse(normal, normal, true, kMinimumSeparatingSpeed - separating);
    }
}

int Entity::TakeDamage(float amount) {
    if (!props || noDamage) return 0;
    const float most = props->Float(EntityFields().healthMax);
    if (most == 0.0f) return 0;
    if (Unit* ship = AsUnit(this)) {
        const int32_t race = ship->Race();
        auto crossed = [&](float share) {
            return health > share * most && share * most >= health - amount;
        };
        auto spawnDamage = [&](const char* name, int32_t kind) {
            Entity* part = SpawnPart(name, this);
            if (!part) return;
            spawnedParts.back().kind = kind;
            if (PartSys* system = AsPartSys(part)) system->propertyPart = 0;
        };
        if (crossed(0.75f)) {
            static const char* const kSmoke[] = {"smoke damage", "blood", "electricity"};
            if (race >= 1 && race <= 3) spawnDamage(kSmoke[race - 1], kPartKindDamageSmoke);
        }
        if (race == 1 && crossed(0.25f)) spawnDamage("flames- yellow", kPartKindDamageFire);

        // Alerts for the local player, once for a stream of hits.
        Player* local = GetPlayers().local;
        if (local && owner == local) {
            const int64_t now = GetSceneClock().gameTime;
            int64_t* last = nullptr;
            int32_t sound = -1;
            if (IsA(this, ClassId::Structure)) {
                last = &local->lastStructureAlert;
                sound = GetAnnouncementSounds().structureAttacked;
            } else if (ship->DamageAnnouncement() >= 0) {
                last = &local->lastClassAlert[classId];
                sound = ship->DamageAnnouncement();
            }
            if (last) {
                if (now - *last >= kAlertInterval) QueueAnnouncement(sound);
                *last = now;
            }
        }
    }
    health -= amount;
    if (health > 0.0f) return 0;
    Entity* explosion = Explode();
    if (World* world = GetWorld()) world->QueueRemove(this, explosion, false);
    return 1;
}

void Entity::Repair(float amount) {
    if (!props) return;
    const float most = props->Float(EntityFields().healthMax);
    if (health > most) return;
    health = std::min(health + amount, most);
    World* world = GetWorld();
    if (!world) return;
    for (const SpawnedPart& part : spawnedParts) {
        const bool finish = (part.kind == kPartKindDamageSmoke && health >= 0.75f * most) ||
                            (part.kind == kPartKindDamageFire && health >= 0.25f * most);
        if (!finish) continue;
        if (PartSys* system = AsPartSys(world->GetEntity(part.handle))) system->finish = 1;
    }
}

Entity* Entity::SpawnPart(std::string_view partName, Node* node) {
    ModelLibrary* library = GetModelLibrary();
    Entity* part = library ? library->CreateInstance(partName, true) : nullptr;
    if (!part) return nullptr;
    part->SetPlayer(owner);
    part->position = position;
    part->velocity = velocity;
    if (node) {
        part->ownerHandle = handle;
        part->targetLinkNode = node;
        part->ownLinkNode = part;
    }
    int32_t kind = 0;
    if (PartSys* system = AsPartSys(part)) {
        system->runsWithoutOwner = 0;
        kind = PartKindOf(part->Name());
    } else if (IsA(part, ClassId::Light)) {
        static_cast<Light*>(part)->freeStanding = 0;
        kind = kPartKindLight;
    }
    spawnedParts.push_back({part->handle, kind});
    return part;
}

Entity* Entity::Explode() {
    World* world = GetWorld();
    if (world && world->IsQueuedForRemoval(this)) return nullptr;
    ModelLibrary* library = GetModelLibrary();
    const Unit* ship = AsUnit(this);
    const int32_t race = ship ? ship->Race() : 0;

    const char* name = "explosion- Yellow";
    if (race == 2) name = "explosion- Red";
    if (race == 3) name = "explosion- Blue";
    const bool noExplosion = IsA(this, ClassId::Weapon) && (race < 1 || race > 3);
    Entity* explosion = nullptr;
    if (!noExplosion && library) explosion = library->CreateInstance(name, true);
    if (explosion) {
        explosion->position = position;
        explosion->velocity = velocity;
        explosion->owner = owner;
        explosion->ownerHandle = ownerHandle;
        explosion->distanceScaleFactor = distanceScaleFactor;
        explosion->distanceScaleExponent = distanceScaleExponent;
        if (PartSys* system = AsPartSys(explosion)) {
            system->sizeFactor *= radius;
            const float fade = radius > 0.0f ? std::sqrt(1.0f / (radius * 10.0f)) : 1.0f;
            system->fadeFactor = std::clamp(std::isfinite(fade) ? fade : 1.0f, 0.1f, 1.0f);
            system->runsWithoutOwner = 0;
        }
    }
    if (!library) return explosion;

    // Every piece of geometry tumbles away on its own.
    std::vector<GeoNode*> pieces;
    std::vector<Node*> pending{this};
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        if (IsA(node, ClassId::GeoNode)) pieces.push_back(static_cast<GeoNode*>(node));
        for (int i = node->ChildCount() - 1; i >= 0; --i)
            pending.push_back(node->ChildAt(i));
    }
    const bool relativistic = world && world->relativisticMode;
    for (GeoNode* piece : pieces) {
        Vec3 centre;
        if (!BoxCentre(*piece, centre)) continue;
        Entity* made = library->CreateInstance("debris", true);
        if (!made) break;
        auto* debris = IsA(made, ClassId::Debris) ? static_cast<Debris*>(made) : nullptr;
        // The piece, moved so that it turns about its own centre.
        const Matrix world = piece->WorldMatrix();
        auto* holder = new TransNode;
        holder->local.MakeTranslation(-centre.x, -centre.y, -centre.z);
        Matrix size;
        const float pieceScale = world.GetScale();
        size.MakeScale(pieceScale, pieceScale, pieceScale);
        holder->local.PostMultiply(size); // the piece keeps its size in the world
        holder->AddChild(piece->Clone());
        made->AddChild(holder);
        made->RecomputeBound();

        Vec3 at = centre;
        world.TransformPoint(at);
        Vec3 ignored;
        world.GetPosRot(ignored, made->orientation);
        made->position = at;
        const float pieceRadius = made->radius;
        float k = pieceRadius > 0.0f ? radius / pieceRadius : 5.0f;
        k = std::clamp(std::isfinite(k) ? k : 5.0f, 1.0f, 5.0f);
        Vec3 outward = at - position;
        outward.Normalize();
        made->velocity = velocity + outward * (k * RandomFloat(0.3f, 0.5f) * 0.05f);
        Vec3 axis(RandomFloat(-1, 1), RandomFloat(-1, 1), RandomFloat(-1, 1));
        axis.Normalize();
        made->spin = spin * Quat::MakeAxisAngle(axis, RandomFloat(0.1745f, 5.0f) * k * 0.005f);
        made->owner = owner;
        made->ownerHandle = ownerHandle;
        const float share = radius > 0.0f ? pieceRadius / radius : 1.0f;
        made->distanceScaleFactor = distanceScaleFactor * (std::isfinite(share) ? share : 1.0f);
        made->distanceScaleExponent = distanceScaleExponent;
        made->PlaceLocalMatrix();
        if (debris) {
            debris->remainingLife = relativistic ? 7.0f : RandomFloat(2.5f, 7.0f);
            debris->colourCode = race;
        }
    }
    return explosion;
}

} // namespace lumivane
