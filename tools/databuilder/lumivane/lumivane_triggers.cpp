// Scene-script pieces shared by the data builder's scenes.
#include "tools/databuilder/lumivane/lumivane_triggers.h"

#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/trigger_condition.h"

namespace databuilder {

using namespace lumivane;

std::unique_ptr<Trigger> DelayTrigger(const char* name, int32_t id, uint32_t delayMs) {
    auto trigger = std::make_unique<Trigger>();
    trigger->name = name;
    trigger->id = id;
    auto condition = std::make_unique<TriggerCondition>();
    condition->type = int32_t(ConditionType::Delay);
    condition->delay = delayMs;
    condition->owner = trigger.get();
    trigger->conditions.push_back(std::move(condition));
    return trigger;
}

TriggerAction& AddAction(Trigger& trigger, int32_t type) {
    auto action = std::make_unique<TriggerAction>();
    action->type = type;
    action->owner = &trigger;
    trigger.actions.push_back(std::move(action));
    return *trigger.actions.back();
}

TriggerAction& ShowSceneText(Trigger& trigger, int32_t id, const char* fallback, int32_t slot) {
    TriggerAction& text = AddAction(trigger, action::kShowText);
    text.text = fallback;
    text.id = id;
    text.values = {slot};
    return text;
}

} // namespace databuilder
