// Particle simulation without an entity: reset, spawn shapes, the forces of
// a step, the end of one-shot particles, colours, fades and quad building.
#include "Jentra/JTRandom.h"
#include "Jentra/core/particles/particle_sim.h"
#include "Jentra/core/particles/particle_vertices.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

using namespace jentra::particles;

constexpr float kPi = 3.14159265f;

// A system whose particles start at the emitter with a fixed velocity and
// no randomness in any value.
JTPartSysValues StillValues() {
    JTPartSysValues v;
    v.bDropParticles = false;
    v.iNumParticles = 4;
    v.fLifespan = 10.0f;
    return v;
}

Frame MakeFrame(const JTPartSysValues& v) {
    Frame f;
    f.values = &v;
    return f;
}

TEST(ParticleSim, ResetSpacesBirthsOverOneLifespan) {
    JTPartSysValues v = StillValues();
    v.bSpaceEvenly = true;
    v.bStartSpreadOut = false;
    JTArray<JTParticle> particles;
    ResetParticles(v, particles);
    ASSERT_EQ(particles.GetCount(), 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(particles[i].alive, 0u);
        EXPECT_FLOAT_EQ(particles[i].age, 2.5f * float(i));
    }
    v.bStartSpreadOut = true;
    ResetParticles(v, particles);
    EXPECT_FLOAT_EQ(particles[1].age, 12.5f);

    // Without spacing every particle is due at once; the count follows the
    // property and shrinks as well as grows.
    v.bSpaceEvenly = false;
    v.iNumParticles = 2;
    ResetParticles(v, particles);
    ASSERT_EQ(particles.GetCount(), 2);
    EXPECT_FLOAT_EQ(particles[0].age, 10.0f);
}

TEST(ParticleSim, CountIsClampedToWhatOneDrawHolds) {
    JTPartSysValues v = StillValues();
    v.iNumParticles = 100000;
    JTArray<JTParticle> particles;
    ResetParticles(v, particles);
    EXPECT_EQ(particles.GetCount(), kMaxParticles);
    v.iNumParticles = -5;
    ResetParticles(v, particles);
    EXPECT_EQ(particles.GetCount(), 0);
}

TEST(ParticleSim, ResetLifespanNeverZero) {
    JTPartSysValues v = StillValues();
    v.fLifespan = 0.0f;
    JTArray<JTParticle> particles;
    ResetParticles(v, particles);
    for (int i = 0; i < particles.GetCount(); ++i)
        EXPECT_GE(particles[i].lifespan, kMinLifespan);
}

TEST(ParticleSim, VelocityAndFadingForceFollowTheStepFormulas) {
    JTPartSysValues v = StillValues();
    v.fVelocity[1][0] = 2.0f;
    v.fForce[1] = -1.0f;
    v.fForceFadeIn[0] = 1.0f; // fades in a force that is 0: no effect
    Frame frame = MakeFrame(v);
    JTArray<JTParticle> particles;
    ResetParticles(v, particles);
    JTParticle& p = particles[0];

    EXPECT_TRUE(StepParticle(frame, p, 0, 0.1f)); // born, does not move yet
    EXPECT_EQ(p.alive, 1u);
    EXPECT_FLOAT_EQ(p.pos.y, 0.0f);
    for (int k = 1; k <= 5; ++k)
        EXPECT_TRUE(StepParticle(frame, p, 0, 0.1f));
    // Five moves: v_k = 2 - 0.1 k, y = sum of v_k x 0.1 = 1.0 - 0.15.
    EXPECT_NEAR(p.vel.y, 1.5f, 1e-5f);
    EXPECT_NEAR(p.pos.y, 0.85f, 1e-5f);
    EXPECT_NEAR(p.age, 0.5f, 1e-5f);
    EXPECT_FLOAT_EQ(p.pos.x, 0.0f);
}

TEST(ParticleSim, ForceFadeInRampsOverTheLife) {
    JTPartSysValues v = StillValues();
    v.fForce[0] = 1.0f;
    v.fForceFadeIn[0] = 1.0f;
    Frame frame = MakeFrame(v);
    JTParticle p{};
    SpawnParticle(frame, p, 0.0f);
    p.age = 4.9f; // the step makes it 5.0: half the life, half the force
    StepParticle(frame, p, 0, 0.1f);
    EXPECT_NEAR(p.vel.x, 0.5f * 0.1f, 1e-6f);
}

