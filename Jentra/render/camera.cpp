// JTCamera: construction, the setters that keep the derived values in step,
// and the matrices rebuilt each frame with the sway ("bob") of the view.
#include "Jentra/JTCamera.h"

#include <cfloat>
#include <cmath>
#include <cstring>

#include "Jentra/JTFrameClock.h"

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
    UpdateMatrices();
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
