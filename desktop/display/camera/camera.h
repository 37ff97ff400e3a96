// Camera: the one viewpoint the display draws the scene from. It keeps five
// stored views (current, previous, home, remembered, spare) and five views
// of a running transition (pre-point, start, goal, post-point, sequence
// origin), frames the units it follows by their handles, runs timed moves,
// scripted camera paths of a trigger and the chase behind a single ship,
// and once a frame turns the user's input into a new current view and the
// matrices of the frame (camera_update.cpp and the files beside it).
#pragma once

#include <cstdint>
#include <span>

#include "desktop/display/camera/display_camera.h"
#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/camera_view.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"

namespace platform {
class BinaryReader;
class BinaryWriter;
} // namespace platform

namespace lumivane {

struct CameraBlock;
struct CameraKey;

// Bits of the first user-input permission word (which camera controls the
// user may use) and of the first user event word (which were used).
namespace camera_bits {
inline constexpr uint32_t kHomeToggle = 0x2000;
inline constexpr uint32_t kPan = 0x10000;
inline constexpr uint32_t kZoom = 0x20000;
inline constexpr uint32_t kRotate = 0x40000;
inline constexpr uint32_t kTilt = 0x80000;
inline constexpr uint32_t kChase = 0x2000000;
inline constexpr uint32_t kClickFocus = 0x4000000;
} // namespace camera_bits

// Interpolation types of a move; a camera-path step of kind 6 is a hold.
namespace camera_move {
inline constexpr uint32_t kCut = 0;
inline constexpr uint32_t kLinear = 1;
inline constexpr uint32_t kQuartic = 2;
inline constexpr uint32_t kSpline = 3;
inline constexpr uint32_t kEaseIn = 4;
inline constexpr uint32_t kEaseOut = 5;
inline constexpr uint32_t kHold = 6;
} // namespace camera_move

struct CameraTransition {
    uint32_t clockSelector = 0; // 0: game clock; else real clock x selector
    float duration = 0.0f;      // seconds
    float progress = 0.0f;      // seconds
    uint32_t moving = 0;
    uint32_t type = 0;
    Vec3 endVelocity; // stored when a move ends, kept for the file
    Quat endTurn;
    Quat frameTurn; // the turn of the running move's last frame
    Quat previousOrientation;
    uint32_t lookAt = 0; // keep looking at the goal's targets
    float arrivalSpeed = 0.0f;
};

struct CameraSequence {
    int32_t trigger = -1; // the trigger whose camera path plays; -1 none
    int32_t step = 0;     // the next step to start
    uint32_t stepStart = 0;
    uint32_t clock = 0; // 0: game clock; else real clock, steps this much faster
};

struct CameraCoast {
    uint32_t on = 0;
    uint32_t start = 0; // game clock
    Vec3 velocity;
};

// The user's interaction, saved as ten words in this order.
struct CameraInteraction {
    float inputHeld = 0.0f; // seconds of continuous input
    uint32_t dragging = 0;
    uint32_t dragStart = 0; // real clock
    uint32_t edgeGate = 0;  // 0 lets the screen edges scroll
    uint32_t clickSubState = 0;
    uint32_t clickState = 0; // 1 while a click has framed units
    float zoomAccumulator = 0.0f;
    uint32_t reserved = 0;
    float edgeDwell = 0.0f; // seconds the cursor has rested on an edge
    float sway = 1.0f;
};

// Yaw, pitch, zoom, the two pans and the vertical motion: the smoothed
// rates, or one frame's input to them.
struct CameraMotion {
    float yaw = 0.0f;
    float pitch = 0.0f;
    float zoom = 0.0f;
    float sidePan = 0.0f;
    float forwardPan = 0.0f;
    float vertical = 0.0f;
};

class Camera : public DisplayCamera {
public:
    // Program settings the camera reads.
    static constexpr float kMoveDuration = 1.0f; // seconds
    static constexpr float kSmoothness = 2.0f;
    static constexpr float kMouseFactor = 0.3f;

