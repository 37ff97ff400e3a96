// Geometry questions asked of a node's subtree: where it stands in the world,
// where a ray meets its triangles, and whether it reaches into a selection box.
#include <algorithm>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/node.h"
#include "desktop/scene/object/trans_node.h"

namespace lumivane {

namespace {

void NearestHit(const Node* node, const Vec3& origin, const Vec3& direction, float& best,
                bool& hit) {
    if (!node->visible) return;
    if (IsA(node, ClassId::GeoNode)) {
        const auto* geo = static_cast<const GeoNode*>(node);
        const std::vector<Vertex>* vertices = geo->SourceVertices();
        if (vertices && !vertices->empty()) {
            const Matrix world = node->WorldMatrix();
            const uint16_t* indices = geo->indexed ? geo->Indices() : nullptr;
            const int corners = indices ? geo->indexCount : int(vertices->size());
            for (int i = 0; i + 2 < corners; i += 3) {
                Vec3 triangle[3];
                bool inside = true;
                for (int c = 0; c < 3; ++c) {
                    const size_t v = indices ? indices[i + c] : size_t(i + c);
                    if (v >= vertices->size()) inside = false;
                    if (inside) triangle[c] = (*vertices)[v].position;
                    world.TransformPoint(triangle[c]);
                }
                float t;
                if (inside && RayTriangle(origin, direction, triangle, &t, nullptr) && t >= 0.0f &&
                    t < best) {
                    best = t;
                    hit = true;
                }
            }
        }
    }
    for (int i = 0; i < node->ChildCount(); ++i)
        NearestHit(node->ChildAt(i), origin, direction, best, hit);
}

} // namespace

Matrix Node::WorldMatrix() const {
    Matrix world;
    for (const Node* n = this; n; n = n->parent)
        if (IsA(n, ClassId::TransNode)) world = world * static_cast<const TransNode*>(n)->local;
    return world;
}

bool Node::RayTest(const Vec3& origin, const Vec3& direction, float& distance) const {
    float best = 3.4028235e38f;
    bool hit = false;
    NearestHit(this, origin, direction, best, hit);
    if (hit) distance = best;
    return hit;
}

Vec3 Node::RayHitPoint(const Vec3& origin, const Vec3& direction) const {
    float t;
    return RayTest(origin, direction, t) ? origin + direction * t : origin;
}

bool Node::InSelectionVolume(const Vec3& point, int planeCount, const Vec3* normals) const {
    if (!visible || planeCount < 1 || planeCount > 4) return false;
    Vec3 p = point;
    Vec3 n[4];
    for (int i = 0; i < planeCount; ++i)
        n[i] = normals[i];
    if (IsA(this, ClassId::TransNode)) {
        Matrix inverse = static_cast<const TransNode*>(this)->local;
        inverse.InvertAffine();
        inverse.TransformPoint(p);
        for (int i = 0; i < planeCount; ++i)
            inverse.TransformVector(n[i]).Normalize();
    }
    if (IsA(this, ClassId::GeoNode)) {
        const std::vector<Vertex>* vertices = static_cast<const GeoNode*>(this)->SourceVertices();
        if (vertices)
            for (const Vertex& v : *vertices) {
                bool inside = true;
                for (int i = 0; i < planeCount && inside; ++i)
                    inside = Vec3::Dot(v.position - p, n[i]) <= 0.0f;
                if (inside) return true;
            }
    }
    for (const Node* child : children)
        if (child->InSelectionVolume(p, planeCount, n)) return true;
    return false;
}

} // namespace lumivane
