// The mining yard of the scene steps.
#include "tools/databuilder/lumivane/lumivane_mining_yard.h"

#include <cmath>
#include <cstdio>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "tools/databuilder/lumivane/lumivane_triggers.h"

namespace databuilder {

namespace {

using namespace lumivane;

constexpr int kOreRocks = 5;
constexpr float kOreRingRadius = 11.0f;
constexpr float kHaulDistance = 9.0f; // from the tug to the rock it hauls

void AddTow(Scene& scene, const char* name, int32_t id, uint32_t delayMs, EntityHandle tug,
            EntityHandle rock) {
    auto trigger = DelayTrigger(name, id, delayMs);
    TriggerAction& action = AddAction(*trigger, action::kAttack); // a tug tows what it attacks
    action.handles = {tug};
    action.values = {rock};
    scene.AddTrigger(std::move(trigger));
}

void AddHaul(Scene& scene, int32_t id, uint32_t delayMs, EntityHandle tug, Vec3 to) {
    auto trigger = DelayTrigger("haul it away", id, delayMs);
    TriggerAction& action = AddAction(*trigger, action::kMove);
    action.handles = {tug};
    action.values = {kNoEntity};
    action.point = to;
    scene.AddTrigger(std::move(trigger));
}

} // namespace

bool AddMiningYard(StandaloneScene& scene, const MiningYard& yard, const char* step,
                   MiningYardUnits* placed) {
    bool ok = true;
    auto spawn = [&](const char* prototype, Vec3 at, int player) -> Entity* {
        SpawnRecord record;
        record.position = at;
        record.player = player;
        Entity* made = scene.scene.SpawnByName(prototype, record);
        if (!made) {
            std::fprintf(stderr, "%s: cannot place %s\n", step, prototype);
            ok = false;
        }
        return made;
    };
    Entity* bay = spawn("podbay", yard.bayAt, yard.player);
    // The ore lies in an arc on the far side of the bay from the Sun.
    Vec3 out = yard.bayAt;
    out.y = 0.0f;
    const float away = out.Length() > 0.0f ? std::atan2(out.x, out.z) : 0.0f;
    for (int i = 0; i < kOreRocks; ++i) {
        const float angle = away + (float(i) - 2.0f) * 0.45f;
        spawn("orerock", yard.bayAt + Vec3(std::sin(angle), 0.0f, std::cos(angle)) * kOreRingRadius,
              -1);
    }
    Entity* tug = spawn("tug", yard.tugAt, yard.player);
    Entity* first = spawn("orerock", yard.tugAt + Vec3(0, 0, -kHaulDistance), -1);
    Entity* second = spawn("orerock", yard.tugAt + Vec3(kHaulDistance, 0, 0), -1);
    scene.world.JoinPending();
    if (placed) {
        placed->podBay = bay ? bay->handle : kNoEntity;
        placed->tug = tug ? tug->handle : kNoEntity;
        placed->lastRock = second ? second->handle : kNoEntity;
    }
    if (tug && first && second) {
        AddTow(scene.scene, "tow a rock", yard.firstTriggerId, yard.towAtMs, tug->handle,
               first->handle);
        AddHaul(scene.scene, yard.firstTriggerId + 1, yard.haulAtMs, tug->handle,
                yard.tugAt + yard.haulBy);
        AddTow(scene.scene, "tow another", yard.firstTriggerId + 2, yard.switchTowAtMs, tug->handle,
               second->handle);
    }
    return ok;
}

} // namespace databuilder
