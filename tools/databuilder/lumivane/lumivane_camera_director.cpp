// The camera director: a tree of triggers that picks the next shot whose
// units are in the thick of things and rides with them.
//
// The director is a top-level trigger without conditions that re-arms at
// the end of its script. Its children are the shots, twice over, then the
// fallbacks: first each shot after the last one taken (a script variable
// holds its number), then each shot from the first, so the choice wraps
// round. A shot fires when all its conditions hold: it comes after the
// last shot taken (the first time over only), a unit of its player is near
// its units, and (but for a fallback) they are near each of the field's
// marks. It notes its number, moves the camera to ride with its units and
// waits for one of its children: the time is up, or no unit of its player
// is near them any more (they were lost or left the fight), or they left
// the field; after a loss the place is looked at a moment. Each ends the
// script, and the director chooses again.
#include "tools/databuilder/lumivane/lumivane_camera_director.h"

#include <cmath>
#include <memory>
#include <string>

#include "desktop/display/camera/camera.h"
#include "desktop/display/camera/view_math.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/trigger.h"
#include "desktop/scene/world/trigger_action.h"
#include "desktop/scene/world/trigger_condition.h"
#include "tools/databuilder/lumivane/lumivane_camera_data.h"
#include "tools/databuilder/lumivane/lumivane_triggers.h"

namespace databuilder {

using namespace lumivane;

namespace {

// The shot, its time, its loss, the look after and its leaving the field.
constexpr int32_t kIdsPerShot = 5;
constexpr int32_t kBelow = 1;       // the comparison of a variable condition
constexpr int32_t kSetVariable = 0; // the operation of an arithmetic action
constexpr int32_t kSomeUnit = 0;    // the mode of a units-near condition

TriggerCondition& AddCondition(Trigger& trigger, ConditionType type) {
    auto condition = std::make_unique<TriggerCondition>();
    condition->type = int32_t(type);
    condition->owner = &trigger;
    trigger.conditions.push_back(std::move(condition));
    return *trigger.conditions.back();
}

// Holds while a unit of the shot's player is within `reach` of a live unit
// of the shot.
void AddPlayerNear(Trigger& trigger, const DirectorShot& shot, float reach) {
    TriggerCondition& near = AddCondition(trigger, ConditionType::UnitsNear);
    near.subject = shot.player;
    near.handles = shot.units;
    near.mode = kSomeUnit;
    near.distance = reach;
}

// Holds while some live unit of the shot is within `reach` of the mark.
void AddNearMark(Trigger& trigger, const DirectorShot& shot, EntityHandle mark, float reach) {
    TriggerCondition& near = AddCondition(trigger, ConditionType::Distance);
    near.subject = mark;
    near.handles = shot.units;
    near.mode = kSomeUnit;
    near.distance = reach;
}

enum class Choice { AfterLast, Any, Fallback };

std::unique_ptr<Trigger> ShotTrigger(const DirectorPlan& plan, const DirectorShot& shot,
                                     int32_t number, Choice choice, int32_t id) {
    auto trigger = std::make_unique<Trigger>();
    trigger->name = std::string("shot ") + shot.name;
    trigger->id = id;
    trigger->combineMode = int32_t(CombineMode::All);
    if (choice == Choice::AfterLast) {
        TriggerCondition& after = AddCondition(*trigger, ConditionType::Variable);
        after.name = plan.variable;
        after.comparison = kBelow;
        after.constant = number;
    }
    AddPlayerNear(*trigger, shot, shot.within);
    const bool onField = choice != Choice::Fallback && !plan.fieldMarks.empty();
    if (onField)
        for (EntityHandle mark : plan.fieldMarks)
            AddNearMark(*trigger, shot, mark, plan.fieldReach);

    // A fallback notes 0, so the next choice starts from the first shot.
    TriggerAction& note = AddAction(*trigger, action::kArithmetic);
    note.text = plan.variable;
    note.values = {kSetVariable, choice == Choice::Fallback ? 0 : number};
    // On the way the camera keeps the units in the middle of its picture.
    AddCameraPath(*trigger, {{shot.name, camera_move::kQuartic, plan.moveMs,
                              FollowView(shot.units, shot.direction, shot.distance), true}});

    trigger->AddChild(DelayTrigger("shot over", id + 1, plan.holdMs));
    auto lost = std::make_unique<Trigger>();
    lost->name = "shot lost";
    lost->id = id + 2;
    lost->combineMode = int32_t(CombineMode::None);
    AddPlayerNear(*lost, shot, shot.within * plan.leaveFactor);
    lost->AddChild(DelayTrigger("loss seen", id + 3, plan.afterLossMs));
    trigger->AddChild(std::move(lost));
    if (onField) {
        auto strayed = std::make_unique<Trigger>();
        strayed->name = "shot left the field";
        strayed->id = id + 4;
        strayed->combineMode = int32_t(CombineMode::NotAll);
        for (EntityHandle mark : plan.fieldMarks)
            AddNearMark(*strayed, shot, mark, plan.fieldLeft);
        trigger->AddChild(std::move(strayed));
    }
    return trigger;
}

} // namespace

int AddCameraDirector(Scene& scene, const DirectorPlan& plan) {
    auto director = std::make_unique<Trigger>();
    director->name = "director";
    director->id = plan.firstTriggerId;
    director->once = 0;
    director->active = 0;
    director->initiallyActive = 0;
    director->combineMode = int32_t(CombineMode::Any);
    int32_t id = plan.firstTriggerId + 2;
    for (Choice choice : {Choice::AfterLast, Choice::Any})
        for (size_t i = 0; i < plan.shots.size(); ++i, id += kIdsPerShot)
            director->AddChild(ShotTrigger(plan, plan.shots[i], int32_t(i) + 1, choice, id));
    for (const DirectorShot& fallback : plan.fallbacks) {
        director->AddChild(ShotTrigger(plan, fallback, 0, Choice::Fallback, id));
        id += kIdsPerShot;
    }
    scene.AddTrigger(std::move(director));

    auto start = DelayTrigger("director starts", plan.firstTriggerId + 1, plan.startMs);
    TriggerAction& activate = AddAction(*start, action::kActivate);
    activate.values = {plan.firstTriggerId, 1};
    scene.AddTrigger(std::move(start));
    return 2;
}

Vec3 LookDirection(const Vec3& direction, float yawDegrees, float downDegrees) {
    const float yaw = std::atan2(direction.x, direction.z) + yawDegrees * kDegree;
    const float down = downDegrees * kDegree;
    return {std::sin(yaw) * std::cos(down), -std::sin(down), std::cos(yaw) * std::cos(down)};
}

float PrototypeRadius(const char* prototype) {
    const ModelLibrary* library = GetModelLibrary();
    const Node* found = library ? library->FindPrototype(prototype) : nullptr;
    return IsA(found, ClassId::Entity) ? static_cast<const Entity*>(found)->radius : 0.0f;
}

float DistanceToSpan(float radius, float share) {
    // The camera's picture is an eighth of a turn wide.
    return radius / (std::tan(kPi / 8.0f) * share);
}

} // namespace databuilder
