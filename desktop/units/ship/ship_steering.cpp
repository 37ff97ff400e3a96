// Ship: flying to places. SteerTo turns toward a point, thrusts while it
// faces it, brakes in time and flies around what is in the way; the order
// states built on it move to a point, follow (orbit) an entity or pass a
// wormhole, approach a node of another unit and patrol a path of waypoints.
#include <algorithm>
#include <cmath>
#include <limits>

#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/object/trans_node.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship/prop_scale.h"
#include "desktop/units/ship/ship.h"
#include "desktop/units/ship/steering_math.h"

namespace lumivane {

namespace {

constexpr uint32_t kAvoidanceChance = 31; // obstacles are looked for one frame in 31
constexpr float kFacingCone = 0.75f;      // no forward thrust beyond about 41 degrees
constexpr float kFacingGain = 4.0f;
constexpr float kSideDamping = 3.0f;
constexpr float kArriveRadii = 10.0f;
constexpr float kMoveDoneRadii = 2.0f;
constexpr float kOrbitBandRadii = 8.0f;
constexpr float kOrbitBoost = 8.0f;
constexpr float kWormholeBeyond = 0.5f;
constexpr float kWaypointDoneRadii = 4.0f;

float FrameTime() {
    return GetSceneClock().frameTime;
}

bool IsLocalUnit(const Ship& unit) {
    return unit.owner && unit.owner == GetPlayers().local;
}

// The target of these states is where the unit wants to be, not in its way.
bool TargetIsDestination(int32_t state) {
    switch (state) {
    case kOrderFollow:
    case kOrderAttack:
    case kOrderHunt:
    case kOrderGather:
    case kOrderClassState11:
    case kOrderAutoAttack:
    case kOrderClassState14:
        return true;
    default:
        return false;
    }
}

// A far move of a local squad ended: the squad says so, once.
void AnnounceSquadArrival(Ship& unit) {
    if (!unit.farMove || !IsLocalUnit(unit) || !unit.squad) return;
    const int index = unit.squad->index;
    if (index >= 0 && index < kAnnouncedSquads)
        QueueAnnouncement(GetAnnouncementSounds().squadArrived[index]);
    for (Ship* member : Ships(unit.squad->members))
        if (member) member->farMove = 0;
}

Vec3 NodePosition(Node* node) {
    return static_cast<TransNode*>(node)->GetWorldMatrix().GetTranslation();
}

// The target's node named by the approach name, when it is a TransNode.
Node* ApproachNodeOf(Entity* target, std::string_view name) {
    Node* node = target ? target->FindByName(name) : nullptr;
    return IsA(node, ClassId::TransNode) ? node : nullptr;
}

} // namespace

void Ship::FindObstacle(const Vec3& point) {
    avoidance = kNoEntity;
    World* world = GetWorld();
    if (!world) return;
    const Vec3 toPoint = point - position;
    const float distance = toPoint.Length();
    if (!(distance > 0.0f)) return;
    const Vec3 direction = toPoint * (1.0f / distance);
    const Entity* destination =
        TargetIsDestination(orderState) ? world->GetEntity(target) : nullptr;
    const int seer = owner ? owner->index : -1;

    Entity* nearest = nullptr;
    float nearestSurface = std::numeric_limits<float>::max();
    for (int i = 0; i < world->EntityCount(); ++i) {
        Entity* e = world->EntityAt(i);
        if (!e || e == this || e == destination || !e->canCollide) continue;
        if (IsA(e, ClassId::Weapon)) continue;
        if (IsA(e, ClassId::Ship) && !IsA(e, ClassId::Structure)) continue; // units make way
        if (seer >= 0 && seer < kIdentifiedPlayers && e->identification[seer] != kKnown) continue;
        const float surface = (e->position - position).Length() - e->radius;
        if (surface < nearestSurface) {
            nearestSurface = surface;
            nearest = e;
        }
    }
    if (!nearest) return;
    const float along = Vec3::Dot(nearest->position - position, direction);
    if (!(along > 0.0f && along < distance)) return;
    const Vec3 closest = position + direction * along;
    const float clearance = 2.0f * radius + 1.5f * nearest->radius;
    Vec3 away = closest - nearest->position;
    const float off = away.Length();
    if (!(off < clearance)) return;
    if (off > 1e-6f) {
        away = away * (1.0f / off);
    } else {
        // Straight at its centre: pass it on the side of the unit's right.
        away = Vec3::Cross({0.0f, 1.0f, 0.0f}, direction);
        if (away.Length() < 1e-6f) away = {1.0f, 0.0f, 0.0f};
        away.Normalize();
    }
    avoidancePoint = nearest->position + away * clearance;
    avoidance = nearest->handle;
}

void Ship::SteerTo(const Vec3& point) {
    if (MainRandom().Next() % kAvoidanceChance == 0) FindObstacle(point);
    World* world = GetWorld();
    const Vec3 goal = world && world->GetEntity(avoidance) ? avoidancePoint : point;
    const Vec3 toGoal = goal - position;
    const float distance = toGoal.Length();
    const Vec3 direction = distance > 0.0f ? toGoal * (1.0f / distance) : Vec3();

    TurnTowards(direction);
    if (distance < kArriveRadii * radius) {
        ArriveAt(goal);
        return;
    }
    const float speed = Vec3::Dot(velocity, direction);
    const float facing = Vec3::Dot(GetDir(), direction);
    float command = std::max(facing - kFacingCone, 0.0f) * kFacingGain;
    const float h = speed * speed - 2.0f * distance * ShipFloat(ShipFields().thrust, 0.2f);
    if (h >= 0.0f && speed + std::sqrt(h) >= 0.0f) command = -command; // time to brake
    ThrustForward(command);
    // Drift across the heading is damped away.
    ThrustLateral(-kSideDamping * Vec3::Dot(velocity, ToWorld(orientation, {1.0f, 0.0f, 0.0f})));
    ThrustVertical(-kSideDamping * Vec3::Dot(velocity, ToWorld(orientation, {0.0f, 1.0f, 0.0f})));
}

void Ship::ApproachTarget(Entity* entity) {
    if (!entity) return;
    MovingFrame frame(*this, entity);
    SteerTo(entity->position);
}

void Ship::UpdateMove() {
    SteerTo(movePoint);
    const Vec3 next = position + velocity * FrameTime();
    if ((next - movePoint).Length() < kMoveDoneRadii * radius) {
        AnnounceSquadArrival(*this);
        FinishOrder();
    }
}

void Ship::UpdateFollow() {
    World* world = GetWorld();
    Entity* leading = world ? world->GetEntity(target) : nullptr;
    if (!leading) {
        FinishOrder();
        return;
    }
    if (IsA(leading, ClassId::Wormhole)) {
        orbiting = 0;
        const Vec3 beyond =
            leading->position + DirectionTo(position, leading->position) * kWormholeBeyond;
        {
            MovingFrame frame(*this, leading);
            SteerTo(beyond);
        }
        const float reach = std::max(leading->radius * 0.5f, radius * 0.5f);
        auto* hole = static_cast<Wormhole*>(leading);
        if ((position - leading->position).Length() < reach && !hole->HasTraveller(handle)) {
            hole->AddTraveller(this, false);
            if (IsLocalUnit(*this)) QueueAnnouncement(GetAnnouncementSounds().wormhole);
        }
        return;
    }
    const bool sun = leading == world->Sun();
    const Vec3 outward = DirectionTo(leading->position, position);
    const float separation = (position - leading->position).Length();
    if (std::fabs(separation - followDistance) < kOrbitBandRadii * radius) {
        if (!orbiting && !sun) AnnounceSquadArrival(*this);
        orbiting = 1;
        const Vec3 orbit = OrbitVelocity(*leading, position, followOffset);
        TurnTowards(DirectionTo({}, orbit - leading->velocity));
        // Planets pull hard on the way in; the Sun is orbited as it comes.
        ScopedPropScale boost(sun ? nullptr : ShipBlock(), ShipFields().thrust, kOrbitBoost);
        MatchVelocity(orbit);
        if (!sun) ArriveAt(leading->position + outward * followDistance);
        return;
    }
    orbiting = 0;
    MovingFrame frame(*this, leading);
    SteerTo(leading->position + outward * followDistance);
}

int Ship::UpdateMoveToNode(float distance) {
    World* world = GetWorld();
    Entity* host = world ? world->GetEntity(target) : nullptr;
    Node* node = ApproachNodeOf(host, approachNode);
    if (!node) return 1;
    const Vec3 place = NodePosition(node);
    {
        MovingFrame frame(*this, host);
        SteerTo(place);
    }
    return (position + velocity * FrameTime() - place).Length() < distance;
}

int Ship::ApproachNode(float arriveDistance, float time, float speed, int facingMode) {
    World* world = GetWorld();
    Entity* host = world ? world->GetEntity(target) : nullptr;
    Node* node = ApproachNodeOf(host, approachNode);
    if (!node) return 1;
    const float dt = FrameTime();
    const Vec3 place = NodePosition(node);
    const float gap = (place - position).Length() - radius;
    const float pace = time > 0.0f ? std::clamp(gap / time, 0.03f, 0.9f) : 0.9f;
    const Vec3 wanted = host->velocity + DirectionTo(position, place) * (pace * speed);
    const float keep = pace > 0.5f ? std::pow((pace - 0.5f) * 0.05f, dt) : std::pow(0.0f, dt);
    velocity = velocity * keep + wanted * (1.0f - keep);
    Vec3 facing;
    if (facingMode == 2) {
        facing = {0.0f, 0.0f, 1.0f};
        static_cast<TransNode*>(node)->GetWorldMatrix().TransformVector(facing);
        facing.Normalize();
    } else if (facingMode == 1) {
        facing = host->GetDir();
    } else {
        facing = DirectionTo(position, place);
    }
    TurnTowards(facing);
    return (position + velocity * dt - place).Length() < arriveDistance;
}

void Ship::AdvanceWaypoints() {
    World* world = GetWorld();
    const Entity* sun = world ? world->Sun() : nullptr;
    if (!sun) return;
    const float dt = FrameTime();
    for (size_t i = 0; i < waypoints.size(); ++i) {
        const EntityHandle ride = i < waypointRiders.size() ? waypointRiders[i] : kNoEntity;
        if (const Entity* rider = world->GetEntity(ride))
            waypoints[i] += rider->velocity * dt;
        else
            waypoints[i] += OrbitVelocity(*sun, waypoints[i], {0.0f, 1.0f, 0.0f}) * dt;
    }
}

void Ship::UpdateWaypoints() {
    if (waypoints.empty()) {
        // A path with no point (an empty path in a file) is a finished one.
        FinishOrder();
        return;
    }
    if (currentWaypoint < 0 || currentWaypoint >= int32_t(waypoints.size())) currentWaypoint = 0;
    const size_t current = size_t(currentWaypoint);
    const float dt = FrameTime();
    const Vec3 before = waypoints[current];
    AdvanceWaypoints();
    const Vec3 point = waypoints[current];
    const Vec3 pointVelocity = dt > 0.0f ? (point - before) * (1.0f / dt) : Vec3();
    {
        MovingFrame frame(*this, pointVelocity);
        SteerTo(point);
    }
    if ((position + velocity * dt - point).Length() < kWaypointDoneRadii * radius)
        currentWaypoint = int32_t((current + 1) % waypoints.size());
}

} // namespace lumivane
