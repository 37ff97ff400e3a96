// Gunship: spinning the guns up and down, firing them in turn, the stand-off
// attack and the record.
#include "desktop/units/ships/gunship.h"

#include <cmath>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/squad.h"
#include "desktop/units/combat/target_rules.h"
#include "desktop/units/ship/node_pose.h"
#include "desktop/units/ship/steering_math.h"
#include "desktop/units/ships/ship_class_support.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr float kTwoPi = 6.2831853f;
constexpr uint32_t kLoopSound = 1;

bool Fights(int32_t state) {
    return state == kOrderAttack || state == kOrderHunt || state == kOrderAutoAttack ||
           state == kOrderTargetList;
}

} // namespace

Node* Gunship::Clone() {
    auto* copy = new Gunship(*this);
    copy->InitClone(this);
    return copy;
}

void Gunship::InitClone(Node* source) {
    Ship::InitClone(source);
    spinState = kStopped;
    spinRate = 0.0f;
    spinSpeed = 0.0f;
    BindNodes();
}

void Gunship::BindNodes() {
    for (int g = 0; g < kGuns; ++g)
        guns[g] = FindNumberedNode(*this, "gun%i", g + 1);
}

void Gunship::SpinUp(bool on) {
    if (on) {
        if (spinState == kSpunUp || spinState == kSpinningUp) return;
        spinState = kSpinningUp;
        spinRate = kSpinUpRate;
        SetSpinSound("revup", 0);
    } else {
        if (spinState == kStopped || spinState == kSpinningDown) return;
        spinState = kSpinningDown;
        spinRate = kSpinDownRate;
        SetSpinSound("revdown", 0);
    }
}

void Gunship::SetSpinSound(const char* name, int32_t loop) {
    SoundCues* cues = GetSoundCues();
    const int32_t id = cues ? cues->RegisterSound(name, 0, Name()) : -1;
    if (!props) return;
    for (int s = 0; s < kSoundSlots; ++s) {
        if (props->Int(EntityFields().sound[s].function) != int32_t(SoundEvent::UnitSpecific1))
            continue;
        soundSlots[s].soundId = id;
        soundSlots[s].startTime = GameNow();
        soundSlots[s].loop = loop;
    }
}

void Gunship::UpdateSpinSound() {
    // The wind-up sound gives way to the running one once the guns are at
    // full speed.
    if (spinState != kSpunUp || !props) return;
    SoundCues* cues = GetSoundCues();
    if (!cues) return;
    const int32_t revup = cues->RegisterSound("revup", 0, Name());
    for (int s = 0; s < kSoundSlots; ++s)
        if (props->Int(EntityFields().sound[s].function) == int32_t(SoundEvent::UnitSpecific1) &&
            soundSlots[s].soundId == revup && revup >= 0) {
            SetSpinSound("revving", kLoopSound);
            return;
        }
}

bool Gunship::WantsGuns() const {
    if (Fights(orderState)) return true;
    if (orderState != kOrderFormation || !squad) return false;
    const Ship* leader = ShipOf(squad->GetLeader());
    return leader && leader != this && leader->orderState != kOrderAutoAttack &&
           Fights(leader->orderState);
}

void Gunship::Update() {
    Ship::Update();
    if (!WantsGuns()) SpinUp(false);
    const float dt = GetSceneClock().frameTime;
    spinSpeed += spinRate * dt;
    if (spinSpeed < 0.0f) {
        spinSpeed = 0.0f;
        spinState = kStopped;
        spinRate = 0.0f;
    } else if (spinSpeed > kFullSpeed) {
        spinSpeed = kFullSpeed;
        spinState = kSpunUp;
        spinRate = 0.0f;
    }
    gunAngle += spinSpeed * dt;
    if (gunAngle >= kTwoPi) gunAngle = std::fmod(gunAngle, kTwoPi);
    if (spinSpeed != 0.0f)
        for (Node* gun : guns)
            PoseNode(gun, AxisAngle(kAxisZ, gunAngle));
    if (sequencer && sequencer->IsDone("idle", sequenceStates))
        sequencer->Play("idle", sequenceStates, 0);
    UpdateSpinSound();
}

void Gunship::Fire() {
    const int32_t now = GameNow();
    if (spinState != kSpunUp || now < nextFireTime) return;
    Node* gun = guns[gunIndex];
    LaunchMainWeapon(gun ? gun->WorldMatrix() : WorldMatrix(), target);
    if (sequencer) sequencer->Play(NumberedName("fire%i", gunIndex + 1), sequenceStates, 0);
    gunIndex = (gunIndex + 1) % kGuns;
    lastFireTime = now;
    nextFireTime = now + ReloadDelayMs();
}

void Gunship::UpdateAttack() {
    Entity* prey = FightableTarget(*this);
    if (!prey) {
        if (!fireRequest) SpinUp(false);
        FinishOrder();
        return;
    }
    KeepStandOff(*this, *prey);
    const float surface = SurfaceDistance(position, radius, prey->position, prey->radius);
    if (surface < ShipFloat(ShipFields().fireRange, 20.0f)) {
        SpinUp(true);
        const Vec3 toTarget = DirectionTo(position, prey->position);
        const float fireAngle = ShipFloat(ShipFields().fireAngle, 0.5236f);
        if (FastAcos(Vec3::Dot(GetDir(), toTarget)) <= fireAngle) fireRequest = 1;
    } else if (!fireRequest) {
        SpinUp(false);
    }
}

int Gunship::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteI32(spinState);
    file.WriteF32(spinRate);
    file.WriteF32(spinSpeed);
    file.WriteF32(gunAngle);
    file.WriteI32(gunIndex);
    return 1;
}

bool Gunship::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version)) return false;
    file.ReadI32(spinState);
    file.ReadF32(spinRate);
    file.ReadF32(spinSpeed);
    file.ReadF32(gunAngle);
    file.ReadI32(gunIndex);
    if (!file.Good()) return false;
    // What the bytes cannot mean is put right rather than trusted.
    if (spinState < kSpunUp || spinState > kSpinningDown) spinState = kStopped;
    if (!std::isfinite(spinSpeed) || !std::isfinite(spinRate) || !std::isfinite(gunAngle)) {
        spinSpeed = spinRate = gunAngle = 0.0f;
        spinState = kStopped;
    }
    if (gunIndex < 0 || gunIndex >= kGuns) gunIndex = 0;
    BindNodes();
    return true;
}

} // namespace lumivane
