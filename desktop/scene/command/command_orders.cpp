// The orders of a release in mode 2: a waypoint with Ctrl, a move to the
// ground, an attack on an enemy or asteroid, or following a friendly unit;
// each queued through the message queue, acknowledged with a sound and
// marked with the order beacon, or refused when no own ship can take it.
#include <algorithm>
#include <cmath>
#include <memory>

#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/message.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

namespace {

constexpr float kGroundOrderHeight = 0.5f;
constexpr uint32_t kWhite = 0xffffffffu;

// The selected ships of the local player.
void AddressOwnShips(Message& order, const std::vector<Entity*>& selected) {
    const Player* local = GetPlayers().local;
    for (Entity* unit : selected) {
        const Unit* ship = AsUnit(unit);
        if (ship && local && ship->owner == local) order.units.Append(unit->handle);
    }
}

void PlayCue(InterfaceCue cue) {
    GetSceneSounds().PlayInterfaceCue(cue, 1.0f);
}

uint32_t LocalColour() {
    return Player::GetColor(GetPlayers().local);
}

} // namespace

void CommandInterface::SetBeacon(const Vec3& position, uint32_t colour) {
    beaconOn = 1;
    beaconPosition = position;
    beaconTime = GetSceneClock().gameTime;
    beaconColor = colour;
}

void CommandInterface::GiveOrder(Entity* unit) {
    UserInputWords& words = GetUserInputWords();
    Vec3 destination = dragStart;
    const float limit = std::max(GetSceneBounds().heightLimit, 0.0f);
    destination.y = (words.permission[1] & kAllowOrderHeight)
                        ? std::clamp(std::isfinite(orderHeight) ? orderHeight : 0.0f, -limit, limit)
                        : 0.0f;
    const std::vector<Entity*> selected = selection.Resolve();
    if (selected.empty()) return;
    const uint32_t moveEvent =
        std::fabs(destination.y) <= kGroundOrderHeight ? kEventMoveLow : kEventMoveHigh;
    const Keyboard* keyboard = GetKeyboardHolder();

    // Queues an order that some own ship takes, or refuses it.
    auto send = [&](std::unique_ptr<Message> order, uint32_t event, InterfaceCue cue,
                    const Vec3& at, uint32_t colour) {
        if (order->units.Empty()) {
            PlayCue(InterfaceCue::OrderRefused);
            return;
        }
        words.events[1] |= event;
        QueueMessage(std::move(order), 1);
        PlayCue(cue);
        SetBeacon(at, colour);
    };

    if (keyboard && keyboard->IsCtrlDown()) {
        auto order = std::make_unique<WaypointOrder>();
        order->restart = waypointChain ? 0 : 1;
        order->point = destination;
        AddressOwnShips(*order, selected);
        send(std::move(order), moveEvent, InterfaceCue::MoveAcknowledged, destination,
             LocalColour());
        waypointChain = 1;
        return;
    }
    if (!unit || unit->handle != pressedUnit) {
        auto order = std::make_unique<MoveOrder>();
        order->destination = destination;
        AddressOwnShips(*order, selected);
        send(std::move(order), moveEvent, InterfaceCue::MoveAcknowledged, destination,
             LocalColour());
        return;
    }
    const Player* local = GetPlayers().local;
    const Unit* ship = AsUnit(unit);
    const bool enemy = ship && local && ship->owner && local->CountsAsEnemy(ship->owner->index);
    if (enemy || IsA(unit, ClassId::Asteroid)) {
        auto order = std::make_unique<TargetOrder>(order::kAttack);
        order->target = unit->handle;
        AddressOwnShips(*order, selected);
        const uint32_t colour = ship ? Player::GetColor(ship->owner) : kWhite;
        send(std::move(order), kEventAttack, InterfaceCue::AttackAcknowledged, unit->position,
             colour);
        return;
    }
    // Any selected unit follows a friendly one; with none selected there is
    // nothing to send and the record is simply dropped.
    auto order = std::make_unique<FollowOrder>();
    order->target = unit->handle;
    order->distance = 2.0f * unit->radius;
    order->offset = {0.0f, 1.0f, 0.0f};
    for (Entity* member : selected)
        order->units.Append(member->handle);
    if (order->units.Empty()) return;
    QueueMessage(std::move(order), 1);
    PlayCue(InterfaceCue::FollowAcknowledged);
    SetBeacon(unit->position, kWhite);
}

} // namespace lumivane
