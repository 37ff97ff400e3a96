// Wormhole: a gate that units pass through. What stands here is what the
// scene's triggers ask of it before the celestial bodies are written: its
// passage list, the trigger actions of kind 16 attached to it, whose records
// a trigger condition takes one by one. Reading its own record is refused
// until the class is written.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "desktop/scene/entity/entity_kinds.h"

namespace lumivane {

class TriggerAction;

class Wormhole : public PendingEntity<uint8_t(ClassId::Wormhole)> {
public:
    Wormhole() = default;
    Node* Clone() override;

    // The action's records become passages (an action is listed once).
    void AddPassages(TriggerAction* action);
    void RemovePassages(const TriggerAction* action);
    // Marks the first passage not yet taken whose value is `value` (and,
    // with a name, whose name it is, any case) as taken; false when none.
    bool TakePassage(int32_t value, std::string_view name);

    const std::vector<TriggerAction*>& Passages() const { return passages; }

protected:
    Wormhole(const Wormhole& other) : PendingEntity(other) {}

private:
    std::vector<TriggerAction*> passages;
};

} // namespace lumivane
