// Camera::Update: the frame's step in its fixed order. The input steps live
// in camera_input.cpp, the sequence in camera_sequence.cpp, the motion in
// camera_motion.cpp and the chase in camera_chase.cpp.
#include <algorithm>

#include "desktop/display/camera/camera.h"

namespace lumivane {

void Camera::Update() {
    Frame frame = BeginFrame(); // Alt slows input and motion
    DropUnknownTargets();
    resolvedTargets_ = ComputeTargetBounds(current_.targets, targetCentre_, targetRadius_);
    ComputeSpeedFactors(frame);
    if (!transition_.moving && (current_.position - targetCentre_).Length() > 10.0f * targetRadius_)
        interaction_.clickState = 0;
    ReadDrag(frame);
    if (frame.released) ClickFocusStep();
    EdgeScroll(frame);
    ReadWheel(frame);
    ReadKeys(frame);
    interaction_.inputHeld = frame.acted ? interaction_.inputHeld + frame.dt : 0.0f;
    ApplyMomentum(frame);
    if (frame.acted) transition_.moving = 0;

    const Vec3 startPosition = current_.position;
    CoastStep();
    PlaySequence();
    AdvanceMove(frame.dt);
    Follow();
    if (!ChaseStep(frame)) {
        if (sequence_.trigger < 0) LevelHorizon(frame.dt);
        Pan();
        OrbitAndTilt(frame.dt);
        Zoom(frame);
        SunOrbit();
    }
    Finish(startPosition);
    Apply();
}

} // namespace lumivane
