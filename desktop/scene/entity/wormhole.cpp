// Wormhole: the passage list.
#include "desktop/scene/entity/wormhole.h"

#include <algorithm>

#include "desktop/scene/world/trigger_action.h"
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

} // namespace lumivane
