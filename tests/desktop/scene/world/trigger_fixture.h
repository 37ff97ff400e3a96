// Triggers built by hand for the trigger tests of the scene engine and of
// the unit library: conditions, actions, user events, and a fixture with
// the built data's prototypes and a top-level trigger whose actions it runs.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "desktop/scene/world/trigger.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane::test {

inline TriggerCondition& AddCondition(Trigger& trigger, ConditionType type) {
    auto condition = std::make_unique<TriggerCondition>();
    condition->type = int32_t(type);
    condition->owner = &trigger;
    trigger.conditions.push_back(std::move(condition));
    return *trigger.conditions.back();
}

inline TriggerAction& AddAction(Trigger& trigger, int32_t type, std::vector<int32_t> values = {}) {
    auto action = std::make_unique<TriggerAction>();
    action->type = type;
    action->values = std::move(values);
    action->owner = &trigger;
    trigger.actions.push_back(std::move(action));
    return *trigger.actions.back();
}

// A user-event condition on bit `mask` of the first event word.
inline void AddEventCondition(Trigger& trigger, uint32_t mask) {
    AddCondition(trigger, ConditionType::UserEvent).mask1 = mask;
}

inline void SetEvents(uint32_t word) {
    GetUserInputWords().events[0] = word;
}

inline Trigger& NewTrigger(Scene& scene, int32_t id, int32_t mode = 1) {
    auto trigger = std::make_unique<Trigger>();
    trigger->id = id;
    trigger->combineMode = mode;
    return scene.AddTrigger(std::move(trigger));
}

// Every test runs in a scene with the built data's prototypes and a
// top-level trigger whose actions it runs.
class TriggerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(fixture.LoadLibrary());
        trigger = &NewTrigger(*fixture.scene, 100);
    }
    TriggerAction& Action(int32_t type, std::vector<int32_t> values = {}) {
        return AddAction(*trigger, type, std::move(values));
    }
    std::vector<std::string>& Calls() { return fixture.display.calls; }

    SceneFixture fixture;
    Trigger* trigger = nullptr;
};

} // namespace lumivane::test
