// Particle systems: how particles are born, live and die, where they
// spawn, how colours follow the properties, how far a late frame moves them,
// when a system leaves, and what reaches the canvas.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "tests/desktop/scene/entity/particle_fixture.h"

namespace lumivane {
namespace {

using LvParticles = test::ParticleTest;
using test::RecordingCanvas;

TEST_F(LvParticles, AHundredParticlesAreBornAHundredthOfASecondApart) {
    PartSys* system = MakeSystem([](Entity& e) { SetFlag(e, "Start spread out", false); });
    ASSERT_NE(system, nullptr);
    ASSERT_EQ(system->Particles()->Particles().size(), 100u);
    EXPECT_EQ(AliveCount(*system), 0);

    std::vector<int> born(100, -1);
    for (int ms = 1; ms <= 1010; ++ms) {
        Advance(*system, 1);
        const auto& particles = system->Particles()->Particles();
        for (size_t i = 0; i < particles.size(); ++i)
            if (born[i] < 0 && particles[i].state == kParticleAlive) born[i] = ms;
    }
    // The last particle is the first born; each earlier one 10 ms after it.
    for (int i = 0; i < 100; ++i)
        EXPECT_NEAR(born[size_t(i)], 1000 - 10 * i, 1) << "particle " << i;
}

TEST_F(LvParticles, OneShotLivesOnceAndAutoDeleteRemovesItAfterLifespanAndSpread) {
    auto oneShot = [](bool autoDelete) {
        return [autoDelete](Entity& e) {
            SetFlag(e, "One Shot", true);
            SetFloat(e, "Lifespan spread", 0.5f);
            SetFlag(e, "Auto Delete", autoDelete);
        };
    };
    PartSys* kept = MakeSystem(oneShot(false));
    const EntityHandle keptHandle = kept->handle;
    AddPrototype<PartSys>("flash", oneShot(true));
    PartSys* gone = Spawn<PartSys>("flash");
    gone->Update();
    const EntityHandle goneHandle = gone->handle;

    // Every particle starts at once (spread out) and lives a single life.
    Advance(*kept, 10);
    EXPECT_EQ(AliveCount(*kept), 100);
    for (int i = 0; i < 200; ++i)
        Advance(*kept, 10);
    for (const Particle& p : kept->Particles()->Particles()) {
        EXPECT_EQ(p.size, 0.0f);
        EXPECT_EQ(p.opacity, 0.0f);
    }

    for (int frame = 1; frame <= 14; ++frame)
        Step(0.1f);
    EXPECT_EQ(world.GetEntity(goneHandle), gone) << "before 1.5 s";
    Step(0.1f);
    Step(0.1f);
    EXPECT_EQ(world.GetEntity(goneHandle), nullptr) << "after lifespan + spread";
    for (int frame = 0; frame < 100; ++frame)
        Step(0.1f);
    EXPECT_EQ(world.GetEntity(keptHandle), kept) << "without Auto Delete it stays";
}

TEST_F(LvParticles, TheDefaultsSpawnOnASphereShellAndARingEvenlyRoundIt) {
    PartSys* system = MakeSystem([](Entity& e) { SetFloat(e, "Spawn radius", 2.0f); });
    PartNode& node = *system->Particles();
    for (int i = 0; i < 100; ++i) {
        node.Spawn(i, 0.0f);
        EXPECT_NEAR(node.Particles()[size_t(i)].position.Length(), 2.0f, 1e-4f);
    }
    // Spread over the shell, not gathered: both hemispheres are used.
    int above = 0;
    for (const Particle& p : node.Particles())
        above += p.position.y > 0.0f ? 1 : 0;
    EXPECT_GT(above, 20);
    EXPECT_LT(above, 80);

    // No height spread: a flat ring about Y, particle i at 2 pi i / n.
    SetFloat(*system, "Spawn height spread", 0.0f);
    system->PropChanged(kAllProps);
    node.Spawn(25, 0.0f);
    const Vec3 quarter = node.Particles()[25].position;
    EXPECT_NEAR(quarter.y, 0.0f, 1e-4f);
    EXPECT_NEAR(std::fabs(quarter.x), 2.0f, 1e-3f);
}

TEST_F(LvParticles, PackedAndFloatColoursFollowEachOther) {
    PartSys* system = MakeSystem();
    const PartSysPropFields& f = PartSysFields();
    EXPECT_EQ(system->props->Get<uint32_t>(f.packedColour), 0xFFFFFFFFu);

    system->props->Set<uint32_t>(f.packedColour, 0xFF804020u);
    system->PropChanged(int32_t(f.packedColour));
    EXPECT_NEAR(system->props->Float(f.colour[0]), 0.502f, 5e-4f);
    EXPECT_NEAR(system->props->Float(f.colour[1]), 0.251f, 5e-4f);
    EXPECT_NEAR(system->props->Float(f.colour[2]), 0.125f, 5e-4f);
    EXPECT_NEAR(system->tint.x, 0.502f, 5e-4f);

    // A float past 1 gives a full byte, never a wrapped one; NaN gives none.
    system->props->Set<float>(f.endColour[0], 2.0f);
    system->props->Set<float>(f.endColour[1], std::numeric_limits<float>::quiet_NaN());
    system->props->Set<float>(f.endColour[2], -1.0f);
    system->PropChanged(int32_t(f.endColour[0]));
    EXPECT_EQ(system->props->Get<uint32_t>(f.packedEndColour), 0xFFFF0000u);
    EXPECT_TRUE(std::isfinite(system->endTint.y));
}

TEST_F(LvParticles, ReverseParticlesConvergeOnTheEmitter) {
    PartSys* system = MakeSystem([](Entity& e) {
        SetFlag(e, "Reverse", true);
        SetFlag(e, "Start spread out", false);
        SetInt(e, "Num particles", 1);
    });
    // Born a lifetime's flight away (less the first hundredth of a second).
    AdvanceUntilBorn(*system, 0);
    const Particle& p = system->Particles()->Particles()[0];
    float previous = p.position.Length();
    EXPECT_NEAR(previous, 0.99f, 0.005f);
    for (int step = 0; step < 98; ++step) {
        Advance(*system, 10);
        const float now = p.position.Length();
        EXPECT_LT(now, previous);
        previous = now;
    }
    EXPECT_LT(previous, 0.03f);
}

TEST_F(LvParticles, ALateFrameMovesParticlesNoFurtherThanAQuarterSecond) {
    GetSceneClock().gameTime = 500000; // made long after the clock started
    PartSys* system = MakeSystem([](Entity& e) {
        SetFloat(e, "Lifespan", 100.0f);
        SetFloat(e, "Turbulence X amt", 3.0f);
        SetFloat(e, "Drag", 5.0f); // past 1: held to 1
    });
    Advance(*system, 1);
    std::vector<Vec3> before;
    for (const Particle& p : system->Particles()->Particles())
        before.push_back(p.position);
    EXPECT_LE(before[0].Length(), 0.01f) << "the first step is not a leap from time 0";

    Advance(*system, 10000);
    const auto& after = system->Particles()->Particles();
    for (size_t i = 0; i < after.size(); ++i) {
        ASSERT_TRUE(std::isfinite(after[i].position.Length()));
        EXPECT_LE((after[i].position - before[i]).Length(), 0.25f * (1.0f + 3.0f) + 1e-3f);
    }
}

TEST_F(LvParticles, BadPropertyValuesGiveFiniteParticles) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    PartSys* system = MakeSystem([&](Entity& e) {
        SetInt(e, "Num particles", -5);
        SetFloat(e, "Lifespan", nan);
        SetFloat(e, "Size", 1e30f);
        SetFloat(e, "Time scale", nan);
        SetFlag(e, "Perspective Sizing", true);
    });
    EXPECT_TRUE(system->Particles()->Particles().empty());
    SetInt(*system, "Num particles", 1 << 30);
    system->PropChanged(kAllProps);
    system->Update();
    EXPECT_EQ(int(system->Particles()->Particles().size()), kMaxParticles);
    Advance(*system, 16);
    EXPECT_TRUE(std::isfinite(system->radius));

