// The still camera: the display's camera until the camera controller takes
// its place. It keeps the controller's fields (the views, transition and
// interaction state of the scene-state file's camera block) so files keep
// what they hold, and looks at the scene from its home view: from outside
// the scene's radius, 45 degrees down towards the origin. It never moves by
// itself and keeps no picture-in-picture view.
#pragma once

#include "desktop/display/camera/display_camera.h"
#include "desktop/scene/world/display_block.h"

namespace lumivane {

class StillCamera : public DisplayCamera {
public:
    StillCamera();

    void SetAspect(float aspect) override;
    void Update() override {}
    void Apply() override;

    float HorizontalFov() const override { return block_.horizontalFov; }
    float VerticalFov() const override { return block_.verticalFov; }
    const CameraView& Current() const override { return block_.views[kCurrent]; }
    const Matrix& ViewMatrix() const override { return view_; }
    const Matrix& ProjectionMatrix() const override { return projection_; }
    const Vec3* SidePlanes() const override { return sidePlanes_; }

    Entity* GetChaseTarget() const override;
    Entity* GetSingleTarget() const override;
    bool Dragging() const override { return false; }
    bool AimPictureInPicture(const Entity&, Matrix&, Matrix&) override { return false; }

    // The home view is made anew for the scene's radius and the display's
    // shape, then becomes the current view.
    void ResetToHome() override;

    void Save(platform::BinaryWriter& file) const override { block_.Save(file); }
    bool Load(platform::BinaryReader& file, uint32_t version) override;

    // CameraLink: the entity's place in the views goes to the replacement,
    // or the entity leaves them.
    void ReplaceTarget(Entity* entity, Entity* replacement) override;
    // SceneCamera: the still camera follows no path and frames nothing;
    // only the sway amount is kept (for the file).
    void SetSway(float amount) override;

    // The home view for a scene radius and a vertical field of view.
    static CameraView HomeView(float sceneRadius, float verticalFov);
    // The near plane that keeps the nearest body in front of it, 0.01..1.
    float NearPlane() const;

private:
    static constexpr int kCurrent = 0, kPrevious = 1, kHome = 2, kRemembered = 3;
    static constexpr int kStart = 1, kGoal = 2;

    CameraBlock block_;
    float aspect_ = 4.0f / 3.0f;
    Matrix view_;
    Matrix projection_;
    Vec3 sidePlanes_[kFrustumSidePlanes];
};

} // namespace lumivane
