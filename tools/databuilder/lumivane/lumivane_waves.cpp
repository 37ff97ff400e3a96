// The war scenes' waves of reinforcements through wormhole gates.
#include "tools/databuilder/lumivane/lumivane_waves.h"

#include <bit>
#include <cstdio>
#include <memory>

#include "desktop/display/camera/camera.h"
#include "desktop/display/camera/view_math.h"
#include "desktop/scene/entity/entity.h"
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

constexpr int32_t kArrivalGapMs = 1200;
// The gate opens in two seconds; the last arrival is through well before
// the wave is sent hunting and the camera turns to it.
constexpr uint32_t kWatchAfterMs = 7000;
constexpr uint32_t kCameraMoveMs = 4000;

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
                 const std::vector<EntityHandle>& handles) {
    TriggerAction& passage = AddAction(trigger, action::kPassage);
    passage.values = {gate, 0, 0};
    for (size_t i = 0; i < side.ships.size() && i < handles.size(); ++i) {
        PassageRecord record;
        record.name = side.ships[i];
        record.values[PassageRecord::kDelay] = i == 0 ? 0 : kArrivalGapMs;
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
// after a while; it starts over once the arrivals are watched. The camera
// turns to follow both sides' waves.
void AddSideWaves(FleetBuilder& build, const WavePlan& plan, int32_t id, EntityHandle gate,
                  const WaveSide& side, const std::vector<EntityHandle>& handles,
                  const std::vector<EntityHandle>& bothWaves) {
    auto waves = DelayTrigger("reinforcements", id, plan.latestMs);
    waves->once = 0;
    waves->combineMode = int32_t(CombineMode::Any);
    auto gone = std::make_unique<TriggerCondition>();
    gone->type = int32_t(ConditionType::UnitsGone);
    gone->subject = 1; // none of them lives
    gone->handles = handles;
    gone->owner = waves.get();
    waves->conditions.push_back(std::move(gone));
    AddPassages(*waves, gate, side, handles);

    auto watch = DelayTrigger("reinforcements arrive", id + 1, kWatchAfterMs);
    TriggerAction& hunt = AddAction(*watch, action::kHunt);
    hunt.handles = handles;
    hunt.values = {kNoEntity};
    AddCameraPath(*watch, {{"arrivals", camera_move::kQuartic, kCameraMoveMs,
                            FollowView(bothWaves, plan.viewDirection, plan.viewDistance)}});
    waves->AddChild(std::move(watch));
    build.scene.AddTrigger(std::move(waves));
}

} // namespace

std::vector<EntityHandle> AddWaves(FleetBuilder& build, WavePlan& plan) {
    Entity* westGate = PlaceGate(build, plan.west);
    Entity* eastGate = PlaceGate(build, plan.east);
    build.world.JoinPending();
    if (!westGate || !eastGate) return {};
    const std::vector<EntityHandle> west = WaveHandles(build, plan.west);
    const std::vector<EntityHandle> east = WaveHandles(build, plan.east);
    std::vector<EntityHandle> both = west;
    both.insert(both.end(), east.begin(), east.end());
    AddSideWaves(build, plan, plan.firstTriggerId, westGate->handle, plan.west, west, both);
    AddSideWaves(build, plan, plan.firstTriggerId + 2, eastGate->handle, plan.east, east, both);
    return both;
}

} // namespace databuilder
