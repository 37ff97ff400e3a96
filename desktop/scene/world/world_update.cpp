// World: the frame step (joining, the entity updates with the relativistic
// slowing near the Sun, links and players) and the collision pass: a broad
// phase of buckets along x over the scene's diameter, then swept bounding
// spheres for the pairs within each other's reach.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr size_t kBucketTrim = 10;
constexpr size_t kPairTrim = 100;
constexpr int kLastBucket = kCollisionBuckets - 1;

struct Sphere {
    Vec3 centre;
    float radius;
};

// The entity's bounding spheres: one about its centre, or its numbered ones.
std::vector<Sphere> SpheresOf(const Entity& e) {
    const float mainScale = e.props ? e.props->Float(EntityFields().mainBoundScale) : 1.0f;
    const int count =
        e.props ? std::clamp(e.props->Int(EntityFields().numberOfSpheres), 0, kMaxBoundSpheres) : 0;
    if (count < 1) return {{e.position, mainScale * e.radius}};
    const float overall = e.props->Float(EntityFields().overallSphereScaling);
    std::vector<Sphere> spheres;
    for (int k = 0; k < count; ++k) {
        const SphereFields& f = EntityFields().sphere[k];
        Vec3 centre = Vec3(e.props->Float(f.x), e.props->Float(f.y), e.props->Float(f.z)) * overall;
        e.local.TransformPoint(centre);
        spheres.push_back({centre, e.props->Float(f.size) * overall * e.scale});
    }
    return spheres;
}

float BoundReach(const Entity& e) {
    const float mainScale = e.props ? e.props->Float(EntityFields().mainBoundScale) : 1.0f;
    return mainScale * e.radius;
}

// A bucket for a coordinate already scaled to buckets; -1 for no number.
int BucketAt(double scaled) {
    if (std::isnan(scaled)) return -1;
    return int(std::lround(std::clamp(scaled, 0.0, double(kLastBucket))));
}

} // namespace

void World::Update() {
    JoinPending();
    UpdateEntities();
    if (root) root->UpdateLinks(1);
    FrameYield();
    for (Player* player : GetPlayers().players)
        if (player) player->UpdateUnits();
    FrameYield();
    if (GetLoopHooks().paused) return;
    CollisionPass();
}

void World::UpdateEntities() {
    // The root may change while entities update (an entity rejoining, a
    // text removing itself), so the pass walks a held copy.
    std::vector<Entity*> order;
    for (int i = 0; i < EntityCount(); ++i)
        if (Entity* e = EntityAt(i)) {
            e->AddRef();
            order.push_back(e);
        }
    SceneClock& clock = GetSceneClock();
    const float frameTime = clock.frameTime;
    const bool relativistic =
        sun && sun->props && sun->props->Flag(EntityFields().relativistic) && frameTime > 0.0f;
    relativisticMode = relativistic ? 1 : 0;
    for (Entity* e : order) {
        if (!relativistic) {
            e->Update();
            FrameYield();
            continue;
        }
        // Time runs slower near the Sun at the centre.
        const float d = e->position.Length() * 0.025f;
        float factor;
        if (d <= 0.6f) {
            factor = IsA(e, ClassId::Collection) ? 0.25f : 1.0f;
            const bool loose = e->props && e->props->Flag(EntityFields().affectedByGravity) &&
                               !GetEntity(e->ownerHandle);
            if (d <= 0.3f && loose) QueueRemove(e, nullptr, true); // swallowed
        } else if (d <= 1.052f) {
            factor = 0.25f;
        } else {
            factor = std::min(d - 0.75f, 1.0f);
        }
        if (PartSys* system = AsPartSys(e)) {
            if (!system->owner && system->ownerHandle == kNoEntity && d > 0.5f) {
                factor = std::min(factor * 2.0f, 1.0f);
                system->opacity = factor * (system->props ? system->PropFloat("Opacity") : 1.0f);
                system->timeFactor = factor;
                if (system->opacity < 0.01f) QueueRemove(system, nullptr, true);
            }
        }
        clock.frameTime = factor * frameTime;
        if (PartSys* system = AsPartSys(e))
            system->SetParticleClock(clock.gameTime - uint32_t(clock.frameTime * 1000.0f));
        e->Update();
    }
    clock.frameTime = frameTime;
    for (Entity* e : order)
        e->Release();
}

// --- Collision --------------------------------------------------------------

int World::SweptSphereTest(const Vec3& p, const Vec3& v, float reach, float& time) {
    const float vv = Vec3::Dot(v, v);
    if (vv == 0.0f) return 0;
    const float b = 2.0f * Vec3::Dot(p, v);
    const float disc = b * b - 4.0f * vv * (Vec3::Dot(p, p) - reach * reach);
    if (!(disc >= 0.0f)) return 0;
    const float root = std::sqrt(disc);
    const float t1 = (-b + root) / (2.0f * vv);
    const float t2 = (-b - root) / (2.0f * vv);
    auto within = [](float t) { return t >= 0.0f && t <= 1.0f; };
    if (within(t1))
        time = within(t2) ? std::min(t1, t2) : t1;
    else if (within(t2))
        time = t2;
    else if ((t1 > 1.0f && t2 < 0.0f) || (t2 > 1.0f && t1 < 0.0f))
        time = 0.0f; // overlapping for the whole step
    else
        return 0;
    return 1;
}

