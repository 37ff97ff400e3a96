// JTCamera: construction, the setters that keep the derived values in step,
// the steering by the user (mouse drag, wheel and arrow keys through a
// damped velocity model, glide, idle orbit, ground motion, turning and
// tilting about the focus within limits, zoom within distance limits) and
// the matrices rebuilt each frame with the sway ("bob") of the view.
#include "Jentra/JTCamera.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Jentra/JTCursor.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTUserOptions.h"

namespace {

constexpr float kPi = 3.14159265358979f;
// One bob unit turns the view by 0.4 degrees.
constexpr float kBobRadiansPerUnit = 0.006981317f;
constexpr uint32_t kBobPeriod = 10000;

float VerticalFov(float fov, float aspect) {
    return 2.0f * std::atan(std::tan(0.5f * fov) / aspect);
}

JTVec3 Turn(const JTVec3& v, const JTVec3& axis, float angle) {
    if (angle == 0.0f) return v;
    return JTVec3TransformNormal(v, JTMatrixRotationAxis(axis, angle));
}

constexpr float kTiltPerCount = 0.034906585f;   // 2 degrees
constexpr float kRotatePerCount = -0.02617994f; // 1.5 degrees
constexpr float kWheelZoomPerCount = -0.004166667f;
constexpr float kArrowTurnPerSecond = 0.20943952f; // 12 degrees
constexpr float kArrowMovePerSecond = 75.0f;
constexpr float kFineControl = 0.04f; // while Alt is held
constexpr int kFastDragCounts = 4;
constexpr uint32_t kFastDragShiftMs = 250;
// The camera never looks above the horizon nor straight down.
constexpr float kLowestTilt = 1.605703f;    // 92 degrees from straight up
constexpr float kHighestTilt = 3.0368729f;  // 174 degrees
constexpr float kPushBackTilt = 3.0543263f; // 175 degrees
// Damping at or above 1 would let the motion grow without end, whatever
// inertia the settings hold.
constexpr float kMaxDamping = 0.99f;
constexpr float kMaxRotateStep = 0.07f;
constexpr float kMaxTiltStep = 0.07f;
constexpr float kMaxZoomStep = 0.8f;
constexpr float kGlideRate = 0.0005f; // 1 / two seconds in ms

const JTUserOptions& Options() {
    static const JTUserOptions defaults;
    return gpJTGame ? *gpJTGame->GetUserOptions() : defaults;
}

float AngleBetween(const JTVec3& a, const JTVec3& b) {
    const float d = JTVec3Dot(a, b);
    if (d >= 1.0f) return 0.0f;
    if (d <= -1.0f) return kPi;
    return std::acos(d);
}

// What is left of the smoothed motion after `seconds` (frames shorter than
// 1/30 s damp as if they were that long).
float DampingFactor(float inertia, float seconds) {
    const float k =
        std::pow(0.0004f * inertia * inertia * inertia * inertia, std::max(seconds, 1.0f / 30.0f));
    return std::min(k, kMaxDamping);
}

bool KeyHeld(int key) {
    return gpJTKeyboard && gpJTKeyboard->KeyDown(key, -1);
}

} // namespace

JTCamera::JTCamera()
    : fov(kPi / 4.0f), fovv(VerticalFov(kPi / 4.0f, 1.0f)), minDist(-FLT_MAX), maxDist(FLT_MAX) {}

void JTCamera::SetView(JTVec3 eye, JTVec3 newDir, JTVec3 newUp) {
    pos = eye;
    dir = newDir;
    right = JTVec3Cross(newUp, dir);
    up = JTVec3Cross(dir, right);
    // An up along the direction leaves no right: the vectors become zero
    // rather than numbers that are not numbers.
    dir = JTVec3Normalize(dir);
    right = JTVec3Normalize(right);
    up = JTVec3Normalize(up);
}

void JTCamera::SetFOV(float newFov) {
    fov = newFov;
    fovv = VerticalFov(fov, aspect);
}

void JTCamera::SetAspect(float newAspect) {
    aspect = newAspect;
    fovv = VerticalFov(fov, aspect);
}

void JTCamera::SetLink(JTID* id) {
    if (id) {
        linked = 1;
        std::memcpy(link.bytes, id->bytes, sizeof link.bytes);
    } else {
        linked = 0;
    }
}

void JTCamera::SetBob(float amplitude1, float rate1, float amplitude2, float rate2) {
    bobAmplitude1 = amplitude1;
    bobRate1 = rate1;
    bobAmplitude2 = amplitude2;
    bobRate2 = rate2;
}

void JTCamera::Update() {
    if (!IsHUD() && !(gpCursor && !gpCursor->InCamera(this))) Steer();
    UpdateMatrices();
}

void JTCamera::StartGlide(const JTVec3& vector) {
    glide = 1;
    glideStart = gdwTime;
    glideVector = vector;
}

