// The gun emplacements: aiming, the idle look-around, the attack of the
// Turret and of the two launchers, firing with alternating barrels, and
// the turret block's record.
#include "desktop/units/structure/turrets.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/combat/target_rules.h"
#include "desktop/units/combat/turret_block.h"
#include "desktop/units/ship_base/steering_math.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr int32_t kReaimBaseMs = 3000;
constexpr float kChaffSpin = -0.349f; // radians per 0.1 s about its own X axis

float Wrap(float a) {
    while (a > kPi)
        a -= 2.0f * kPi;
    while (a < -kPi)
        a += 2.0f * kPi;
    return a;
}

int32_t Now() {
    return int32_t(GetSceneClock().gameTime);
}

void PlayOnce(Entity& unit, const std::string& sequence) {
    if (unit.sequencer) unit.sequencer->Play(sequence, unit.sequenceStates, 0);
}

} // namespace

bool StepAim(float& yaw, float& pitch, float wantYaw, float wantPitch, float step, float pitchMin,
             float pitchMax) {
    const float yawDifference = wantYaw - yaw;
    float direction = yawDifference < 0.0f ? -1.0f : 1.0f;
    if (std::fabs(yawDifference) > kPi) direction = -direction;
    const bool yawThere = std::fabs(yawDifference) <= step;
    yaw = Wrap(yaw + direction * std::min(std::fabs(yawDifference), step));

    wantPitch = std::clamp(wantPitch, pitchMin, pitchMax);
    const float pitchStep = 0.5f * step;
    const float pitchDifference = wantPitch - pitch;
    const bool pitchThere = std::fabs(pitchDifference) <= pitchStep;
    pitch += std::clamp(pitchDifference, -pitchStep, pitchStep);
    return yawThere && pitchThere;
}

// --- The shared block -------------------------------------------------------

void GunEmplacement::FindTurretNodes() {
    barrels[0] = FindByName("dummyweapon1");
    barrels[1] = FindByName("dummyweapon2");
    yawNode = FindByName("yaw");
    pitchNode = FindByName("pitch");
}

void GunEmplacement::InitClone(Node* source) {
    Structure::InitClone(source);
    FindTurretNodes();
}

int GunEmplacement::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Structure::Save(file, table)) return 0;
    file.WriteF32(yawAngle);
    file.WriteF32(pitchAngle);
    file.WriteF32(turnRate);
    file.WriteI32(currentBarrel);
    file.WriteI32(idleReaimTime);
    file.WriteF32(idleAimPoint.x);
    file.WriteF32(idleAimPoint.y);
    file.WriteF32(idleAimPoint.z);
    return 1;
}

bool GunEmplacement::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Structure::Load(file, table, version)) return false;
    const bool read = file.ReadF32(yawAngle) && file.ReadF32(pitchAngle) &&
                      file.ReadF32(turnRate) && file.ReadI32(currentBarrel) &&
                      file.ReadI32(idleReaimTime) && file.ReadF32(idleAimPoint.x) &&
                      file.ReadF32(idleAimPoint.y) && file.ReadF32(idleAimPoint.z);
    if (!read) return false;
    // Only barrels 0 and 1 exist; anything else in a file starts at the first.
    if (currentBarrel < 0 || currentBarrel > 1) currentBarrel = 0;
    FindTurretNodes();
    return true;
}

std::string GunEmplacement::WeaponName() const {
    const PropBlock* block = ShipBlock();
    return block ? std::string(block->FixedText(ShipFields().weapon)) : std::string();
}

void GunEmplacement::AimAt(float x, float y, float z) {
    Vec3 direction = ToLocal(orientation, Vec3(x, y, z) - position);
    direction.Normalize();
    float wantYaw = 0.0f, wantPitch = 0.0f;
    direction.GetYawPitch(wantYaw, wantPitch);
    const float step = GetSceneClock().frameTime * turnRate;
    if (StepAim(yawAngle, pitchAngle, wantYaw, wantPitch, step, kTurretPitchMin, kTurretPitchMax))
        StopEventSounds(SoundEvent::UnitSpecific1);
}

void GunEmplacement::Update() {
    Structure::Update();
    IdleAim();
    PoseTurretNodes();
}

void GunEmplacement::IdleAim() {
    if (fadeFlag || (orderState != kOrderIdle && orderState != kOrderFollow)) return;
    const int32_t now = Now();
    bool reaim = false;
    if (DrawsReaimEveryFrame()) {
        const uint32_t r = MainRandom().Next();
        reaim = int64_t(now) >= int64_t(idleReaimTime) + kReaimBaseMs + 1000 * int64_t(r & 7);
        if (reaim) idleReaimTime = now;
    } else if (now >= idleReaimTime) {
        const uint32_t r = MainRandom().Next();
        idleReaimTime = now + kReaimBaseMs + 1000 * int32_t(r & 7);
        reaim = true;
    }
    if (reaim) {
        const float u1 = MainRandom().NextUnit();
        const float u2 = MainRandom().NextUnit();
        const float u3 = MainRandom().NextUnit();
        idleAimPoint =
            position + Vec3(200.0f * u3 - 100.0f, 100.0f * u2 - 50.0f, 200.0f * u1 - 100.0f);
        PlayEventSounds(SoundEvent::UnitSpecific1, 1);
    }
    AimAt(idleAimPoint);
}

