// Trigger: the walk of a script's stages, jumps and re-arming, and the
// trigger block of the scene-state file.
#include "desktop/scene/world/trigger.h"

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_file_format.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

std::function<void(const Trigger&)> triggerTrace;

uint32_t GameClock() {
    return GetSceneClock().gameTime;
}

} // namespace

Trigger::Trigger() = default;
Trigger::~Trigger() = default;

Trigger& Trigger::AddChild(std::unique_ptr<Trigger> child) {
    child->parent = this;
    children.push_back(std::move(child));
    return *children.back();
}

int Trigger::Update() {
    if (!active) return 0;
    if (pendingJump) {
        Trigger* jump = pendingJump;
        pendingJump = nullptr;
        jump->active = 0;
        jump->Activate();
        return jump->Update(*this, true, jumpRunsActions != 0);
    }
    if (currentStage) {
        // A child that fires moves the stage on, so the stage is held aside.
        Trigger* stage = currentStage;
        for (const std::unique_ptr<Trigger>& child : stage->children)
            if (child->Update(*this, false, true)) return 1;
        return 0;
    }
    return Update(*this, false, true);
}

bool Trigger::ConditionsHold() {
    if (conditions.empty()) return true;
    switch (CombineMode(combineMode)) {
    case CombineMode::Any:
        for (auto& condition : conditions)
            if (condition->Test()) return true;
        return false;
    case CombineMode::AllLatched: {
        // A condition met on an earlier frame stays met, so testing it again
        // could change nothing but what the test itself does: a passage test
        // would note another traveller, which a later trigger waiting for
        // that passage would then never see. Met conditions rest until the
        // latches clear.
        bool all = true;
        for (auto& condition : conditions) {
            if (!condition->latch && condition->Test()) condition->latch = 1;
            all = all && condition->latch;
        }
        return all;
    }
    case CombineMode::All:
        for (auto& condition : conditions)
            if (!condition->Test()) return false;
        return true;
    case CombineMode::None:
        for (auto& condition : conditions)
            if (condition->Test()) return false;
        return true;
    case CombineMode::NotAll:
        for (auto& condition : conditions)
            if (!condition->Test()) return true;
        return false;
    }
    return false; // an unknown mode never fires while it has conditions
}

int Trigger::Update(Trigger& top, bool skip, bool run) {
    if (!skip && !ConditionsHold()) return 0;
    if (triggerTrace) triggerTrace(*this);
    ClearLatches();
    if (run)
        for (auto& action : actions)
            action->Run();
    if (top.pendingJump) return 1;
    if (!children.empty()) {
        for (auto& child : children)
            child->BecomeActive();
        top.currentStage = this;
        return 1;
    }
    // The script has ended.
    top.currentStage = nullptr;
    top.active = 0;
    if (!top.once) top.BecomeActive();
    return 1;
}

void Trigger::BecomeActive() {
    active = 1;
    activationTime = GameClock();
    if (combineMode == int32_t(CombineMode::AllLatched)) ClearLatches();
}

int Trigger::Activate() {
    int previous = active;
    if (!active) BecomeActive();
    return previous;
}

void Trigger::Reset() {
    active = initiallyActive;
    activationTime = GameClock();
    currentStage = nullptr;
    pendingJump = nullptr;
    ClearLatches();
    for (auto& child : children)
        child->Reset();
}

void Trigger::ClearLatches() {
    for (auto& condition : conditions)
        condition->latch = 0;
}

Trigger& Trigger::Top() {
    Trigger* top = this;
    while (top->parent)
        top = top->parent;
    return *top;
}

Trigger* Trigger::Find(int32_t triggerId) {
    if (id == triggerId) return this;
    for (auto& child : children)
        if (Trigger* found = child->Find(triggerId)) return found;
    return nullptr;
}

void Trigger::Save(platform::BinaryWriter& file) const {
    file.WriteFixedString(name, kNameSize);
    file.WriteI32(id);
    file.WriteI32(initiallyActive);
    file.WriteI32(active);
    file.WriteU32(activationTime);
    file.WriteI32(once);
    file.WriteI32(furtherFlag);
    file.WriteI32(combineMode);
    file.WriteU32(uint32_t(conditions.size()));
    for (auto& condition : conditions)
        condition->Save(file);
    file.WriteU32(uint32_t(actions.size()));
    for (auto& action : actions)
        action->Save(file);
    file.WriteU32(uint32_t(children.size()));
    for (auto& child : children)
        child->Save(file);
    file.WriteI32(currentStage ? currentStage->id : -1);
}

bool Trigger::Load(platform::BinaryReader& file, uint32_t version, Scene& scene, int depth) {
    using namespace scene_file;
    if (depth > kMaxTriggerDepth) return false;
    if (!file.ReadFixedString(name, kNameSize)) return false;
    if (version > kTriggerIdAbove && !file.ReadI32(id)) return false;
    if (!file.ReadI32(initiallyActive)) return false;
    if (version > kTriggerActiveAbove && !(file.ReadI32(active) && file.ReadU32(activationTime)))
        return false;
    if (version > kTriggerOnceAbove && !file.ReadI32(once)) return false;
    if (version > kTriggerFurtherFlagAbove && !file.ReadI32(furtherFlag)) return false;
    if (!file.ReadI32(combineMode)) return false;

    // Each block takes at least four bytes, which bounds every count.
    uint32_t count = 0;
    if (!ReadCount(file, count, 4)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        auto condition = std::make_unique<TriggerCondition>();
        condition->owner = this;
        if (!condition->Load(file, version)) return false;
        conditions.push_back(std::move(condition));
    }
    if (!ReadCount(file, count, 4)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        auto action = std::make_unique<TriggerAction>();
        action->owner = this;
        if (!action->Load(file, version, scene)) return false;
        actions.push_back(std::move(action));
    }
    if (!ReadCount(file, count, 4)) return false;
    for (uint32_t i = 0; i < count; ++i) {
        auto child = std::make_unique<Trigger>();
        child->parent = this;
        if (!child->Load(file, version, scene, depth + 1)) return false;
        children.push_back(std::move(child));
    }
    if (version >= kTriggerStageFrom && !file.ReadI32(pendingStageId)) return false;
    return true;
}

void SetTriggerTrace(std::function<void(const Trigger&)> trace) {
    triggerTrace = std::move(trace);
}

void Trigger::ResolveStages(Scene& scene) {
    currentStage = pendingStageId < 0 ? nullptr : scene.FindTrigger(pendingStageId, nullptr);
    pendingStageId = -1;
    for (auto& child : children)
        child->ResolveStages(scene);
}

} // namespace lumivane
