// What every display camera tells the scene engine: its pose and matrices.
#include "desktop/display/camera/display_camera.h"

namespace lumivane {

CameraPose DisplayCamera::Pose() const {
    const CameraView& view = Current();
    CameraPose pose;
    pose.position = view.position;
    pose.forward = view.direction;
    pose.up = view.up;
    pose.right = view.right;
    pose.fieldOfView = HorizontalFov();
    return pose;
}

CameraMatrices DisplayCamera::Matrices() const {
    CameraMatrices matrices;
    matrices.view = ViewMatrix();
    matrices.projection = ProjectionMatrix();
    for (int i = 0; i < kFrustumSidePlanes; ++i)
        matrices.sideNormals[i] = SidePlanes()[i];
    return matrices;
}

} // namespace lumivane