    static constexpr float kDefaultAspect = 4.0f / 3.0f;

    // Sets the camera up for a picture of this shape (width / height) and
    // puts it at home.
    explicit Camera(float aspect = kDefaultAspect);
    ~Camera() override;
    Camera(const Camera&) = delete;
    Camera& operator=(const Camera&) = delete;

    // The display's shape changed: the vertical field of view, the framing
    // factor and the home view follow it.
    void SetAspect(float aspect) override;
    float AspectRatio() const { return aspect_; }

    // The frame's step: input, sequences, moves, chase and drift, then Apply.
    void Update() override;
    // The view and projection matrices and side planes of the frame.
    void Apply() override;

    // --- Views and targets ------------------------------------------------
    // The centre and framing radius of the handles that resolve; with none
    // a pivot on the view's ray inside the scene and radius 0. Answers how
    // many resolved.
    int ComputeTargetBounds(std::span<const EntityHandle> handles, Vec3& centre,
                            float& radius) const;
    // The current view follows the entities (null entries are skipped).
    void SetTargets(std::span<Entity* const> entities);
    void SetView(const CameraView& view);
    // A timed move to `goal`; a cut (type 0) lands at once. `pre` and `post`
    // are the spline's outer points (null: the start and the goal).
    void MoveTo(const CameraView& goal, float duration, bool lookAt, uint32_t clockSelector,
                uint32_t type, const CameraView* pre, const CameraView* post);
    void FocusOnUnits(std::span<Entity* const> units) override;
    // Plays the camera path of the action's trigger from `step`; null stops.
    void StartSequence(const TriggerAction* action, int step, int clockFlag) override;
    void SetSway(float amount) override { interaction_.sway = amount; }
    void ToggleHomeView();
    void ResetToHome() override;
    // The entity leaves the world: views follow the replacement, or drop it.
    void ReplaceTarget(Entity* entity, Entity* replacement) override;
    void ReplaceTargetInView(CameraView& view, const Entity* entity, const Entity* replacement);
    Entity* GetSingleTarget() const override;
    Entity* GetChaseTarget() const override;
    // The second view, at the entity along the line from the camera, framed
    // for the square inset: its view and projection. False for an entity
    // without a finite size and place, or one the camera stands inside.
    bool AimPictureInPicture(const Entity& entity, Matrix& view, Matrix& projection) override;
    const CameraView& PictureInPicture() const { return pictureInPicture_; }
    void FreeViews();

    CameraPose Pose() const override;

    // --- The camera block of the scene-state file -------------------------
    void Save(platform::BinaryWriter& file) const override;
    // False (the camera as it was) for a damaged block. The fields of view
    // stay the camera's own.
    bool Load(platform::BinaryReader& file, uint32_t version) override;
    CameraBlock ToBlock() const;
    void FromBlock(const CameraBlock& block);

