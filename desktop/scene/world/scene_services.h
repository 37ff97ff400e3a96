// What the entities, the world and the model library ask of the parts of the
// program built around them: the camera, sound cues, the display's switches
// and shared vertex buffer, the scene's bounds, the main loop's pause and
// yield, and the input holders. Each is absent (null) or at its default until
// the part that owns it installs it, so the scene engine runs alone in tools
// and tests.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/vec3.h"

namespace lumivane {

class Entity;
class Keyboard;
class Mouse;
class Node;
class TextureSet;
struct Vertex;

// --- Camera -----------------------------------------------------------------

struct CameraPose {
    Vec3 position;
    Vec3 velocity; // units per second
    Vec3 forward{0, 0, 1};
    Vec3 right{1, 0, 0};
    Vec3 up{0, 1, 0};
    float fieldOfView = 0.7853982f; // horizontal, radians
};

// The camera's view and projection (row vectors: p x view x projection) and
// the outward normals of its four side planes (left, right, top, bottom),
// which pass through the camera's position.
struct CameraMatrices {
    Matrix view;
    Matrix projection;
    Vec3 sideNormals[4];
};

// The matrices of a 4:3 view from the pose.
CameraMatrices MatricesFromPose(const CameraPose& pose);

class CameraLink {
public:
    virtual ~CameraLink() = default;
    virtual CameraPose Pose() const = 0;
    virtual CameraMatrices Matrices() const { return MatricesFromPose(Pose()); }
    // The entity leaves the world: its views follow `replacement` instead,
    // or drop it when there is none.
    virtual void ReplaceTarget(Entity* entity, Entity* replacement) = 0;
    // The command interface drags on the ground or a box: the camera leaves
    // the mouse to it meanwhile.
    virtual void SetDragging(bool dragging) { dragging_ = dragging; }
    virtual bool Dragging() const { return dragging_; }
    // The current view's only target when it resolves, else null.
    virtual Entity* GetSingleTarget() const { return nullptr; }
    // The entity the camera rides with (it gets no head-up overlays), or null.
    virtual Entity* GetChaseTarget() const { return nullptr; }

private:
    bool dragging_ = false;
};

void SetCameraLink(CameraLink* camera);
CameraLink* GetCameraLink();
// The camera's pose, or the default pose at the origin without a camera.
CameraPose CurrentCameraPose();
CameraMatrices CurrentCameraMatrices();

// --- Sound cues -------------------------------------------------------------

class SoundCues {
public:
    virtual ~SoundCues() = default;
    // The index of a sound under "sounds\", or -1 when it cannot be loaded.
    virtual int32_t RegisterSound(std::string_view file, int32_t flags,
                                  std::string_view requester) = 0;
    // Negative indices are ignored.
    virtual void QueueAnnouncement(int32_t index) = 0;
    // Drops the announcements waiting to play.
    virtual void ClearAnnouncements() {}
};

void SetSoundCues(SoundCues* cues);
SoundCues* GetSoundCues();
void QueueAnnouncement(int32_t index); // nothing without sound

// Announcements the scene engine raises, registered at start-up.
inline constexpr int kAnnouncedSquads = 10;
struct AnnouncementSounds {
    int32_t structureAttacked = -1;
    int32_t hubDestroyed = -1;
    int32_t lowResources = -1;
    int32_t enemySighted = -1;
    int32_t allySighted = -1;
    int32_t wormhole = -1;
    // A squad of the local player reached the end of a far move.
    int32_t squadArrived[kAnnouncedSquads] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    // A builder of the local player finished a unit.
    int32_t hubBuilt = -1;
    int32_t drydockBuilt = -1;
    int32_t hangarBuilt = -1;
};
AnnouncementSounds& GetAnnouncementSounds();

// --- Display ----------------------------------------------------------------

struct DisplayState {
    bool distanceScaling = true; // far bodies drawn larger
    bool lodByDistance = false;  // detail from the angular size, else fixedScreenSize
    float fixedScreenSize = 1.0f;
    float detail = 0.0f; // the detail setting, 0..1
    bool revealAll = false;
    bool freePick = false;    // the command interface picks any entity, not only the user's units
    bool vertexBuffer = true; // one shared vertex buffer for all models
    Entity* heldEntities[2] = {}; // cleared when they leave the world
    int screenWidth = 640;        // of the rendered picture, in pixels
    float flareScale = 1.0f;      // lens-flare sprites are drawn this much larger
    float verticalFactor = 1.0f;  // overlay y per screen y (the picture's shape)
};

DisplayState& GetDisplayState();

// The display while it makes a frame: the texture frames to upload and the
// overlay node whose children are drawn in screen space over the scene.
class FrameDisplay {
public:
    virtual ~FrameDisplay() = default;
    // The frame of the set is drawn this frame at `level`; `priority` orders
    // the uploads.
    virtual void RequestTexture(TextureSet* set, int frame, int priority, int level) = 0;
    // Null when there is none.
    virtual Node* OverlayNode() = 0;
};

void SetFrameDisplay(FrameDisplay* display);
FrameDisplay* GetFrameDisplay();

// Receives the vertices of every model for the display's shared buffer.
class VertexBufferSink {
public:
    virtual ~VertexBufferSink() = default;
    // False when the buffer cannot be made; nothing is kept then.
    virtual bool Upload(std::span<const Vertex> vertices) = 0;
    virtual void Release() = 0;
};

void SetVertexBufferSink(VertexBufferSink* sink);
VertexBufferSink* GetVertexBufferSink();

// --- Scene and main loop ----------------------------------------------------

struct SceneBounds {
    float heightLimit = 15.0f; // |y| from this on lies outside
    float radius = 500.0f;     // horizontal distance from the vertical axis
};

SceneBounds& GetSceneBounds();

struct LoopHooks {
    bool paused = false;
    // The main loop's frame-pacing yield, run between pieces of work.
    std::function<void()> yield;
};

LoopHooks& GetLoopHooks();
void FrameYield();

// --- Input holders ----------------------------------------------------------

void SetInputHolders(Keyboard* keyboard, Mouse* mouse);
Keyboard* GetKeyboardHolder();
Mouse* GetMouseHolder();

} // namespace lumivane
