// Player::Update: the local player's squad keys and the computer player's
// upkeep, builds and orders.
#include <algorithm>
#include <memory>
#include <string>

#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/message_queue.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

constexpr uint32_t kDoublePressMs = 500;
constexpr float kCueShare = 0.75f;
constexpr int kFirstSquadKey = 2; // the digit keys 1..9 and 0
constexpr uint32_t kSquadKeyEvent = 0x20;
constexpr uint32_t kFirstSquadEvent = 0x400;
constexpr uint32_t kSquadOrderEvent = 0x10;
constexpr uint32_t kUpkeepFrames = 10;
constexpr uint32_t kOrderFrames = 50;
constexpr int kEnemyPicks = 100;
constexpr int kMaxSiteDepth = 4;

// What a computer player keeps at least, by class number, in this order.
struct Upkeep {
    int classId;
    int minimum;
};
constexpr Upkeep kUpkeep[] = {{70, 1}, {132, 1}, {142, 2}, {156, 1}, {128, 1}, {140, 1},
                              {68, 1}, {131, 1}, {138, 1}, {69, 4},  {120, 4}, {81, 4}};

// The offensive share of each level 1..6.
constexpr double kOffensiveShare[kMaxAILevel] = {1.0, 0.8, 0.6, 0.4, 0.2, 0.0};

void Post(std::unique_ptr<Message> order, Unit& unit) {
    order->units.Append(unit.handle);
    unit.MarkOrdered();
    QueueMessage(std::move(order), 0);
}

} // namespace

void Player::Update() {
    if (IsLocal()) UpdateSquadKeys();
    if (GetSceneClock().frameTime <= 0.0f || aiLevel < 1 || aiLevel > kMaxAILevel) return;
    UpdateComputer();
}

void Player::UpdateSquadKeys() {
    const Keyboard* keyboard = GetKeyboardHolder();
    if (!keyboard) return;
    UserInputWords& words = GetUserInputWords();
    SceneSounds& sounds = GetSceneSounds();
    const uint32_t now = GetSceneClock().gameTime;
    for (int n = 0; n < kSquadCount; ++n) {
        const int key = n + kFirstSquadKey;
        if (!keyboard->pressed[key]) continue;
        Squad& squad = squads[n];
        if (keyboard->blocked == 0 && keyboard->blockedByCommand == 0 &&
            (words.permission[0] & kSquadKeyEvent)) {
            const bool firstPress = key != lastSquadKey || now - lastSquadKeyTime > kDoublePressMs;
            if (firstPress) {
                words.events[0] |= kSquadKeyEvent;
                GetCommandInterface().SelectUnits(squad.members, keyboard->IsShiftDown());
                sounds.PlayInterfaceCue(squad.Empty() ? InterfaceCue::SquadEmpty
                                                      : InterfaceCue::SquadSelected,
                                        kCueShare);
                lastSquadKey = key;
                lastSquadKeyTime = now;
                if (n == 0) words.events[1] |= kFirstSquadEvent;
                continue;
            }
            if (squad.Empty()) {
                sounds.PlayInterfaceCue(InterfaceCue::SquadEmpty, kCueShare);
            } else {
                sounds.PlayInterfaceCue(InterfaceCue::SquadSelected, kCueShare);
                Entity* framed[Squad::kSlots] = {};
                for (int slot = 0; slot < Squad::kSlots; ++slot) {
                    Unit* member = squad.members[slot];
                    if (member && !member->IsOrdered() && member->orderState != kOrderDepart)
                        framed[slot] = member;
                }
                GetSceneCamera().FocusOnUnits(framed);
            }
            lastSquadKey = -1;
            continue;
        }
        if (keyboard->blocked == 0 && keyboard->blockedByCommand == 2 &&
            (words.permission[1] & kSquadOrderEvent)) {
            auto order = std::make_unique<SquadOrder>();
            order->squad = n;
            order->slot = -1;
            for (const Unit* unit : units)
                if (unit->selected) order->units.Append(unit->handle);
            if (order->units.Empty()) {
                sounds.PlayInterfaceCue(InterfaceCue::SquadEmpty, kCueShare);
                continue;
            }
            QueueMessage(std::move(order), 0);
            words.events[1] |= kSquadOrderEvent;
            sounds.PlayInterfaceCue(InterfaceCue::SquadOrdered, kCueShare);
        }
    }
}

void Player::UpdateComputer() {
    const uint32_t frame = GetSceneClock().frame;
    if ((frame + index) % kUpkeepFrames == 0) {
        for (const Upkeep& upkeep : kUpkeep)
            EnsureUnitCount(upkeep.classId, upkeep.minimum);
        if (!IsBuilding() && resources > 0.0f) OrderRandomBuild();
    }
    if ((frame + index) % kOrderFrames == 0) GiveComputerOrders();
}

void Player::OrderRandomBuild() {
    // An empty list builds nothing.
    if (buildList.empty()) return;
    double total = 0.0;
    for (const BuildChoice& choice : buildList)
        total += choice.weight;
    double s = double(MainRandom().NextUnit()) * total;
    size_t pick = 0;
    for (; pick + 1 < buildList.size(); ++pick) {
        s -= buildList[pick].weight;
        if (s <= 0.0) break;
    }
    OrderBuild(buildList[pick].name);
}

