// Spawning and stepping of particles: the spawn shapes (elevation band,
// sphere, model vertices), the jitter and turn of the spawn point, the
// initial velocity, and the forces of one step (springs, spirals,
// turbulence, drag, fading-in forces).
#include "Jentra/core/particles/particle_sim.h"

#include <cmath>

#include "Jentra/JTRandom.h"

namespace jentra::particles {

namespace {

constexpr float kTwoPi = 6.2831853f;
// Catch-up steps after a late birth are at most this part of the lifespan.
constexpr float kCatchUpFraction = 0.1f;
// A late birth is at most one lifespan late, so this many catch-up steps
// always suffice; the bound only guards against rounding.
constexpr int kMaxCatchUpSteps = 12;

float& Component(JTVec3& v, int axis) {
    return axis == 0 ? v.x : (axis == 1 ? v.y : v.z);
}

JTVec3 UnitAxis(int axis) {
    return JTVec3(axis == 0 ? 1.0f : 0.0f, axis == 1 ? 1.0f : 0.0f, axis == 2 ? 1.0f : 0.0f);
}

JTMatrix Blend(const JTMatrix& a, const JTMatrix& b, float w) {
    JTMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = a.m[r][c] * (1.0f - w) + b.m[r][c] * w;
    return out;
}

JTVec3 SpawnPosition(const Frame& frame) {
    const JTPartSysValues& v = *frame.values;
    // Each draw is taken in its own statement: the order of the draws is
    // part of what a seed reproduces, and operands have no fixed order.
    JTVec3 point;
    if (frame.emitPoints && frame.emitPoints->PickPoint(point)) {
        JTVec3 dir = RandomDirection();
        return point + dir * Uniform(v.fSpawnRadius, v.fSpawnRadiusSpread);
    }
    float h = v.fSpawnHeightSpread;
    if (h <= kElevationBandLimit) {
        float elevation = RandomBetween(-h, h);
        float heading = RandomBetween(0.0f, kTwoPi);
        float radius = Uniform(v.fSpawnRadius, v.fSpawnRadiusSpread);
        JTVec3 dir(std::cos(elevation) * std::cos(heading), std::sin(elevation),
                   std::cos(elevation) * std::sin(heading));
        return dir * radius;
    }
    JTVec3 dir = RandomDirection();
    return dir * Uniform(v.fSpawnRadius, v.fSpawnRadiusSpread);
}

// The motion of one living particle over h seconds; its age has already
// been advanced. turbulenceIndex shifts the turbulence phase per particle.
void Move(const Frame& frame, JTParticle& p, float turbulenceIndex, float h) {
    const JTPartSysValues& v = *frame.values;
    for (int axis = 0; axis < 3; ++axis) {
        float spring = v.fSpring[axis];
        float spiral = v.fSpiral[axis];
        if (spring == 0.0f && spiral == 0.0f) continue;
        JTVec3 r = p.pos - frame.center;
        Component(r, axis) = 0.0f;
        if (r.Length() > 0.001f) {
            p.vel -= r * spring;
            p.vel += JTVec3Cross(r, UnitAxis(axis)) * spiral;
        }
    }
    for (int axis = 0; axis < 3; ++axis) {
        float amount = v.fTurbulence[axis][0];
        if (amount == 0.0f) continue;
        float freq = v.fTurbulence[axis][1];
        Component(p.pos, axis) += std::sin(freq * p.age + turbulenceIndex) * amount * h;
    }
    float keep = 1.0f - v.fDrag;
    p.vel = p.vel * std::pow(keep < 0.0f ? 0.0f : keep, h);
    float f = p.age / p.lifespan;
    for (int axis = 0; axis < 3; ++axis) {
        float fade = v.fForceFadeIn[axis];
        Component(p.vel, axis) += (fade * f + 1.0f - fade) * v.fForce[axis] * h;
    }
    p.pos += p.vel * h;
    p.spin += p.spinRate * h;
    p.size += p.grow * h;
    if (p.size < 0.0f) p.size = 0.0f;
}

// How far into its current cycle a particle of this age is.
float CycleRemainder(float age, float lifespan) {
    return age - lifespan * std::floor(age / lifespan);
}

} // namespace

int ClampedCount(const JTPartSysValues& values) {
    int n = values.iNumParticles;
    if (n < 0) return 0;
    return n > kMaxParticles ? kMaxParticles : n;
}

float Uniform(float a, float s) {
    return a - s + 2.0f * s * RandomFraction();
}

JTVec3 RandomDirection() {
    float x = RandomBetween(-1.0f, 1.0f);
    float y = RandomBetween(-1.0f, 1.0f);
    float z = RandomBetween(-1.0f, 1.0f);
    return JTVec3Normalize(JTVec3(x, y, z));
}

void ResetParticles(const JTPartSysValues& v, JTArray<JTParticle>& particles) {
    int n = ClampedCount(v);
    while (particles.GetCount() > n)
        particles.RemoveLast();
    while (particles.GetCount() < n)
        if (particles.Add(JTParticle{}) < 0) break;
    n = particles.GetCount();
    for (int i = 0; i < n; ++i) {
        JTParticle& p = particles[i];
        p = JTParticle{};
        p.lifespan = Uniform(v.fLifespan, v.fLifespanSpread);
        if (p.lifespan < kMinLifespan) p.lifespan = kMinLifespan;
        if (v.bSpaceEvenly) {
            p.age = (float(i) / float(n)) * p.lifespan;
            if (v.bStartSpreadOut) p.age += p.lifespan;
        } else {
            p.age = p.lifespan;
        }
    }
}

void SpawnParticle(const Frame& frame, JTParticle& p, float t0) {
    const JTPartSysValues& v = *frame.values;

    JTVec3 pos = SpawnPosition(frame);
    pos.x += Uniform(0.0f, v.fSpawnXSpread);
    pos.y += Uniform(0.0f, v.fSpawnYSpread);
    pos.z += Uniform(0.0f, v.fSpawnZSpread);
    pos.y *= frame.spawnScaleY;
    pos.x *= frame.spawnScaleXZ;
    pos.z *= frame.spawnScaleXZ;
    if (v.fSpawnYaw != 0.0f || v.fSpawnPitch != 0.0f || v.fSpawnRoll != 0.0f)
        pos = JTVec3TransformNormal(
            pos, JTMatrixRotationYawPitchRoll(v.fSpawnYaw, v.fSpawnPitch, v.fSpawnRoll));

    JTVec3 vel = (pos.x == 0.0f && pos.y == 0.0f && pos.z == 0.0f) ? RandomDirection()
                                                                   : JTVec3Normalize(pos);
    vel = vel * Uniform(v.fVelocityOutward, v.fVelocityOutwardSpread);
    vel.x += Uniform(v.fVelocity[0][0], v.fVelocity[0][1]);
    vel.y += Uniform(v.fVelocity[1][0], v.fVelocity[1][1]);
    vel.z += Uniform(v.fVelocity[2][0], v.fVelocity[2][1]);
    // The emitter's own motion is carried in game time; particle velocities
    // are scaled by the time scale when stepped. A time scale of 0 freezes
    // the particles, so the term is left out rather than divided by zero.
    if (v.fTimeScale != 0.0f) vel += frame.entityVelocity * (v.fDropVelocity / v.fTimeScale);

    p.lifespan = Uniform(v.fLifespan, v.fLifespanSpread);
    if (p.lifespan < kMinLifespan) p.lifespan = kMinLifespan;
    p.age = 0.0f;
    p.spin = RandomBetween(0.0f, kTwoPi);
    p.spinRate = Uniform(v.fSpin, v.fSpinSpread);
    p.size = Uniform(v.fSize, v.fSizeSpread);
    if (p.size < 0.0f) p.size = 0.0f;
    p.grow = v.fGrow + (2.0f * RandomFraction() - 1.0f) * v.fGrowSpread;
    p.opacity = Uniform(v.fOpacity, v.fOpacitySpread);
    if (p.opacity < 0.0f) p.opacity = 0.0f;
    if (p.opacity > 1.0f) p.opacity = 1.0f;
    p.alive = 1;

    if (v.bDropParticles) {
        JTMatrix m = frame.world;
        if (frame.prevAge > 0.0f) {
            float w = t0 / frame.prevAge;
            if (w > 1.0f) w = 1.0f;
            if (w > 0.0f) m = Blend(frame.world, frame.prevWorld, w);
        }
        pos = JTVec3TransformCoord(pos, m);
        vel = JTVec3TransformNormal(vel, m);
    }
    p.pos = pos;
    p.vel = vel;

    if (t0 > 0.0f) {
        float maxStep = p.lifespan * kCatchUpFraction;
        float left = t0;
        for (int i = 0; i < kMaxCatchUpSteps && left > 0.0f; ++i) {
            float step = left < maxStep ? left : maxStep;
            p.age += step;
            Move(frame, p, 0.0f, step);
            left -= step;
        }
    }
}

bool StepParticle(const Frame& frame, JTParticle& p, int index, float h) {
    const JTPartSysValues& v = *frame.values;
    bool rebirth = v.bOn && frame.running && !v.bOneShot;
    if (p.alive || rebirth || v.bSpaceEvenly) p.age += h;

    // One check per step: a particle below its lifespan moves once by h.
    if (p.age < p.lifespan) {
        if (p.alive) Move(frame, p, float(index), h);
        return true;
    }

    float remainder = CycleRemainder(p.age, p.lifespan);
    if (rebirth || !p.alive) {
        SpawnParticle(frame, p, v.bSpaceEvenly ? remainder : 0.0f);
        return true;
    }
    p.size = 0.0f;
    p.opacity = 0.0f;
    if (v.bSpaceEvenly && !v.bOneShot && !frame.finish)
        p.age = remainder;
    else
        p.age = p.lifespan;
    return false;
}

} // namespace jentra::particles
