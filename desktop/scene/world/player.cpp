// Player: enemies, resources, build lists, units and squads.
#include "desktop/scene/world/player.h"

#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"

namespace lumivane {

const char* const kAILevelNames[kMaxAILevel + 1] = {
    "None or Human",
    "100% Offensive /   0% Defensive",
    " 80% Offensive /  20% Defensive",
    " 60% Offensive /  40% Defensive",
    " 40% Offensive /  60% Defensive",
    " 20% Offensive /  80% Defensive",
    "  0% Offensive / 100% Defensive",
};

namespace {

// Hubs and the classes of their group that have no class in this program.
bool IsHubLike(const Entity* unit) {
    return IsA(unit, ClassId::Hub) || IsA(unit, 129) || IsA(unit, 141);
}

} // namespace

Player::Player(int playerIndex) : index(uint8_t(playerIndex)) {
    std::fill(std::begin(lastClassAlert), std::end(lastClassAlert), kNeverAlerted);
    for (int i = 0; i < kSquadCount; ++i)
        squads[i].index = i;
    MakeDefaultEnemies();
    MakeDefaultBuildList();
}

Player::~Player() {
    // Units that outlive their player must not name it or its squads.
    for (Unit* unit : units) {
        unit->owner = nullptr;
        unit->squad = nullptr;
        unit->squadSlot = -1;
    }
}

void Player::MakeDefaultEnemies() {
    std::fill(std::begin(enemy), std::end(enemy), 0);
    // Players 0 and 1 start as each other's enemies.
    if (index == 0) enemy[1] = 1;
    if (index == 1) enemy[0] = 1;
}

void Player::MakeDefaultBuildList() {
    buildList.clear();
    const ModelLibrary* library = GetModelLibrary();
    if (!library) return;
    for (int i = 0; i < library->Count(); ++i) {
        Node* prototype = library->GetAt(i);
        if (!IsA(prototype, ClassId::Ship) || IsA(prototype, ClassId::Weapon)) continue;
        const auto* ship = static_cast<const Unit*>(prototype);
        if (ship->PropFlag("available")) buildList.push_back({std::string(ship->Name()), 1});
    }
}

int Player::Reset() {
    MakeDefaultEnemies();
    MakeDefaultBuildList();
    aiLevel = 0;
    lastSquadKey = -1;
    lastSquadKeyTime = 0;
    sensorPoints.clear();
    sightedEver[0] = sightedEver[1] = false;
    return 0;
}

int Player::SetAIByName(std::string_view name) {
    aiLevel = 0;
    for (int level = 0; level <= kMaxAILevel; ++level)
        if (platform::EqualsIgnoreCase(name, kAILevelNames[level])) aiLevel = level;
    return aiLevel;
}

bool Player::IsLocal() const {
    return GetPlayers().local == this;
}

uint32_t Player::GetColor(const Player* player) {
    const Player* local = GetPlayers().local;
    if (!player || !local) return kNeutralColour;
    if (player == local) return kLocalColour;
    return local->CountsAsEnemy(player->index) ? kEnemyColour : kNeutralColour;
}

void Player::AddResources(float amount) {
    resources = std::min(resources + amount, kMaxResources);
    if (resources > float(warningLevel) + 250.0f) warningLevel = 0;
}

int Player::SpendResources(float amount) {
    if (amount >= resources && warningLevel == 0 && IsLocal()) {
        QueueAnnouncement(GetAnnouncementSounds().lowResources);
        warningLevel = std::max(1, int32_t(resources));
    }
    if (amount > resources) return 0;
    resources -= amount;
    return 1;
}

void Player::SetBuildList(const std::vector<std::string>& names,
                          const std::vector<int32_t>& weights) {
    buildList.clear();
    for (size_t i = 0; i < names.size(); ++i)
        buildList.push_back({names[i], i < weights.size() ? weights[i] : 1});
}

bool Player::CanBuild(const Node* prototype) const {
    if (!prototype) return false;
    for (const BuildChoice& choice : buildList)
        if (platform::EqualsIgnoreCase(choice.name, prototype->Name())) return true;
    return false;
}

bool Player::IsBuilding() const {
    for (const Unit* unit : units)
        if (unit->IsBuilding()) return true;
    return false;
}

Unit* Player::FindBuilder(std::string_view prototype) {
    constexpr size_t kMaxCandidates = 20;
    std::vector<Unit*> candidates;
    for (Unit* unit : units) {
        if (candidates.size() == kMaxCandidates) break;
        if (!unit->IsBuilding() && unit->BuildChoiceOf(prototype) >= 0) candidates.push_back(unit);
    }
    if (candidates.empty()) return nullptr;
    return candidates[MainRandom().Next() % candidates.size()];
}

bool Player::AddUnit(Unit* unit) {
    if (!unit || int(units.size()) >= kMaxPlayerUnits ||
        std::find(units.begin(), units.end(), unit) != units.end())
        return false;
    units.push_back(unit);
    return true;
}

void Player::RemoveUnit(Unit* unit, bool promoteLeader) {
    auto found = std::find(units.begin(), units.end(), unit);
    if (found == units.end()) return;
    units.erase(found);
    for (Squad& squad : squads)
        squad.Remove(unit, promoteLeader);
    // Nothing of this player may keep naming it.
    for (Unit* other : units)
        other->ForgetLinksTo(unit->handle);
}

void Player::RemoveVisible(Entity* entity) {
    auto found = std::find(visible.begin(), visible.end(), entity);
    if (found == visible.end()) return;
    *found = visible.back();
    visible.pop_back();
}

int Player::DestroyUnits(bool a, bool b) {
    World* world = GetWorld();
    const std::vector<Unit*> snapshot = units;
    if (world) {
        for (Unit* unit : snapshot) {
            if (IsA(unit, ClassId::Structure) && !IsHubLike(unit)) continue;
            const bool quietly = IsHubLike(unit) ? a : b;
            if (quietly) {
                world->QueueRemove(unit, nullptr, true);
            } else {
                Entity* explosion = unit->Explode();
                world->QueueRemove(unit, explosion, true);
            }
        }
    }
    return int(units.size());
}

bool Player::CountsAsEnemy(int playerIndex) const {
    return playerIndex >= 0 && playerIndex < kPlayerCount && enemy[playerIndex] != 0;
}

Squad* Player::SquadAt(int32_t number) {
    return number < 0 ? nullptr : &squads[number % kSquadCount];
}

std::vector<Unit*> Player::IdleUnits() const {
    std::vector<Unit*> idle;
    for (Unit* unit : units)
        if (!IsA(unit, ClassId::Structure) && !unit->TaskGather() && !unit->IsOrdered())
            idle.push_back(unit);
    return idle;
}

PlayerRoster& GetPlayers() {
    static PlayerRoster roster;
    return roster;
}

PlayerSet::PlayerSet(int local) {
    for (int i = 0; i < kPlayerCount; ++i) {
        players[size_t(i)] = std::make_unique<Player>(i);
        GetPlayers().players[i] = players[size_t(i)].get();
    }
    GetPlayers().local = PlayerAt(local);
}

PlayerSet::~PlayerSet() {
    for (Player*& player : GetPlayers().players)
        player = nullptr;
    GetPlayers().local = nullptr;
}

Player* PlayerAt(int index) {
    return index >= 0 && index < kPlayerCount ? GetPlayers().players[index] : nullptr;
}

int PlayerIndexOf(const Player* player) {
    return player ? int(player->index) : -1;
}

} // namespace lumivane
