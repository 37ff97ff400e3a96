// Pieces of scene scripts for the data builder's scenes: a trigger that
// fires after a delay, an action appended to a trigger, and the action that
// shows a text of the scene's companion table in a display slot.
#pragma once

#include <cstdint>
#include <memory>

#include "desktop/scene/world/trigger.h"

namespace databuilder {

// A trigger that fires `delayMs` after it becomes active.
std::unique_ptr<lumivane::Trigger> DelayTrigger(const char* name, int32_t id, uint32_t delayMs);

lumivane::TriggerAction& AddAction(lumivane::Trigger& trigger, int32_t type);

// Shows text `id` of the companion table (or `fallback`) in display slot
// `slot` (0..4).
lumivane::TriggerAction& ShowSceneText(lumivane::Trigger& trigger, int32_t id, const char* fallback,
                                       int32_t slot);

} // namespace databuilder
