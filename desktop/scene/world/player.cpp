// Player: units, enemies and what the local player sees.
#include "desktop/scene/world/player.h"

#include <algorithm>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_props.h"

namespace lumivane {

Player::Player(int playerIndex) : index(uint8_t(playerIndex)) {
    std::fill(std::begin(lastClassAlert), std::end(lastClassAlert), kNeverAlerted);
    // Players 0 and 1 start as each other's enemies.
    if (playerIndex == 0) enemy[1] = 1;
    if (playerIndex == 1) enemy[0] = 1;
}

void Player::OnEntityJoined(Entity* entity) {
    if (!entity || index >= kPlayerCount) return;
    bool known = entity->owner == this ||
                 (entity->props && entity->props->Flag(EntityFields().alwaysIdentified));
    entity->identification[index] = known ? kKnown : 0;
    if (known && GetPlayers().local == this &&
        std::find(visible.begin(), visible.end(), entity) == visible.end())
        visible.push_back(entity);
}

void Player::UpdateUnits() {}

bool Player::AddUnit(Ship* unit) {
    if (!unit || int(units.size()) >= kMaxPlayerUnits ||
        std::find(units.begin(), units.end(), unit) != units.end())
        return false;
    units.push_back(unit);
    return true;
}

void Player::RemoveUnit(Ship* unit, bool) {
    units.erase(std::remove(units.begin(), units.end(), unit), units.end());
}

void Player::RemoveVisible(Entity* entity) {
    auto found = std::find(visible.begin(), visible.end(), entity);
    if (found == visible.end()) return;
    *found = visible.back();
    visible.pop_back();
}

bool Player::CountsAsEnemy(int playerIndex) const {
    return playerIndex >= 0 && playerIndex < kPlayerCount && enemy[playerIndex] != 0;
}

PlayerRoster& GetPlayers() {
    static PlayerRoster roster;
    return roster;
}

Player* PlayerAt(int index) {
    return index >= 0 && index < kPlayerCount ? GetPlayers().players[index] : nullptr;
}

int PlayerIndexOf(const Player* player) {
    return player ? int(player->index) : -1;
}

} // namespace lumivane
