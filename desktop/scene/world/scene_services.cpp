// The scene engine's links to the rest of the program, empty by default.
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

namespace {

CameraLink* gCamera = nullptr;
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
