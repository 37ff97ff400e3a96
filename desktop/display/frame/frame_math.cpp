// The frame's small rules.
#include "desktop/display/frame/frame_math.h"

#include "desktop/scene/entity/entity.h"

#include <algorithm>
#include <cmath>

namespace lumivane {

namespace {

constexpr float kLeastFalloffShare = 0.001f;
constexpr uint32_t kStatisticsFrames = 4;
constexpr float kInsetShare = 0.2f;      // of the render height
constexpr float kInsetFlipPoint = 0.02f; // beyond it the inset goes to the other side

} // namespace

bool OutsideSidePlanes(const Vec3* normals, const Vec3& offset, float radius) {
    for (int i = 0; i < 4; ++i)
        if (Vec3::Dot(normals[i], offset) - radius > 0.0f) return true;
    return false;
}

int TextureLevelForScreenSize(float s) {
    if (s < 0.1f) return 2;
    if (s < 0.2f) return 3;
    if (s < 0.35f) return 4;
    if (s < 0.7f) return 5;
    return 6;
}

LightAttenuation AttenuationFor(float falloff, float range, bool directional) {
    LightAttenuation a;
    if (directional || !(range > 0.0f)) return a;
    const float k = std::max(1.0f - falloff, kLeastFalloffShare);
    a.linear = (1.0f - k) / (k * range);
    if (!std::isfinite(a.linear)) a.linear = 0.0f;
    return a;
}

void NormalToColour(const Vec3& normal, uint32_t& colour) {
    auto pack = [](float c) {
        const float v = std::round(std::min((c + 1.0f) * 127.5f, 255.0f));
        return uint32_t(std::clamp(std::isfinite(v) ? v : 0.0f, 0.0f, 255.0f));
    };
    colour = pack(normal.x) << 16 | pack(normal.y) << 8 | pack(normal.z);
}

uint32_t FramesPerSecond(uint32_t elapsedMs) {
    return elapsedMs == 0 ? 0 : kStatisticsFrames * 1000 / elapsedMs;
}

bool DepthOrder(const QueuedNode& a, const QueuedNode& b, const Vec3& camera) {
    auto distance = [&](const QueuedNode& q) {
        const Vec3 at = q.entity ? q.entity->position : q.world.GetTranslation();
        const Vec3 d = at - camera;
        return Vec3::Dot(d, d);
    };
    const float da = distance(a), db = distance(b);
    if (da != db) return da > db;
    return a.order < b.order;
}

Matrix DepthOffsetProjection(const Matrix& projection, float bias, float distance) {
    Matrix shifted = projection;
    if (distance > 0.0f && std::isfinite(bias / distance)) shifted.m[10] -= bias / distance;
    return shifted;
}

float RampAmount(float amount, bool on, float step) {
    const float target = on ? 1.0f : 0.0f;
    if (!std::isfinite(amount)) return target;
    if (!(step > 0.0f)) return std::clamp(amount, 0.0f, 1.0f);
    amount = amount < target ? std::min(amount + step, target) : std::max(amount - step, target);
    return std::clamp(amount, 0.0f, 1.0f);
}

float SlowMotionFactor(float distanceFromOrigin) {
    const float h = 0.025f * distanceFromOrigin;
    if (h <= 0.5f) return 1.0f;
    if (h <= 1.052f) return 0.05f;
    return std::min(h - 1.0f, 1.0f);
}

InsetRect PictureInPictureRect(float x, float y, int width, int height) {
    InsetRect r;
    r.side = int(kInsetShare * float(height));
    const float left = float(width) / 2.0f * (x + 1.0f) - (x < kInsetFlipPoint ? 0.0f : r.side);
    const float top = float(height) / 2.0f * (1.0f - y) - (y < kInsetFlipPoint ? 0.0f : r.side);
    r.left = int(left);
    r.top = int(top);
    // Back by one side when it leaves the target, then held inside.
    if (r.left < 0 || r.left + r.side > width) r.left += r.left < 0 ? r.side : -r.side;
    if (r.top < 0 || r.top + r.side > height) r.top += r.top < 0 ? r.side : -r.side;
    r.left = std::clamp(r.left, 0, std::max(width - r.side - 1, 0));
    r.top = std::clamp(r.top, 0, std::max(height - r.side - r.side / 8, 0));
    return r;
}

} // namespace lumivane
