// PrefabKit: deploying, the hub that takes its place, and the record.
#include "desktop/units/ships/prefab_kit.h"

#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship_base/node_pose.h"
#include "desktop/units/ships/ship_class_support.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

EntityHandle ReserveFresh() {
    World* world = GetWorld();
    return world ? world->ReserveHandle() : kNoEntity;
}

} // namespace

Node* PrefabKit::Clone() {
    auto* copy = new PrefabKit(*this);
    copy->InitClone(this);
    return copy;
}

void PrefabKit::InitClone(Node* source) {
    Ship::InitClone(source);
    deployed = 0;
    deployTime = 0;
    reservedHandle = ReserveFresh();
}

void PrefabKit::Fire() {
    if (deployed) return;
    deployed = 1;
    deployTime = GameNow();
    if (sequencer) sequencer->Play("deploy", sequenceStates, 0);
    PlayEventSounds(SoundEvent::UnitSpecific1, 1);
    GetUserInputWords().events[0] |= kEventKitDeployed;
}

void PrefabKit::Update() {
    Ship::Update();
    World* world = GetWorld();
    if (deployed && SinceStamp(deployTime) >= kDeployMs && world &&
        !world->IsQueuedForRemoval(this))
        BecomeHub();
}

void PrefabKit::BecomeHub() {
    World* world = GetWorld();
    Scene* scene = GetScene();
    const int32_t squadNumber = squad ? squad->index : -1;
    SetSquad(nullptr, -1);
    SpawnRecord at;
    at.position = position;
    at.orientation = orientation * AxisAngle(kAxisY, kHubTurn);
    at.player = PlayerIndexOf(owner);
    at.squad = squadNumber;
    Entity* hub = scene ? scene->SpawnByName("hub", at) : nullptr;
    // The hub answers to the handle the script knew the kit's product by.
    if (hub && reservedHandle >= 0 && !hub->SetHandle(reservedHandle))
        world->QueueRemove(hub, nullptr, false);
    reservedHandle = kNoEntity;
    world->QueueRemove(this, hub, false);
}

int PrefabKit::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteI32(deployTime);
    file.WriteI32(deployed);
    file.WriteI32(reservedHandle);
    return 1;
}

bool PrefabKit::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version)) return false;
    file.ReadI32(deployTime);
    file.ReadI32(deployed);
    if (!file.Good()) return false;
    deployed = deployed != 0;
    if (version <= kReservedHandleAbove) {
        reservedHandle = ReserveFresh();
        return true;
    }
    return file.ReadI32(reservedHandle);
}

} // namespace lumivane
