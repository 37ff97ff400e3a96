// Ship: formation flight. A member keeps its place relative to its squad's
// leader (catching up faster the farther behind it is), joins the leader's
// orbit and, when the leader fights, the fight. The places of each formation
// kind are offsets in the leader's frame, in units of the spacing times the
// leader's radius.
#include <algorithm>
#include <cmath>
#include <vector>

#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship/prop_scale.h"
#include "desktop/units/ship/ship.h"
#include "desktop/units/ship/steering_math.h"

namespace lumivane {

namespace {

constexpr float kDiagonal = 0.707f;
constexpr float kTwoPi = 2.0f * kPi;
constexpr float kCatchUpRadii = 40.0f;
constexpr float kCatchUpLimit = 5.0f;
constexpr float kSwarmReach = 15.0f;
constexpr int kTableRows = 19;

struct Offset2 {
    float x, y;
};
struct Offset3 {
    float x, y, z;
};

// Square wall: places 1..19 around the leader.
constexpr Offset2 kSquareWall[kTableRows] = {
    {-1, 0}, {-1, 1}, {0, 1},  {1, 1}, {1, 0}, {1, -1}, {0, -1}, {-1, -1}, {-2, -1}, {-2, 0},
    {-2, 1}, {-2, 2}, {-1, 2}, {0, 2}, {1, 2}, {2, 2},  {2, 1},  {2, 0},   {2, -1},
};

// Pyramid behind: places 1..19, row after row.
constexpr Offset3 kPyramid[kTableRows] = {
    {-0.5f, 1, -1}, {0.5f, 1, -1},  {-1, 2, -2},   {0, 2, -2},    {1, 2, -2},
    {-1.5f, 3, -3}, {-0.5f, 3, -3}, {0.5f, 3, -3}, {1.5f, 3, -3}, {-2, 4, -4},
    {-1, 4, -4},    {0, 4, -4},     {1, 4, -4},    {2, 4, -4},    {-2.5f, 5, -5},
    {-1.5f, 5, -5}, {-0.5f, 5, -5}, {0.5f, 5, -5}, {1.5f, 5, -5},
};

constexpr Vec3 kBeyondTable{0.0f, 0.0f, 1.0f};

// Sphere packing behind the leader for a squad of n: place 0 is the
// leader's own. Two and three are pairs and a triangle; four a tetrahedron;
// from five on the members lie on a sunflower spiral on a cone, about one
// spacing apart.
Vec3 PackedPlace(int n, int k) {
    if (k < 0 || k >= n) return kBeyondTable;
    if (k == 0) return {};
    switch (n) {
    case 2:
        return {0.0f, 0.0f, -2.0f};
    case 3:
        return k == 1 ? Vec3(0.1851f, 0.8446f, -1.5025f) : Vec3(-0.1851f, -0.8446f, -1.5025f);
    case 4: {
        constexpr Vec3 kFour[3] = {{0.92f, 0.2121f, -1.3296f},
                                   {-0.6437f, 0.6907f, -1.3296f},
                                   {-0.2763f, -0.9027f, -1.3296f}};
        return kFour[k - 1];
    }
    default: {
        constexpr float kGoldenAngle = 2.3999632f;
        const float ring = 0.6f * std::sqrt(float(k));
        const float angle = float(k) * kGoldenAngle;
        return {ring * TableCos(angle), ring * TableSin(angle),
                -(0.8f + 0.5f * std::sqrt(float(k)))};
    }
    }
}

// A mirrored pair of rows: the first half to the right, the rest to the left.
Vec3 SplitRow(int k, int half, float forward) {
    if (k <= half) return {float(k), 0.0f, forward * float(k)};
    const float out = float(k - half);
    return {-out, 0.0f, forward * out};
}

Vec3 Diagonal(int k, bool withDepth) {
    const float m = float((k + 3) / 4);
    const float cm = kDiagonal * m;
    const float z = withDepth ? m : 0.0f;
    switch (((k + 3) % 4 + 4) % 4) {
    case 0:
        return {-cm, cm, z};
    case 1:
        return {cm, cm, z};
    case 2:
        return {-cm, -cm, z};
    default:
        return {cm, -cm, z};
    }
}

int MembersInFormation(const Squad& squad) {
    int count = 0;
    for (const Ship* member : Ships(squad.members))
        if (member && member->orderState == kOrderFormation) ++count;
    return count;
}

// Distance between the surfaces of the unit and the entity.
float SurfaceDistance(const Ship& unit, const Entity& other) {
    return (other.position - unit.position).Length() - unit.radius - other.radius;
}

} // namespace

Vec3 Ship::FormationPosition(int kind, float spacing, int k, Ship* leader) {
    const int n = 1 + (leader->squad ? MembersInFormation(*leader->squad) : 0);
    const int half = n / 2;
    Vec3 offset;
    switch (kind) {
    case 3:
        offset = SplitRow(k, half, 0.0f);
        break;
    case 5:
        offset = SplitRow(k, half, -1.0f);
        break;
    case 6:
        offset = k >= 1 && k <= kTableRows ? Vec3(kSquareWall[k - 1].x, kSquareWall[k - 1].y, 0.0f)
                                           : kBeyondTable;
        break;
    case 7:
        offset = SplitRow(k, half, 1.0f);
        break;
    case 8:
        offset = Diagonal(k, true);
        break;
    case 9:
        offset = movePoint == Vec3() ? RandomUnitVector() * float(k) : movePoint;
        break;
    case 10:
        offset = k >= 1 && k <= kTableRows
                     ? Vec3(kPyramid[k - 1].x, kPyramid[k - 1].y, kPyramid[k - 1].z)
                     : kBeyondTable;
        break;
    case 11: {
        const float r = float(n) / kTwoPi;
        const float a = kTwoPi * float(k) / float(n);
        offset = {r * TableSin(a), 0.0f, r * TableCos(a) - r};
        break;
    }
    case 12:
        offset = PackedPlace(n, k);
        break;
    case 13: {
        const int others = leader->squad ? leader->squad->count - 1 : 0;
        if (others < 1) {
            offset = {0.0f, 0.0f, -float(k)}; // nobody to ring about
            break;
        }
        const float r = float(others) / kTwoPi;
        const float a = kTwoPi * float(k - 1) / float(others);
        offset = {r * TableSin(a), 0.0f, r * TableCos(a)};
        break;
    }
    case 14: {
        const int q = ((k + 1) / 2) * (2 * (((k + 1) % 2 + 2) % 2) - 1);
        offset = {0.0f, float(q), 0.0f};
        break;
    }
    case 15:
        offset = Diagonal(k, false);
        break;
    case 16:
        if (movePoint == Vec3()) {
            offset = RandomUnitVector() * kSwarmReach;
        } else {
            const float t = float(GetSceneClock().gameTime);
            const float base = float(k);
            offset = {kSwarmReach * TableSin(base + 0.001f * t),
                      kSwarmReach * TableSin(base + 0.0013f * t),
                      kSwarmReach * (TableSin(base + 0.0015f * t) + 1.0f)};
        }
        break;
    default:
        offset = {0.0f, 0.0f, -float(k)};
        break;
    }
    movePoint = offset;

    Vec3 place =
        leader->position + ToWorld(leader->orientation, offset * (spacing * leader->radius));
    const SceneBounds& bounds = GetSceneBounds();
    place.y = std::clamp(place.y, -bounds.heightLimit, bounds.heightLimit);
    const float across = std::sqrt(place.x * place.x + place.z * place.z);
    if (across > bounds.radius && across > 0.0f) {
        place.x *= bounds.radius / across;
        place.z *= bounds.radius / across;
    }
    return place;
}

void Ship::KeepFormation() {
    Ship* leader = squad ? ShipOf(squad->GetLeader()) : nullptr;
    if (!leader || leader == this) {
        FinishOrder();
        return;
    }
    World* world = GetWorld();
    const Entity* sun = world ? world->Sun() : nullptr;
    const Vec3 place = FormationPosition(leader->formationKind, leader->formationSpacing,
                                         squad->GetFormationIndex(this), leader);
    const float catchUp = std::min(kCatchUpRadii * radius, kCatchUpLimit);
    const float behind = (place - position).Length();
    const float boost = catchUp > 0.0f ? behind / catchUp * 3.0f + 1.0f : 1.0f;

    // The leader orbits something: the squad orbits with it.
    if (leader->orderState == kOrderFollow && leader->orbiting &&
        !(sun && leader->target == sun->handle)) {
        target = leader->target;
        followDistance = leader->followDistance;
        followOffset = leader->followOffset;
        UpdateFollow();
        return;
    }
    // The leader fights: the members take on what is within their reach.
    if (leader->orderState == kOrderAttack || leader->orderState == kOrderTargetList) {
        combat = 1;
        Entity* foe = nullptr;
        if (leader->orderState == kOrderAttack) {
            foe = world ? world->GetEntity(leader->target) : nullptr;
        } else if (world) {
            float nearest = std::numeric_limits<float>::max();
            for (EntityHandle h : leader->targetList) {
                Entity* e = world->GetEntity(h);
                if (!e) continue;
                const float d = (e->position - position).Length();
                if (d < nearest) {
                    nearest = d;
                    foe = e;
                }
            }
        }
        const float fireRange = ShipFloat(ShipFields().fireRange, 20.0f);
        if (foe && SurfaceDistance(*this, *foe) < fireRange) {
            target = foe->handle;
            UpdateAttack();
            ScopedPropScale keepUp(ShipBlock(), ShipFields().thrust, 2.0f * boost);
            ArriveAt(place);
            return;
        }
    }
    MovingFrame frame(*this, leader);
    if (behind > catchUp) {
        ScopedPropScale hurry(ShipBlock(), ShipFields().thrust, 2.0f);
        SteerTo(place);
    } else {
        ScopedPropScale settle(ShipBlock(), ShipFields().thrust, boost);
        ArriveAt(place);
        TurnTowards(leader->GetDir());
    }
}

} // namespace lumivane
