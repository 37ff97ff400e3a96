// JTCamera: the engine's user camera. It holds the eye, its direction, up
// and right, the field of view and the clip planes, and turns them into the
// view and projection matrices each frame (Update). It is also an orbit
// controller about a focus point, steered by mouse, wheel and arrow keys
// through a damped velocity model; a HUD camera is never steered.
// Cameras are plain values, copied member by member.
#pragma once

#include <cstdint>

#include "Jentra/JTID.h"
#include "Jentra/JTMath.h"

// A plain record of twelve words the engine only makes and copies.
struct JTCameraState {
    uint32_t words[12] = {};
};

class JTCamera {
public:
    // Camera control bits.
    static constexpr uint32_t kMouseDrag = 1u << 0;
    static constexpr uint32_t kWheelZoom = 1u << 2;
    static constexpr uint32_t kArrowKeys = 1u << 3;

    JTCamera();

    // Once per view and frame: steers the camera by the user's mouse, wheel
    // and arrow keys (unless it is a HUD camera or the 3D cursor is outside
    // its view), then rebuilds the view and projection matrices.
    void Update();

    // Position, direction and up; right follows. dir is a direction, not a
    // point to look at.
    void SetView(JTVec3 eye, JTVec3 dir, JTVec3 up);
    // The horizontal field of view in radians; the vertical one follows.
    void SetFOV(float fov);
    void SetAspect(float aspect);
    void SetClip(float nearClip, float farClip) {
        this->nearClip = nearClip;
        this->farClip = farClip;
    }
    float GetFOV() const { return fov; }
    float GetFOVh() const { return fov; }
    float GetFOVv() const { return fovv; }
    float GetAspect() const { return aspect; }
    float GetNearClip() const { return nearClip; }
    float GetFarClip() const { return farClip; }
    const JTMatrix& GetView() const { return view; }
    const JTMatrix& GetPerspective() const { return perspective; }
    // Normals of the four side planes of the view frustum (left, right,
    // bottom, top), rebuilt by Update.
    const JTVec3& GetFrustumNormal(int i) const { return frustumNormals[i & 3]; }

    JTVec3& GetPos() { return pos; }
    JTVec3& GetDir() { return dir; }
    JTVec3& GetUp() { return up; }
    JTVec3& GetRight() { return right; }
    const JTVec3& GetPos() const { return pos; }
    const JTVec3& GetDir() const { return dir; }
    const JTVec3& GetUp() const { return up; }
    const JTVec3& GetRight() const { return right; }

    void SetHUD(bool on) { hud = on ? 1 : 0; }
    bool IsHUD() const { return hud != 0; }
    // A non-null id links the camera to that object (its owner reads it).
    void SetLink(JTID* id);
    bool IsLinked() const { return linked != 0; }
    const JTID& GetLink() const { return link; }

    void SetCameraControls(uint32_t bits) { controls = bits; }
    uint32_t GetCameraControls() const { return controls; }
    void AddCameraControls(uint32_t bits) { controls |= bits; }
    void RemoveCameraControls(uint32_t bits) { controls &= ~bits; }
    void SetFocus(JTVec3 point) { focus = point; }
    JTVec3 GetFocus() const { return focus; }
    void SetMinDist(float d) { minDist = d; }
    float GetMinDist() const { return minDist; }
    void SetMaxDist(float d) { maxDist = d; }
    float GetMaxDist() const { return maxDist; }
    const JTVec3& GetVel() const { return velocity; }
    // Two sway motions added to the view: amplitude (units of 0.4 degree)
    // and rate each.
    void SetBob(float amplitude1, float rate1, float amplitude2, float rate2);
    void SetIdleStartTime(float seconds) { idleStartTime = seconds; }
    void StartIdle() { idleTimer = idleStartTime; }
    // Slides the camera along `vector` (units a second of game time) for
    // two seconds, the weight falling from 1 to 0 as 1 - t^4.
    void StartGlide(const JTVec3& vector);

protected:
    // The steering part of Update: this frame's inputs, damping, glide, idle
    // orbit, ground motion, turning and tilting about the focus within the
    // limits, zoom within the distance limits, and the velocity.
    void Steer();
    // The last step of Update: view, projection and frustum from the vectors.
    void UpdateMatrices();

    unsigned char hud = 0;
    float nearClip = 0.5f, farClip = 100.0f;
    float aspect = 1.0f;
    float fov;
    float fovv;
    JTMatrix view;
    JTMatrix perspective;
    JTVec3 frustumNormals[4];
    JTVec3 pos{0, 0, 0}, dir{0, 0, 1}, up{0, 1, 0}, right{0, 0, 0};
    unsigned char linked = 0;
    JTID link;
    uint32_t controls = 0;
    JTVec3 focus;
    JTVec3 prevFocus;
    float minDist;
    float maxDist;
    JTVec3 velocity;
    unsigned char glide = 0;
    uint32_t glideStart = 0;
    JTVec3 glideVector;
    float keyHeldTime = 0.0f;
    unsigned char dragging = 0;
    uint32_t dragStart = 0;
    float bobAmplitude1 = 0, bobRate1 = 0;
    uint32_t bobPhase1 = 0;
    float bobAmplitude2 = 0, bobRate2 = 0;
    uint32_t bobPhase2 = 0;
    float smoothRotate = 0, smoothTilt = 0, smoothZoom = 0;
    float smoothStrafe = 0, smoothForward = 0, smoothHeight = 0;
    float idleTimer = 0.0f;
    float idleStartTime = 0.0f;
    unsigned char cursorWasVisible = 0;
};
