// Tug: orders, the grab (its attack), and the pull that drags the towed
// object on the cable.
#include "desktop/units/tug/tug.h"

#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/collection.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/combat/target_rules.h"
#include "desktop/units/pilot/pilot.h"
#include "desktop/units/ship/order_params.h"
#include "desktop/units/ship/prop_scale.h"
#include "desktop/units/ship/steering_math.h"
#include "desktop/units/tug/tow_cable.h"

namespace lumivane {

namespace {

constexpr uint8_t kAttackCode = 13;

void TellCollections(EntityHandle towed) {
    World* world = GetWorld();
    if (!world) return;
    for (int i = 0; i < world->EntityCount(); ++i)
        if (Entity* e = world->EntityAt(i); IsA(e, ClassId::Collection))
            static_cast<Collection*>(e)->ReleaseMember(towed);
}

} // namespace

Tug::Tug() {
    classId = uint8_t(ClassId::Tug);
}

Node* Tug::Clone() {
    auto* copy = new Tug(*this);
    copy->InitClone(this);
    return copy;
}

void Tug::InitClone(Node* source) {
    Ship::InitClone(source);
    towing = 0;
    towed = kNoEntity;
    cable = kNoEntity;
}

int Tug::CanTow(Entity* object) {
    if (!object || object == this) return 0;
    const bool ship = IsA(object, ClassId::Ship) && !IsA(object, ClassId::Structure);
    if (!ship && !IsA(object, ClassId::Asteroid)) return 0;
    return object->PropFlag("tug-able") ? 1 : 0;
}

int Tug::IsOrderActive(int code) {
    if (code == order::kFireThree) {
        const World* world = GetWorld();
        return towing && world && world->GetEntity(towed) ? 1 : 0;
    }
    if (code == order::kTow) return orderState == kOrderAttack || towing ? 1 : 0;
    return Ship::IsOrderActive(code);
}

void Tug::HandleMessage(Message& message) {
    const uint8_t code = message.Code();
    if (code == order::kTow) {
        if (!ShipFlag(ShipFields().taskTow, false)) return;
        OrderParams params(message);
        orderState = kOrderAttack;
        target = params.Word(0);
        PilotVoice(kVoiceAttack);
        return;
    }
    if (code == order::kRelease) {
        Release();
        return;
    }
    if (code == kAttackCode && towing && OrderParams(message).Word(0) == towed) {
        Release();
        return;
    }
    Ship::HandleMessage(message);
}

void Tug::Fire() {
    Release();
}

Vec3 Tug::HookPoint() const {
    return position - GetDir() * kHookOffset;
}

void Tug::UpdateAttack() {
    combat = 0;
    World* world = GetWorld();
    Entity* object = world ? world->GetEntity(target) : nullptr;
    if (object && !CanSee(*this, *object)) {
        target = kNoEntity;
        towing = 0;
        object = nullptr;
    }
    if (object && object->handle != towed) towing = 0;
    if (!CanTow(object) || towing) {
        FinishOrder();
        return;
    }

    const Vec3 toward = DirectionTo(position, object->position);
    const float surface = (object->position - position).Length() - radius - object->radius;
    const float hold = std::max(8.0f * radius, 2.0f * (radius + object->radius));
    const Vec3 aim = object->position - toward * (0.75f * hold);
    MovingFrame frame(*this, object);
    if (surface > hold) {
        SteerTo(aim);
        return;
    }
    ArriveAt(aim);
    TurnTowards(Vec3() - toward);
    Grab(*object, Vec3() - GetDir());
}

bool Tug::Grab(Entity& object, const Vec3& away) {
    // The ray runs from the tug backward; it misses when the point it
    // answers is where it started.
    const Vec3 hit = object.RayHitPoint(position, away);
    if (hit == position) return false;
    Matrix toObject = object.GetWorldMatrix();
    if (!toObject.InvertAffine()) return false; // an object of no size has no frame
    towing = 1;
    towed = object.handle;
    cableLength =
        std::max(3.0f * radius + object.radius, ((hit - position).Length() - radius) * 1.5f);
    attachPoint = hit;
    toObject.TransformPoint(attachPoint);
    World* world = GetWorld();
    const auto* line = world ? AsTowCable(world->GetEntity(cable)) : nullptr;
    if (!line || line->released) {
        Entity* made = SpawnPart("TowCable", this);
        cable = made ? made->handle : kNoEntity;
    }
    lastFireTime = int32_t(GetSceneClock().gameTime);
    TellCollections(towed);
    return true;
}

void Tug::Update() {
    {
        // An empty tug is slow.
        ScopedPropScale thrust(ShipBlock(), ShipFields().thrust, towing ? 1.0f : kEmptyThrustShare);
        Ship::Update();
    }
    World* world = GetWorld();
    if (!world) return;
    if (!towing) {
        if (auto* line = AsTowCable(world->GetEntity(cable))) line->released = 1;
        return;
    }
    Entity* object = world->GetEntity(towed);
    if (!object) {
        towing = 0;
        return;
    }
    Pull(*object);
}

Vec3 Tug::CableTurn(const Vec3& force) const {
    // Turning the tail towards the load: with the gain above and the masses
    // a tug may have, the full force would spin it many turns a second at
    // the smallest angle, so it turns no harder than its own thrusters do.
    const Vec3 tail = Vec3() - GetDir();
    const float turning = Vec3::Cross(tail, force).Length();
    const float most = ShipFloat(ShipFields().angularThrust, 0.2f);
    return turning > most ? force * (most / turning) : force;
}

void Tug::Pull(Entity& object) {
    Ship* ship = AsShip(&object);
    // A friend or a neutral on the cable is held; an enemy fights it.
    if (ship && !(ship->owner && owner && ship->owner->CountsAsEnemy(owner->index)))
        ship->towLockTime = int32_t(GetSceneClock().gameTime);

    Vec3 attached = attachPoint;
    object.GetWorldMatrix().TransformPoint(attached);
    const Vec3 hook = HookPoint();
    const float reach = (attached - hook).Length();
    if (reach >= cableLength && reach > 0.0f) {
        const Vec3 along = (attached - hook) * (1.0f / reach);
        float apart = Vec3::Dot(object.velocity - velocity, along);
        if (apart >= 0.0f) {
            apart = std::min(apart, kMaxPullSpeed);
            const float dt = GetSceneClock().frameTime;
            float force = apart * kPullGain;
            if (dt > 0.0f) force /= 30.0f * std::min(dt, 0.1f);
            const float towedMass = std::clamp(object.mass, kMinTowedMass, kMaxTowedMass);
            const Vec3 drag = along * (-force / towedMass);
            object.Accelerate(drag, true);
            object.ApplyTorque(attached, drag, true);
            if (mass > 0.0f) {
                Accelerate(along * (force * kTugShare / mass), true);
                Vec3 tail(0.0f, 0.0f, -1.0f);
                GetWorldMatrix().TransformPoint(tail);
                ApplyTorque(tail, CableTurn(along * (force * kTugTurnGain / mass)), true);
            }
            object.spin.Pow(std::pow(kSpinDamping, dt));
        }
    }
    // A ship following something must not fight the cable.
    if (ship && ship->orderState == kOrderFollow)
        if (const Entity* leading = GetWorld()->GetEntity(ship->target))
            ship->followDistance = (ship->position - leading->position).Length();
}

} // namespace lumivane