TEST(ParticleSim, DragOneStopsAndZeroKeeps) {
    JTPartSysValues v = StillValues();
    v.fVelocity[0][0] = 3.0f;
    v.fDrag = 1.0f;
    Frame frame = MakeFrame(v);
    JTParticle p{};
    SpawnParticle(frame, p, 0.0f);
    StepParticle(frame, p, 0, 0.05f);
    EXPECT_EQ(p.vel.x, 0.0f);
    EXPECT_EQ(p.pos.x, 0.0f);

    v.fDrag = 0.0f;
    SpawnParticle(frame, p, 0.0f);
    StepParticle(frame, p, 0, 0.05f);
    EXPECT_FLOAT_EQ(p.vel.x, 3.0f);
    EXPECT_FLOAT_EQ(p.pos.x, 0.15f);
}

TEST(ParticleSim, SpringPullsAndSpiralSwirlsAboutTheAxis) {
    JTPartSysValues v = StillValues();
    v.fSpring[1] = 2.0f;
    Frame frame = MakeFrame(v);
    JTParticle p{};
    SpawnParticle(frame, p, 0.0f);
    p.pos = JTVec3(1.0f, 5.0f, 0.0f);
    StepParticle(frame, p, 0, 0.1f);
    // r = (1, 0, 0) (y removed): velocity -= r x 2.
    EXPECT_NEAR(p.vel.x, -2.0f, 1e-6f);
    EXPECT_NEAR(p.vel.y, 0.0f, 1e-6f);

    v.fSpring[1] = 0.0f;
    v.fSpiral[1] = 1.0f;
    SpawnParticle(frame, p, 0.0f);
    p.pos = JTVec3(1.0f, 5.0f, 0.0f);
    StepParticle(frame, p, 0, 0.1f);
    // (1,0,0) x (0,1,0) = (0,0,1).
    EXPECT_NEAR(p.vel.z, 1.0f, 1e-6f);
    EXPECT_NEAR(p.vel.x, 0.0f, 1e-6f);
}

TEST(ParticleSim, TurbulenceUsesAgeAndIndex) {
    JTPartSysValues v = StillValues();
    v.fTurbulence[2][0] = 2.0f;
    v.fTurbulence[2][1] = 3.0f;
    Frame frame = MakeFrame(v);
    JTParticle p{};
    SpawnParticle(frame, p, 0.0f);
    StepParticle(frame, p, 7, 0.1f);
    EXPECT_NEAR(p.pos.z, std::sin(3.0f * 0.1f + 7.0f) * 2.0f * 0.1f, 1e-6f);
}

TEST(ParticleSim, SpawnRadiusAndHeightBand) {
    JTPartSysValues v = StillValues();
    v.fSpawnRadius = 2.0f;
    v.fSpawnHeightSpread = 0.0f; // a flat ring
    Frame frame = MakeFrame(v);
    randseed = 1234;
    for (int i = 0; i < 50; ++i) {
        JTParticle p{};
        SpawnParticle(frame, p, 0.0f);
        EXPECT_NEAR(p.pos.Length(), 2.0f, 1e-4f);
        EXPECT_NEAR(p.pos.y, 0.0f, 1e-5f);
    }
    // 89 degrees still draws an elevation and a heading; 90 draws a
    // cube-distributed direction. Same seed, the point each branch makes.
    float h = kElevationBandLimit;
    v.fSpawnHeightSpread = h;
    randseed = 77;
    float elevation = RandomBetween(-h, h);
    float heading = RandomBetween(0.0f, 2.0f * kPi);
    JTVec3 band(std::cos(elevation) * std::cos(heading), std::sin(elevation),
                std::cos(elevation) * std::sin(heading));
    randseed = 77;
    JTParticle p{};
    SpawnParticle(frame, p, 0.0f);
    EXPECT_NEAR((p.pos - band * 2.0f).Length(), 0.0f, 1e-4f);

    v.fSpawnHeightSpread = kPi / 2;
    randseed = 77;
    JTVec3 cube = RandomDirection();
    randseed = 77;
    SpawnParticle(frame, p, 0.0f);
    EXPECT_NEAR((p.pos - cube * 2.0f).Length(), 0.0f, 1e-4f);
}

