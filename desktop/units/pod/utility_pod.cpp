// UtilityPod: construction and record, the per-frame step with its idle
// animations, orders, and the mining contact with its bounce. The three
// work states (gather, return home, repair) are in utility_pod_work.cpp.
#include "desktop/units/pod/utility_pod.h"

#include <algorithm>

#include "desktop/scene/entity/entity_props.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/combat/target_rules.h"
#include "desktop/units/weapon/weapon.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

int32_t Now() {
    return int32_t(GetSceneClock().gameTime);
}

} // namespace

UtilityPod::UtilityPod() {
    classId = uint8_t(ClassId::UtilityPod);
}

Node* UtilityPod::Clone() {
    auto* copy = new UtilityPod(*this);
    copy->InitClone(this);
    return copy;
}

void UtilityPod::InitClone(Node* source) {
    Ship::InitClone(source);
    cargo = 0.0f;
    idleTime = 0;
    clawOpen = clawArmOut = toolArmOut = 0;
    home = kNoEntity;
    carried = 0;
    BindNodes();
}

void UtilityPod::BindNodes() {
    static const char* const kThrustNames[4] = {"llthrust", "ulthrust", "lrthrust", "urthrust"};
    for (int i = 0; i < 4; ++i)
        thrustNodes[i] = FindByName(kThrustNames[i]);
}

int UtilityPod::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteF32(cargo);
    file.WriteI32(idleTime);
    file.WriteI32(clawOpen);
    file.WriteI32(clawArmOut);
    file.WriteI32(toolArmOut);
    file.WriteI32(home);
    return 1;
}

bool UtilityPod::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version)) return false;
    const bool ok = file.ReadF32(cargo) && file.ReadI32(idleTime) && file.ReadI32(clawOpen) &&
                    file.ReadI32(clawArmOut) && file.ReadI32(toolArmOut) && file.ReadI32(home);
    BindNodes();
    return ok;
}

float UtilityPod::GatherTotal() const {
    return ShipFloat(ShipFields().gatherAmountTotal, 100.0f);
}

float UtilityPod::GatherPer() const {
    return ShipFloat(ShipFields().gatherAmountPer, 25.0f);
}

void UtilityPod::UpdateCarriedCount() {
    // A hold of no size carries nothing (and must not be divided by).
    const float total = GatherTotal();
    const float share = total > 0.0f ? cargo / total : 0.0f;
    carried = std::clamp(int32_t(share * float(kFullCargoCount)), 0, kFullCargoCount);
}

// --- Animations -------------------------------------------------------------

bool UtilityPod::Playing(const char* sequence) const {
    return sequencer && !sequencer->IsDone(sequence, sequenceStates);
}

void UtilityPod::Play(const char* sequence) {
    if (sequencer) sequencer->Play(sequence, sequenceStates, 0);
}

void UtilityPod::ArmsOut() {
    if (!clawArmOut) {
        Play("clawarm_out");
        idleTime = 0;
    }
    if (!toolArmOut) Play("toolarm_out");
    clawArmOut = toolArmOut = 1;
}

void UtilityPod::ArmsIn() {
    if (clawArmOut) {
        Play("clawarm_in");
        if (clawOpen) {
            Play("claw_close");
            clawOpen = 0;
        }
    }
    if (toolArmOut) Play("toolarm_in");
    clawArmOut = toolArmOut = 0;
}

void UtilityPod::PlayIdleAnimation() {
    if (clawArmOut && Playing("clawarm_out")) idleTime = 0;
    if (int64_t(Now()) < int64_t(idleTime)) return;
    RandomGenerator& random = MainRandom();
    const uint32_t choice = random.Next() % 2 + (clawArmOut ? 0 : 2);
    switch (choice) {
    case 0:
        if (clawOpen && !Playing("claw_open")) {
            Play("claw_close");
            clawOpen = 0;
        } else if (!clawOpen && !Playing("claw_close")) {
            Play("claw_open");
            clawOpen = 1;
        }
        break;
    case 1:
        if (!Playing("Tool_Change")) Play("Tool_Change");
        break;
    case 2:
        if (!Playing("spotlightmove")) Play("spotlightmove");
        break;
    default:
        if (!Playing("spotlightfocus")) Play("spotlightfocus");
        break;
    }
    idleTime = Now() + kIdlePauseMs + int32_t(random.Next() % kIdleSpreadMs);
}

// --- The frame --------------------------------------------------------------

void UtilityPod::Update() {
    if (orderState == kOrderRepair) SendHome();
    const bool working = orderState == kOrderGather || orderState == kOrderClassState10 ||
                         orderState == kOrderClassState14;
    if (working)
        PlayIdleAnimation();
    else
        ArmsIn();
    Ship::Update();
}

void UtilityPod::SendHome() {
    const int marker = int(MainRandom().Next() % kPodBayMarkers) + 1;
    approachNode = "baymarker" + std::to_string(marker) + "-2";
    orderState = kOrderClassState10;
    target = kNoEntity;
}

void UtilityPod::RequestSelfOrder() {
    SendHome();
}

void UtilityPod::Assign(Ship& unit) {
    orderState = kOrderClassState14;
    target = unit.handle;
}

void UtilityPod::HandleMessage(Message& message) {
    const uint8_t code = message.Code();
    if (code == order::kRecall || code == order::kRepair) {
        if (orderState != kOrderClassState10) SendHome();
        if (code == order::kRepair) return;
    }
    Ship::HandleMessage(message);
}

void UtilityPod::UpdateAttack() {
    World* world = GetWorld();
    Entity* prey = world ? world->GetEntity(target) : nullptr;
    const bool visible = prey && CanSee(*this, *prey);
    if (prey && visible && !IsA(prey, ClassId::Asteroid)) {
        Ship::UpdateAttack();
        return;
    }
    if (!prey || !visible) target = kNoEntity;
    orderState = kOrderGather;
}

// --- Contact ----------------------------------------------------------------

void UtilityPod::OnCollision(Entity* other, const Vec3& normal) {
    if (!other) return;
    if (!IsA(other, ClassId::Asteroid)) {
        Entity::OnCollision(other, normal);
        return;
    }
    if (orderState == kOrderGather) Mine(*other);
    Bounce(*other, normal);
}

void UtilityPod::Mine(Entity& asteroid) {
    const float total = GatherTotal();
    const float amount = std::clamp(GatherPer(), 0.0f, std::max(total - cargo, 0.0f));
    asteroid.TakeDamage(amount * kDamageShare);
    ModelLibrary* library = GetModelLibrary();
    Entity* sparks = library ? library->CreateInstance("miningsparks", true) : nullptr;
    if (Weapon* effect = AsWeapon(sparks)) effect->Launch(this, position, orientation, kNoEntity);
    cargo += amount;
    UpdateCarriedCount();
}

void UtilityPod::Bounce(Entity& asteroid, const Vec3& normal) {
    const float closing = Vec3::Dot(velocity - asteroid.velocity, normal);
    if (!(closing < 0.0f) || !(mass > 0.0f)) return; // moving apart
    ApplyImpulse(normal, normal, true, -2.0f * closing / mass);
    if (mass > kImmovableMass) return;
    const float separating = Vec3::Dot(velocity + pendingImpulse, normal);
    if (separating <= kBounceFloor) ApplyImpulse(normal, normal, true, kBounceFloor - separating);
}

} // namespace lumivane
