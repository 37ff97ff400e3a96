// The two vertex animations of geometry nodes: a sink that lowers a piece
// into the ground with a stagger across its vertices, and a squash that
// presses the top of the mesh down and releases it within two seconds.
#include "Jentra/JTGeoNode.h"

#include <algorithm>
#include <cmath>

#include "Jentra/JTFrameClock.h"

void JTGeoNode::AnimateVerts(Vert1* vertices, int count) {
    if (!vertices || count <= 0) return;
    if (sink) {
        float e = float(uint32_t(gdwTime - animStart)) * 0.00025f;
        float p = std::pow(e, 1.5f);
        for (int i = 0; i < count; i++) {
            Vert1& v = vertices[i];
            float t = p / (1.0f - float(i % 20) * 0.0125f);
            float r2 = v.x * v.x + v.z * v.z;
            if (r2 > 0.001f) {
                float d = std::min(std::sqrt(r2) * 0.02f, 1.0f);
                float k = 1.0f - 0.35f * d;
                if (k < 1.0f) t /= k;
            }
            t = std::min(t, 1.0f);
            v.y = (1.0f - t) * v.y - 10.0f * t;
            if (v.y < -10.1f) v.y = -10.1f;
        }
    }
    if (squash) {
        float e = float(uint32_t(gdwTime - animStart)) * 0.0005f;
        if (e >= 1.0f) {
            squash = 0;
            return;
        }
        if (e > 0.5f) e = 1.0f - e;
        float h = 0.0f;
        for (int i = 0; i < count; i++)
            h = std::max(h, vertices[i].y);
        float limit = h - 2.0f * e * h;
        for (int i = 0; i < count; i++)
            if (vertices[i].y > limit) vertices[i].y = limit;
    }
}