TEST(ParticleSim, SpawnSpreadsStayWithinTheirRanges) {
    JTPartSysValues v = StillValues();
    v.fSpawnXSpread = 1.0f;
    v.fVelocity[0][0] = 5.0f;
    v.fVelocity[0][1] = 0.5f;
    v.fLifespan = 3.0f;
    v.fLifespanSpread = 1.0f;
    v.fSize = 0.2f;
    v.fSizeSpread = 0.1f;
    v.fOpacity = 0.9f;
    v.fOpacitySpread = 0.5f;
    Frame frame = MakeFrame(v);
    randseed = 99;
    for (int i = 0; i < 100; ++i) {
        JTParticle p{};
        SpawnParticle(frame, p, 0.0f);
        EXPECT_LE(std::fabs(p.pos.x), 1.0f);
        EXPECT_EQ(p.pos.y, 0.0f);
        // Outward speed is 0, so only the X velocity (with its spread).
        EXPECT_GE(p.vel.x, 4.5f);
        EXPECT_LE(p.vel.x, 5.5f);
        EXPECT_GE(p.lifespan, 2.0f);
        EXPECT_LE(p.lifespan, 4.0f);
        EXPECT_GE(p.size, 0.1f);
        EXPECT_LE(p.size, 0.3f);
        EXPECT_GE(p.opacity, 0.4f);
        EXPECT_LE(p.opacity, 1.0f);
        EXPECT_GE(p.spin, 0.0f);
        EXPECT_LT(p.spin, 2.0f * kPi);
    }
}

TEST(ParticleSim, ZeroTimeScaleLeavesNoNaN) {
    JTPartSysValues v = StillValues();
    v.fTimeScale = 0.0f;
    Frame frame = MakeFrame(v);
    frame.entityVelocity = JTVec3(1.0f, 2.0f, 3.0f);
    JTParticle p{};
    SpawnParticle(frame, p, 0.0f);
    EXPECT_FALSE(std::isnan(p.vel.x) || std::isnan(p.vel.y) || std::isnan(p.vel.z));
    EXPECT_EQ(p.vel.Length(), 0.0f);

    // With a time scale the emitter's velocity is carried over, scaled.
    v.fTimeScale = 2.0f;
    v.fDropVelocity = 0.5f;
    SpawnParticle(frame, p, 0.0f);
    EXPECT_FLOAT_EQ(p.vel.z, 3.0f * 0.5f / 2.0f);
}

TEST(ParticleSim, OneShotParticlesDieOnceAndStayDead) {
    JTPartSysValues v = StillValues();
    v.bOneShot = true;
    v.fLifespan = 0.25f;
    v.fSize = 0.5f;
    Frame frame = MakeFrame(v);
    JTParticle p{};
    p.lifespan = 0.25f;
    p.age = 0.25f;
    EXPECT_TRUE(StepParticle(frame, p, 0, 0.1f));  // born
    EXPECT_TRUE(StepParticle(frame, p, 0, 0.1f));  // 0.1
    EXPECT_TRUE(StepParticle(frame, p, 0, 0.1f));  // 0.2
    EXPECT_FALSE(StepParticle(frame, p, 0, 0.1f)); // 0.3: dead
    EXPECT_EQ(p.size, 0.0f);
    EXPECT_EQ(p.opacity, 0.0f);
    EXPECT_FLOAT_EQ(p.age, 0.25f);
    EXPECT_FALSE(StepParticle(frame, p, 0, 0.1f)); // never born again
}

TEST(ParticleSim, SpacedStreamKeepsItsPlaceInTheCycle) {
    JTPartSysValues v = StillValues();
    v.bSpaceEvenly = true;
    v.bOn = false; // dying particles are not reborn
    v.fLifespan = 1.0f;
    Frame frame = MakeFrame(v);
    JTParticle p{};
    SpawnParticle(frame, p, 0.0f);
    p.age = 0.95f;
    EXPECT_FALSE(StepParticle(frame, p, 0, 0.1f));
    EXPECT_NEAR(p.age, 0.05f, 1e-5f);

    // Reborn late, a spaced particle catches up the time it missed.
    v.bOn = true;
    p.age = 0.95f;
    EXPECT_TRUE(StepParticle(frame, p, 0, 0.1f));
    EXPECT_NEAR(p.age, 0.05f, 1e-5f);
}

