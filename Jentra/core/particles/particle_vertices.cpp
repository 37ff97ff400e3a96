// Vertex and index building for particle systems.
#include "Jentra/core/particles/particle_vertices.h"

#include <cmath>
#include <cstring>

namespace jentra::particles {

namespace {

// Lifespans this long count as endless: no fades, no end colour.
constexpr float kEndlessLifespan = 9999.0f;
constexpr float kStillSpeedSquared = 0.0001f;

float Clamp01(float x) {
    if (!(x > 0.0f)) return 0.0f; // NaN too
    return x > 1.0f ? 1.0f : x;
}

uint32_t ToByte(float channel) {
    return uint32_t(Clamp01(channel) * 255.0f);
}

// The axis across both a and the line of sight; any perpendicular of a when
// they are parallel.
JTVec3 Across(const JTVec3& a, const JTVec3& sight) {
    JTVec3 c = JTVec3Cross(a, sight);
    if (c.Length() < 1e-6f)
        c = JTVec3Cross(a, std::fabs(a.y) < 0.9f ? JTVec3(0, 1, 0) : JTVec3(1, 0, 0));
    return JTVec3Normalize(c);
}

} // namespace

float ParticleAlpha(const JTPartSysValues& v, const JTParticle& p) {
    if (p.lifespan >= kEndlessLifespan) return Clamp01(p.opacity);
    float f = p.age / p.lifespan;
    float alpha = p.opacity;
    if (v.bFadeIn && f < v.fFadeInTime)
        alpha = p.opacity * f / v.fFadeInTime;
    else if (v.bFadeOut && f > v.fFadeOutTime)
        alpha = p.opacity * (1.0f - (f - v.fFadeOutTime) / (1.0f - v.fFadeOutTime));
    return Clamp01(alpha);
}

uint32_t ParticleColor(const JTPartSysValues& v, const JTParticle& p) {
    float r = v.fRed, g = v.fGreen, b = v.fBlue;
    if (v.bEndColor && p.lifespan < kEndlessLifespan) {
        float f = p.age / p.lifespan;
        if (f > v.fEndColorFadeTime) {
            float t = (f - v.fEndColorFadeTime) / (1.0f - v.fEndColorFadeTime);
            if (t > 1.0f) t = 1.0f;
            r = (1.0f - t) * v.fRed + t * v.fEndRed;
            g = (1.0f - t) * v.fGreen + t * v.fEndGreen;
            b = (1.0f - t) * v.fBlue + t * v.fEndBlue;
        }
    }
    uint32_t a = ToByte(ParticleAlpha(v, p));
    return (a << 24) | (ToByte(r) << 16) | (ToByte(g) << 8) | ToByte(b);
}

void BuildQuads(const JTPartSysValues& v, const JTParticle* particles, int count,
                const JTVec3& center, const CameraAxes& camera, JTPartVertex* out) {
    static const float kU[4] = {0.0f, 1.0f, 0.0f, 1.0f};
    static const float kV[4] = {0.0f, 0.0f, 1.0f, 1.0f};
    // Corner signs along the first and the second axis: top-left,
    // top-right, bottom-left, bottom-right.
    static const float kSideA[4] = {-1.0f, 1.0f, -1.0f, 1.0f};
    static const float kSideB[4] = {1.0f, 1.0f, -1.0f, -1.0f};

    for (int i = 0; i < count; ++i) {
        const JTParticle& p = particles[i];
        JTPartVertex* quad = out + 4 * i;
        if (!p.alive) {
            std::memset(static_cast<void*>(quad), 0, 4 * sizeof(JTPartVertex));
            continue;
        }
        // Unit axes: a takes the size, b (the quad's up axis, along which
        // the texture's v runs) the size x aspect ratio. For a kite b follows
        // the velocity, so an aspect ratio above 1 draws the streak; for a
        // spherical quad it points away from the centre.
        JTVec3 a, b;
        if (v.bKite) {
            b = p.vel;
            if (JTVec3Dot(b, b) <= kStillSpeedSquared)
                b = JTVec3(0, 1, 0);
            else
                b = JTVec3Normalize(b);
            a = Across(b, p.pos - camera.position);
        } else if (v.bSpherical) {
            b = p.pos - center;
            b = b.Length() > 1e-6f ? JTVec3Normalize(b) : JTVec3(0, 1, 0);
            a = Across(b, p.pos - camera.position);
        } else {
            float c = std::cos(p.spin), s = std::sin(p.spin);
            a = camera.right * c + camera.up * s;
            b = camera.up * c - camera.right * s;
        }
        JTVec3 ha = a * p.size;
        JTVec3 hb = b * (p.size * v.fAspectRatio);
        uint32_t color = ParticleColor(v, p);
        for (int k = 0; k < 4; ++k) {
            JTVec3 corner = p.pos + ha * kSideA[k] + hb * kSideB[k];
            quad[k] = JTPartVertex{corner.x, corner.y, corner.z, color, kU[k], kV[k]};
        }
    }
}

void BuildIndices(uint16_t* out, int count) {
    if (count > kMaxParticles) count = kMaxParticles;
    for (int i = 0; i < count; ++i) {
        uint16_t base = uint16_t(4 * i);
        uint16_t* q = out + 6 * i;
        q[0] = base;
        q[1] = uint16_t(base + 1);
        q[2] = uint16_t(base + 2);
        q[3] = uint16_t(base + 2);
        q[4] = uint16_t(base + 1);
        q[5] = uint16_t(base + 3);
    }
}

} // namespace jentra::particles
