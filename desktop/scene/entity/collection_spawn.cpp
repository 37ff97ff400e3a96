// Collection: making one member: its size, spin, speed and orientation from
// the group's values and fresh random draws, and a place in the collection's
// ring sector that overlaps nothing solid.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/collection.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

// Where each draw of a member is kept.
enum Draw {
    kScaleDraw = 0,
    kSpinAxisDraw = 1, // three: a direction
    kSpinDraw = 4,
    kHeadingDraw = 5, // three: a direction
    kSpeedDraw = 8,
    kTurnAxisDraw = 9, // three: a direction
    kTurnDraw = 12,
    kElevationDraw = 13,
    kAzimuthDraw = 14,
    kDistanceDraw = 15,
};

float Lerp(float low, float high, float t) {
    return low + (high - low) * t;
}

float Unit() {
    return CollectionRandom().NextUnit();
}

void StoreDirection(float* draws, const Vec3& v) {
    draws[0] = v.x;
    draws[1] = v.y;
    draws[2] = v.z;
}

Vec3 Direction(const float* draws) {
    return {draws[0], draws[1], draws[2]};
}

} // namespace

Vec3 Collection::PlacementDraw(float& elevation, float& azimuth, float& distance) const {
    const CollectionPropFields& f = CollectionFields();
    elevation = Unit();
    azimuth = Unit();
    distance = Unit();
    const float height = props->Float(f.heightAngle);
    const float arc = props->Float(f.arc), arcSpread = props->Float(f.arcSpread);
    const float reach = props->Float(f.spawnRadius),
                reachSpread = props->Float(f.spawnRadiusSpread);
    Vec3 p(0, 0, 1);
    Quat::MakeAxisAngle({1, 0, 0}, Lerp(-height, height, elevation)).RotateVector(p);
    Quat::MakeAxisAngle({0, 1, 0}, Lerp(arc - arcSpread, arc + arcSpread, azimuth)).RotateVector(p);
    p = p * Lerp(reach - reachSpread, reach + reachSpread, distance);
    local.TransformPoint(p);
    return p;
}

bool Collection::Overlaps(const Entity& member, const Vec3& at) const {
    World* world = GetWorld();
    if (!world) return false;
    auto hits = [&](const Entity* e) {
        return e && e != &member && e->canCollide && !world->IsQueuedForRemoval(e) &&
               e->radius + member.radius >= (e->position - at).Length();
    };
    for (int i = 0; i < world->EntityCount(); ++i)
        if (hits(world->EntityAt(i))) return true;
    for (const Entity* e : world->JoinList())
        if (hits(e)) return true;
    return false;
}

bool Collection::SpawnMember(int group, CollectionMember& slot) {
    Scene* scene = GetScene();
    if (!scene || !HasCollectionBlock() || group < 0 || group >= kCollectionGroups) return false;
    const CollectionGroupFields& g = CollectionFields().group[group];
    SpawnRecord at;
    at.position = position;
    Entity* member = scene->SpawnByName(props->FixedText(g.type), at);
    slot.group = group;
    slot.handle = kNoEntity;
    if (!member) return false;
    slot.handle = member->handle;
    float* d = slot.draws;

    d[kScaleDraw] = Unit();
    const float scale = Lerp(props->Float(g.scale) - props->Float(g.scaleSpread),
                             props->Float(g.scale) + props->Float(g.scaleSpread), d[kScaleDraw]);
    // A member drawn without size is never divided by its size.
    const float cube = scale > 0.0f ? scale * scale * scale : 1.0f;
    member->SetScale(scale);
    if (props->Flag(g.scaleHealth)) {
        member->healthScale = scale * scale;
        member->health = member->healthScale * member->PropFloat("health max");
    }
    if (props->Flag(g.scaleMass)) member->SetMassScale(scale * scale);

    StoreDirection(d + kSpinAxisDraw, RandomDirection(CollectionRandom()));
    d[kSpinDraw] = Unit();
    const float spinAngle = Lerp(props->Float(g.spin) - props->Float(g.spinSpread),
                                 props->Float(g.spin) + props->Float(g.spinSpread), d[kSpinDraw]);
    Vec3 spinAxis = Direction(d + kSpinAxisDraw);
    if (props->Flag(g.scaleSpin)) spinAxis = spinAxis * (1.0f / cube);
    member->spin = Quat::MakeAxisAngle(spinAxis, spinAngle);

    StoreDirection(d + kHeadingDraw, RandomDirection(CollectionRandom()));
    d[kSpeedDraw] = Unit();
    float speed = Lerp(props->Float(g.velocity) - props->Float(g.velocitySpread),
                       props->Float(g.velocity) + props->Float(g.velocitySpread), d[kSpeedDraw]);
    if (props->Flag(g.scaleVelocity)) speed /= cube;
    member->velocity = Direction(d + kHeadingDraw) * speed;

    StoreDirection(d + kTurnAxisDraw, RandomDirection(CollectionRandom()));
    d[kTurnDraw] = Unit();
    member->orientation =
        Quat::MakeAxisAngle(Direction(d + kTurnAxisDraw), Lerp(-kPi, kPi, d[kTurnDraw]));

    Vec3 place;
    bool placed = false;
    for (int tries = 0; tries < kPlacementTries && !placed; ++tries) {
        place = PlacementDraw(d[kElevationDraw], d[kAzimuthDraw], d[kDistanceDraw]);
        placed = !Overlaps(*member, place);
    }
    if (!placed) member->SetScale(0.0f); // no room: it stays, unseen and untouchable
    member->position = place;
    slot.home = place + RandomDirection(CollectionRandom()) *
                            (props->Float(CollectionFields().springOffset) * speed);
    member->PlaceLocalMatrix();
    return true;
}

} // namespace lumivane