void Player::GiveComputerOrders() {
    const World* world = GetWorld();
    if (!world) return;
    const std::vector<Unit*> idle = IdleUnits();
    const double share = kOffensiveShare[aiLevel - 1];
    const auto n = int64_t(idle.size());
    const int64_t quota = n - int64_t((1.001 - share) * double(n));
    int64_t counted = 0;
    for (Unit* unit : idle) {
        const bool offensive = counted < quota;
        ++counted;
        const int32_t state = unit->orderState;
        if (offensive) {
            if (state != kOrderIdle && state != kOrderFollow) continue;
            if (MainRandom().Next() & 1) {
                auto order = std::make_unique<Message>();
                order->type = order::kHunt;
                Post(std::move(order), *unit);
                continue;
            }
            Entity* enemyUnit = nullptr;
            for (int pick = 0; pick < kEnemyPicks && !enemyUnit && world->EntityCount() > 0;
                 ++pick) {
                Entity* candidate =
                    world->EntityAt(int(MainRandom().Next() % world->EntityCount()));
                const Unit* ship = AsUnit(candidate);
                if (ship && !IsA(ship, ClassId::Weapon) && ship->TargetForEnemies() &&
                    ship->owner && CountsAsEnemy(ship->owner->index) &&
                    !IsA(ship, ClassId::UtilityPod) && !IsA(ship, 81) && !IsA(ship, 120))
                    enemyUnit = candidate;
            }
            if (!enemyUnit) continue;
            auto order = std::make_unique<TargetOrder>(order::kAttack);
            order->target = enemyUnit->handle;
            Post(std::move(order), *unit);
            continue;
        }
        if (state != kOrderIdle && state != kOrderFollow && state != kOrderAttack &&
            state != kOrderHunt)
            continue;
        std::vector<Unit*> structures;
        for (Unit* own : units)
            if (IsA(own, ClassId::Structure)) structures.push_back(own);
        if (structures.empty()) continue;
        auto order = std::make_unique<TargetOrder>(order::kShadow);
        order->target = structures[MainRandom().Next() % structures.size()]->handle;
        Post(std::move(order), *unit);
    }
}

void Player::EnsureUnitCount(int classId, int minimum) {
    const ModelLibrary* library = GetModelLibrary();
    const Node* prototype = library ? library->FindByClass(classId) : nullptr;
    if (!prototype || !CanBuild(prototype)) return;
    int count = 0;
    for (const Unit* unit : units) {
        if (IsA(unit, classId)) ++count;
        count += unit->QueuedCount(prototype->Name());
    }
    if (count < minimum) OrderBuild(prototype->Name());
}

void Player::OrderBuild(std::string_view prototypeName) {
    const ModelLibrary* library = GetModelLibrary();
    const Node* prototype = library ? library->FindPrototype(prototypeName) : nullptr;
    Unit* builder = FindBuilder(prototypeName);
    if (!prototype || !builder) return;
    const int choice = builder->BuildChoiceOf(prototypeName);
    if (!IsA(prototype, ClassId::Structure)) {
        const int bay = int(MainRandom().Next() % 4) + 1;
        builder->AddToBuildQueue(choice, bay, builder->handle, "dummyship");
        return;
    }
    EntityHandle site = kNoEntity;
    std::string node;
    if (FindBuildSite(*builder, site, node)) builder->AddToBuildQueue(choice, 0, site, node);
}

bool Player::FindBuildSite(Unit& builder, EntityHandle& site, std::string& node) {
    struct Site {
        EntityHandle entity;
        std::string node;
    };
    std::vector<Site> sites;
    // A site is taken when a unit is attached there or the builder has a
    // build queued for it.
    auto attachedAt = [&](const Unit& base, const Node* connector) -> Unit* {
        for (Unit* unit : units)
            if (unit->ownerHandle == base.handle && unit->targetLinkNode == connector) return unit;
        return nullptr;
    };
    auto search = [&](auto& self, Unit& base, int depth) -> void {
        std::vector<std::string> names;
        if (base.FindByName("platformconnector"))
            for (int i = 1; i <= 2; ++i)
                names.push_back("platformconnector" + std::to_string(i));
        for (int i = 1; i <= 6; ++i) {
            std::string dummy = "dummyconnector" + std::to_string(i);
            names.push_back(base.FindByName(dummy) ? dummy : "connector" + std::to_string(i));
        }
        for (const std::string& name : names) {
            Node* connector = base.FindByName(name);
            // The node the base itself hangs by is no free site.
            if (!connector || (connector == base.ownLinkNode && base.ownerHandle >= 0)) continue;
            if (Unit* attached = attachedAt(base, connector)) {
                if (depth < kMaxSiteDepth) self(self, *attached, depth + 1);
                continue;
            }
            if (builder.HasQueuedSite(base.handle, name)) continue;
            sites.push_back({base.handle, name});
        }
    };
    search(search, builder, 1);
    // No free site, no build.
    if (sites.empty()) return false;
    const Site& chosen = sites[MainRandom().Next() % sites.size()];
    site = chosen.entity;
    node = chosen.node;
    return true;
}

} // namespace lumivane
