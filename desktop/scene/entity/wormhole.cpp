// Wormhole: the passage list and the travellers.
#include "desktop/scene/entity/wormhole.h"

#include <algorithm>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"

namespace lumivane {

Node* Wormhole::Clone() {
    auto* copy = new Wormhole(*this);
    copy->InitClone(this);
    return copy;
}

void Wormhole::AddPassages(TriggerAction* action) {
    if (action && std::find(passages.begin(), passages.end(), action) == passages.end())
        passages.push_back(action);
}

void Wormhole::RemovePassages(const TriggerAction* action) {
    std::erase(passages, action);
}

bool Wormhole::TakePassage(int32_t value, std::string_view name) {
    for (TriggerAction* action : passages)
        for (PassageRecord& record : action->passages) {
            if (record.values[PassageRecord::kConsumed] != 0 ||
                record.values[PassageRecord::kPassageValue] != value)
                continue;
            if (!name.empty() && !platform::EqualsIgnoreCase(record.name, name)) continue;
            record.values[PassageRecord::kConsumed] = 1;
            return true;
        }
    return false;
}

void Wormhole::Update() {
    Entity::Update();
    World* world = GetWorld();
    const int64_t now = GetSceneClock().gameTime;
    for (const WormholeTraveller& traveller : travellers) {
        Entity* unit = world ? world->GetEntity(traveller.handle) : nullptr;
        if (unit && now >= int64_t(traveller.exitTime) + kTravellerLeavesMs &&
            !world->IsQueuedForRemoval(unit))
            world->QueueRemove(unit, this, true);
    }
}

void Wormhole::AddTraveller(Entity* unit, bool delayed) {
    if (!unit) return;
    WormholeTraveller traveller;
    traveller.owner = PlayerIndexOf(unit->owner);
    if (const Node* proto = unit->Prototype()) traveller.prototype = std::string(proto->Name());
    traveller.health = unit->health;
    traveller.handle = unit->handle;
    traveller.exitTime = int32_t(GetSceneClock().gameTime) + (delayed ? kTravellerLeavesMs : 0);
    travellers.push_back(std::move(traveller));
    if (sequencer) sequencer->Play("spawn", sequenceStates, 0);
    active = 1;
}

bool Wormhole::HasTraveller(EntityHandle unit) const {
    return std::any_of(travellers.begin(), travellers.end(),
                       [unit](const WormholeTraveller& t) { return t.handle == unit; });
}

} // namespace lumivane