    RecordingCanvas canvas;
    system->Particles()->Draw(canvas);
    for (const Vertex& v : canvas.drawn)
        ASSERT_FALSE(std::isnan(v.position.x));
}

TEST_F(LvParticles, QuadsGoToTheCanvasInRunsUntilALockFails) {
    PartSys* system = MakeSystem(
        [](Entity& e) {
            SetInt(e, "Num particles", 5);
            SetFloat(e, "Velocity", 0.0f);
            SetFlag(e, "Fade in", false);
            SetFlag(e, "Fade out", false);
            SetFloat(e, "Size", 0.5f);
        },
        {0, 0, 10});
    Advance(*system, 10);
    ASSERT_EQ(AliveCount(*system), 5);

    RecordingCanvas canvas;
    canvas.capacity = 8; // two particles a run
    system->Particles()->Draw(canvas);
    EXPECT_EQ(canvas.runs, (std::vector<int>{2, 2, 1}));
    EXPECT_EQ(canvas.lastIndices, (std::vector<uint16_t>{0, 1, 2, 1, 2, 3}));
    ASSERT_EQ(canvas.drawn.size(), 20u);
    // A camera-facing square of half size 0.5 about the particle, opaque white.
    const Vertex* q = canvas.drawn.data();
    EXPECT_NEAR((q[3].position - q[0].position).Length(), std::sqrt(2.0f), 1e-4f);
    EXPECT_NEAR(q[3].position.z - q[0].position.z, 0.0f, 1e-5f);
    EXPECT_EQ(q[0].colour, 0xFFFFFFFFu);
    EXPECT_EQ(q[1].u, 0.0f);
    EXPECT_EQ(q[2].u, 1.0f);

    RecordingCanvas failing;
    failing.capacity = 8;
    failing.locksLeft = 1;
    system->Particles()->Draw(failing);
    EXPECT_EQ(failing.runs, std::vector<int>{2});

    // A camera inside a particle with perspective sizing draws finite quads.
    SetFlag(*system, "Perspective Sizing", true);
    RecordingCanvas inside;
    inside.pose.position = Vec3(0, 0, 10) + system->Particles()->Particles()[0].position;
    system->Particles()->Draw(inside);
    for (const Vertex& v : inside.drawn)
        ASSERT_TRUE(std::isfinite(v.position.Length()));
}

TEST_F(LvParticles, FadesAndEndColourFollowTheParticlesAge) {
    PartSys* system = MakeSystem([](Entity& e) {
        SetInt(e, "Num particles", 1);
        SetFlag(e, "Start spread out", false);
        SetFlag(e, "End color", true);
        SetFloat(e, "End Red", 0.0f);
        SetFloat(e, "Fade in time", 0.25f);
        SetFloat(e, "Fade out time", 0.25f);
    });
    AdvanceUntilBorn(*system, 0);
    auto colourAt = [&](uint32_t ms) {
        Advance(*system, ms);
        RecordingCanvas canvas;
        system->Particles()->Draw(canvas);
        return canvas.drawn.empty() ? 0u : canvas.drawn[0].colour;
    };
    const uint32_t early = colourAt(100); // a tenth of its life: fading in
    colourAt(200);
    const uint32_t middle = colourAt(200); // half: full, half red
    colourAt(200);
    const uint32_t late = colourAt(200); // nine tenths: fading out, nearly no red
    EXPECT_NEAR(int(early >> 24), 102, 2);
    EXPECT_EQ(middle >> 24, 255u);
    EXPECT_NEAR(int((middle >> 16) & 0xFF), 128, 2);
    EXPECT_NEAR(int(late >> 24), 102, 2);
    EXPECT_NEAR(int((late >> 16) & 0xFF), 26, 2);
}

} // namespace
} // namespace lumivane
