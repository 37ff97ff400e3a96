// PartNode::Draw: one quad per living particle, coloured and faded by its
// age, facing the camera (or lying on the emitter's sphere, or stretched
// along its flight), written into the canvas in runs and drawn as indexed
// triangle lists.
#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/part_node.h"
#include "desktop/scene/entity/part_sys.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane {

namespace {

// Perspective sizing keeps a particle's angular size: s = this x half its
// width over its distance.
constexpr float kPerspectiveFactor = 0.8403361f;
// Larger ratios would ask for the arc sine of more than 1.
constexpr float kMaxPerspectiveRatio = 0.99f;
// A kite with motion blur stretches only above this speed (squared); one
// without, whenever its flight has a direction at all.
constexpr float kMinKiteSpeedSquared = 0.0001f;
constexpr float kStillSpeedSquared = 1e-12f;

uint32_t ColourByte(float value) {
    const float scaled = std::round(value * 255.0f);
    return std::isfinite(scaled) ? uint32_t(std::clamp(scaled, 0.0f, 255.0f)) : 0u;
}

// Two unit vectors across `normal`, any turn about it.
void Across(const Vec3& normal, Vec3& first, Vec3& second) {
    const Vec3 helper = std::fabs(normal.y) < 0.9f ? Vec3(0, 1, 0) : Vec3(1, 0, 0);
    first = Vec3::Cross(helper, normal);
    first.Normalize();
    second = Vec3::Cross(normal, first);
}

struct View {
    Vec3 eye, right, up, forward;
};

} // namespace

CameraPose ParticleCanvas::Camera() const {
    return CurrentCameraPose();
}

void PartNode::Draw(ParticleCanvas& canvas) {
    if (!owner || !owner->HasPartSysBlock() || particles.empty() || quadIndices.empty()) return;
    const PartSysPropFields& f = PartSysFields();
    PropBlock& props = *owner->props;
    // The bias switch is a designer's momentary button: it does nothing else.
    props.SetFlag(f.autoBias, false);

    int alive = 0;
    for (const Particle& p : particles)
        alive += p.state == kParticleAlive ? 1 : 0;
    if (alive == 0) return;

    const bool drop = owner->DropMode();
    const CameraPose camera = canvas.Camera();
    View view{camera.position, camera.right, camera.up, camera.forward};
    Vec3 centre;
    if (drop) {
        centre = owner->emitterMatrix.GetTranslation();
    } else {
        // The camera in the node's space; its axes stay of unit length so
        // the node's scale sizes the particles.
        Matrix inverse = WorldMatrix();
        if (!inverse.InvertAffine()) return;
        inverse.TransformPoint(view.eye);
        inverse.TransformVector(view.right).Normalize();
        inverse.TransformVector(view.up).Normalize();
        inverse.TransformVector(view.forward).Normalize();
    }
    if (props.Flag(f.sphereDisc)) {
        // Every quad faces along the one line from the camera to the centre.
        view.forward = centre - view.eye;
        view.forward.Normalize();
        view.right = Vec3::Cross(view.up, view.forward);
        view.right.Normalize();
        view.up = Vec3::Cross(view.forward, view.right);
    }

    const bool endColour = props.Flag(f.endColourOn);
    const bool fadeIn = props.Flag(f.fadeIn), fadeOut = props.Flag(f.fadeOut);
    const float fadeInTime = props.Float(f.fadeInTime), fadeOutTime = props.Float(f.fadeOutTime);
    const float aspect = props.Float(f.aspectRatio);
    const bool kite = props.Flag(f.kite), motionBlur = props.Flag(f.motionBlur);
    const bool spherical = props.Flag(f.spherical);
    const bool cull = props.Flag(f.backfaceCull);
    const bool perspective = props.Flag(f.perspectiveSizing);

    const int perRun = std::min(canvas.Capacity() / 4, int(quadIndices.size() / 6));
    if (perRun <= 0) return;
    size_t next = 0;
    while (alive > 0) {
        const int quads = std::min(alive, perRun);
        Vertex* out = canvas.Lock(quads * 4);
        if (!out) return;
        for (int q = 0; q < quads; ++q, out += 4) {
            while (particles[next].state != kParticleAlive)
                ++next;
            const Particle& p = particles[next++];
            const float t = p.lifetime > 0.0f ? std::clamp(p.age / p.lifetime, 0.0f, 1.0f) : 1.0f;
            Vec3 colour = owner->tint;
            if (endColour) colour = owner->tint * (1.0f - t) + owner->endTint * t;
            float alpha = p.opacity;
            if (p.lifetime < kEverlastingLifetime) {
                if (fadeIn && t < fadeInTime)
                    alpha = p.opacity * (t / fadeInTime);
                else if (fadeOut && t > 1.0f - fadeOutTime)
                    alpha = p.opacity * (1.0f - (t - (1.0f - fadeOutTime)) / fadeOutTime);
            }
            const uint32_t argb = ColourByte(alpha) << 24 | ColourByte(colour.x) << 16 |
                                  ColourByte(colour.y) << 8 | ColourByte(colour.z);

            const Vec3 toEye = view.eye - p.position;
            Vec3 first, second;
            const float speedSquared = Vec3::Dot(p.velocity, p.velocity);
            const bool moving =
                speedSquared > (motionBlur ? kMinKiteSpeedSquared : kStillSpeedSquared);
            if (kite && moving) {
                // Stretched along the flight, turned to show its face.
                first = p.velocity;
                first.Normalize();
                second = Vec3::Cross(first, toEye);
                second.Normalize();
            } else if (spherical) {
                Vec3 normal = drop ? p.position - centre : p.position;
                normal.Normalize();
                Vec3 a, b;
                Across(normal, a, b);
                const float c = std::cos(p.spinAngle), s = std::sin(p.spinAngle);
                first = a * c + b * s;
                second = b * c - a * s;
            } else {
                const float c = std::cos(p.spinAngle), s = std::sin(p.spinAngle);
                first = view.right * c + view.up * s;
                second = view.up * c - view.right * s;
            }
            float size = p.size;
            if (cull && Vec3::Dot(Vec3::Cross(first, second), toEye) > 0.0f) size = 0.0f;
            first = first * size;
            second = second * (size * aspect);
            if (perspective) {
                const float d = toEye.Length();
                const float half = first.Length();
                if (d > 0.0f && half > 0.0f) {
                    const float s = std::min(kPerspectiveFactor * half / d, kMaxPerspectiveRatio);
                    const float k = 1.0f / std::sqrt(1.0f - s * s); // tan(asin s) / s
                    first = first * k;
                    second = second * k;
                }
            }
            Vec3 normal = toEye;
            normal.Normalize();
            const Vec3 corners[4] = {p.position - first - second, p.position - first + second,
                                     p.position + first - second, p.position + first + second};
            const float us[4] = {0, 0, 1, 1}, vs[4] = {1, 0, 1, 0};
            for (int k = 0; k < 4; ++k) {
                Vertex& v = out[k];
                v.position = corners[k];
                v.normal = normal;
                v.colour = argb;
                v.u = v.u2 = us[k];
                v.v = v.v2 = vs[k];
            }
        }
        canvas.DrawQuads(*this, quads, quadIndices.data(), drop);
        alive -= quads;
    }
}

} // namespace lumivane
