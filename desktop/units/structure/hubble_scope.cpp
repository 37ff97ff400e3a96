// HubbleScope: the proxy it keeps alive and looks at, and the orders it
// hands on to it.
#include "desktop/units/structure/hubble_scope.h"

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/combat/target_rules.h"
#include "desktop/units/combat/turret_block.h"
#include "desktop/units/ship_base/steering_math.h"
#include "desktop/units/structure/turrets.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr const char* kProxyPrototype = "HubbleProxy";
constexpr float kProxyDistanceRadii = 2.0f;

} // namespace

Node* HubbleScope::Clone() {
    auto* copy = new HubbleScope(*this);
    copy->InitClone(this);
    return copy;
}

void HubbleScope::FindScopeNodes() {
    yawNode = FindByName("yaw");
    pitchNode = FindByName("pitch");
}

void HubbleScope::InitClone(Node* source) {
    Structure::InitClone(source);
    FindScopeNodes();
}

int HubbleScope::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Structure::Save(file, table)) return 0;
    file.WriteI32(proxyHandle);
    file.WriteF32(yawAngle);
    file.WriteF32(pitchAngle);
    file.WriteF32(turnRate);
    return 1;
}

bool HubbleScope::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Structure::Load(file, table, version)) return false;
    if (!(file.ReadI32(proxyHandle) && file.ReadF32(yawAngle) && file.ReadF32(pitchAngle) &&
          file.ReadF32(turnRate)))
        return false;
    FindScopeNodes();
    return true;
}

Ship* HubbleScope::Proxy() const {
    const World* world = GetWorld();
    return world ? AsShip(world->GetEntity(proxyHandle)) : nullptr;
}

void HubbleScope::AimAt(float x, float y, float z) {
    Vec3 direction = ToLocal(orientation, Vec3(x, y, z) - position);
    direction.Normalize();
    float wantYaw = 0.0f, wantPitch = 0.0f;
    direction.GetYawPitch(wantYaw, wantPitch);
    StepAim(yawAngle, pitchAngle, wantYaw, wantPitch, GetSceneClock().frameTime * turnRate,
            kScopePitchMin, kScopePitchMax);
}

void HubbleScope::Update() {
    Structure::Update();
    Ship* proxy = Proxy();
    if (!proxy && !fadeFlag) {
        if (Scene* scene = GetScene()) {
            SpawnRecord record;
            record.position = position + GetDir() * (kProxyDistanceRadii * radius);
            record.player = PlayerIndexOf(owner);
            proxy = AsShip(scene->SpawnByName(kProxyPrototype, record));
            proxyHandle = proxy ? proxy->handle : kNoEntity;
        }
    }
    if (!proxy) return;
    proxy->proxy = 1;
    AimAt(proxy->position.x, proxy->position.y, proxy->position.z);
    PoseNode(yawNode, AxisAngle({0.0f, 1.0f, 0.0f}, yawAngle));
    PoseNode(pitchNode, AxisAngle({1.0f, 0.0f, 0.0f}, -pitchAngle));
}

void HubbleScope::UpdateMove() {
    if (Ship* proxy = Proxy()) {
        proxy->orderState = kOrderMove;
        proxy->movePoint = movePoint;
        proxy->farMove = 0;
    }
    FinishOrder();
}

void HubbleScope::UpdateAttack() {
    const World* world = GetWorld();
    Entity* prey = world ? world->GetEntity(target) : nullptr;
    if (!prey || !CanSee(*this, *prey)) {
        target = kNoEntity;
        FinishOrder();
        return;
    }
    if (Ship* proxy = Proxy()) {
        proxy->orderState = kOrderAttack;
        proxy->target = target;
    }
    FinishOrder();
}

void HubbleScope::UpdateFollow() {
    const World* world = GetWorld();
    const Entity* followed = world ? world->GetEntity(target) : nullptr;
    if (!followed || followed == world->Sun()) return;
    if (Ship* proxy = Proxy()) {
        proxy->orderState = kOrderMove;
        proxy->movePoint = followed->position;
    }
}

} // namespace lumivane
