// Ship: the per-frame step (thruster decay, auto attack and repair, the
// order handler of the state, velocity alignment, the scene's bounds, fire,
// building, self-destruction and the fade's end, sound levels), the state
// table and the engine emitters that follow the thrusters.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship/prop_scale.h"
#include "desktop/units/ship/ship.h"
#include "desktop/units/ship/unit_settings.h"

namespace lumivane {

namespace {

constexpr uint32_t kAutoAttackChance = 9; // one frame in nine looks for enemies
constexpr float kOtherRepairThreshold = 0.25f;
constexpr int kFullBay = 8;
constexpr float kAlignedReverse = 0.1f;
constexpr int kLastEmitterKind = 27;
constexpr float kEmitterIdle = 0.4f;
constexpr float kFlareGain = 1.6666666f;

// What an idle unit does: nothing, shadowing, patrolling or orbiting.
bool IdleLike(const Ship& unit, bool autoAttacking) {
    switch (unit.orderState) {
    case kOrderIdle:
    case kOrderShadow:
    case kOrderWaypoints:
        return true;
    case kOrderFollow:
        return unit.orbiting != 0;
    case kOrderAutoAttack:
        return autoAttacking;
    default:
        return false;
    }
}

using Handler = void (*)(Ship&);

struct StateHandler {
    Handler run;
    bool fights; // sets the combat flag and the music's stamp
};

// By order state 0..19.
constexpr StateHandler kStateHandlers[] = {
    {[](Ship& s) { s.Stop(); }, false},
    {[](Ship& s) { s.UpdateMove(); }, false},
    {[](Ship& s) { s.UpdateFollow(); }, false},
    {[](Ship& s) { s.UpdateAttack(); }, true},
    {[](Ship& s) { s.UpdateHunt(); }, true},
    {nullptr, false},
    {[](Ship& s) { s.AssistLeader(); }, false},
    {[](Ship& s) { s.UpdateDeparture(); }, false},
    {[](Ship& s) { s.UpdateMoveToNode(2.0f * s.radius); }, false},
    {[](Ship& s) { s.UpdateState9(); }, false},
    {[](Ship& s) { s.UpdateState10(); }, false},
    {[](Ship& s) { s.UpdateState11(); }, false},
    {[](Ship& s) { s.UpdateAutoTarget(); }, true},
    {[](Ship& s) { s.UpdateRepair(); }, false},
    {[](Ship& s) { s.UpdateState14(); }, false},
    {[](Ship& s) { s.UpdateScrap(); }, false},
    {[](Ship& s) { s.UpdateShadow(); }, false},
    {[](Ship& s) { s.KeepFormation(); }, false},
    {[](Ship& s) { s.UpdateTargetList(); }, true},
    {[](Ship& s) { s.UpdateWaypoints(); }, false},
};
constexpr int kStateCount = int(sizeof kStateHandlers / sizeof kStateHandlers[0]);

// The thruster level an emitter of this kind (1..27) shows.
float EmitterLevel(int kind, const float* t) {
    switch ((kind - 1) / 3) {
    case 0:
        return t[kTurnLeft];
    case 1:
        return t[kMain];
    case 2:
        return t[kTurnRight];
    case 3:
        return t[kPitchDown] + t[kTurnLeft];
    case 4:
        return t[kTurnRight] + t[kPitchDown];
    case 5:
        return t[kPitchUp] + t[kTurnLeft];
    case 6:
        return t[kTurnRight] + t[kPitchUp];
    case 7:
        return t[kReverse];
    default:
        return t[kExtraThruster];
    }
}

} // namespace

void Ship::Update() {
    const SceneClock& clock = GetSceneClock();
    const int32_t now = int32_t(clock.gameTime);
    World* world = GetWorld();
    // A towed unit cannot thrust; the value comes back however the frame ends.
    ScopedPropScale thrust(ShipBlock(), ShipFields().thrust, TowLocked() ? 0.0f : 1.0f);

    DecayThrusters(clock.frameTime);
    ConsiderAutoAttack();
    ConsiderAutoRepair();
    if (fadeFlag && orderState != kOrderScrap) orderState = kOrderIdle;
    combat = 0;
    if (orderState != kOrderIdle && props && props->Flag(EntityFields().canCollide)) canCollide = 1;
    UpdateOrder();
    AlignVelocity();
    if (!IsA(this, ClassId::Weapon)) KeepInsideScene();
    Entity::Update();
    if (fireRequest) {
        Fire();
        fireRequest = 0;
    }
    UpdateBuild();

    const bool selfDestructed =
        selfDestructTime != 0 && int64_t(now) - int64_t(selfDestructTime) >= kSelfDestructDelayMs;
    const bool parentless = !(world && world->GetEntity(ownerHandle));
    const bool fadedAway = fadeFlag && orderState != kOrderScrap && parentless && holdWord == 0;
    if (selfDestructed || fadedAway) {
        Entity* explosion = Explode();
        if (world) world->QueueRemove(this, explosion, false);
        return;
    }
    UpdateSoundSlots();
}

void Ship::DecayThrusters(float frameTime) {
    const ShipPropFields& f = ShipFields();
    const float lr = std::pow(ShipFloat(f.lrThrustDecay, 0.6f), frameTime);
    const float ud = std::pow(ShipFloat(f.udThrustDecay, 0.6f), frameTime);
    const float c = std::pow(ShipFloat(f.cThrustDecay, 0.6f), frameTime);
    thrusters[kTurnLeft] *= lr;
    thrusters[kTurnRight] *= lr;
    thrusters[kPitchUp] *= ud;
    thrusters[kPitchDown] *= ud;
    thrusters[kMain] *= c;
    thrusters[kReverse] *= c;
}

void Ship::ConsiderAutoAttack() {
    if (!autoAttack || !ShipFlag(ShipFields().taskAutoAttack, true) || !owner) return;
    if (MainRandom().Next() % kAutoAttackChance != 0) return;
    const Ship* leader = squad ? ShipOf(squad->GetLeader()) : nullptr;
    const bool inFormation = orderState == kOrderFormation;
    if (!IdleLike(*this, false) && !(inFormation && leader && IdleLike(*leader, true))) return;
    World* world = GetWorld();
    Entity* enemy = world ? world->FindNearestEnemy(handle, owner, seeAll != 0) : nullptr;
    if (!enemy) return;
    const float reach = inFormation ? ShipFloat(ShipFields().fireRange, 20.0f) : sensorRange;
    if (!(world->Distance(handle, enemy->handle) < reach)) return;
    SaveCurrentOrder();
    returnPoint = position;
    orderState = kOrderAutoAttack;
    target = kNoEntity;
}

void Ship::ConsiderAutoRepair() {
    if (!autoRepair || !ShipFlag(ShipFields().taskAutoRepair, true)) return;
    const bool local = owner && owner == GetPlayers().local;
    const float threshold = local ? GetUnitSettings().repairThreshold : kOtherRepairThreshold;
    const float healthMax = props ? props->Float(EntityFields().healthMax) : 1.0f;
    const bool carrier = IsA(this, ClassId::Carrier) || IsA(this, ClassId::ATR);
    const bool needsRepair = health < threshold * healthMax || (carrier && ownedCraft < kFullBay);
    if (needsRepair && orderState != kOrderRepair && CanRepair() && local) RequestSelfOrder();
}

void Ship::UpdateOrder() {
    if (orderState < 0 || orderState >= kStateCount) return;
    const StateHandler& handler = kStateHandlers[orderState];
    if (!handler.run) return;
    if (handler.fights) {
        combat = 1;
        if (GetSoundCues() && owner && owner == GetPlayers().local)
            GetUnitSettings().lastCombatTime = GetSceneClock().gameTime;
    }
    handler.run(*this);
}

void Ship::AlignVelocity() {
    if (IsLinked() || thrusters[kReverse] >= kAlignedReverse || orderState == kOrderDepart ||
        TowLocked())
        return;
    const float speed = velocity.Length();
    if (!(speed > 1e-6f)) return;
    // The hull leans the drift into its heading.
    const float turnSpeed = ShipFloat(ShipFields().turnSpeed, 1.0f);
    Accelerate((GetDir() * speed - velocity) * (turnSpeed * 0.5f), true);
}

void Ship::KeepInsideScene() {
    const SceneBounds& bounds = GetSceneBounds();
    position.y = std::clamp(position.y, -bounds.heightLimit, bounds.heightLimit);
    const float across = std::sqrt(position.x * position.x + position.z * position.z);
    if (across > bounds.radius && across > 0.0f) {
        const float back = bounds.radius / across;
        position.x *= back;
        position.z *= back;
    }
}

void Ship::UpdateSoundSlots() {
    if (!props) return;
    const int32_t now = int32_t(GetSceneClock().gameTime);
    const float* t = thrusters;
    for (int s = 0; s < kSoundSlots; ++s) {
        const SoundSlotFields& slot = EntityFields().sound[s];
        SoundSlotState& state = soundSlots[s];
        switch (SoundEvent(props->Int(slot.function))) {
        case SoundEvent::Thrust:
            state.volume = std::max(t[kMain], t[kReverse]);
            break;
        case SoundEvent::Manuevaring:
            state.volume = (t[kTurnLeft] + t[kTurnRight] + t[kPitchUp] + t[kPitchDown]) * 0.25f;
            break;
        case SoundEvent::ThrustAndManuevaring:
            state.volume = *std::max_element(t, t + kSavedThrusters);
            break;
        case SoundEvent::WeaponFire:
            if (lastFireTime == now && lastFireTime != 0) {
                state.soundId = props->Int(slot.soundId);
                state.startTime = now;
                state.loop = 0;
            }
            continue;
        default:
            continue;
        }
        // The engine sounds run all the time; their level follows the thrusters.
        state.soundId = props->Int(slot.soundId);
    }
}

void Ship::Animate(Entity* entity) {
    Entity::Animate(entity);
    World* world = GetWorld();
    if (!world) return;
    for (const SpawnedPart& part : spawnedParts) {
        if (part.kind < 1 || part.kind > kLastEmitterKind) continue;
        PartSys* emitter = AsPartSys(world->GetEntity(part.handle));
        if (!emitter) continue;
        float level = EmitterLevel(part.kind, thrusters);
        if (part.kind % 3 == 2) {
            // Flares show only above the idle level.
            emitter->rateScale = level < kEmitterIdle ? 0.0f : (level - kEmitterIdle) * kFlareGain;
        } else {
            level = std::max(level, kEmitterIdle);
            emitter->sizeScale = level;
            emitter->speedScale = level;
            emitter->rateScale = level;
        }
    }
}

} // namespace lumivane
