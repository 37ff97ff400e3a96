// Unit: leaving the players' books, the sensor-chain links of the
// player's record, and the unit library's scene-start hook.
#include "desktop/scene/entity/unit.h"

#include "desktop/scene/world/player.h"
#include "desktop/scene/world/squad.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

SceneStartHook sceneStartHook = nullptr;

} // namespace

Unit::~Unit() {
    for (Player* player : GetPlayers().players)
        if (player) player->RemoveUnit(this, false);
    if (squad) squad->Remove(this, true);
}

bool Unit::LosesTargetOnTransfer() const {
    return orderState == kOrderAttack || orderState == kOrderHunt ||
           orderState == kOrderAutoAttack || orderState == kOrderTargetList;
}

// --- Sensor chains ----------------------------------------------------------

void Unit::LeaveChain() {
    const World* world = GetWorld();
    Unit* previous = world ? AsUnit(world->GetEntity(playerRecord.chainPrevious)) : nullptr;
    Unit* next = world ? AsUnit(world->GetEntity(playerRecord.chainNext)) : nullptr;
    if (previous) previous->playerRecord.chainNext = playerRecord.chainNext;
    if (next) next->playerRecord.chainPrevious = playerRecord.chainPrevious;
    playerRecord.chainPrevious = kNoEntity;
    playerRecord.chainNext = kNoEntity;
    playerRecord.chainHead = handle;
}

void Unit::AppendToChain(Unit& other, EntityHandle head) {
    playerRecord.chainNext = other.handle;
    other.playerRecord.chainPrevious = handle;
    other.playerRecord.chainNext = kNoEntity;
    other.playerRecord.chainHead = head;
}

void Unit::ForgetLinksTo(EntityHandle gone) {
    if (gone < 0) return;
    if (playerRecord.chainPrevious == gone) playerRecord.chainPrevious = kNoEntity;
    if (playerRecord.chainNext == gone) playerRecord.chainNext = kNoEntity;
    if (playerRecord.chainHead == gone) playerRecord.chainHead = handle;
}

// --- The unit library's hook ------------------------------------------------

void SetUnitSceneStartHook(SceneStartHook hook) {
    sceneStartHook = hook;
}

void RunUnitSceneStartHook() {
    if (sceneStartHook) sceneStartHook();
}

} // namespace lumivane