    // --- What the frame and the tests read --------------------------------
    const CameraView& Current() const override { return current_; }
    const CameraView& Previous() const { return previous_; }
    const CameraView& Home() const { return home_; }
    const CameraView& Remembered() const { return remembered_; }
    const CameraView& Goal() const { return goal_; }
    const CameraTransition& Transition() const { return transition_; }
    const CameraSequence& Sequence() const { return sequence_; }
    const CameraCoast& Coast() const { return coast_; }
    const CameraInteraction& Interaction() const { return interaction_; }
    const CameraMotion& Rates() const { return rates_; }
    bool ClickFocus() const { return clickFocus_ != 0; }
    Vec3 TargetCentre() const { return targetCentre_; }
    float TargetRadius() const { return targetRadius_; }
    Vec3 Velocity() const { return velocity_; }
    float HorizontalFov() const override { return horizontalFov_; }
    float VerticalFov() const override { return verticalFov_; }
    float FramingFactor() const { return framingFactor_; }
    const Matrix& ViewMatrix() const override { return view_; }
    const Matrix& ProjectionMatrix() const override { return projection_; }
    float NearPlane() const { return nearPlane_; }
    // Outward normals of the left, right, top and bottom side planes.
    const Vec3& SideNormal(int side) const { return sideNormals_[side]; }
    const Vec3* SidePlanes() const override { return sideNormals_; }
    // True while the user drags the view with the mouse.
    bool Dragging() const override { return interaction_.dragging != 0; }

private:
    // One frame's working values of Update.
    struct Frame {
        float dt = 0.0f;    // real frame time, slowed by Alt
        float m = 0.0f;     // mouse factor
        float F = 0.0f;     // distance factor
        float S = 0.0f;     // pan speed factor
        float B = 0.0f;     // boost from the time input is held
        bool acted = false; // the user moved the camera this frame
        bool released = false;
        CameraMotion input;
    };

    // Update's steps (camera_input.cpp, camera_sequence.cpp,
    // camera_motion.cpp, camera_chase.cpp).
    Frame BeginFrame() const;
    void DropUnknownTargets();
    void ComputeSpeedFactors(Frame& frame) const;
    void ReadDrag(Frame& frame);
    void ClickFocusStep();
    void EdgeScroll(Frame& frame);
    void ReadWheel(Frame& frame);
    void ReadKeys(Frame& frame);
    void ApplyMomentum(Frame& frame);
    void CoastStep();
    void PlaySequence();
    void AdvanceMove(float dt);
    void Interpolate();
    void Follow();
    bool ChaseStep(const Frame& frame);
    void LevelHorizon(float dt);
    void Pan();
    void OrbitAndTilt(float dt);
    void Zoom(const Frame& frame);
    void SunOrbit();
    void Finish(const Vec3& startPosition);

    // Helpers.
    void FitPicture(float aspect);
    void FrameUnits(std::span<Entity* const> units);
    void BackOut();
    void DropTargets();
    // The view stands at its framing offset from its targets, when any
    // resolve.
    void AnchorToTargets(CameraView& view) const;
    bool SequenceStepDone(const CameraKey& before) const;
    void StartSequenceStep(std::span<const CameraKey> keys, int step);
    uint32_t SequenceClock() const;
    // Turns the current view (during a move, its start and goal) about the
    // target centre.
    void TurnAboutCentre(const Vec3& axis, float angle);
    float DrawNearPlane() const;
    void FollowWithCursor(float aspect);
    // Whether the local player knows the entity (everything is known with
    // the display's reveal-all switch, or without a local player).
    static bool Known(const Entity& entity);

    float aspect_ = kDefaultAspect;

    float horizontalFov_ = 0.0f;
    float verticalFov_ = 0.0f;
    float framingFactor_ = 0.0f;
    Matrix view_;
    Matrix projection_;
    float nearPlane_ = 0.01f;
    Vec3 sideNormals_[4];

    CameraView current_;
    CameraView previous_;
    CameraView home_;
    CameraView remembered_;
    CameraView spare_;
    uint32_t reserved_ = 0;
    CameraView prePoint_;
    CameraView start_;
    CameraView goal_;
    CameraView postPoint_;
    CameraView sequenceOrigin_;
    CameraView pictureInPicture_; // the inset's view, aimed anew each frame

    CameraTransition transition_;
    uint32_t clickFocus_ = 0;
    CameraSequence sequence_;
    Vec3 targetCentre_;
    Vec3 previousCentre_;
    float targetRadius_ = 0.0f;
    int resolvedTargets_ = 0; // of the current view, this frame
    Vec3 velocity_;
    CameraCoast coast_;
    CameraInteraction interaction_;
    CameraMotion rates_;
    float chaseYaw_ = 0.0f;
    float chaseTilt_ = 0.0f;
};

} // namespace lumivane
