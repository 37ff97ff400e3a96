// UtilityPod: the three work states. Gather (9) flies to the nearest
// asteroid and mines it by touch until the hold is full; return home (10)
// flies through a bay's two markers, unloads at the inner one and goes back
// out; repair (14) holds beside a unit that waits in state 13 and mends it
// (and restocks a carrier's bay) at its owner's cost.
#include <algorithm>
#include <cmath>
#include <string>

#include "desktop/scene/entity/entity_props.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/pod/utility_pod.h"
#include "desktop/units/ship/prop_scale.h"
#include "desktop/units/ship/steering_math.h"

namespace lumivane {

namespace {

constexpr float kArmsOutReach = 4.0f; // x the two radii: the arms go out
constexpr float kBeyondAsteroid = 100.0f;
constexpr float kHomeTurnBoost = 4.0f; // "angular thrust" while docking
constexpr float kNodePace = 0.3f;
constexpr float kNodeSpeed = 0.2f;
constexpr float kRepairStandOff = 1.2f;
constexpr float kRepairReach = 2.0f;
constexpr float kRestockShare = 0.1f;
constexpr int kFullBay = 8;

bool InsideScene(const Vec3& p) {
    const SceneBounds& bounds = GetSceneBounds();
    return std::fabs(p.y) <= bounds.heightLimit && std::hypot(p.x, p.z) <= bounds.radius;
}

bool IsHome(const Ship& unit) {
    return (IsA(&unit, ClassId::PodBay) || IsA(&unit, ClassId::MiningStation)) &&
           !unit.IsFadingOut();
}

// The owner's nearest bay or mining station that is not fading, or null.
Ship* NearestHome(const UtilityPod& pod) {
    if (!pod.owner) return nullptr;
    Ship* best = nullptr;
    float bestDistance = 0.0f;
    for (Ship* unit : Ships(pod.owner->units)) {
        if (!unit || unit == &pod || !IsHome(*unit)) continue;
        const float distance = (unit->position - pod.position).Length();
        if (!best || distance < bestDistance) {
            best = unit;
            bestDistance = distance;
        }
    }
    return best;
}

float MaxHealth(const Entity& e) {
    return e.props ? e.props->Float(EntityFields().healthMax) : 0.0f;
}

} // namespace

void UtilityPod::UpdateState9() {
    World* world = GetWorld();
    if (!world) return;
    Entity* asteroid = nullptr;
    if (cargo < GatherTotal()) {
        asteroid = world->GetEntity(target);
        if (!IsA(asteroid, ClassId::Asteroid) || !InsideScene(asteroid->position)) {
            asteroid = world->FindNearest(handle, nullptr, int(ClassId::Asteroid));
            target = asteroid ? asteroid->handle : kNoEntity;
        }
    }
    if (!asteroid) {
        SendHome();
        return;
    }
    if (world->relativisticMode) {
        MovingFrame frame(*this, asteroid);
        SteerTo(asteroid->position + DirectionTo(position, asteroid->position) * kBeyondAsteroid);
    } else {
        ApproachTarget(asteroid);
    }
    const float reach = kArmsOutReach * (radius + asteroid->radius);
    if ((asteroid->position - position).Length() < reach)
        ArmsOut();
    else
        ArmsIn();
}

void UtilityPod::UpdateState10() {
    ArmsIn();
    Ship* bay = NearestHome(*this);
    if (!bay) {
        FinishOrder();
        UpdateFollow();
        orderState = kOrderClassState10;
        target = kNoEntity;
        return;
    }
    target = bay->handle;
    if ((bay->position - position).Length() < 2.0f * bay->radius) canCollide = 0;
    if (approachNode.empty()) approachNode = "baymarker1-2";

    ScopedPropScale turning(ShipBlock(), ShipFields().angularThrust, kHomeTurnBoost);
    const bool special = GetWorld() && GetWorld()->relativisticMode;
    char& phase = approachNode.back();
    if (phase != '1') {
        if (cargo > 0.0f) {
            if (UpdateMoveToNode(special ? 4.0f * radius : radius)) phase = '1';
        } else if (ApproachNode(4.0f * radius, kNodePace, kNodeSpeed, 0)) {
            orderState = kOrderGather;
            target = kNoEntity;
        }
        return;
    }
    if (!ApproachNode(0.5f * radius, kNodePace, kNodeSpeed, 0)) return;
    if (owner) owner->AddResources(cargo);
    cargo = 0.0f;
    carried = 0;
    phase = '2';
    const float most = MaxHealth(*this);
    if (health < most) Repair(most - health);
}

void UtilityPod::UpdateState14() {
    World* world = GetWorld();
    Ship* patient = AsShip(world ? world->GetEntity(target) : nullptr);
    if (!patient || patient->orderState != kOrderRepair || patient->target != handle) {
        orderState = kOrderGather;
        target = kNoEntity;
        return;
    }
    {
        MovingFrame frame(*this, patient);
        const Vec3 toward = DirectionTo(patient->position, position);
        SteerTo(patient->position + toward * (kRepairStandOff * patient->radius));
    }
    if ((patient->position - position).Length() >= kRepairReach * patient->radius) {
        ArmsIn();
        return;
    }
    const ShipPropFields& f = ShipFields();
    const float cost = patient->ShipFloat(f.cost, 100.0f);
    const bool carrier = IsA(patient, ClassId::Carrier) || IsA(patient, ClassId::ATR);
    if (carrier && patient->ownedCraft < kFullBay && owner) {
        const float price = kRestockShare * cost;
        // Paid only for a craft really restocked.
        if (owner->SpendResources(price) && !patient->RestockBay()) owner->AddResources(price);
    }
    const float most = MaxHealth(*patient);
    const float mend = GetSceneClock().frameTime * patient->ShipFloat(f.repairUnitsPerSecond, 5.0f);
    if (most > 0.0f && patient->health < most && owner) {
        const float share = patient->ShipFloat(f.repairCostShare, 0.5f);
        if (owner->SpendResources(share / most * cost * mend)) patient->Repair(mend);
    }
    ArmsOut();
}

} // namespace lumivane
