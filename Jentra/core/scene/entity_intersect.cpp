// Ray picking of entities: a bounding-sphere test against the entity's
// centre, then a polygon search through its model in each node's frame.
#include "Jentra/JTEntity.h"

#include <algorithm>
#include <cmath>

#include "Jentra/JTGeoNode.h"
#include "Jentra/core/scene/geo_parts.h"

bool IntersectTriangle(const JTVec3& origin, const JTVec3& direction, const JTVec3& a,
                       const JTVec3& b, const JTVec3& c, float* t, JTVec3* point) {
    JTVec3 n = JTVec3Cross(b - a, c - a);
    float e = JTVec3Dot(n, direction);
    if (e == 0.0f) return false;
    float param = JTVec3Dot(a - origin, n) / e;
    JTVec3 p = origin + direction * param;
    float s0 = JTVec3Dot(JTVec3Cross(b - a, p - a), n);
    float s1 = JTVec3Dot(JTVec3Cross(c - b, p - b), n);
    float s2 = JTVec3Dot(JTVec3Cross(a - c, p - c), n);
    bool inside = (s0 >= 0 && s1 >= 0 && s2 >= 0) || (s0 < 0 && s1 < 0 && s2 < 0);
    if (!inside) return false;
    if (t) *t = param;
    if (point) *point = p;
    return true;
}

void JTEntity::IntersectRecurse(JTNode* node, JTVec3 origin, JTVec3 direction, HTInfo* info) {
    if (node->IsDerived(JTTransNode::nType)) {
        JTMatrix inverse;
        if (JTMatrixInverse(inverse, static_cast<JTTransNode*>(node)->GetMatrix())) {
            origin = JTVec3TransformCoord(origin, inverse);
            direction = JTVec3TransformNormal(direction, inverse);
        }
    } else if (node->IsDerived(JTGeoNode::nType)) {
        auto* geo = static_cast<JTGeoNode*>(node);
        JTMesh* mesh = geo->GetMesh();
        JTNode* base = geo->GetBase();
        if (!mesh && base && base->IsDerived(JTGeoNode::nType))
            mesh = static_cast<JTGeoNode*>(base)->GetMesh();
        JTGeoParts* parts = GetGeoParts();
        auto consider = [&](const JTVec3& a, const JTVec3& b, const JTVec3& c, int face) {
            float t;
            JTVec3 point;
            if (!IntersectTriangle(origin, direction, a, b, c, &t, &point)) return;
            if (t >= 0.0f && t < info->distance) {
                info->distance = t;
                info->point = point;
                info->node = geo;
                info->face = face;
            }
        };
        if (mesh && parts) {
            const int faces = parts->MeshFaceCount(mesh);
            JTVec3 low(INFINITY, INFINITY, INFINITY), high(-INFINITY, -INFINITY, -INFINITY);
            for (int i = 0; i < faces; i++) {
                JTVec3 corners[3];
                if (!parts->MeshFace(mesh, i, corners)) continue;
                if (!geo->GetPickedByBox()) {
                    consider(corners[0], corners[1], corners[2], i);
                    continue;
                }
                for (const JTVec3& corner : corners) {
                    low = JTVec3(std::min(low.x, corner.x), std::min(low.y, corner.y),
                                 std::min(low.z, corner.z));
                    high = JTVec3(std::max(high.x, corner.x), std::max(high.y, corner.y),
                                  std::max(high.z, corner.z));
                }
            }
            // The text's rectangle, in its plane.
            if (geo->GetPickedByBox() && low.x <= high.x) {
                const float z = (low.z + high.z) / 2;
                const JTVec3 a(low.x, low.y, z), b(high.x, low.y, z), c(low.x, high.y, z),
                    d(high.x, high.y, z);
                consider(a, b, c, 0);
                consider(c, b, d, 0);
            }
        }
    }
    for (int i = 0; i < node->GetNumChildren(); i++)
        IntersectRecurse(node->GetChild(i), origin, direction, info);
}

void JTEntity::IntersectPolyLevel(JTVec3 origin, JTVec3 direction, HTInfo* info) {
    JTGeoNode* kept = info->node;
    info->node = nullptr;
    IntersectRecurse(this, origin, direction, info);
    if (info->node)
        info->entity = this;
    else
        info->node = kept;
}

void JTEntity::Intersect(JTVec3 origin, JTVec3 direction, HTInfo* info, bool) {
    if (!info || !pickable) return;
    JTVec3 v = pos - origin;
    float c = v.Length();
    // A ray starting at the centre points at it whichever way it goes.
    float k = 1.0f;
    if (c > 0.0f) {
        v = v / c;
        k = JTVec3Dot(direction, v);
        if (k < 0.0f) return;
        k = std::min(k, 1.0f);
    }
    if (std::sin(std::acos(k)) * c > GetBound()) return;
    if (!(c < info->centerDistance) || GetNumChildren() == 0) return;
    IntersectPolyLevel(origin, direction, info);
    if (info->entity == this) {
        info->distance = c;
        info->centerDistance = c;
        info->hit = 1;
    }
}
