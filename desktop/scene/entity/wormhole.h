// Wormhole: a gate that units pass through. What stands here is what the
// scene's triggers and the units ask of it before the celestial bodies are
// written: its passage list, the trigger actions of kind 16 attached to it,
// whose records a trigger condition takes one by one, and its travellers,
// the units that flew in and leave the scene shortly after. Reading its own
// record is refused until the class is written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "desktop/scene/entity/entity_kinds.h"

namespace lumivane {

class TriggerAction;

// A unit that entered the wormhole.
struct WormholeTraveller {
    int32_t owner = -1; // player index
    std::string prototype;
    float health = 0.0f;
    EntityHandle handle = kNoEntity;
    int32_t exitTime = 0; // game clock
};

// A traveller leaves the scene this long after its exit time.
inline constexpr int32_t kTravellerLeavesMs = 2000;

class Wormhole : public PendingEntity<uint8_t(ClassId::Wormhole)> {
public:
    Wormhole() = default;
    Node* Clone() override;
    // Entity's step; then the travellers whose time has come leave.
    void Update() override;

    // The action's records become passages (an action is listed once).
    void AddPassages(TriggerAction* action);
    void RemovePassages(const TriggerAction* action);
    // Marks the first passage not yet taken whose value is `value` (and,
    // with a name, whose name it is, any case) as taken; false when none.
    bool TakePassage(int32_t value, std::string_view name);

    const std::vector<TriggerAction*>& Passages() const { return passages; }

    // The unit passes: it leaves the scene 2 s after its exit time (2 s
    // later again when delayed). The wormhole opens and plays "spawn".
    void AddTraveller(Entity* unit, bool delayed);
    bool HasTraveller(EntityHandle unit) const;

    std::vector<WormholeTraveller> travellers;
    int32_t active = 0;

protected:
    Wormhole(const Wormhole& other) : PendingEntity(other) {}

private:
    std::vector<TriggerAction*> passages;
};

} // namespace lumivane