void GunEmplacement::PoseTurretNodes() {
    PoseNode(yawNode, AxisAngle({0.0f, 1.0f, 0.0f}, yawAngle));
    PoseNode(pitchNode, AxisAngle({1.0f, 0.0f, 0.0f}, -pitchAngle));
}

Entity* GunEmplacement::SeenTarget() {
    World* world = GetWorld();
    Entity* prey = world ? world->GetEntity(target) : nullptr;
    if (prey && CanSee(*this, *prey)) return prey;
    target = kNoEntity;
    FinishOrder();
    return nullptr;
}

void GunEmplacement::LauncherAttack() {
    Entity* prey = SeenTarget();
    if (!prey) return;
    SteerTo(prey->position);
    AimAt(prey->position);
    if ((prey->position - position).Length() - prey->radius < ShipFloat(ShipFields().fireRange, 0))
        fireRequest = 1;
}

void GunEmplacement::Reload(int32_t now) {
    lastFireTime = now;
    const float reload = ShipFloat(ShipFields().reloadTime, 1.0f);
    const float spread = ShipFloat(ShipFields().reloadTimeSpread, 0.0f);
    const float u = MainRandom().NextUnit();
    nextFireTime = now + int32_t((reload - spread + 2.0f * spread * u) * 1000.0f);
    PlayOnce(*this, "fire" + std::to_string(currentBarrel + 1));
}

void GunEmplacement::Fire() {
    const int32_t now = Now();
    if (now < nextFireTime) return;
    Shoot(barrels[currentBarrel]);
    Reload(now);
    currentBarrel ^= 1;
}

// --- Turret -----------------------------------------------------------------

Node* Turret::Clone() {
    auto* copy = new Turret(*this);
    copy->InitClone(this);
    return copy;
}

void Turret::UpdateAttack() {
    Entity* prey = SeenTarget();
    if (!prey) return;
    float reach = (prey->position - position).Length() - prey->radius;
    Vec3 aim = prey->position;
    if (projectileSpeed != 0.0f) {
        aim = prey->position + (prey->velocity - velocity) * (reach / projectileSpeed);
        reach = (aim - position).Length() - prey->radius;
    }
    AimAt(aim);
    Vec3 bore(0.0f, 0.0f, 1.0f);
    Vec3 from = position;
    if (const Node* barrel = barrels[currentBarrel]) {
        const Matrix world = barrel->WorldMatrix();
        world.TransformVector(bore);
        from = world.GetTranslation();
    } else {
        orientation.RotateVector(bore);
    }
    bore.Normalize();
    const float angle = FastAcos(std::clamp(Vec3::Dot(bore, DirectionTo(from, aim)), -1.0f, 1.0f));
    if (reach < ShipFloat(ShipFields().fireRange, 0) &&
        angle <= ShipFloat(ShipFields().fireAngle, 0))
        fireRequest = 1;
}

void Turret::Shoot(Node* barrel) {
    if (barrel) LaunchWeapon(WeaponName(), barrel->WorldMatrix(), target);
}

// --- MissileTurret ----------------------------------------------------------

Node* MissileTurret::Clone() {
    auto* copy = new MissileTurret(*this);
    copy->InitClone(this);
    return copy;
}

void MissileTurret::PlayLoaded() {
    PlayOnce(*this, "load1");
    PlayOnce(*this, "load2");
}

bool MissileTurret::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!GunEmplacement::Load(file, table, version)) return false;
    PlayLoaded();
    return true;
}

void MissileTurret::InitClone(Node* source) {
    GunEmplacement::InitClone(source);
    PlayLoaded();
}

void MissileTurret::Shoot(Node* barrel) {
    const bool engaging = orderState == kOrderAttack || orderState == kOrderHunt;
    if (barrel) LaunchWeapon(WeaponName(), barrel->WorldMatrix(), engaging ? target : kNoEntity);
}

void MissileTurret::Reload(int32_t now) {
    GunEmplacement::Reload(now);
    PlayOnce(*this, "load" + std::to_string(currentBarrel + 1));
}

// --- ChaffeLauncher ---------------------------------------------------------

Node* ChaffeLauncher::Clone() {
    auto* copy = new ChaffeLauncher(*this);
    copy->InitClone(this);
    return copy;
}

void ChaffeLauncher::Shoot(Node* barrel) {
    Scene* scene = GetScene();
    if (barrel && scene) {
        SpawnRecord record;
        record.player = PlayerIndexOf(owner);
        if (Entity* chaff = scene->SpawnByName(WeaponName(), record)) {
            Vec3 at;
            Quat facing;
            barrel->WorldMatrix().GetPosRot(at, facing);
            const float roll = RandomFloat(-kPi, kPi);
            chaff->position = at;
            chaff->orientation = facing * AxisAngle({0.0f, 0.0f, 1.0f}, roll);
            chaff->velocity = velocity + chaff->GetDir();
            chaff->spin = AxisAngle({1.0f, 0.0f, 0.0f}, kChaffSpin);
            chaff->PlaceLocalMatrix();
        }
    }
}

} // namespace lumivane
