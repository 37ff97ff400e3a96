// LensFlare: how bright the flares are this frame: oscillation, distance,
// the screen's edges and the bodies in front of the source. Sizes of zero and
// sources at the camera give plain numbers, never NaN.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/lens_flare.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr float kRandomFlickerFrom = 100.0f; // an "oscillate freq" this high flickers
constexpr float kAsteroidCover = 0.75f;
constexpr float kHalfTurn = kPi * 0.5f;

// The bounding sphere's scale (it lies in the Entity part of every block).
float BoundScale(const Entity& e) {
    return e.props ? e.props->Float(EntityFields().mainBoundScale) : 1.0f;
}

float Clamp01(float value) {
    return value > 0.0f ? std::min(value, 1.0f) : 0.0f; // a NaN gives 0
}

float Oscillation(float amplitude, float frequency) {
    const float base = 1.0f - amplitude * 0.5f;
    if (frequency >= kRandomFlickerFrom)
        return base + amplitude * 0.5f * (2.0f * RandomFloat(0.0f, 1.0f) - 1.0f);
    if (!(frequency > 0.0f)) return base;
    const double period = 1000.0 / frequency; // ms
    const double into = std::fmod(double(GetSceneClock().gameTime), period);
    return base + amplitude * 0.5f * std::sin(float(2.0 * kPi * into / period));
}

// The part of the source still seen past a body: 1 when they are apart, 0
// when the body covers it; `body` and `source` are angular radii, `apart`
// the angle between their centres.
float Uncovered(float apart, float body, float source) {
    if (!(source > 0.0f)) return apart < body ? 0.0f : 1.0f;
    return Clamp01(1.0f - (apart - body - source) / (-source - body) * (body / source));
}

} // namespace

FlareLight LensFlare::MeasureLight(const Entity& source, bool ownSource) const {
    const LensFlarePropFields& f = LensFlareFields();
    const Vec3 camera = CurrentCameraPose().position;
    FlareLight result;

    // The source's size: its bounding sphere, or without a source the
    // flare's own "scale".
    const float size =
        ownSource ? props->Float(EntityFields().scale) : BoundScale(source) * source.radius;
    float b = Oscillation(props->Float(f.amplitude), props->Float(f.frequency));
    if (props->Flag(f.distanceAttenuation)) {
        const float distance = (position - camera).Length();
        if (distance > 0.0f) b *= Clamp01(std::sqrt(std::max(5.0f * size, 0.0f) / distance));
    }
    result.oscillation = b;

    // Fading out across the screen's edges; gone beyond them.
    const float reach = 1.2f * size;
    const Vec3 toSource = source.position - camera;
    for (const Vec3& normal : CurrentCameraMatrices().sideNormals) {
        const float d = Vec3::Dot(normal, toSource);
        if (!(reach > 0.0f)) {
            if (d > 0.0f) result.edge = 0.0f;
        } else if (d > reach) {
            result.edge = 0.0f;
        } else if (d >= -reach) {
            result.edge *= std::sqrt(Clamp01(1.0f - (reach + d) / (2.0f * reach)));
        }
    }

    // Bodies between the camera and the source.
    const float sourceDistance = toSource.Length();
    const float sourceAngle = sourceDistance > 0.0f ? std::atan2(reach, sourceDistance) : kHalfTurn;
    if (World* world = GetWorld())
        for (int i = 0; i < world->EntityCount(); ++i) {
            const Entity* body = world->EntityAt(i);
            if (!body || body == &source || body->noFlareOcclusion ||
                !(IsA(body, ClassId::Planet) || IsA(body, ClassId::Asteroid) ||
                  IsA(body, ClassId::Moon)))
                continue;
            float r = BoundScale(*body) * body->radius;
            if (IsA(body, ClassId::Asteroid)) r *= kAsteroidCover;
            const Vec3 toBody = body->position - camera;
            const float bodyDistance = toBody.Length();
            if (!(bodyDistance < sourceDistance)) continue;
            // The camera inside the body sees nothing through it.
            const float bodyAngle =
                bodyDistance > r ? std::asin(std::clamp(r / bodyDistance, 0.0f, 1.0f)) : kHalfTurn;
            const float apart =
                bodyDistance > 0.0f && sourceDistance > 0.0f
                    ? FastAcos(Vec3::Dot(toBody, toSource) / (bodyDistance * sourceDistance))
                    : 0.0f;
            if (apart < bodyAngle + sourceAngle)
                result.occlusion *= Uncovered(apart, bodyAngle, sourceAngle);
        }
    result.total = Clamp01(result.oscillation * result.edge * result.occlusion);
    return result;
}

} // namespace lumivane
