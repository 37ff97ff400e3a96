// Picking for the command interface: rays from the camera through screen
// points, the overlay entity and the unit under the cursor, the ground point
// of a ray, and the box test of a drag selection.
#include <cmath>

#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/matrix.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

// A 4:3 screen's cursor y runs over 0.75 of its x range.
constexpr float kScreenYScale = -1.3333334f;
constexpr float kRayDepth = 0.1f;
constexpr float kOverlayNear = 0.01f;
constexpr float kOverlayFar = 1600.0f;
constexpr float kOverlayFieldOfView = 1.5707964f;
constexpr float kCameraNear = 1.0f;
constexpr float kCameraFar = 10000.0f;

// The screen point carried back through an inverted view x projection.
Vec3 Unproject(const Matrix& inverse, float x, float y) {
    const float in[4] = {x, kScreenYScale * y, kRayDepth, 1.0f};
    float out[4] = {0, 0, 0, 0};
    for (int j = 0; j < 4; ++j)
        for (int i = 0; i < 4; ++i)
            out[j] += in[i] * inverse.m[i * 4 + j];
    if (out[3] == 0.0f) return {out[0], out[1], out[2]};
    return {out[0] / out[3], out[1] / out[3], out[2] / out[3]};
}

bool Pickable(const Entity& entity) {
    return entity.PropFlag("pickable");
}

int LocalIndex() {
    return PlayerIndexOf(GetPlayers().local);
}

} // namespace

void CommandInterface::MakeScreenRay(const float* point, Vec3& origin, Vec3& direction) const {
    const CameraPose camera = CurrentCameraPose();
    origin = camera.position;
    Matrix view, projection;
    view.MakeView(camera.position, camera.forward, camera.up);
    projection.MakePerspective(kCameraNear, kCameraFar, camera.fieldOfView, aspect);
    Matrix inverse = view * projection;
    inverse.Invert();
    const float x = point ? point[0] : cursorX;
    const float y = point ? point[1] : cursorY;
    direction = Unproject(inverse, x, y) - origin;
    if (!(direction.Length() > 0.0f)) direction = camera.forward;
    direction.Normalize();
}

Entity* CommandInterface::PickOverlay(const float* point, PickRecord& hit) const {
    hit = PickRecord();
    if (!overlay) return nullptr;
    // The overlay sits in front of a camera of its own at the origin.
    Matrix projection;
    projection.MakePerspective(kOverlayNear, kOverlayFar, kOverlayFieldOfView, aspect);
    projection.Invert();
    const float x = point ? point[0] : cursorX;
    const float y = point ? point[1] : cursorY;
    Vec3 direction = Unproject(projection, x, y);
    if (!(direction.Length() > 0.0f)) return nullptr;
    direction.Normalize();
    const Vec3 origin;
    for (int i = 0; i < overlay->ChildCount(); ++i) {
        Node* child = overlay->ChildAt(i);
        if (!IsA(child, ClassId::Entity)) continue;
        auto* entity = static_cast<Entity*>(child);
        if (Pickable(*entity)) entity->Intersect(origin, direction, &hit, false);
    }
    return hit.best;
}

Entity* CommandInterface::PickUnit(const Vec3& origin, const Vec3& direction, PickRecord& hit) {
    hit = PickRecord();
    const Keyboard* keyboard = GetKeyboardHolder();
    if (!keyboard || !keyboard->IsCtrlDown()) waypointChain = 0;
    World* world = GetWorld();
    if (!world) return nullptr;
    auto consider = [&](Entity* entity) {
        if (entity && Pickable(*entity)) entity->Intersect(origin, direction, &hit, true);
    };
    if (GetDisplayState().freePick) {
        for (int i = 0; i < world->EntityCount(); ++i)
            consider(world->EntityAt(i));
    } else if (Player* local = GetPlayers().local) {
        for (Unit* unit : local->units)
            consider(unit);
    }
    return hit.best;
}

bool CommandInterface::GroundPoint(const Vec3& origin, const Vec3& direction, Vec3& point) {
    if (direction.y == 0.0f) return false;
    const float t = -origin.y / direction.y;
    if (!(t >= 0.0f) || !std::isfinite(t)) return false;
    point = origin + direction * t;
    point.y = 0.0f;
    const float fromCentre = std::sqrt(point.x * point.x + point.z * point.z);
    return fromCentre <= GetSceneBounds().radius;
}

void CommandInterface::SetBox(float x0, float y0, float x1, float y1) {
    const float corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    Vec3 centre;
    for (int i = 0; i < 4; ++i) {
        MakeScreenRay(corners[i], boxApex, boxRays[i]);
        centre = centre + boxRays[i];
    }
    for (int i = 0; i < 4; ++i) {
        Vec3 normal = Vec3::Cross(boxRays[i], boxRays[(i + 1) % 4]);
        normal.Normalize();
        // Outward: away from the middle of the box.
        if (Vec3::Dot(normal, centre) > 0.0f) normal = normal * -1.0f;
        boxNormals[i] = normal;
    }
}

bool CommandInterface::BoxHolds(const Entity& entity) const {
    const float reach = entity.radius * entity.GetDistanceScale();
    const Vec3 offset = entity.position - boxApex;
    for (const Vec3& normal : boxNormals)
        if (Vec3::Dot(offset, normal) - reach > 0.0f) return false;
    return true;
}

int CommandInterface::CountInBox(Node* node) {
    if (!node) return 0;
    if (!IsA(node, ClassId::Entity)) {
        int count = 0;
        for (int i = 0; i < node->ChildCount(); ++i)
            count += CountInBox(node->ChildAt(i));
        return count;
    }
    auto* entity = static_cast<Entity*>(node);
    if (!Pickable(*entity)) return 0;
    const int local = LocalIndex();
    const bool known = GetDisplayState().freePick || (local >= 0 && local < kIdentifiedPlayers &&
                                                      entity->identification[local] == kKnown);
    if (!known || !BoxHolds(*entity)) return 0;
    candidates.Add(entity);
    return 1;
}

} // namespace lumivane
