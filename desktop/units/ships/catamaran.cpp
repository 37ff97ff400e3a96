// Catamaran: the five-cartridge clip with its longer clip change, the
// recoil and the lit thruster of a shot, and the record.
#include "desktop/units/ships/catamaran.h"

#include "desktop/scene/object/engine_services.h"
#include "desktop/units/ships/ship_class_support.h"
#include "platform/binary_io.h"

namespace lumivane {

Node* Catamaran::Clone() {
    auto* copy = new Catamaran(*this);
    copy->InitClone(this);
    return copy;
}

void Catamaran::InitClone(Node* source) {
    Ship::InitClone(source);
    cartridge = 0;
}

void Catamaran::Update() {
    Ship::Update();
    const float reload = ShipFloat(ShipFields().reloadTime, 1.0f);
    if (SinceStamp(nextFireTime) > int64_t(kFlashPerReload * reload))
        thrusters[kExtraThruster] = 0.0f;
}

void Catamaran::Fire() {
    const int32_t now = GameNow();
    if (now < nextFireTime) return;
    LaunchMainWeapon(weaponNode ? weaponNode->WorldMatrix() : WorldMatrix(), target);
    thrusters[kExtraThruster] = 1.0f;
    cartridge = cartridge % kClip + 1;
    if (sequencer) {
        sequencer->Play("fire", sequenceStates, 0);
        sequencer->Play(NumberedName("cartridge_%i", cartridge), sequenceStates, 0);
    }
    const bool clipEmpty = cartridge == kClip;
    const float reload = ShipFloat(ShipFields().reloadTime, 1.0f);
    lastFireTime = now;
    nextFireTime = now + int32_t(1000.0f * reload * (clipEmpty ? kClipChangeReloads : 1.0f));
    if (clipEmpty) PlayEventSounds(SoundEvent::UnitSpecific1, 0);
    if (GetSceneClock().frameTime > 0.0f) {
        // The shot kicks the hull back and lifts its nose a little.
        const Vec3 forward = GetDir();
        Accelerate(forward * -kRecoil, true);
        Vec3 nose = forward * radius;
        ApplyTorque(position + nose, Vec3(0.0f, kRecoilTorque, 0.0f), true);
    }
}

int Catamaran::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteI32(cartridge);
    return 1;
}

bool Catamaran::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version) || !file.ReadI32(cartridge)) return false;
    if (cartridge < 0 || cartridge > kClip) cartridge = 0;
    return true;
}

} // namespace lumivane
