// Placing the ship classes in the armada scene, with their script.
#include "tools/databuilder/lumivane/lumivane_armada_classes.h"

#include <bit>
#include <cstdio>
#include <string>
#include <vector>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/trigger.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "desktop/units/ship_base/ship.h"
#include "desktop/units/ships/prefab_kit.h"
#include "tools/databuilder/lumivane/lumivane_triggers.h"
#include "tools/databuilder/lumivane/lumivane_waves.h"

namespace databuilder {

namespace {

using lumivane::EntityHandle;
using lumivane::Vec3;

constexpr int kSettlers = 4;
constexpr int32_t kSettlerGapMs = 1500;
constexpr uint32_t kOrdersAtMs = 1000;
constexpr uint32_t kColonyAtMs = 4000;

struct Placed {
    const char* prototype;
    Vec3 offset; // from the squadron's place
};

constexpr Placed kWestSquadron[] = {
    {"rotary gunship", {0, 0, -6}}, {"rotary gunship", {0, 0, 6}}, {"catamaran", {-4, 0, 0}},
    {"interceptor", {2, 2, -10}},   {"interceptor", {2, -2, 10}},  {"missile boat", {-6, 0, -8}},
    {"probe", {4, 1, 0}},
};
constexpr Placed kEastSquadron[] = {
    {"rotary gunship", {0, 0, 5}}, {"catamaran", {2, 0, -5}},      {"interceptor", {-2, 2, 12}},
    {"missile boat", {6, 0, 8}},   {"interceptor", {-2, -2, -12}},
};

struct Placer {
    lumivane::Scene& scene;
    lumivane::World& world;
    const char* step;
    bool ok = true;

    lumivane::Entity* Put(const char* prototype, Vec3 at, int player, float heading) {
        lumivane::SpawnRecord record;
        record.position = at;
        record.player = player;
        record.orientation = lumivane::Quat::MakeAxisAngle({0, 1, 0}, heading);
        lumivane::Entity* made = scene.SpawnByName(prototype, record);
        if (!made) {
            std::fprintf(stderr, "%s: cannot place %s\n", step, prototype);
            ok = false;
        }
        world.JoinPending();
        return made;
    }

