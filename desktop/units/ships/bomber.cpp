// Bomber: the run over the target, the bomb bay, the salvos from its three
// tubes with their random tumble, the engines' pitch and the record.
#include "desktop/units/ships/bomber.h"

#include <cmath>

#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship_base/node_pose.h"
#include "desktop/units/ship_base/steering_math.h"
#include "desktop/units/ships/ship_class_support.h"
#include "desktop/units/weapon/weapon.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr float kHeightRadii = 20.0f; // above the target, in own radii
constexpr float kHoldRadii = 5.0f;

// The bay stays open while the bomber fights or helps its leader fight.
bool KeepsBayOpen(int32_t state) {
    return state == kOrderAttack || state == kOrderHunt || state == kOrderAssist ||
           state == kOrderAutoAttack;
}

} // namespace

Node* Bomber::Clone() {
    auto* copy = new Bomber(*this);
    copy->InitClone(this);
    return copy;
}

void Bomber::InitClone(Node* source) {
    Ship::InitClone(source);
    BindNodes();
}

void Bomber::BindNodes() {
    engines[0] = FindByName("Lengine");
    engines[1] = FindByName("Rengine");
    for (int t = 0; t < kTubes; ++t)
        tubes[t] = FindNumberedNode(*this, "tube%i", t + 1);
}

bool Bomber::BayReady() const {
    return bayOpen && SinceStamp(bayTime) >= kBayReadyMs;
}

void Bomber::OpenBay() {
    if (bayOpen) return;
    bayOpen = 1;
    bayTime = GameNow();
    PlayEventSounds(SoundEvent::UnitSpecific1, 0);
}

void Bomber::Update() {
    Ship::Update();
    if (bayOpen && SinceStamp(bayTime) >= kBayReadyMs && !KeepsBayOpen(orderState)) {
        if (sequencer) sequencer->Play("bombbay_close", sequenceStates, 0);
        bayOpen = 0;
        bayTime = GameNow();
        PlayEventSounds(SoundEvent::UnitSpecific1, 0);
    }
    const float pitch = -(thrusters[kPitchUp] - thrusters[kPitchDown]) * kEngineTurn;
    for (Node* engine : engines)
        TurnEngineNode(engine, pitch, 0.0f);
}

void Bomber::Fire() {
    const int32_t now = GameNow();
    if (!BayReady() || now < nextFireTime) return;
    Node* from = tubes[tube];
    Entity* bomb = LaunchMainWeapon(from ? from->WorldMatrix() : WorldMatrix(), target);
    if (bomb) bomb->spin = AxisAngle(RandomDirection(), kTumble);
    const bool salvoDone = tube == kTubes - 1;
    tube = (tube + 1) % kTubes;
    lastFireTime = now;
    nextFireTime = now + (salvoDone ? int32_t(1000.0f * ShipFloat(ShipFields().reloadTime, 1.0f))
                                    : kSalvoGapMs);
}

void Bomber::UpdateAttack() {
    Entity* prey = FightableTarget(*this);
    if (!prey) {
        FinishOrder();
        return;
    }
    // In the target's frame: straight above it, high enough to be clear.
    const Vec3 point = prey->position + Vec3(0.0f, kHeightRadii * radius + prey->radius, 0.0f);
    MovingFrame frame(*this, prey);
    if ((point - position).Length() < kHoldRadii * radius) {
        ArriveAt(point);
        Vec3 drift(prey->velocity.x, 0.0f, prey->velocity.z);
        if (drift.Length() > 0.0f) TurnTowards(DirectionTo({}, drift));
        OpenBay();
        fireRequest = 1;
    } else {
        SteerTo(point);
    }
}

int Bomber::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteI32(bayTime);
    file.WriteI32(bayOpen);
    file.WriteI32(tube);
    return 1;
}

bool Bomber::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version)) return false;
    file.ReadI32(bayTime);
    file.ReadI32(bayOpen);
    file.ReadI32(tube);
    if (!file.Good()) return false;
    if (tube < 0 || tube >= kTubes) tube = 0;
    bayOpen = bayOpen != 0;
    BindNodes();
    return true;
}

} // namespace lumivane
