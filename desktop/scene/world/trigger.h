// Scene triggers: the tree that scripts a scene. A trigger holds conditions,
// actions and child triggers; when its conditions hold (combined by its
// mode) its actions run and its children become the next stage, so a
// top-level trigger walks through a script of stages, re-arming at the end
// unless it fires once. Jumps (an action naming another trigger) override
// the stage on the next frame.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/trigger_condition.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

class Scene;

// How a trigger's conditions combine.
enum class CombineMode : int32_t {
    Any = 0,        // fires at the first condition that holds
    AllLatched = 1, // each condition met stays met until the trigger fires
    All = 2,        // every condition holds this frame
    None = 3,       // no condition holds
    NotAll = 4,     // some condition fails
};

// Nested deeper than this, a trigger block is taken for a damaged file.
inline constexpr int kMaxTriggerDepth = 64;

class Trigger {
public:
    static constexpr size_t kNameSize = 32;

    Trigger();
    ~Trigger();
    Trigger(const Trigger&) = delete;
    Trigger& operator=(const Trigger&) = delete;

    // The top-level entry: runs the pending jump, else the current stage's
    // children, else the trigger itself. 1 when something fired.
    int Update();
    // Evaluates `this` on behalf of the top-level trigger `top`: tests the
    // conditions unless `skip`, runs the actions when `run`, and moves the
    // script on. 1 when it fired.
    int Update(Trigger& top, bool skip, bool run);
    // Makes an inactive trigger active from now (mode 1 forgets what was
    // met); answers the previous active flag.
    int Activate();
    // Back to the start: active as initially, no stage, nothing latched;
    // for the whole subtree.
    void Reset();
    void ClearLatches();
    // The top-level trigger of this one's tree.
    Trigger& Top();
    // Depth-first: this trigger, then each child's subtree.
    Trigger* Find(int32_t triggerId);

    void Save(platform::BinaryWriter& file) const;
    // Reads a block of `version`; a damaged block answers false.
    bool Load(platform::BinaryReader& file, uint32_t version, Scene& scene, int depth = 0);
    // Resolves the stage ids read by Load over the scene's whole tree.
    void ResolveStages(Scene& scene);

    std::string name;
    Trigger* parent = nullptr;
    int32_t id = -1;
    int32_t active = 1;
    int32_t initiallyActive = 1;
    uint32_t activationTime = 0;
    int32_t once = 1;
    int32_t furtherFlag = 1; // kept and saved
    int32_t combineMode = int32_t(CombineMode::AllLatched);
    std::vector<std::unique_ptr<TriggerCondition>> conditions;
    std::vector<std::unique_ptr<TriggerAction>> actions;
    std::vector<std::unique_ptr<Trigger>> children;
    Trigger* currentStage = nullptr;
    Trigger* pendingJump = nullptr;
    int32_t jumpRunsActions = 0;

    // Adds a child that this trigger owns.
    Trigger& AddChild(std::unique_ptr<Trigger> child);

private:
    bool ConditionsHold();
    void BecomeActive();

    int32_t pendingStageId = -1; // read, resolved by ResolveStages
};

// Tools follow a script through this: it is told of every trigger that
// fires. Null (the default) tells nobody.
void SetTriggerTrace(std::function<void(const Trigger&)> trace);

} // namespace lumivane
