// The cursor's pick ray through a view.
#include "Jentra/core/cursor/pick_ray.h"

namespace jentra::cursor {

namespace {
// Depth of the unprojected point in normalised device space; any depth
// inside the frustum gives the same ray.
constexpr float kPickDepth = 0.1f;
} // namespace

bool ComputeRay(float x, float y, const RayView& v, JTVec3& origin, JTVec3& dir) {
    if (!(v.width > 0.0f) || !(v.height > 0.0f)) return false;
    float sx = (x - v.left) / v.width;
    float sy = ((1.0f - y) - v.top) / v.height;
    float nx = 2.0f * sx - 1.0f;
    float ny = 1.0f - 2.0f * sy;
    if (nx < -1.0f || nx > 1.0f || ny < -1.0f || ny > 1.0f) return false;

    JTMatrix inverse;
    if (!JTMatrixInverse(inverse, v.view * v.projection)) return false;
    JTVec3 p = JTVec3TransformCoord(JTVec3(nx, ny, kPickDepth), inverse);
    if (v.hud) {
        origin = JTVec3(0, 0, 0);
        dir = JTVec3Normalize(p);
    } else {
        origin = v.eye;
        dir = JTVec3Normalize(p - origin);
    }
    return dir.Length() > 0.0f;
}

} // namespace jentra::cursor
