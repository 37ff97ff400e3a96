// Wormhole: the warps that bend its geometry while it is drawn, and the
// phases that move them.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/math_tables.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

constexpr float kTwoPi = 2.0f * kPi;
constexpr uint8_t kAdditiveBlend = 2; // source alpha onto what is there

struct Warp {
    WarpType type;
    WarpAxis axis;
    float intensity, frequency, decayPosition, decayRate, centre, phase;
};

// How strongly a wave or bulge acts behind its decay position.
float Decay(float v, float rate) {
    return rate < -v ? 1.0f : -v / rate;
}

// How strongly a ripple or noise acts beyond its decay position.
float Growth(float v, float rate) {
    return std::min(1.0f, v / rate);
}

void Bend(const Warp& w, float b, Vec3& p) {
    switch (w.type) {
    case WarpType::Wave:
    case WarpType::Bulge: {
        const float v = p.z / b - w.decayPosition;
        if (!(v < 0.0f)) return;
        const float s =
            b * Decay(v, w.decayRate) * w.intensity * TableSin(w.frequency * v + w.phase);
        if (w.type == WarpType::Bulge) {
            p.x *= 1.0f + s;
            p.y *= 1.0f + s;
            return;
        }
        if (w.axis != WarpAxis::Y) p.x += s;
        if (w.axis != WarpAxis::X) p.y += s;
        return;
    }
    case WarpType::Ripple: {
        const float dz = p.z - b * w.centre;
        const float v = std::sqrt(p.x * p.x + dz * dz) / b - w.decayPosition;
        if (!(v > 0.0f)) return;
        p.y += b * Growth(v, w.decayRate) * w.intensity * TableSin(w.frequency * v - w.phase);
        return;
    }
    case WarpType::Noise: {
        const float v = std::sqrt(p.x * p.x + p.y * p.y) / b - w.decayPosition;
        if (!(v > 0.0f)) return;
        const float k = b * Growth(v, w.decayRate) * w.intensity;
        const float a = v * (w.frequency - w.phase);
        p.x += k * TableSin(a);
        p.y += k * TableSin(1.2f * a);
        p.z += k * TableSin(1.1f * a);
        return;
    }
    case WarpType::None:
        return;
    }
}

} // namespace

void Wormhole::Animate(Entity* entity) {
    Entity::Animate(entity);
    if (!childrenVisible || !props || props->Table() != WormholePropDescs()) return;
    const float frameTime = GetSceneClock().frameTime;
    for (int w = 0; w < kWarpCount; ++w) {
        const float phase = phases[w] + frameTime * props->Float(WarpFieldsOf(w).speed);
        phases[w] = std::isfinite(phase) ? std::fmod(phase, kTwoPi) : 0.0f;
        if (phases[w] < 0.0f) phases[w] += kTwoPi;
    }
}

bool Wormhole::WarpReaches(std::string_view warpNode, const Node* node) const {
    if (warpNode.empty()) return true;
    for (const Node* n = node; n; n = n->Parent())
        if (platform::EqualsIgnoreCase(n->Name(), warpNode)) return true;
    return false;
}

void Wormhole::NodeCallback(GeoNode* node, Vertex* vertices) {
    if (!node || !vertices || !props || props->Table() != WormholePropDescs()) return;
    node->blendMode = kAdditiveBlend;
    // The model's own size: positions are measured in it.
    const float b = sizeFactor != 0.0f ? radius / sizeFactor : 0.0f;
    if (!(b > 0.0f) || !std::isfinite(b)) return;
    for (int w = 0; w < kWarpCount; ++w) {
        const WarpFields& f = WarpFieldsOf(w);
        Warp warp{WarpType(props->Int(f.type)),  WarpAxis(props->Int(f.axis)),
                  props->Float(f.intensity),     props->Float(f.frequency),
                  props->Float(f.decayPosition), props->Float(f.decayRate),
                  props->Float(f.centre),        phases[w]};
        if (warp.type == WarpType::None || int32_t(warp.type) > int32_t(WarpType::Noise)) continue;
        // The first warp's strength follows the gate's pulse.
        if (w == 0) warp.intensity = pulse * 0.15f + 0.05f;
        if (!WarpReaches(props->FixedText(f.node), node)) continue;
        for (int i = 0; i < node->vertexCount; ++i)
            Bend(warp, b, vertices[i].position);
    }
}

} // namespace lumivane