int World::TestCollision(const Entity* a, const Entity* b, Vec3& normal) const {
    const float frameTime = GetSceneClock().frameTime;
    const Vec3 stepA = a->velocity * frameTime;
    const Vec3 stepB = b->velocity * frameTime;
    float earliest = kLargestDistance;
    Vec3 found;
    for (const Sphere& sa : SpheresOf(*a))
        for (const Sphere& sb : SpheresOf(*b)) {
            float t;
            if (!SweptSphereTest(sa.centre - sb.centre, stepA - stepB, sa.radius + sb.radius, t) ||
                !(t < earliest))
                continue;
            earliest = t;
            found = (sb.centre + stepB * t) - (sa.centre + stepA * t);
        }
    if (earliest == kLargestDistance) return 0;
    normal = found.Normalize();
    return 1;
}

const Entity* World::TopOwner(const Entity* entity) const {
    if (entity->ownerHandle < 0) return entity;
    const Entity* top = GetEntity(entity->ownerHandle);
    if (!top) return nullptr;
    // Bounded, so that owners naming each other end the walk.
    for (int steps = 0; steps < kWorldSlots; ++steps) {
        const Entity* next = GetEntity(top->ownerHandle);
        if (!next) break;
        top = next;
    }
    return top;
}

void World::CollisionPass() {
    FillBuckets();
    TestBucketPairs();
    if (pairs.capacity() > kPairTrim) {
        std::vector<std::pair<Entity*, Entity*>>().swap(pairs);
        pairKeys = {};
    }
}

void World::FillBuckets() {
    for (std::vector<int>& bucket : buckets) {
        bucket.clear();
        if (bucket.capacity() > kBucketTrim) {
            std::vector<int>().swap(bucket);
            bucket.reserve(kBucketTrim);
        }
    }
    double sceneRadius = GetSceneBounds().radius;
    if (!(sceneRadius > 0.0) || !std::isfinite(sceneRadius)) sceneRadius = SceneBounds{}.radius;
    const double k = kCollisionBuckets / (2.0 * sceneRadius);
    const double frameTime = GetSceneClock().frameTime;
    for (int i = 0; i < EntityCount(); ++i) {
        const Entity* e = EntityAt(i);
        if (!e || !e->canCollide || GetEntity(e->handle) != e) continue;
        const int slot = SlotOf(e->handle);
        if (slot < 1 || slot >= kFirstHighSlot) continue;
        const double x = e->position.x;
        const double motion = std::fabs(double(e->velocity.x)) * frameTime;
        const double reach = BoundReach(*e);
        const int low = BucketAt((x - reach - motion + sceneRadius) * k);
        const int high = BucketAt((x + reach + motion + sceneRadius) * k);
        if (low < 0 || high < 0) continue; // a position or radius that is no number
        for (int b = low; b <= high; ++b)
            buckets[size_t(b)].push_back(slot);
        FrameYield();
    }
}

void World::TestBucketPairs() {
    pairs.clear();
    pairKeys.clear();
    const float frameTime = GetSceneClock().frameTime;
    for (const std::vector<int>& bucket : buckets) {
        if (bucket.size() < 2) continue;
        for (size_t i = 0; i < bucket.size(); ++i)
            for (size_t j = i + 1; j < bucket.size(); ++j) {
                Entity* a = objects[bucket[i]];
                Entity* b = objects[bucket[j]];
                if (!a || !b || a == b) continue;
                const float reach = (a->velocity.Length() + b->velocity.Length()) * frameTime +
                                    BoundReach(*a) + BoundReach(*b);
                const Vec3 apart = a->position - b->position;
                if (!(reach * reach > Vec3::Dot(apart, apart))) continue;
                if (TopOwner(a) == TopOwner(b)) continue; // one side's own shots and parts
                const uint64_t lowSlot = uint64_t(std::min(bucket[i], bucket[j]));
                const uint64_t highSlot = uint64_t(std::max(bucket[i], bucket[j]));
                if (!pairKeys.insert(lowSlot << 32 | highSlot).second) continue;
                Entity* first = a->radius >= b->radius ? a : b;
                Entity* second = first == a ? b : a;
                Vec3 normal;
                if (!TestCollision(first, second, normal)) {
                    if (!TestCollision(second, first, normal)) continue;
                    normal = Vec3() - normal;
                }
                pairs.emplace_back(first, second);
                first->OnCollision(second, Vec3() - normal);
                second->OnCollision(first, normal);
            }
        FrameYield();
    }
}

} // namespace lumivane
