// The war scenes' waves of reinforcements through wormhole gates.
#include "tools/databuilder/lumivane/lumivane_waves.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <memory>

#include "desktop/display/camera/camera.h"
#include "desktop/display/camera/view_math.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/trigger.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/trigger_condition.h"
#include "desktop/scene/world/world.h"
#include "tools/databuilder/lumivane/lumivane_camera_data.h"
#include "tools/databuilder/lumivane/lumivane_triggers.h"

namespace databuilder {

using namespace lumivane;

namespace {

// Ships come out of a gate one after another at its exit point, and a ship
// that comes out inside the one before it stays inside it: the two leave
// at the same speed, and ships only push apart when they close on each
// other. So each waits until the one before it has cleared its own hull
// and the next one's by a margin, at the speed it leaves with (twice its
// top speed, the most a ship flies).
constexpr int32_t kShortestArrivalGapMs = 1200;
constexpr float kArrivalClearance = 2.0f;
constexpr float kLeavingSpeedPerTopSpeed = 2.0f;
// The gate opens in two seconds; a while after the last ship is through
// the wave is sent hunting.
constexpr uint32_t kGateOpeningMs = 2000;
constexpr uint32_t kWatchAfterLastMs = 3000;

struct ShipSize {
    float radius = 0.0f;
    float reach = 0.0f; // the radius the collision pass tests
    float speed = 0.0f; // the speed it leaves the gate with
};

ShipSize SizeOf(const char* prototype) {
    const ModelLibrary* library = GetModelLibrary();
    const Node* found = library ? library->FindPrototype(prototype) : nullptr;
    if (!found || !IsA(found, ClassId::Entity)) return {};
    const auto* ship = static_cast<const Entity*>(found);
    return {ship->radius, ship->PropFloat("main bound scale") * ship->radius,
            kLeavingSpeedPerTopSpeed * ship->PropFloat("top speed")};
}

// The wait before each ship of the side's wave comes through (0 for the
// first); a prototype the library does not hold spoils the build.
std::vector<int32_t> ArrivalGaps(FleetBuilder& build, const WaveSide& side) {
    std::vector<int32_t> gaps;
    ShipSize before;
    for (const char* ship : side.ships) {
        const ShipSize size = SizeOf(ship);
        if (!(size.reach > 0.0f) || !(size.speed > 0.0f)) {
            std::fprintf(stderr, "%s: no ship %s for a wave\n", build.step, ship);
            build.ok = false;
        }
        if (gaps.empty()) {
            gaps.push_back(0);
        } else {
            const float seconds = (before.reach + size.reach) * kArrivalClearance / before.speed;
            gaps.push_back(std::max(kShortestArrivalGapMs, int32_t(std::ceil(seconds * 1000.0f))));
        }
        before = size;
    }
    return gaps;
}

// The side's handles for its wave: those of its first opening units, the
// rest held back now. The opening units take theirs.
std::vector<EntityHandle> WaveHandles(FleetBuilder& build, WaveSide& side) {
    std::vector<EntityHandle> handles;
    for (size_t i = 0; i < side.ships.size(); ++i) {
        const EntityHandle reserved = build.world.ReserveHandle();
        if (reserved == kNoEntity) {
            build.ok = false;
            break;
        }
        if (i < side.opening.size()) {
            Entity* unit = build.world.GetEntity(side.opening[i]);
            if (unit && unit->SetHandle(reserved)) side.opening[i] = reserved;
        }
        handles.push_back(reserved);
    }
    return handles;
}

void AddPassages(Trigger& trigger, EntityHandle gate, const WaveSide& side,
                 const std::vector<EntityHandle>& handles, const std::vector<int32_t>& gaps) {
    TriggerAction& passage = AddAction(trigger, action::kPassage);
    passage.values = {gate, 0, 0};
    for (size_t i = 0; i < side.ships.size() && i < handles.size() && i < gaps.size(); ++i) {
        PassageRecord record;
        record.name = side.ships[i];
        record.values[PassageRecord::kDelay] = gaps[i];
        record.values[PassageRecord::kReservedHandle] = handles[i];
        record.values[PassageRecord::kPlayer] = side.player;
        record.values[PassageRecord::kSquad] = -1;
        record.values[PassageRecord::kHealthFraction] = std::bit_cast<int32_t>(1.0f);
        record.values[PassageRecord::kNoDamage] = 0;
        passage.passages.push_back(record);
    }
}

Entity* PlaceGate(FleetBuilder& build, const WaveSide& side) {
    SpawnRecord at;
    at.position = side.gate;
    at.orientation = Quat::MakeRotationArc({0, 0, 1}, Normalized(side.towardEnemy));
    Entity* gate = build.scene.SpawnByName("Wormhole", at);
    if (!gate) {
        std::fprintf(stderr, "%s: cannot place a wormhole gate\n", build.step);
        build.ok = false;
    }
    return gate;
}

// Sent when every ship of the side's last wave is gone, or at the latest
// after a while; it starts over once the last arrival is through and the
// wave sent hunting.
void AddSideWaves(FleetBuilder& build, const WavePlan& plan, int32_t id, EntityHandle gate,
                  const WaveSide& side, const std::vector<EntityHandle>& handles) {
    auto waves = DelayTrigger("reinforcements", id, plan.latestMs);
    waves->once = 0;
    waves->combineMode = int32_t(CombineMode::Any);
    auto gone = std::make_unique<TriggerCondition>();
    gone->type = int32_t(ConditionType::UnitsGone);
    gone->subject = 1; // none of them lives
    gone->handles = handles;
    gone->owner = waves.get();
    waves->conditions.push_back(std::move(gone));
    const std::vector<int32_t> gaps = ArrivalGaps(build, side);
    AddPassages(*waves, gate, side, handles, gaps);

    uint32_t watchAfter = kGateOpeningMs + kWatchAfterLastMs;
    for (int32_t gap : gaps)
        watchAfter += uint32_t(gap);
    auto watch = DelayTrigger("reinforcements arrive", id + 1, watchAfter);
    TriggerAction& hunt = AddAction(*watch, action::kHunt);
    hunt.handles = handles;
    hunt.values = {kNoEntity};
    waves->AddChild(std::move(watch));
    build.scene.AddTrigger(std::move(waves));
}

// The director takes over once the opening view has been watched a while.
// It stays with a ship at most this long, the move to it included, and
// after a ship is lost it looks at the place a moment.
constexpr uint32_t kDirectorStartMs = 10000;
constexpr uint32_t kShotMoveMs = 3000;
constexpr uint32_t kShotHoldMs = 16000;
constexpr uint32_t kAfterLossMs = 2000;
// A ship has left the fight when no enemy is twice the fight's reach near.
constexpr float kLeaveFactor = 2.0f;
// The shots turn the view this much more from one ship to the next, and
// look down a little steeper.
constexpr float kShotTurnDegrees[] = {20.0f, 32.0f, 12.0f, 40.0f};
constexpr float kShotDownDegrees[] = {22.0f, 30.0f, 26.0f};
// While a ship of the side lives (itself, at no distance).
constexpr float kAlive = 1.0f;

// The side's ship at `index` (a wave's handle, then the rest of its opening
// fleet), or no entity.
EntityHandle SideShip(const WaveSide& side, size_t index) {
    if (index < side.handles.size()) return side.handles[index];
    return index < side.opening.size() ? side.opening[index] : kNoEntity;
}

// The larger of the ships that take the side's handle at `index`.
float ShipRadius(const World& world, const WaveSide& side, size_t index) {
    float radius = 0.0f;
    if (const Entity* unit = world.GetEntity(SideShip(side, index))) radius = unit->radius;
    if (index < side.ships.size()) radius = std::max(radius, SizeOf(side.ships[index]).radius);
    return radius;
}

DirectorShot SideShot(const World& world, const WavePlan& plan, const WaveSide& side, size_t index,
                      int player, float reach, float share) {
    const float turn = kShotTurnDegrees[index % std::size(kShotTurnDegrees)];
    const float down = kShotDownDegrees[index % std::size(kShotDownDegrees)];
    return {side.player == plan.west.player ? "west ship" : "east ship",
            {SideShip(side, index)},
            player,
            reach,
            LookDirection(plan.viewDirection, side.player == plan.west.player ? turn : -turn, down),
            DistanceToSpan(ShipRadius(world, side, index), share)};
}

size_t SideShips(const WaveSide& side) {
    return std::max(side.handles.size(), side.opening.size());
}

} // namespace

DirectorPlan WaveDirector(const World& world, const WavePlan& plan, const WaveWatch& watch) {
    DirectorPlan director{.firstTriggerId = watch.firstTriggerId,
                          .variable = "shot",
                          .startMs = kDirectorStartMs,
                          .moveMs = kShotMoveMs,
                          .holdMs = kShotHoldMs,
                          .afterLossMs = kAfterLossMs,
                          .fieldMarks = {plan.west.gateHandle, plan.east.gateHandle},
                          .fieldReach = watch.fieldReach,
                          .fieldLeft = watch.fieldLeft,
                          .leaveFactor = kLeaveFactor,
                          .shots = {},
                          .fallbacks = {}};
    for (size_t i = 0; i < std::max(SideShips(plan.west), SideShips(plan.east)); ++i)
        for (const WaveSide* side : {&plan.west, &plan.east}) {
            const WaveSide& enemy = side == &plan.west ? plan.east : plan.west;
            if (i < SideShips(*side))
                director.shots.push_back(
                    SideShot(world, plan, *side, i, enemy.player, watch.fightReach, watch.share));
        }
    for (const WaveSide* side : {&plan.west, &plan.east})
        for (size_t i = 0; i < side->handles.size(); ++i)
            director.fallbacks.push_back(
                SideShot(world, plan, *side, i, side->player, kAlive, watch.share));
    return director;
}

WavePlan EastWestWaves(FleetBuilder& build, const SideAtWar& west, const SideAtWar& east,
                       int32_t firstTriggerId, uint32_t latestMs, Vec3 viewDirection) {
    const Quat facingEast(0.0f, 0.7071068f, 0.0f, 0.7071068f);
    const Quat facingWest(0.0f, -0.7071068f, 0.0f, 0.7071068f);
    // In this order: the west's units take the lower handles.
    std::vector<EntityHandle> westFleet = build.Fleet(west.fleet, west.player, facingEast);
    std::vector<EntityHandle> eastFleet = build.Fleet(east.fleet, east.player, facingWest);
    return {.west = {west.player, west.gate, {1, 0, 0}, west.ships, std::move(westFleet)},
            .east = {east.player, east.gate, {-1, 0, 0}, east.ships, std::move(eastFleet)},
            .firstTriggerId = firstTriggerId,
            .latestMs = latestMs,
            .viewDirection = viewDirection};
}

std::vector<EntityHandle> AddWaves(FleetBuilder& build, WavePlan& plan) {
    Entity* westGate = PlaceGate(build, plan.west);
    Entity* eastGate = PlaceGate(build, plan.east);
    build.world.JoinPending();
    if (!westGate || !eastGate) return {};
    const std::vector<EntityHandle> west = WaveHandles(build, plan.west);
    const std::vector<EntityHandle> east = WaveHandles(build, plan.east);
    plan.west.handles = west;
    plan.east.handles = east;
    plan.west.gateHandle = westGate->handle;
    plan.east.gateHandle = eastGate->handle;
    AddSideWaves(build, plan, plan.firstTriggerId, westGate->handle, plan.west, west);
    AddSideWaves(build, plan, plan.firstTriggerId + 2, eastGate->handle, plan.east, east);
    std::vector<EntityHandle> both = west;
    both.insert(both.end(), east.begin(), east.end());
    return both;
}

} // namespace databuilder
