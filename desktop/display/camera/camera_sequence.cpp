// Camera: scripted camera paths. Trigger action 12 holds a list of camera
// keys; played as a sequence, each key is a timed move of its type to its
// view, a cut that then waits its duration, or a hold. A step starts once
// the one before it is done: a cut or hold when its time has passed (on
// the game clock, or on the real clock that many times faster), a move
// when it has arrived (or the user stopped it).
#include "desktop/display/camera/camera.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/trigger_action.h"

namespace lumivane {

namespace {

const TriggerAction* CameraPathOf(const Trigger* trigger) {
    if (!trigger) return nullptr;
    for (const auto& action : trigger->actions)
        if (action && action->type == action::kCameraPath) return action.get();
    return nullptr;
}

} // namespace

uint32_t Camera::SequenceClock() const {
    const SceneClock& clock = GetSceneClock();
    return sequence_.clock ? clock.realTime : clock.gameTime;
}

void Camera::StartSequence(const TriggerAction* action, int step, int clockFlag) {
    sequence_.trigger = action && action->owner ? action->owner->id : -1;
    sequence_.step = step;
    sequence_.clock = uint32_t(clockFlag);
    sequence_.stepStart = SequenceClock();
    if (step > 0 && action && size_t(step) <= action->cameraKeys.size()) {
        // Resuming: the camera stands where the step before left it.
        const CameraKey& before = action->cameraKeys[size_t(step - 1)];
        SetView(before.view);
        if (before.kind == camera_move::kHold) sequence_.stepStart -= before.duration;
        transition_.moving = 0;
    }
    transition_.arrivalSpeed = 0.0f;
}

bool Camera::SequenceStepDone(const CameraKey& before) const {
    if (before.kind != camera_move::kCut && before.kind != camera_move::kHold)
        return !transition_.moving;
    const uint32_t divisor = sequence_.clock ? sequence_.clock : 1;
    return SequenceClock() - sequence_.stepStart >= before.duration / divisor;
}

void Camera::StartSequenceStep(std::span<const CameraKey> keys, int step) {
    const size_t i = size_t(step);
    sequence_.stepStart = SequenceClock();
    if (i == 0) sequenceOrigin_.Assign(current_);
    const CameraKey& key = keys[i];
    if (key.kind == camera_move::kHold) return;
    auto isHold = [&](size_t k) { return keys[k].kind == camera_move::kHold; };
    const CameraView* pre = nullptr;
    if (i == 1)
        pre = &sequenceOrigin_;
    else if (i >= 2 && !isHold(i - 1) && !isHold(i - 2))
        pre = &keys[i - 2].view;
    const CameraView* post = i + 1 < keys.size() && !isHold(i + 1) ? &keys[i + 1].view : nullptr;
    MoveTo(key.view, float(key.duration) / 1000.0f, key.lookAt != 0, sequence_.clock, key.kind, pre,
           post);
}

void Camera::PlaySequence() {
    while (sequence_.trigger >= 0) {
        Scene* scene = GetScene();
        const TriggerAction* path =
            scene ? CameraPathOf(scene->FindTrigger(sequence_.trigger)) : nullptr;
        // A path that is gone, or a step outside it (from a file or an
        // action), ends the sequence.
        if (!path || sequence_.step < 0 || size_t(sequence_.step) >= path->cameraKeys.size()) {
            sequence_.trigger = -1;
            return;
        }
        const std::span<const CameraKey> keys = path->cameraKeys;
        if (sequence_.step > 0 && !SequenceStepDone(keys[size_t(sequence_.step - 1)])) return;
        StartSequenceStep(keys, sequence_.step);
        ++sequence_.step;
        if (size_t(sequence_.step) >= keys.size()) sequence_.trigger = -1;
    }
}

} // namespace lumivane
