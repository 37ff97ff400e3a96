// Entity as the display and the cursor see it: its drawn size at a distance,
// its level of detail, its bounding radius and picking under the cursor.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

namespace {

constexpr float kRetryTurn = 0.0349066f; // two degrees

Vec3 Turned(const Vec3& v, const Vec3& axis, float angle) {
    const float s = TableSin(angle * 0.5f);
    Vec3 turned = v;
    Quat(axis.x * s, axis.y * s, axis.z * s, TableCos(angle * 0.5f)).RotateVector(turned);
    return turned;
}

} // namespace

float Entity::GetDistanceScale() const {
    if (!GetDisplayState().distanceScaling || distanceScaleFactor == 0.0f || !props ||
        !props->Flag(EntityFields().scaleFudge) || !(radius > 0.0f))
        return 1.0f;
    const float distance = (position - CurrentCameraPose().position).Length();
    float s = std::pow(distance * distanceScaleFactor / radius, distanceScaleExponent);
    if (std::isnan(s)) return 1.0f;
    const bool heldClose = IsA(this, ClassId::Structure) && !PropFlag("Survive unlinked");
    return std::clamp(s, 1.0f, heldClose ? 2.0f : 999.0f);
}

float Entity::ComputeScreenSize() {
    if (!props || !props->Flag(EntityFields().enableLods)) return screenSize = 1.0f;
    const DisplayState& display = GetDisplayState();
    float angular = display.fixedScreenSize;
    if (display.lodByDistance) {
        const CameraPose camera = CurrentCameraPose();
        const float e = ((position - camera.position).Length() - radius) / GetDistanceScale();
        angular = e <= 0.0f ? 1.0f : 2.0f * std::atan(radius / e) / camera.fieldOfView;
    }
    float p = std::clamp((angular - 0.005f) * 1.0050251f, 0.0f, 1.0f);
    if (std::isnan(p)) p = 0.0f;
    if (p <= 0.0f && !props->Flag(EntityFields().noDisappear)) {
        visible = 0;
        return screenSize = 0.0f;
    }
    visible = 1;
    const float exponent = display.lodByDistance ? 0.8f - 0.7f * display.detail : 0.8f;
    const Unit* ship = AsUnit(this);
    screenSize = ship && ship->IsFadingOut() ? 1.0f : std::pow(p, exponent);

    // The first threshold the size reaches picks the level.
    const int count = int(lodThresholds.size());
    int reached = 0;
    while (reached < count && p < lodThresholds[size_t(reached)])
        ++reached;
    const int8_t current = int8_t(std::max(reached - 1, 0));
    const int8_t next = int8_t(reached >= 1 && reached < count ? reached : -1);
    if (current != lodLevel || next != nextLodLevel) {
        lodLevel = current;
        nextLodLevel = next;
        for (GeoNode* node : lodNodes)
            node->ShowDetailLevel(current);
    }
    return screenSize;
}

void Entity::RecomputeBound() {
    float largest = -1.0f;
    std::vector<std::pair<Node*, Matrix>> pending;
    for (int i = 0; i < ChildCount(); ++i)
        pending.emplace_back(ChildAt(i), Matrix());
    while (!pending.empty()) {
        auto [node, above] = pending.back();
        pending.pop_back();
        Matrix m = above;
        if (IsA(node, ClassId::TransNode)) m = static_cast<TransNode*>(node)->local * above;
        if (IsA(node, ClassId::GeoNode))
            if (const std::vector<Vertex>* vertices = static_cast<GeoNode*>(node)->SourceVertices())
                for (const Vertex& v : *vertices) {
                    Vec3 p = v.position;
                    largest = std::max(largest, m.TransformPoint(p).Length());
                }
        for (int i = 0; i < node->ChildCount(); ++i)
            pending.emplace_back(node->ChildAt(i), m);
    }
    if (largest < 0.0f) return; // no geometry: the radius stays
    boundRadius = largest;
    radius = largest;
}

void Entity::Intersect(const Vec3& origin, const Vec3& direction, PickRecord* pick, bool retry) {
    if (!pick) return;
    const Vec3 toCentre = position - origin;
    const float distance = toCentre.Length();
    float c = distance > 0.0f ? Vec3::Dot(direction, toCentre) / distance : 1.0f;
    if (!(c >= 0.0f)) return;
    c = std::min(c, 1.0f);
    const float miss = std::sqrt(std::max(0.0f, 1.0f - c * c)) * distance;

    float reach = GetDistanceScale() * radius;
    const CameraPose camera = CurrentCameraPose();
    const SceneClock& clock = GetSceneClock();
    const float ratio = clock.realFrameTime > 0.0f ? clock.frameTime / clock.realFrameTime : 1.0f;
    Vec3 across = velocity * ratio - camera.velocity;
    across = across - camera.forward * Vec3::Dot(across, camera.forward);
    const float sweep = across.Length();
    if (sweep > 0.0f) {
        const float fromCamera = (position - camera.position).Length();
        float f = fromCamera > 0.0f ? sweep * 30.0f / fromCamera + 1.0f : 8.0f;
        f = std::clamp(std::isfinite(f) ? f : 8.0f, 1.0f, 8.0f);
        reach = std::max(reach, f * 0.012f * distance);
    }
    if (!(miss < reach) || distance >= pick->exactDistance) return;

    const bool near = !(radius > 0.0f) || distance / radius < 10.0f;
    if (near && ChildCount() > 0) {
        float t;
        bool hit = RayTest(origin, direction, t);
        if (!hit && retry) {
            const Vec3 tries[4] = {Turned(direction, camera.up, kRetryTurn),
                                   Turned(direction, camera.up, -kRetryTurn),
                                   Turned(direction, camera.right, kRetryTurn),
                                   Turned(direction, camera.right, -kRetryTurn)};
            for (const Vec3& d : tries)
                if ((hit = RayTest(origin, d, t))) break;
        }
        if (hit) {
            pick->best = this;
            pick->exact = 1;
            pick->distance = pick->exactDistance = distance;
        }
        return;
    }
    if (pick->exact ? distance < pick->distance : miss < pick->miss) {
        pick->best = this;
        pick->exact = 0;
        pick->distance = distance;
        pick->miss = miss;
    }
}

} // namespace lumivane