    std::vector<EntityHandle> Squadron(const Placed* units, int count, Vec3 at, int player,
                                       float heading) {
        std::vector<EntityHandle> handles;
        for (int i = 0; i < count; ++i)
            if (lumivane::Entity* unit =
                    Put(units[i].prototype, at + units[i].offset, player, heading))
                handles.push_back(unit->handle);
        return handles;
    }
};

std::unique_ptr<lumivane::Trigger> Order(const char* name, int32_t id, uint32_t delayMs,
                                         int32_t type, std::vector<EntityHandle> units,
                                         EntityHandle target) {
    auto trigger = DelayTrigger(name, id, delayMs);
    lumivane::TriggerAction& action = AddAction(*trigger, type);
    action.handles = std::move(units);
    action.values = {target};
    return trigger;
}

} // namespace

int PlaceArmadaClasses(lumivane::Scene& scene, lumivane::World& world,
                       const ArmadaClassesPlan& plan, const char* step) {
    constexpr float kFacingEast = 1.5707964f;
    constexpr float kFacingWest = -1.5707964f;
    Placer place{scene, world, step};
    const Vec3 west = plan.centre + Vec3(-22, 0, 0);
    const Vec3 east = plan.centre + Vec3(22, 0, 0);
    std::vector<EntityHandle> westFighters =
        place.Squadron(kWestSquadron, int(std::size(kWestSquadron)), west, plan.west, kFacingEast);
    std::vector<EntityHandle> eastFighters =
        place.Squadron(kEastSquadron, int(std::size(kEastSquadron)), east, plan.east, kFacingWest);

    // The east's mining station is the mark of the bomber and of the mine
    // layer, which sows its mines on the way: a mark that stays put keeps
    // the run (and the enemies that go for the layer) in the battle, where
    // a ship that flees would draw it out of the scene.
    lumivane::Entity* station =
        place.Put("mining station", east + Vec3(10, 0, -14), plan.east, kFacingWest);
    lumivane::Entity* sweeper =
        place.Put("minesweeper", east + Vec3(8, 0, 16), plan.east, kFacingWest);
    lumivane::Entity* bomber =
        place.Put("bomber", west + Vec3(-10, 4, -14), plan.west, kFacingEast);
    lumivane::Entity* layer =
        place.Put("mine layer", west + Vec3(-8, 0, 16), plan.west, kFacingEast);
    lumivane::Entity* shuttle =
        place.Put("shuttle", west + Vec3(-16, 3, 0), plan.west, kFacingEast);
    lumivane::Entity* colony =
        place.Put("colony ship", plan.centre + Vec3(0, 6, -30), plan.west, kFacingEast);
    lumivane::Entity* kit = place.Put("prefab kit", plan.centre + Vec3(0, -4, 30), plan.west, 0.0f);
    if (!place.ok || !station || !sweeper || !bomber || !layer || !shuttle || !colony || !kit)
        return -1;
    int added = 0;
    if (plan.waves) {
        plan.waves->west.opening = westFighters;
        plan.waves->east.opening = eastFighters;
        FleetBuilder build{scene, world, step};
        if (AddWaves(build, *plan.waves).empty() || !build.ok) return -1;
        westFighters = plan.waves->west.opening;
        eastFighters = plan.waves->east.opening;
        added += kWaveTriggers;
    }
    if (plan.cast) {
        const auto* prefab = lumivane::IsA(kit, lumivane::ClassId::PrefabKit)
                                 ? static_cast<const lumivane::PrefabKit*>(kit)
                                 : nullptr;
        *plan.cast = {.bomber = bomber->handle,
                      .mineLayer = layer->handle,
                      .colonyShip = colony->handle,
                      .shuttle = shuttle->handle,
                      .kit = kit->handle,
                      .hub = prefab ? prefab->reservedHandle : lumivane::kNoEntity,
                      .miningStation = station->handle,
                      .minesweeper = sweeper->handle};
    }
    // The kit unfolds from the first frame; the hub stands 30 s later.
    static_cast<lumivane::Ship*>(kit)->fireRequest = 1;

    int32_t id = plan.firstTriggerId;
    auto add = [&](std::unique_ptr<lumivane::Trigger> trigger) {
        scene.AddTrigger(std::move(trigger));
        ++added;
    };
    add(Order("squadron west hunts", id++, kOrdersAtMs, lumivane::action::kHunt, westFighters,
              lumivane::kNoEntity));
    add(Order("squadron east hunts", id++, kOrdersAtMs, lumivane::action::kHunt, eastFighters,
              lumivane::kNoEntity));
    add(Order("bomber run", id++, kOrdersAtMs, lumivane::action::kAttack, {bomber->handle},
              station->handle));
    add(Order("mine run", id++, kOrdersAtMs, lumivane::action::kAttack, {layer->handle},
              station->handle));
    // The shuttle keeps by the colony ship: an idle unit coasts on for
    // ever, and the enemy's hunters would chase it out of the scene.
    add(Order("shuttle escorts", id++, kOrdersAtMs, lumivane::action::kFollow, {shuttle->handle},
              colony->handle));

    // The colony ship sends out its settlers one after another.
    auto settlers = DelayTrigger("settlers leave", id++, kColonyAtMs);
    lumivane::TriggerAction& passage = AddAction(*settlers, lumivane::action::kPassage);
    passage.values = {colony->handle};
    for (int s = 0; s < kSettlers; ++s) {
        lumivane::PassageRecord record;
        record.name = "settler";
        record.values[lumivane::PassageRecord::kDelay] = s == 0 ? 0 : kSettlerGapMs;
        record.values[lumivane::PassageRecord::kReservedHandle] = lumivane::kNoEntity;
        record.values[lumivane::PassageRecord::kPlayer] = plan.west;
        record.values[lumivane::PassageRecord::kSquad] = -1;
        record.values[lumivane::PassageRecord::kHealthFraction] = std::bit_cast<int32_t>(1.0f);
        record.values[lumivane::PassageRecord::kNoDamage] = 0;
        passage.passages.push_back(record);
    }
    add(std::move(settlers));
    return added;
}

} // namespace databuilder