TEST(ParticleColors, StartEndBlendAndFades) {
    JTPartSysValues v = StillValues();
    v.fRed = 1.0f;
    v.fGreen = 0.5f;
    v.fBlue = 0.0f;
    v.bEndColor = true;
    v.fEndRed = 0.0f;
    v.fEndGreen = 0.0f;
    v.fEndBlue = 1.0f;
    v.fEndColorFadeTime = 0.5f;
    v.bFadeIn = false;
    JTParticle p{};
    p.alive = 1;
    p.opacity = 1.0f;
    p.lifespan = 10.0f;
    p.age = 7.5f; // f = 0.75: t = 0.5, fade-out alpha 1 - 0.25 / 0.5
    EXPECT_EQ(ParticleColor(v, p), 0x7F7F3F7Fu);
    p.age = 2.0f; // before the fade time: the start colour, full alpha
    EXPECT_EQ(ParticleColor(v, p), 0xFFFF7F00u);

    v.bFadeIn = true;
    v.fFadeInTime = 0.5f;
    p.age = 1.0f; // f = 0.1: alpha = 0.1 / 0.5
    EXPECT_NEAR(ParticleAlpha(v, p), 0.2f, 1e-6f);

    // Channels beyond 1 saturate rather than spill into the next byte.
    v.fRed = 2.0f;
    p.age = 3.0f;
    EXPECT_EQ((ParticleColor(v, p) >> 16) & 0xFF, 0xFFu);
    EXPECT_EQ((ParticleColor(v, p) >> 24) & 0xFF, 153u); // fading in: 0.3 / 0.5
}

TEST(ParticleQuads, BillboardKiteAndDeadParticles) {
    JTPartSysValues v = StillValues();
    v.fAspectRatio = 2.0f;
    v.bFadeIn = v.bFadeOut = false;
    JTParticle ps[2] = {};
    ps[0].alive = 1;
    ps[0].pos = JTVec3(1, 2, 3);
    ps[0].size = 0.5f;
    ps[0].lifespan = 1.0f;
    ps[0].opacity = 1.0f;
    ps[0].spin = 0.0f;
    CameraAxes cam{JTVec3(0, 0, -10), JTVec3(1, 0, 0), JTVec3(0, 1, 0), JTVec3(0, 0, 1)};
    JTPartVertex out[8];
    BuildQuads(v, ps, 2, JTVec3(), cam, out);
    // Top-left, top-right, bottom-left, bottom-right with their texture
    // corners; half width 0.5, half height 0.5 x 2.
    EXPECT_FLOAT_EQ(out[0].x, 0.5f);
    EXPECT_FLOAT_EQ(out[0].y, 3.0f);
    EXPECT_FLOAT_EQ(out[3].x, 1.5f);
    EXPECT_FLOAT_EQ(out[3].y, 1.0f);
    EXPECT_FLOAT_EQ(out[1].u, 1.0f);
    EXPECT_FLOAT_EQ(out[2].v, 1.0f);
    EXPECT_EQ(out[0].color, 0xFFFFFFFFu);
    for (int k = 4; k < 8; ++k) {
        EXPECT_EQ(out[k].x, 0.0f);
        EXPECT_EQ(out[k].color, 0u);
    }

    // Turned by a quarter turn of spin, the long side lies along x.
    ps[0].spin = kPi / 2;
    BuildQuads(v, ps, 1, JTVec3(), cam, out);
    EXPECT_NEAR(out[0].x, 0.0f, 1e-5f);
    EXPECT_NEAR(out[0].y, 1.5f, 1e-5f);

    // A kite streaks along its velocity: the second axis follows it.
    v.bKite = true;
    ps[0].vel = JTVec3(3, 0, 0);
    BuildQuads(v, ps, 1, JTVec3(), cam, out);
    EXPECT_NEAR(out[0].x - out[2].x, 2.0f, 1e-5f); // 2 x size x aspect along x
    EXPECT_NEAR(out[0].y - out[2].y, 0.0f, 1e-5f);
}

TEST(ParticleQuads, IndicesMakeTwoClockwiseTrianglesAQuad) {
    std::vector<uint16_t> idx(12);
    BuildIndices(idx.data(), 2);
    EXPECT_EQ(idx, (std::vector<uint16_t>{0, 1, 2, 2, 1, 3, 4, 5, 6, 6, 5, 7}));
}

TEST(EngineRandom, GeneratorSequence) {
    randseed = 0;
    float f = RandomFraction();
    EXPECT_EQ(randseed, 1013904223u);
    EXPECT_FLOAT_EQ(f, float(1013904223u & 0x7FFFFFu) / 8388608.0f);
    randseed = 0xFFFFFFFFu;
    for (int i = 0; i < 1000; ++i) {
        float x = RandomBetween(-2.0f, 3.0f);
        EXPECT_GE(x, -2.0f);
        EXPECT_LT(x, 3.0f);
    }
    JTSRand(1);
    EXPECT_EQ(JTRand(), 41); // the classic first value for seed 1
    // A one-value range still takes its draw from the C-runtime sequence.
    int second = JTRand();
    JTSRand(1);
    EXPECT_EQ(RandomInt(3, 3), 3);
    EXPECT_EQ(JTRand(), second);
    EXPECT_EQ(RandomInt(5, 2), 5);
}

} // namespace