void JTCamera::Steer() {
    const JTUserOptions& options = Options();
    const float tiltSign = options.ReverseTilt ? -1.0f : 1.0f;
    const float zoomSign = options.ReverseZoom ? -1.0f : 1.0f;
    const JTVec3 startPos = pos;

    // 1-3: gain, step, distance factor and key acceleration.
    float gain = options.MouseSens * 0.2f;
    float step = dtReal;
    if (gpJTKeyboard && gpJTKeyboard->Alt()) {
        gain *= kFineControl;
        step *= kFineControl;
    }
    const float distance = 0.2f * JTVec3Length(pos - focus) + 1.0f;
    const float held = keyHeldTime;
    const float accel = held < 0.0f ? 0.5f : held >= 4.0f ? 10.0f : 2.375f * held + 0.5f;

    // 4: this frame's inputs.
    float rotate = 0, tilt = 0, zoom = 0, strafe = 0, forward = 0, roll = 0;

    // 5: dragging with the right button.
    if (dragging && !(gpJTMouse && gpJTMouse->Down(1))) {
        dragging = 0;
        if (gpCursor && cursorWasVisible) gpCursor->ShowCursor(true);
        if (gpJTMouse) gpJTMouse->SetRelative(false);
    }
    if ((controls & kMouseDrag) && gpJTMouse && !(gpCursor && gpCursor->GetCapture()) &&
        gpJTMouse->Down(1)) {
        if (!dragging) {
            dragging = 1;
            dragStart = gdwRealTime;
            cursorWasVisible = gpCursor && gpCursor->GetOpacity() > 0.0f ? 1 : 0;
            if (gpCursor) gpCursor->ShowCursor(false);
            gpJTMouse->SetRelative(true);
        }
        const int dx = gpJTMouse->GetRelX(), dy = gpJTMouse->GetRelY();
        if ((std::abs(dx) > kFastDragCounts || std::abs(dy) > kFastDragCounts) &&
            dragStart > kFastDragShiftMs)
            dragStart -= kFastDragShiftMs;
        if (dy) {
            if (gpJTMouse->Down(0))
                zoom = 2.0f * zoomSign * float(dy) * gain * distance;
            else if (gpJTKeyboard && gpJTKeyboard->Ctrl())
                roll = float(dy) * gain * kTiltPerCount;
            else
                tilt = tiltSign * float(dy) * gain * kTiltPerCount;
        }
        rotate = float(dx) * gain * kRotatePerCount;
    }

    // 6: the wheel.
    if ((controls & kWheelZoom) && gpJTMouse && !gpJTMouse->Down(2) && !options.DisableMouseWheel &&
        gpJTMouse->GetRelZ())
        zoom = float(gpJTMouse->GetRelZ()) * zoomSign * distance * kWheelZoomPerCount;

    // 7: the arrow keys, by the keyboard's arrow mode.
    if ((controls & kArrowKeys) && gpJTKeyboard && !gpJTKeyboard->IsCaptured()) {
        const bool keyUp = KeyHeld(DIK_UP), keyDown = KeyHeld(DIK_DOWN);
        const bool keyLeft = KeyHeld(DIK_LEFT), keyRight = KeyHeld(DIK_RIGHT);
        const float move = kArrowMovePerSecond * step * accel * distance;
        switch (gpJTKeyboard->GetArrowMode()) {
        case 0:
            if (keyUp) forward += move;
            if (keyDown) forward -= move;
            if (keyLeft) strafe -= move;
            if (keyRight) strafe += move;
            break;
        case 1:
            if (keyUp) tilt = tiltSign * step * -kPi / 4;
            if (keyDown) tilt = tiltSign * step * kPi / 4;
            if (keyLeft) rotate = step * kArrowTurnPerSecond;
            if (keyRight) rotate = -step * kArrowTurnPerSecond;
            break;
        case 2:
            if (keyUp) zoom = zoomSign * step * accel * distance * -2.0f;
            if (keyDown) zoom = zoomSign * step * accel * distance * 2.0f;
            break;
        }
    }

    // 8: idle time and key acceleration.
    if (rotate || tilt || zoom || strafe || forward || roll) {
        idleTimer = 0;
        keyHeldTime += step;
    } else {
        keyHeldTime = 0;
        idleTimer += dtReal;
    }

    // 9: rotation gives way to zooming.
    rotate *= std::clamp(1.0f - 0.8f * std::fabs(zoom), 0.2f, 1.0f);

    // 10: damping.
    const float k = DampingFactor(options.CameraInertia, dtReal);
    smoothRotate = std::clamp(k * smoothRotate + rotate, -kMaxRotateStep, kMaxRotateStep);
    smoothTilt = std::clamp(k * smoothTilt + tilt, -kMaxTiltStep, kMaxTiltStep);
    smoothZoom = std::clamp(k * smoothZoom + zoom, -kMaxZoomStep, kMaxZoomStep);
    smoothStrafe = k * smoothStrafe + strafe;
    smoothForward = k * smoothForward + forward;
    smoothHeight = k * smoothHeight;

    // 11: glide, on game time.
    if (glide) {
        const float t = float(gdwTime - glideStart) * kGlideRate;
        if (t >= 1.0f)
            glide = 0;
        else
            pos = pos + glideVector * (dt * (1.0f - t * t * t * t));
    }

    // 12
    prevFocus = focus;

    // 13: the idle orbit, breathing in and out.
    float useRotate = smoothRotate, useTilt = smoothTilt, useZoom = smoothZoom;
    if (idleStartTime > 0.0f && idleTimer > idleStartTime) {
        useRotate -= dt * 0.1f;
        useTilt -= (0.1f * std::sin(2 * kPi * float(gdwTime % 50000) / 50000.0f) + 0.001f) * dt;
        useZoom -= 0.35f * dt * std::sin(2 * kPi * float(gdwTime % 130000) / 130000.0f);
    }

    // 14: over the ground.
    const JTVec3 worldUp(0, 1, 0);
    const JTVec3 groundForward = JTVec3Normalize(JTVec3Cross(right, worldUp));
    pos = pos + groundForward * smoothForward + right * smoothStrafe;
    pos.y += smoothHeight;

    // 15: turn about the world's up axis, then tilt within the limits.
    JTVec3 p = pos - focus;
    const float yaw = -0.5f * useRotate;
    dir = Turn(dir, worldUp, yaw);
    up = Turn(up, worldUp, yaw);
    p = Turn(p, worldUp, yaw);
    right = JTVec3Cross(up, dir);
    const float a = AngleBetween(dir, worldUp);
    float t = -0.5f * useTilt;
    if (a > kPushBackTilt) t = 4.0f * (a - kHighestTilt) * step;
    t = std::clamp(t, a - kHighestTilt, a - kLowestTilt);
    // A camera without a right (up along its direction) has no tilt axis.
    const JTVec3 axis = JTVec3Normalize(right);
    if (JTVec3Length(axis) > 0.0f) {
        dir = Turn(dir, axis, -t);
        up = Turn(up, axis, -t);
        p = Turn(p, axis, -t);
    }
    if (roll) up = Turn(up, JTVec3Normalize(dir), roll);

    // 16: zoom within the distance limits.
    p = p + dir * useZoom;
    const float d = -JTVec3Dot(dir, p);
    if (d < minDist) p = dir * -minDist;
    if (d > maxDist) p = dir * -maxDist;
    pos = p + focus;

    // 17
    velocity = step != 0.0f ? (pos - startPos) * (1.0f / step) : JTVec3(0, 0, 0);
}

