// MineLayer: the run at the target, laying from the racks, counting back
// what is gone, and the record.
#include "desktop/units/ships/mine_layer.h"

#include <algorithm>

#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/deployable/deployables.h"
#include "desktop/units/combat/target_rules.h"
#include "desktop/units/ship_base/node_pose.h"
#include "desktop/units/ship_base/steering_math.h"
#include "desktop/units/ships/ship_class_support.h"
#include "platform/binary_io.h"

namespace lumivane {

Node* MineLayer::Clone() {
    auto* copy = new MineLayer(*this);
    copy->InitClone(this);
    return copy;
}

void MineLayer::InitClone(Node* source) {
    Ship::InitClone(source);
    carried = kSlots;
    ownedCraft = kSlots;
    std::fill(std::begin(laid), std::end(laid), kNoEntity);
    BindNodes();
}

void MineLayer::BindNodes() {
    for (int r = 0; r < 2; ++r)
        racks[r] = FindNumberedNode(*this, "dummyrack%i", r + 1);
}

void MineLayer::CountReturns() {
    World* world = GetWorld();
    if (!world) return;
    // Only a slot that held a unit frees: an empty one was never laid.
    for (EntityHandle& slot : laid)
        if (slot >= 0 && !world->GetEntity(slot)) {
            slot = kNoEntity;
            carried = std::min(carried + 1, kSlots);
        }
}

void MineLayer::Update() {
    Ship::Update();
    CountReturns();
}

void MineLayer::UpdateAttack() {
    Entity* prey = FightableTarget(*this);
    if (!prey) {
        FinishOrder();
        return;
    }
    SteerTo(prey->position);
    const float surface = SurfaceDistance(position, radius, prey->position, prey->radius);
    if (surface < ShipFloat(ShipFields().fireRange, 20.0f)) fireRequest = 1;
}

void MineLayer::Fire() {
    const int32_t now = GameNow();
    if (now < nextFireTime || carried <= 0) return;
    Scene* scene = GetScene();
    if (!scene) return;
    Node* from = racks[rack];
    SpawnRecord at;
    (from ? from->WorldMatrix() : WorldMatrix()).GetPosRot(at.position, at.orientation);
    at.player = PlayerIndexOf(owner);
    Entity* made = scene->SpawnByName(fireRequest == 2 ? "comsat" : "mine", at);
    if (Ship* unit = AsShip(made)) {
        Vec3 side = kAxisX;
        orientation.RotateVector(side);
        unit->velocity = velocity + side * (rack == 0 ? -kRackPush : kRackPush);
        unit->spin = AxisAngle(kAxisZ, kLaidSpin);
        // The slot of the count after this one is taken; should it still
        // hold a live unit, the first free slot takes the new one, so no
        // laid unit is lost from the books and none is written past eight.
        --carried;
        EntityHandle* slot = &laid[carried];
        if (*slot >= 0) slot = std::find(std::begin(laid), std::end(laid), kNoEntity);
        if (slot != std::end(laid)) *slot = unit->handle;
        if (IsA(unit, ClassId::Mine) || IsA(unit, ClassId::Comsat))
            static_cast<Deployable*>(unit)->link = handle;
    }
    rack = (rack + 1) % 2;
    lastFireTime = now;
    nextFireTime = now + ReloadDelayMs();
}

int MineLayer::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Ship::Save(file, table)) return 0;
    file.WriteI32(rack);
    for (EntityHandle slot : laid)
        file.WriteI32(slot);
    return 1;
}

bool MineLayer::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!Ship::Load(file, table, version)) return false;
    file.ReadI32(rack);
    for (EntityHandle& slot : laid)
        file.ReadI32(slot);
    if (!file.Good()) return false;
    if (rack < 0 || rack > 1) rack = 0;
    carried = std::clamp(carried, 0, kSlots);
    BindNodes();
    return true;
}

} // namespace lumivane
