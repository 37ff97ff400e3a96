// Wormholes: opening, arrivals through the exit node and closing, asteroids
// blown out of the way, travellers, the warps on known vertices, and the
// record in scenes and in old files.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "desktop/scene/entity/celestial_bodies.h"
#include "desktop/scene/entity/wormhole.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/model_load_state.h"
#include "tests/desktop/scene/entity/entity_record_bytes.h"
#include "tests/desktop/scene/entity/scenery_fixture.h"

namespace lumivane::test {
namespace {

class LvWormhole : public SceneryTest {
protected:
    Wormhole* Gate(const std::function<void(Entity&)>& tune = nullptr) {
        auto* proto = AddPrototype<Wormhole>("gate", [&](Entity& e) {
            SetFlag(e, "can collide", false);
            SetFlag(e, "affected by gravity", false);
            if (tune) tune(e);
        });
        proto->AddChild(Cube("vortex", 1.0f));
        auto* exit = new TransNode;
        exit->SetName("DummyShip");
        exit->local.MakeTranslation(0, 0, 3);
        proto->AddChild(exit);
        proto->RecomputeBound();
        proto->ApplyProps(kAllProps);
        return Spawn<Wormhole>("gate", {10, 0, 0});
    }
    void Arrival(const char* name) {
        AddPrototype(name, [](Entity& e) {
            SetFloat(e, "health max", 4.0f);
            SetFlag(e, "affected by gravity", false);
            SetFlag(e, "can collide", false);
        });
    }
};

TEST_F(LvWormhole, OpensSendsArrivalsThroughItsExitAndCloses) {
    Wormhole* gate = Gate();
    Arrival("frigate");
    const EntityHandle reserved = world.ReserveHandle();
    WormholeSpawn first{"frigate", 500, reserved, -1, -1, 0.5f, 1};
    WormholeSpawn second{"frigate", 1000, kNoEntity, -1, -1, 1.0f, 0};
    gate->QueueSpawns(std::vector<WormholeSpawn>{first, second});
    EXPECT_EQ(gate->active, 1);
    EXPECT_EQ(gate->lastSpawnTime, 0);

    Run(0.1f, 19); // 1.9 s: not yet fully open (0.5 a second)
    EXPECT_NEAR(gate->level, 0.95f, 1e-4f);
    EXPECT_EQ(gate->spawns.size(), 2u);
    Step(0.1f); // open: the first is due since 500 ms
    ASSERT_EQ(gate->spawns.size(), 1u);
    Entity* unit = world.GetEntity(reserved);
    ASSERT_NE(unit, nullptr) << "the reserved handle was free";
    EXPECT_EQ(unit->position, Vec3(10, 0, 3)) << "at the exit node";
    EXPECT_EQ(unit->velocity, Vec3(0, 0, 3)) << "pushed out forward";
    EXPECT_FLOAT_EQ(unit->health, 2.0f) << "half its health";
    EXPECT_EQ(unit->noDamage, 1);
    EXPECT_NEAR(gate->pulse, 2.0f, 1e-5f);
    EXPECT_FLOAT_EQ(gate->scale, 1.0f) << "without parts its size stays";

    Run(0.1f, 9);
    EXPECT_EQ(gate->spawns.size(), 1u) << "1000 ms after the first";
    Step(0.1f);
    EXPECT_TRUE(gate->spawns.empty());
    EXPECT_EQ(gate->active, 0) << "fully open and nothing queued: it closes";
    Run(0.1f, 5);
    EXPECT_NEAR(gate->level, 1.0f - 0.5f * 0.25f, 1e-4f);
}

TEST_F(LvWormhole, AnAsteroidInTheExitIsBlownApart) {
    Wormhole* gate = Gate();
    Arrival("frigate");
    Arrival("Big Whammy");
    AddPrototype<Asteroid>("Asteroid", [](Entity& e) {
        SetFloat(e, "health max", 3.0f);
        SetFlag(e, "affected by gravity", false);
        SetFlag(e, "can collide", false);
    });
    AddPrototype("bystander", [](Entity& e) {
        SetFlag(e, "affected by gravity", false);
        SetFlag(e, "can collide", false);
    });
    auto* rock = Spawn<Asteroid>("Asteroid", {10, 0, 3.5f});
    Entity* near = Spawn("bystander", {10, 5, 3});
    Entity* far = Spawn("bystander", {10, 40, 3});
    const EntityHandle rockHandle = rock->handle;
    gate->level = 1.0f;
    gate->QueueSpawns(std::vector<WormholeSpawn>{{"frigate", 0}});
    Step(0.1f);
    const Entity* rockNow = world.GetEntity(rockHandle);
    EXPECT_TRUE(rockNow == nullptr || rockNow->health <= 0.0f);
    int blasts = 0;
    for (const Entity* joining : world.JoinList())
        blasts += joining->Name() == "Big Whammy";
    EXPECT_EQ(blasts, 1);
    EXPECT_GT(near->velocity.y, 0.0f) << "thrown clear";
    EXPECT_EQ(far->velocity, Vec3());
}

TEST_F(LvWormhole, TravellersLeaveAfterTwoSecondsAndAreNotedOnce) {
    Wormhole* gate = Gate();
    Arrival("frigate");
    Entity* unit = Spawn("frigate", {10, 0, 0});
    Player side(3);
    unit->owner = &side;
    GetPlayers().players[3] = &side;
    gate->AddTraveller(unit, false);
    EXPECT_TRUE(gate->HasTraveller(unit->handle));
    EXPECT_EQ(gate->active, 1);
    Run(0.5f, 3);
    EXPECT_NE(world.GetEntity(unit->handle), nullptr);
    const EntityHandle gone = unit->handle;
    Step(0.5f); // 2 s after it flew in
    EXPECT_EQ(world.GetEntity(gone), nullptr);
    EXPECT_FALSE(gate->TakeTraveller(2, ""));
    EXPECT_FALSE(gate->TakeTraveller(3, "cruiser"));
    EXPECT_TRUE(gate->TakeTraveller(3, "FRIGATE"));
    EXPECT_FALSE(gate->TakeTraveller(3, "")) << "noted once";
    GetPlayers() = {};
}

TEST_F(LvWormhole, AWaveWarpBendsAKnownVertex) {
    Wormhole* gate = Gate([](Entity& e) {
        SetInt(e, "warp 1 type", int(WarpType::Wave));
        SetInt(e, "warp 1 axis", int(WarpAxis::X));
        SetInt(e, "warp 2 type", int(WarpType::Bulge));
        SetText(e, "warp 2 node", "elsewhere");          // reaches no node of this model
        SetInt(e, "warp 3 type", int(WarpType::Ripple)); // decay rate 0: no NaN
        SetFloat(e, "warp 3 decay position", -1.0f);
        SetInt(e, "warp 4 type", int(WarpType::Noise));
        SetFloat(e, "warp 4 decay position", 5.0f); // reaches no vertex here
    });
    auto* vortex = static_cast<GeoNode*>(gate->ChildAt(0));
    const float b = gate->radius / gate->sizeFactor; // the model's bound radius
    ASSERT_NEAR(b, std::sqrt(3.0f), 1e-5f);
    Vertex v;
    v.position = {0.1f, 0.2f, -0.5f};
    gate->phases[0] = 0.3f;
    gate->pulse = 0.0f; // warp 1 intensity 0.05
    std::vector<Vertex> vertices(size_t(vortex->vertexCount), v);
    gate->NodeCallback(vortex, vertices.data());
    const float wave = -0.5f / b - 1.0f; // below its decay position: decay 1
    const float offset = b * 0.05f * std::sin(3.0f * wave + 0.3f);
    // The ripple of warp 3 acts everywhere beyond -1: y also moves.
    const float x = 0.1f + offset; // the warps act in turn
    const float rippleV = std::sqrt(x * x + 0.25f) / b + 1.0f;
    const float ripple = b * 1.0f * 0.1f * std::sin(3.0f * rippleV);
    EXPECT_NEAR(vertices[0].position.x, 0.1f + offset, 2e-4f);
    EXPECT_NEAR(vertices[0].position.y, 0.2f + ripple, 2e-4f);
    EXPECT_EQ(vertices[0].position.z, -0.5f);
    EXPECT_EQ(vortex->blendMode, 2);

    // Open, warp 1 runs at pulse x 0.15 + 0.05; phases move by their speed.
    gate->pulse = 2.0f;
    vertices.assign(vertices.size(), v);
    gate->NodeCallback(vortex, vertices.data());
    EXPECT_NEAR(vertices[0].position.x - 0.1f, offset * 7.0f, 2e-3f);
    GetSceneClock().frameTime = 0.5f;
    gate->Animate(gate);
    EXPECT_NEAR(gate->phases[0], 0.8f, 1e-6f);
    gate->phases[1] = 6.2f;
    gate->Animate(gate);
    EXPECT_NEAR(gate->phases[1], 6.7f - 2 * kPi, 1e-5f) << "wrapped below two pi";
}

TEST_F(LvWormhole, TheRecordResavesInAScene) {
    const auto root =
        std::filesystem::temp_directory_path() / ("lvwormhole_" + std::to_string(getpid()));
    std::filesystem::create_directories(root / "scenes");
    GetModelLoadState().dataRoot = root;
    SetSceneTimeSource([] { return 1000u; });
    Wormhole* gate = Gate();
    gate->phases[2] = 1.25f;
    gate->level = 0.5f;
    gate->active = 1;
    gate->lastSpawnTime = 4000;
    gate->spawns = {{"frigate", 500, 77, 1, 2, 0.75f, 1}, {"tug", 0, -1, -1, -1, 1.0f, 0}};
    gate->travellers = {{3, "probe", 0.5f, 1234, 9000, 1}};
    scene.heightLimit = 50.0f; // what a loaded scene has
    ASSERT_TRUE(scene.Save("scenes\\a.mis"));
    std::vector<uint8_t> first, second;
    ASSERT_TRUE(platform::ReadWholeFile(root / "scenes" / "a.mis", first));
    ASSERT_EQ(scene.Load("scenes\\a.mis"), 1);
    Wormhole* loaded = nullptr;
    for (int i = 0; i < world.EntityCount(); ++i)
        if (Wormhole* w = AsWormhole(world.EntityAt(i))) loaded = w;
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->spawns.size(), 2u);
    EXPECT_EQ(loaded->spawns[0].healthFraction, 0.75f);
    EXPECT_EQ(loaded->travellers[0].exitTime, 9000);
    EXPECT_EQ(loaded->phases[2], 1.25f);
    ASSERT_TRUE(scene.Save("scenes\\a.mis"));
    ASSERT_TRUE(platform::ReadWholeFile(root / "scenes" / "a.mis", second));
    EXPECT_EQ(FirstDifference(first, second), first.size());
    EXPECT_EQ(first.size(), second.size());
    SetSceneTimeSource(nullptr);
    GetModelLoadState().dataRoot.clear();
    std::filesystem::remove_all(root);
}

// An old file's wormhole: the entity record, then what `version` stored.
std::vector<uint8_t> OldWormhole(uint32_t version) {
    std::vector<uint8_t> bytes = OldRecord(version, 0, uint8_t(ClassId::Wormhole));
    platform::BufferWriter f;
    if (version >= 31) {
        for (float phase : {0.5f, 1.0f, 1.5f, 2.0f})
            f.WriteF32(phase);
        f.WriteI32(1);
        f.WriteF32(0.25f);
    }
    if (version >= 31 && version <= 68) {
        f.WriteU32(1); // a flag and its object, read and let go
        f.WriteI32(3);
        f.WriteU32(uint32_t(ClassId::Node));
        f.WriteFixedString("", 32); // the node record: no name, channels or children
        f.WriteI32(0);
        f.WriteI32(0);
        f.WriteU32(0); // the second flag: nothing
    }
    if (version >= 57) {
        f.WriteU32(1);
        f.WriteI32(2);
        f.WriteFixedString("scout", 32);
        f.WriteF32(0.5f);
    }
    if (version >= 62) {
        f.WriteU32(1);
        f.WriteFixedString("frigate", 32);
        for (int32_t word : {250, -1, 1, 3})
            f.WriteI32(word);
        if (version >= 73) {
            f.WriteF32(0.5f);
            f.WriteI32(1);
        }
        f.WriteI32(777);
    }
    const std::vector<uint8_t> tail = f.Take();
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

TEST_F(LvWormhole, OldFilesLoadWithTheirDefaults) {
    auto v30 = Own(Loaded(OldWormhole(30)));
    ASSERT_NE(v30, nullptr);
    auto* w30 = static_cast<Wormhole*>(v30.get());
    EXPECT_EQ(w30->active, 0);
    EXPECT_EQ(w30->level, 0.0f);
    for (float phase : w30->phases) {
        EXPECT_GE(phase, 0.0f);
        EXPECT_LT(phase, 10.0f);
    }
    EXPECT_NE(w30->phases[0], w30->phases[1]) << "drawn at random";

    auto v57 = Own(Loaded(OldWormhole(57)));
    ASSERT_NE(v57, nullptr);
    auto* w57 = static_cast<Wormhole*>(v57.get());
    EXPECT_EQ(w57->phases[3], 2.0f);
    EXPECT_EQ(w57->level, 0.25f);
    ASSERT_EQ(w57->travellers.size(), 1u);
    EXPECT_EQ(w57->travellers[0].prototype, "scout");
    EXPECT_EQ(w57->travellers[0].handle, kNoEntity);
    EXPECT_TRUE(w57->spawns.empty());

    auto v62 = Own(Loaded(OldWormhole(62)));
    ASSERT_NE(v62, nullptr);
    auto* w62 = static_cast<Wormhole*>(v62.get());
    ASSERT_EQ(w62->spawns.size(), 1u);
    EXPECT_EQ(w62->spawns[0].delay, 250);
    EXPECT_EQ(w62->spawns[0].squad, 3);
    EXPECT_EQ(w62->spawns[0].healthFraction, 1.0f);
    EXPECT_EQ(w62->spawns[0].noDamage, 0);
    EXPECT_EQ(w62->lastSpawnTime, 777);

    auto v73 = Own(Loaded(OldWormhole(73)));
    ASSERT_NE(v73, nullptr);
    auto* w73 = static_cast<Wormhole*>(v73.get());
    ASSERT_EQ(w73->spawns.size(), 1u);
    EXPECT_EQ(w73->spawns[0].healthFraction, 0.5f);
    EXPECT_EQ(w73->spawns[0].noDamage, 1);
    EXPECT_EQ(w73->travellers.size(), 1u);

    // A count past the bytes there, or a record cut short, is refused.
    std::vector<uint8_t> lying = OldWormhole(73);
    const size_t travellerCount = lying.size() - (4 + 40 + 4 + 56 + 4);
    lying[travellerCount + 3] = 0x7F;
    RecordingSink sink;
    EXPECT_EQ(Loaded(lying), nullptr);
    std::vector<uint8_t> cut = OldWormhole(73);
    cut.resize(cut.size() - 10);
    EXPECT_EQ(Loaded(cut), nullptr);
}

} // namespace
} // namespace lumivane::test