void JTCamera::UpdateMatrices() {
    up = JTVec3Normalize(up);
    dir = JTVec3Normalize(dir);
    right = JTVec3Normalize(JTVec3Cross(up, dir));

    bobPhase1 += uint32_t(int(dtReal * bobRate1 * 1000.0f));
    bobPhase2 += uint32_t(int(dtReal * bobRate2 * 1000.0f));
    const float angle1 = std::sin(2.0f * kPi * float(bobPhase1 % kBobPeriod) / float(kBobPeriod)) *
                         bobAmplitude1 * kBobRadiansPerUnit;
    const float angle2 = std::cos(2.0f * kPi * float(bobPhase2 % kBobPeriod) / float(kBobPeriod)) *
                         bobAmplitude2 * kBobRadiansPerUnit;
    // The sway turns only what the view sees; the stored vectors stay.
    JTVec3 viewDir = Turn(dir, up, angle1);
    JTVec3 viewRight = Turn(right, up, angle1);
    JTVec3 viewUp = up;
    viewDir = Turn(viewDir, viewRight, angle2);
    viewUp = Turn(viewUp, viewRight, angle2);

    view.LookTo(pos, viewDir, viewUp);
    perspective = JTMatrixPerspectiveFovLH(fovv, aspect, nearClip, farClip);

    const JTVec3 leftSide = Turn(dir, up, -0.5f * fov);
    const JTVec3 rightSide = Turn(dir, up, 0.5f * fov);
    const JTVec3 bottomSide = Turn(dir, right, 0.5f * fovv);
    const JTVec3 topSide = Turn(dir, right, -0.5f * fovv);
    frustumNormals[0] = JTVec3Normalize(JTVec3Cross(leftSide, up));
    frustumNormals[1] = JTVec3Normalize(JTVec3Cross(up, rightSide));
    frustumNormals[2] = JTVec3Normalize(JTVec3Cross(bottomSide, right));
    frustumNormals[3] = JTVec3Normalize(JTVec3Cross(right, topSide));
}
