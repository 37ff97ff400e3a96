// The scene engine's links to the rest of the program, empty by default.
#include "desktop/scene/world/scene_services.h"

#include <cmath>

namespace lumivane {

namespace {

constexpr float kDefaultAspect = 4.0f / 3.0f;
constexpr float kDefaultNear = 0.1f;
constexpr float kDefaultFar = 100000.0f;

CameraLink* gCamera = nullptr;
FrameDisplay* gFrameDisplay = nullptr;
SoundCues* gSoundCues = nullptr;
VertexBufferSink* gVertexSink = nullptr;
Keyboard* gKeyboard = nullptr;
Mouse* gMouse = nullptr;

} // namespace

void SetCameraLink(CameraLink* camera) {
    gCamera = camera;
}

CameraLink* GetCameraLink() {
    return gCamera;
}

CameraPose CurrentCameraPose() {
    return gCamera ? gCamera->Pose() : CameraPose{};
}

CameraMatrices MatricesFromPose(const CameraPose& pose) {
    CameraMatrices m;
    m.view.MakeView(pose.position, pose.forward, pose.up);
    m.projection.MakePerspective(kDefaultNear, kDefaultFar, pose.fieldOfView, kDefaultAspect);
    const float h = pose.fieldOfView * 0.5f;
    const float v = std::atan(std::tan(h) / kDefaultAspect);
    const Vec3 f = pose.forward;
    m.sideNormals[0] = pose.right * -std::cos(h) - f * std::sin(h);
    m.sideNormals[1] = pose.right * std::cos(h) - f * std::sin(h);
    m.sideNormals[2] = pose.up * std::cos(v) - f * std::sin(v);
    m.sideNormals[3] = pose.up * -std::cos(v) - f * std::sin(v);
    return m;
}

CameraMatrices CurrentCameraMatrices() {
    return gCamera ? gCamera->Matrices() : MatricesFromPose(CameraPose{});
}

void SetFrameDisplay(FrameDisplay* display) {
    gFrameDisplay = display;
}

FrameDisplay* GetFrameDisplay() {
    return gFrameDisplay;
}

void SetSoundCues(SoundCues* cues) {
    gSoundCues = cues;
}

SoundCues* GetSoundCues() {
    return gSoundCues;
}

void QueueAnnouncement(int32_t index) {
    if (gSoundCues && index >= 0) gSoundCues->QueueAnnouncement(index);
}

AnnouncementSounds& GetAnnouncementSounds() {
    static AnnouncementSounds sounds;
    return sounds;
}

DisplayState& GetDisplayState() {
    static DisplayState state;
    return state;
}

void SetVertexBufferSink(VertexBufferSink* sink) {
    gVertexSink = sink;
}

VertexBufferSink* GetVertexBufferSink() {
    return gVertexSink;
}

SceneBounds& GetSceneBounds() {
    static SceneBounds bounds;
    return bounds;
}

LoopHooks& GetLoopHooks() {
    static LoopHooks hooks;
    return hooks;
}

void FrameYield() {
    if (const auto& yield = GetLoopHooks().yield) yield();
}

void SetInputHolders(Keyboard* keyboard, Mouse* mouse) {
    gKeyboard = keyboard;
    gMouse = mouse;
}

Keyboard* GetKeyboardHolder() {
    return gKeyboard;
}

Mouse* GetMouseHolder() {
    return gMouse;
}

} // namespace lumivane
