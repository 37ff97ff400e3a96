// Ship: the order states of a unit's life around its builder and the
// stations: departing from the builder that made it, repair by a
// UtilityPod (the order it interrupted goes on meanwhile), and scrapping at
// a structure, which fades the unit out for a refund.
#include <algorithm>

#include "desktop/scene/entity/entity_props.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/pod/utility_pod.h"
#include "desktop/units/ship/ship.h"

namespace lumivane {

namespace {

constexpr int32_t kFullCraft = 8; // a Carrier or ATR is whole with this many
constexpr float kDepartRadii = 2.0f;
constexpr float kColonyDropRadii = 0.4f;
constexpr float kLeaderReachRadii = 20.0f;
constexpr float kRepairReachRadii = 50.0f;
constexpr float kScrapReachRadii = 2.0f;
constexpr float kStructureFadeSeconds = 20.0f;
constexpr float kUnitFadeSeconds = 5.0f;
constexpr float kScrapShare = 0.5f;
constexpr float kPodBayScrapShare = 0.25f;

float HealthMax(const Entity& unit) {
    return unit.props ? unit.props->Float(EntityFields().healthMax) : 1.0f;
}

bool OwnsCarrierShortOfCraft(const Ship& unit) {
    return (IsA(&unit, ClassId::Carrier) || IsA(&unit, ClassId::ATR)) &&
           unit.ownedCraft < kFullCraft;
}

// The nearest pod of the player that is (or is not) repairing.
Ship* NearestPod(const World& world, const Player& player, EntityHandle from, bool busy) {
    Ship* nearest = nullptr;
    float best = 0.0f;
    for (Ship* unit : Ships(player.units)) {
        if (!unit || !IsA(unit, ClassId::UtilityPod) || unit->handle == from) continue;
        if ((unit->orderState == kOrderClassState14) != busy) continue;
        const float distance = world.Distance(from, unit->handle);
        if (!nearest || distance < best) {
            nearest = unit;
            best = distance;
        }
    }
    return nearest;
}

} // namespace

void Ship::UpdateDeparture() {
    World* world = GetWorld();
    Entity* builder = world ? world->GetEntity(target) : nullptr;
    const float distance = builder ? (builder->position - position).Length() : 0.0f;
    if (builder && distance < kDepartRadii * builder->radius && !IsA(builder, ClassId::Wormhole)) {
        canCollide = 0; // it is pushed out through its builder's hull
        if (IsA(builder, ClassId::Drydock)) {
            ThrustForward(-1.0f);
        } else if (IsA(builder, ClassId::ColonyShip)) {
            if (distance < kColonyDropRadii * builder->radius)
                ThrustVertical(-3.0f);
            else
                ThrustForward(0.5f);
        } else {
            ThrustForward(1.0f);
        }
        return;
    }
    canCollide = 1;
    if (IsA(this, ClassId::UtilityPod)) {
        orderState = kOrderGather;
        target = kNoEntity;
        return;
    }
    Ship* leader = squad ? ShipOf(squad->GetLeader()) : nullptr;
    if (leader && leader->formationKind != 0) {
        orderState = kOrderFormation;
        formationKind = leader->formationKind;
        movePoint = {};
    } else if (leader && leader != this && CanMove() &&
               (leader->position - position).Length() > kLeaderReachRadii * leader->radius) {
        ApproachTarget(leader);
    } else {
        FinishOrder();
    }
}

void Ship::RunSavedOrderForFrame() {
    // The saved order cannot be the repair itself: that would run forever.
    if (savedOrder.state == kOrderRepair) savedOrder = SavedOrder{};
    RestoreSavedOrder();
    UpdateOrder();
    // What the order did this frame is where it goes on next frame.
    savedOrder = {orderState, target, movePoint, followDistance, followOffset, approachNode};
}

void Ship::UpdateRepair() {
    World* world = GetWorld();
    if (!world) return;
    if (!owner || (health >= HealthMax(*this) && !OwnsCarrierShortOfCraft(*this))) {
        RestoreSavedOrder();
        return;
    }
    Ship* pod = AsShip(world->GetEntity(target));
    const bool podStays = pod && IsA(pod, ClassId::UtilityPod) &&
                          pod->orderState == kOrderClassState14 && pod->target == handle;
    if (!podStays) {
        pod = NearestPod(*world, *owner, handle, false);
        if (pod) {
            static_cast<UtilityPod*>(pod)->Assign(*this);
        } else {
            pod = NearestPod(*world, *owner, handle, true);
        }
    }
    if (!pod) {
        RunSavedOrderForFrame();
        orderState = kOrderRepair;
        target = kNoEntity;
        return;
    }
    const EntityHandle podHandle = pod->handle;
    if (CanMove()) {
        if ((pod->position - position).Length() > kRepairReachRadii * radius) {
            target = podHandle;
            ApproachTarget(pod);
            CarrySavedOrder();
            return;
        }
        // It holds an orbit while the pod works.
        FinishOrder();
        UpdateFollow();
    } else {
        RunSavedOrderForFrame();
    }
    orderState = kOrderRepair;
    target = podHandle;
}

int Ship::CanRepair() {
    if (!owner) return 0;
    if (health >= HealthMax(*this) && !OwnsCarrierShortOfCraft(*this)) return 0;
    for (const Ship* unit : Ships(owner->units))
        if (IsA(unit, ClassId::UtilityPod)) return 1;
    return 0;
}

void Ship::UpdateScrap() {
    World* world = GetWorld();
    if (!world || world->IsQueuedForRemoval(this)) return;
    const bool structure = IsA(this, ClassId::Structure);
    if (!structure) {
        Entity* dock = world->GetEntity(target);
        if (!IsA(dock, ClassId::Structure) || dock->owner != owner)
            dock = world->FindNearestUnitOf(handle, owner, int(ClassId::Structure));
        if (!dock) {
            FinishOrder();
            return;
        }
        target = dock->handle;
        if (CanMove()) ApproachTarget(dock);
        if (!fadeFlag && (dock->position - position).Length() > kScrapReachRadii * dock->radius)
            return;
    }
    if (!fadeFlag) {
        BeginFade();
        fadeLevel = 1.0f;
    }
    const float fadeSeconds = structure ? kStructureFadeSeconds : kUnitFadeSeconds;
    SetFade(std::clamp(fadeLevel - GetSceneClock().frameTime / fadeSeconds, 0.0f, 1.0f));
    if (fadeLevel > 0.0f) return;
    if (owner) owner->AddResources(ScrapRefund());
    world->QueueRemove(this, nullptr, false);
}

float Ship::ScrapRefund() const {
    const float healthMax = HealthMax(*this);
    // A unit whose maximum health is 0 counts as whole.
    const float whole = healthMax > 0.0f ? std::clamp(health / healthMax, 0.0f, 1.0f) : 1.0f;
    const float share = IsA(this, ClassId::PodBay) ? kPodBayScrapShare : kScrapShare;
    return PropFloat("cost") * whole * share;
}

int Ship::CanScrap() {
    if (orderState == kOrderScrap) return 1;
    const World* world = GetWorld();
    if (!owner || fadeFlag || !world) return 0;
    return world->FindNearestUnitOf(handle, owner, int(ClassId::Structure)) ? 1 : 0;
}

} // namespace lumivane
