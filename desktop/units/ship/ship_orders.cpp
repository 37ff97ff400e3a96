// Ship: how a unit takes orders. Every record passes the same steps (a
// pending self-destruct is disarmed, auto repair gives way, a scrapping
// unit comes back into view, a formation member leaves the order to its
// leader, an order marked once-per-tick is taken once), then the order's
// code finds its row: the capability it needs and what it does. Also the
// command buttons' questions and the order a unit is left with.
#include <algorithm>
#include <memory>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/pilot/pilot.h"
#include "desktop/units/ship/order_params.h"
#include "desktop/units/ship/ship.h"
#include "desktop/units/ship/unit_settings.h"

namespace lumivane {

namespace {

constexpr float kRideReach = 30.0f; // a waypoint this close to a body rides on it
constexpr float kSmallestHalvedSpacing = 4.0f;
constexpr int kFullBay = 8;
constexpr int kSquadSlots = 20;

// Codes a formation member passes to its leader when the leader is told too.
bool MovesTheFormation(uint8_t code) {
    switch (code) {
    case order::kFollow:
    case order::kMove:
    case order::kAttack:
    case order::kHunt:
    case order::kStop:
    case order::kShadow:
    case order::kTargetList:
    case order::kWaypoint:
        return true;
    default:
        return false;
    }
}

bool Addresses(const Message& message, EntityHandle handle) {
    const auto handles = message.units.Handles();
    return std::find(handles.begin(), handles.end(), handle) != handles.end();
}

bool IsWorldSun(EntityHandle handle) {
    const World* world = GetWorld();
    const Entity* sun = world ? world->Sun() : nullptr;
    return sun && sun->handle == handle;
}

uint32_t Now() {
    return GetSceneClock().gameTime;
}

// Tells the structures of the owner attached to `unit` (and scrapping, or
// not, as asked) to take order 32 too.
void ForwardScrap(const Ship& unit, bool toScrapping) {
    if (!unit.owner) return;
    auto order = std::make_unique<Message>();
    order->type = order::kScrap;
    for (const Ship* other : Ships(unit.owner->units))
        if (IsA(other, ClassId::Structure) && other != &unit && other->ownerHandle == unit.handle &&
            (other->orderState == kOrderScrap) == toScrapping)
            order->units.Append(other->handle);
    if (!order->units.Empty()) QueueMessage(std::move(order), 1);
}

// The body a waypoint rides on: the nearest planet or wormhole, or hub the
// unit knows of, closer than 30 units after its radius; -1 for none.
EntityHandle RideFor(const Ship& unit, const Vec3& point) {
    const World* world = GetWorld();
    if (!world) return kNoEntity;
    const bool revealAll = GetDisplayState().revealAll;
    EntityHandle best = kNoEntity;
    float bestMeasure = kRideReach;
    for (int i = 0; i < world->EntityCount(); ++i) {
        const Entity* e = world->EntityAt(i);
        if (!e) continue;
        bool candidate = IsA(e, ClassId::Planet) || IsA(e, ClassId::Wormhole);
        if (!candidate && IsA(e, ClassId::Hub)) {
            const int owner = unit.owner ? unit.owner->index : -1;
            const bool known =
                owner >= 0 && owner < kIdentifiedPlayers && e->identification[owner] == kKnown;
            candidate = known || unit.seeAll || revealAll;
        }
        if (!candidate) continue;
        const float measure = (e->position - point).Length() - e->radius;
        if (measure < bestMeasure) {
            bestMeasure = measure;
            best = e->handle;
        }
    }
    return best;
}

// --- The orders -------------------------------------------------------------

using OrderHandler = void (*)(Ship&, Message&, const OrderParams&);

void Follow(Ship& s, Message&, const OrderParams& p) {
    s.orderState = kOrderFollow;
    s.target = p.Word(0);
    s.followDistance = p.Float(1);
    s.followOffset = p.Point(2);
    s.farMove = IsWorldSun(s.target) ? 0 : 1;
    s.PilotVoice(kVoiceFollow);
}

void Move(Ship& s, Message&, const OrderParams& p) {
    s.orderState = kOrderMove;
    s.movePoint = p.Point(0);
    s.farMove = (s.movePoint - s.position).Length() >= 2.0f * s.SensorRange() ? 1 : 0;
    s.PilotVoice(kVoiceMove);
}

void Attack(Ship& s, Message&, const OrderParams& p) {
    if (p.Word(0) == s.handle) return;
    s.orderState = kOrderAttack;
    s.target = p.Word(0);
    s.PilotVoice(kVoiceAttack);
}

void QueueBuild(Ship& s, Message&, const OrderParams& p) {
    s.AddToBuildQueue(p.Word(0), p.Word(1), p.Word(2), p.Text(3, kNameSize - 1));
}

void CancelBuild(Ship& s, Message&, const OrderParams& p) {
    s.RemoveFromBuildQueue(p.Word(0));
}

void FireRequest(Ship& s, int request) {
    if (!s.fadeFlag) s.fireRequest = request;
}
void FireOne(Ship& s, Message&, const OrderParams&) {
    FireRequest(s, 1);
}
void FireTwo(Ship& s, Message&, const OrderParams&) {
    FireRequest(s, 2);
}
void FireThree(Ship& s, Message&, const OrderParams&) {
    FireRequest(s, 3);
}

void Repair(Ship& s, Message&, const OrderParams&) {
    if (s.orderState == kOrderRepair) {
        s.RestoreSavedOrder();
        return;
    }
    if (s.FollowsSun() && s.CanMove()) s.farMove = 0;
    s.SaveCurrentOrder();
    s.returnPoint = s.position;
    s.orderState = kOrderRepair;
    s.target = kNoEntity;
}

void Hunt(Ship& s, Message&, const OrderParams&) {
    if (s.orderState == kOrderHunt) {
        s.FinishOrder();
        return;
    }
    s.orderState = kOrderHunt;
    s.target = kNoEntity;
}

void SelfDestruct(Ship& s, Message&, const OrderParams&) {
    if (s.selfDestructTime != 0) {
        s.selfDestructTime = 0;
        return;
    }
    // Armed at the clock's start it must still count as armed.
    s.selfDestructTime = int32_t(std::max<uint32_t>(Now(), 1));
    s.PilotVoice(kVoiceSelfDestruct);
}

void Gather(Ship& s, Message&, const OrderParams&) {
    s.orderState = kOrderGather;
    s.PilotVoice(kVoiceGather);
}

void JoinSquad(Ship& s, Message&, const OrderParams& p) {
    const int32_t number = p.Word(0);
    const int32_t slot = p.Word(1);
    // Only the owner's ten squads and their twenty places exist.
    if (!s.owner || number < 0 || number >= kSquadCount || slot >= kSquadSlots) return;
    s.SetSquad(&s.owner->squads[number], std::max(slot, -1));
}

void ToggleAutoAttack(Ship& s, Message&, const OrderParams&) {
    s.autoAttack = !s.autoAttack;
}
void ToggleAutoPursue(Ship& s, Message&, const OrderParams&) {
    s.autoPursue = !s.autoPursue;
}
void ToggleAutoRepair(Ship& s, Message&, const OrderParams&) {
    s.autoRepair = !s.autoRepair;
}

void StopOrder(Ship& s, Message&, const OrderParams&) {
    s.FinishOrder();
}

void Scrap(Ship& s, Message&, const OrderParams&) {
    const bool structure = IsA(&s, ClassId::Structure);
    if (s.orderState == kOrderScrap) {
        s.FinishOrder();
        if (structure) ForwardScrap(s, true);
        return;
    }
    s.orderState = kOrderScrap;
    s.target = kNoEntity;
    // Newest first; each removal takes one item, so the walk ends.
    for (size_t left = s.buildQueue.size(); left > 0 && !s.buildQueue.empty(); --left)
        s.RemoveFromBuildQueue(s.buildQueue.back().choice);
    if (structure) ForwardScrap(s, false);
}

void Shadow(Ship& s, Message&, const OrderParams& p) {
    if (p.Word(0) == s.handle) return;
    s.orderState = kOrderShadow;
    s.target = p.Word(0);
}

// Puts every other member of the leader's squad in its place at once.
void PlaceMembers(Ship& leader) {
    Squad* squad = leader.squad;
    for (Ship* member : Ships(squad->members)) {
        if (!member || member == &leader) continue;
        member->movePoint = {};
        const int k = squad->GetFormationIndex(member);
        member->position =
            member->FormationPosition(leader.formationKind, leader.formationSpacing, k, &leader);
        member->orientation = leader.orientation;
        member->PlaceLocalMatrix();
    }
}

void Formation(Ship& s, Message& message, const OrderParams& p) {
    Ship* leader = ShipOf(s.squad->GetLeader());
    const int8_t value = int8_t(p.Word(0) & 0xFF);
    if (leader != &s) {
        // The leader takes the order once however many members pass it on.
        if (leader) {
            message.type |= order::kOncePerTick;
            leader->HandleMessage(message);
        }
        if (value >= 3 || value < 0) {
            s.orderState = kOrderFormation;
            s.formationKind = uint8_t(value);
            s.movePoint = {};
        }
        return;
    }
    auto spreadSpacing = [&s] {
        for (Ship* member : Ships(s.squad->members))
            if (member) member->formationSpacing = s.formationSpacing;
    };
    if (value == 1) {
        s.formationSpacing *= 2.0f;
        spreadSpacing();
    } else if (value == 2) {
        if (s.formationSpacing >= kSmallestHalvedSpacing) s.formationSpacing *= 0.5f;
        spreadSpacing();
    } else if (value == 0) {
        s.formationKind = 0;
        for (Ship* member : Ships(s.squad->members))
            if (member && member != &s && member->orderState == kOrderFormation) {
                member->FinishOrder();
                member->formationKind = 0;
            }
    } else {
        s.formationKind = uint8_t(value);
    }
    const UnitSettings& settings = GetUnitSettings();
    const Scene* scene = GetScene();
    const bool sceneStarting = scene && Now() <= scene->startTime;
    if (settings.placeFormations && settings.placeAtSceneStart && sceneStarting &&
        s.formationKind != 0)
        PlaceMembers(s);
}

void TargetList(Ship& s, Message& message, const OrderParams&) {
    s.orderState = kOrderTargetList;
    const auto* list = dynamic_cast<const HandleListOrder*>(&message);
    s.targetList.clear();
    if (list) s.targetList.assign(list->route.begin(), list->route.begin() + list->RouteCount());
    s.target = kNoEntity;
    s.PilotVoice(kVoiceAttack);
}

void Waypoint(Ship& s, Message&, const OrderParams& p) {
    if (p.Word(0) != 0) {
        s.waypoints.clear();
        s.waypointRiders.clear();
        s.currentWaypoint = 0;
    }
    const Vec3 point = p.Point(1);
    s.waypoints.push_back(point);
    s.waypointRiders.push_back(RideFor(s, point));
    s.orderState = kOrderWaypoints;
    s.PilotVoice(kVoiceMove);
}

// A capability every row but a few needs.
using Gate = size_t ShipPropFields::*;

struct OrderRow {
    uint8_t code;
    Gate gate; // null: none
    OrderHandler run;
};

constexpr OrderRow kOrderRows[] = {
    {order::kFollow, nullptr, Follow}, // "task: move" or the follow switch, below
    {order::kMove, &ShipPropFields::taskMove, Move},
    {order::kAttack, &ShipPropFields::taskAttack, Attack},
    {order::kQueueBuild, &ShipPropFields::taskBuild, QueueBuild},
    {order::kCancelBuild, &ShipPropFields::taskBuild, CancelBuild},
    {order::kFire, nullptr, FireOne},
    {order::kWork, nullptr, FireOne},
    {order::kFireTwo, nullptr, FireTwo},
    {order::kFireThree, nullptr, FireThree},
    {order::kRepair, &ShipPropFields::taskRepair, Repair},
    {order::kHunt, &ShipPropFields::taskAttack, Hunt},
    {order::kSelfDestruct, &ShipPropFields::taskDestruct, SelfDestruct},
    {order::kGather, &ShipPropFields::taskGather, Gather},
    {order::kJoinSquad, nullptr, JoinSquad},
    {order::kToggleAutoAttack, &ShipPropFields::taskAutoAttack, ToggleAutoAttack},
    {order::kToggleAutoPursue, &ShipPropFields::taskAutoPursue, ToggleAutoPursue},
    {order::kToggleAutoRepair, &ShipPropFields::taskAutoRepair, ToggleAutoRepair},
    {order::kStop, &ShipPropFields::taskStop, StopOrder},
    {order::kScrap, &ShipPropFields::taskScrap, Scrap},
    {order::kShadow, &ShipPropFields::taskFollow, Shadow},
    {order::kFormation, &ShipPropFields::taskFormation, Formation},
    {order::kTargetList, &ShipPropFields::taskAttack, TargetList},
    {order::kWaypoint, &ShipPropFields::taskMove, Waypoint},
};

const OrderRow* FindRow(uint8_t code) {
    for (const OrderRow& row : kOrderRows)
        if (row.code == code) return &row;
    return nullptr;
}

} // namespace

void Ship::HandleMessage(Message& message) {
    const uint8_t code = message.Code();
    const int32_t now = int32_t(Now());
    if (code != order::kSelfDestruct) selfDestructTime = 0;
    if (autoRepair && ShipFlag(ShipFields().taskAutoRepair, true) && orderState == kOrderRepair)
        autoRepair = 0;
    if (orderState == kOrderScrap && fadeFlag) {
        SetFade(1.0f);
        EndFade();
    }
    if (orderState == kOrderFormation && MovesTheFormation(code) && squad) {
        const Ship* leader = ShipOf(squad->GetLeader());
        if (leader && leader != this) {
            if (Addresses(message, leader->handle)) return; // the leader takes it, we follow
            formationKind = 0;
        }
    }
    // Each unit tests its own copy of the once-per-tick mark: the record is
    // shared by every unit it addresses.
    if (message.OncePerTick() && lastOrderTick == now) return;
    lastOrderTick = now;

    const OrderRow* row = FindRow(code);
    if (!row) return;
    if (row->gate && !ShipFlag(ShipFields().*(row->gate), true)) return;
    if (code == order::kFollow && !CanMove() && !GetUnitSettings().followAlways) return;
    if (code == order::kScrap && fadeFlag && orderState != kOrderScrap) return;
    if (code == order::kFormation && !squad) return;
    OrderParams params(message);
    row->run(*this, message, params);
}

int Ship::CanAcceptOrder(int code) {
    if (fadeFlag && code != order::kScrap) return 0;
    const bool carrier = IsA(this, ClassId::Carrier) || IsA(this, ClassId::ATR);
    switch (code) {
    case order::kFire:
    case order::kFireTwo:
        return int64_t(Now()) >= int64_t(nextFireTime) && carried != 0;
    case order::kRepair:
        return CanRepair();
    case order::kGather:
        return carried != kFullBay;
    case order::kFireThree:
        return !carrier || carried != 0;
    case order::kRecall:
        return !IsA(this, ClassId::UtilityPod) || carried != 0;
    case order::kScrap:
        return CanScrap();
    case order::kRecallAll:
        return !carrier || (ownedCraft != 0 && ownedCraft != carried);
    case order::kFormation:
        return squad != nullptr;
    default:
        return 1;
    }
}

int Ship::IsOrderActive(int code) {
    const uint32_t now = Now();
    const bool fastBlinkOn = now % 250 < 125;
    const bool slowBlinkOff = now % 1000 < 500;
    switch (code) {
    case order::kRepair:
        return orderState == kOrderRepair;
    case order::kHunt:
        return orderState == kOrderHunt;
    case order::kSelfDestruct:
        return selfDestructTime != 0 && fastBlinkOn;
    case order::kGather:
        return orderState == kOrderGather;
    case order::kFireThree:
    case order::kTow:
        return 0; // the tug and the colony ship answer for themselves
    case order::kRecall:
        return orderState == kOrderClassState10 || orderState == kOrderClassState11;
    case order::kToggleAutoAttack:
        return autoAttack && !(orderState == kOrderAutoAttack && slowBlinkOff);
    case order::kToggleAutoPursue: {
        const float leash = savedOrder.state == kOrderShadow ? 25.0f : 50.0f;
        const bool near = (position - returnPoint).Length() < leash;
        return autoPursue && (orderState != kOrderAutoAttack || !slowBlinkOff || near);
    }
    case order::kToggleAutoRepair:
        return autoRepair && !(orderState == kOrderRepair && slowBlinkOff);
    case order::kScrap:
        return orderState == kOrderScrap && (!fadeFlag || fastBlinkOn);
    case order::kShadow:
        return orderState == kOrderShadow;
    case order::kFormation:
        return orderState == kOrderFormation || formationKind != 0;
    default:
        return orderState == code;
    }
}

void Ship::RequestSelfOrder() {
    auto order = std::make_unique<Message>();
    order->type = order::kRepair;
    order->units.Append(handle);
    QueueMessage(std::move(order), 0);
}

} // namespace lumivane
