// The effects on the recording device: their type numbers, their records in
// model files, the shared compiled file of each class (built once, released
// by a mode change), what each sets for a draw, and a broken effect file
// ending in the fatal box that names it.
#include "effect_scene.h"

#include <cstring>

#include "Jentra/JTFile.h"
#include "Jentra/JTClassMap.h"
#include "Jentra/core/scene/load_owned.h"
#include "platform/render/recording.h"

using namespace effect_test;

namespace {

class EffectTest : public EffectSceneTest {
protected:
    void SetUp() override { Open(DeviceKind::Recording); }

    platform::render::Recording& Recorded() { return *display->GetDevice()->GetRecording(); }

    // A cube with the effect in the scene; the recording starts empty.
    JTGeoNode* Show(JTEffect* effect, float opacity = 1.0f, float scale = 1.0f) {
        JTGeoNode* node = nullptr;
        JTEntity* entity = Place(MeshEntity(Cube(), effect, JTVec3(), &node));
        entity->SetOpacity(opacity);
        entity->SetScale(scale);
        entity->ComputeMatrix();
        Recorded().Forget();
        return node;
    }

    // The floats last set on the program of the recorded draw.
    static std::vector<float> Uniform(const platform::render::RecordedDraw& draw,
                                      const char* name) {
        if (!draw.state.program) return {};
        const auto* u = draw.state.program->FindUniform(name);
        return u ? u->floats : std::vector<float>{};
    }
};

// Saves an object and loads it back by class name.
JTUnknown* RoundTrip(JTUnknown* object, std::vector<unsigned char>* saved = nullptr) {
    JTFile out(nullptr, nullptr, 0, true);
    EXPECT_TRUE(object->SaveLoad(out));
    std::vector<unsigned char> bytes(out.GetCurrentMemBuffer(),
                                     out.GetCurrentMemBuffer() + out.GetCurrentMemBufferUsed());
    if (saved) *saved = bytes;
    auto* buffer = static_cast<unsigned char*>(std::malloc(bytes.size()));
    std::memcpy(buffer, bytes.data(), bytes.size());
    JTFile in(nullptr, buffer, unsigned(bytes.size()), false);
    JTUnknown* loaded = JTUnknown::LoadType(in);
    EXPECT_FALSE(in.Failed());
    return loaded;
}

TEST(EffectClasses, TypeNumbersFollowTheClassTable) {
    const char* const names[] = {
        "JTEffect",
        "JTEffect_Simple",
        "JTEffect_ParkPiece",
        "JTEffect_FireKnight",
        "JTEffect_FireKnightAlpha",
        "JTEffect_FireKnightShadow",
        "JTEffect_Monitor",
        "JTEffect_WingDing",
        "JTEffect_Membrane",
        "JTEffect_WetIce",
        "JTEffect_BumpDiffuse",
        "JTEffect_BumpReflect",
        "JTEffect_Shadow",
        "JTEffect_Halo",
        "JTEffect_StreamingLight",
        "JTMesh",
    };
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(JTUnknown::LookupTypeName(names[i]), 4 + i) << names[i];
    EXPECT_EQ(JTUnknown::LookupTypeName("JTEffect_Bump"), -1);
    JTEffect_Bump bump;
    EXPECT_STREQ(bump.ClassName(), "JTEffect_Simple");
    EXPECT_EQ(bump.GetType(), JTEffect_Simple::nType);
}

TEST_F(EffectTest, EveryEffectSurvivesASaveAndLoadAndBumpComesBackSimple) {
    JTTexture* tiles = Texture("tiles-nocomp.jpg");
    JTTexture* bump = Texture("tiles_bump.jpg");
    ASSERT_TRUE(tiles && bump);

    auto* simple = new JTEffect_Bump;
    simple->texture = tiles;
    simple->twoSided = true;
    simple->emissive[1] = 0.25f;
    std::unique_ptr<JTUnknown> back(RoundTrip(simple));
    delete simple;
    ASSERT_TRUE(back && back->GetType() == JTEffect_Simple::nType);
    auto* s = static_cast<JTEffect_Simple*>(back.get());
    EXPECT_EQ(s->texture, tiles); // the same texture, found by name
    EXPECT_TRUE(s->twoSided);
    EXPECT_EQ(s->emissive[1], 0.25f);

    JTEffect_FireKnightShadow shadow;
    shadow.diffuse = tiles;
    shadow.bump = bump;
    shadow.detailScaleU = 3.5f;
    shadow.detailScaleV = 0.25f;
    back.reset(RoundTrip(&shadow));
    ASSERT_TRUE(back && back->GetType() == JTEffect_FireKnightShadow::nType);
    auto* k = static_cast<JTEffect_FireKnightShadow*>(back.get());
    EXPECT_EQ(k->diffuse, tiles);
    EXPECT_EQ(k->bump, bump);
    EXPECT_EQ(k->detail, nullptr);
    EXPECT_EQ(k->detailScaleU, 3.5f);
    EXPECT_EQ(k->detailScaleV, 0.25f);

    // Every other class comes back as itself, and saves the same again.
    std::unique_ptr<JTUnknown> effects[] = {
        std::make_unique<JTEffect_StreamingLight>(), std::make_unique<JTEffect_ParkPiece>(),
        std::make_unique<JTEffect_FireKnight>(),     std::make_unique<JTEffect_FireKnightAlpha>(),
        std::make_unique<JTEffect_Monitor>(),        std::make_unique<JTEffect_WetIce>(),
        std::make_unique<JTEffect_WingDing>(),       std::make_unique<JTEffect_Membrane>(),
        std::make_unique<JTEffect_BumpDiffuse>(),    std::make_unique<JTEffect_BumpReflect>(),
        std::make_unique<JTEffect_Shadow>(),         std::make_unique<JTEffect_Halo>(),
        std::make_unique<JTEffect_Simple>(),
    };
    for (auto& e : effects) {
        std::vector<unsigned char> first, second;
        std::unique_ptr<JTUnknown> loaded(RoundTrip(e.get(), &first));
        ASSERT_TRUE(loaded) << e->ClassName();
        EXPECT_EQ(loaded->GetType(), e->GetType()) << e->ClassName();
        std::unique_ptr<JTUnknown> again(RoundTrip(loaded.get(), &second));
        EXPECT_EQ(first, second) << e->ClassName();
    }
}

TEST_F(EffectTest, AModelLoadsItsEffectFileOnceForAllInstances) {
    // A model: a geometry node with a mesh and a JTEffect_ParkPiece.
    JTGeoNode model;
    model.SetMesh(Cube().release());
    model.SetEffect(new JTEffect_ParkPiece, true);
    JTFile out(nullptr, nullptr, 0, true);
    ASSERT_TRUE(model.SaveLoad(out));
    std::vector<unsigned char> bytes(out.GetCurrentMemBuffer(),
                                     out.GetCurrentMemBuffer() + out.GetCurrentMemBufferUsed());
    EXPECT_EQ(JTEffect_ParkPiece::pD3DEffect, nullptr); // saving never builds it

    auto load = [&bytes]() {
        auto* buffer = static_cast<unsigned char*>(std::malloc(bytes.size()));
        std::memcpy(buffer, bytes.data(), bytes.size());
        JTFile in(nullptr, buffer, unsigned(bytes.size()), false);
        return std::unique_ptr<JTGeoNode>(LoadOwned<JTGeoNode>(in));
    };
    auto first = load();
    ASSERT_TRUE(first && first->GetMesh() && first->GetEffect());
    JTCompiledEffect* built = JTEffect_ParkPiece::pD3DEffect;
    ASSERT_NE(built, nullptr);
    auto second = load();
    ASSERT_TRUE(second);
    EXPECT_EQ(JTEffect_ParkPiece::pD3DEffect, built);

    // A mode change lets it go; the next draw builds it again.
    display->ChangeDisplayMode(nullptr);
    EXPECT_EQ(JTEffect_ParkPiece::pD3DEffect, nullptr);
    Show(new JTEffect_ParkPiece);
    display->Render();
    EXPECT_NE(JTEffect_ParkPiece::pD3DEffect, nullptr);
}

TEST_F(EffectTest, SimpleDrawsNothingUnseenAndBlendsWhenFaded) {
    JTGeoNode* node = Show(new JTEffect_Simple, 0.0f);
    display->Render();
    EXPECT_TRUE(Recorded().draws.empty());

    scene->Reset();
    scene->PostFrameUpdate();
    node = Show(new JTEffect_Simple, 0.5f);
    (void)node;
    display->Render();
    ASSERT_EQ(Recorded().draws.size(), 1u);
    const auto& s = Recorded().draws[0].state;
    EXPECT_EQ(s.material.Diffuse.a, 0.5f);
    EXPECT_EQ(s.renderStates[D3DRS_ALPHABLENDENABLE], 1u);
    EXPECT_EQ(s.renderStates[D3DRS_ZWRITEENABLE], 0u);
    EXPECT_EQ(s.renderStates[D3DRS_ALPHATESTENABLE], 1u);
    EXPECT_EQ(s.renderStates[D3DRS_ALPHAREF], 4u);
}

TEST_F(EffectTest, TheTrailDrawsFifteenCopiesTheLastSolid) {
    Show(new JTEffect_StreamingLight);
    display->Render();
    ASSERT_EQ(Recorded().draws.size(), 15u);
    const auto& first = Recorded().draws.front().state;
    const auto& last = Recorded().draws.back().state;
    EXPECT_EQ(first.renderStates[D3DRS_DESTBLEND], uint32_t(D3DBLEND_ONE));
    EXPECT_NEAR(first.material.Diffuse.a, 0.25f * 0.15f, 1e-6f);
    EXPECT_EQ(last.renderStates[D3DRS_DESTBLEND], uint32_t(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(last.material.Diffuse.a, 1.0f);
    EXPECT_EQ(last.material.Emissive.g, 1.0f);
}

TEST_F(EffectTest, ParametersFollowTheNodeTheCameraAndTheLight) {
    // FireKnightAlpha: the node's opacity in the fourth component of vDLC.
    auto* alpha = new JTEffect_FireKnightAlpha;
    alpha->SetColor(0.5f, 1, 0.5f, 1);
    Show(alpha, 0.3f);
    display->Render();
    ASSERT_EQ(Recorded().draws.size(), 1u);
    std::vector<float> dlc = Uniform(Recorded().draws[0], "vDLC");
    ASSERT_EQ(dlc.size(), 4u);
    EXPECT_FLOAT_EQ(dlc[0], 0.5f);
    EXPECT_FLOAT_EQ(dlc[3], 0.3f);
    // The light shines from (-6, 8, -5) towards the origin: towards it is
    // up, left and to the front.
    std::vector<float> ldr = Uniform(Recorded().draws[0], "vLDR");
    ASSERT_EQ(ldr.size(), 4u);
    JTVec3 expected = JTVec3Normalize(JTVec3(-6, 8, -5));
    EXPECT_NEAR(ldr[0], expected.x, 1e-5f);
    EXPECT_NEAR(ldr[1], expected.y, 1e-5f);
    // The bump matrices ride in stream 1.
    EXPECT_NE(Recorded().draws[0].state.streams[1].buffer, nullptr);
}

TEST_F(EffectTest, WingDingWithoutOpacityTextureShowsAllOfIt) {
    Show(new JTEffect_WingDing);
    display->Render();
    ASSERT_EQ(Recorded().draws.size(), 1u);
    EXPECT_EQ(Uniform(Recorded().draws[0], "vOBS"), (std::vector<float>{1, 1, 1, 1}));
    EXPECT_EQ(Recorded().draws[0].state.textures[0], nullptr); // mOPA, the only texture
}

TEST_F(EffectTest, HaloKeepsItsSizeWhateverTheNodesScale) {
    gdwRealTime = 0;
    Show(new JTEffect_Halo, 1.0f, 1.0f);
    display->Render();
    ASSERT_EQ(Recorded().draws.size(), 1u);
    float unscaled = Uniform(Recorded().draws[0], "vSCA").at(0);
    EXPECT_FLOAT_EQ(unscaled, 1.25f);
    scene->Reset();
    scene->PostFrameUpdate();
    Show(new JTEffect_Halo, 1.0f, 2.0f);
    display->Render();
    ASSERT_EQ(Recorded().draws.size(), 1u);
    EXPECT_FLOAT_EQ(Uniform(Recorded().draws[0], "vSCA").at(0), unscaled / 2);
    // A node scaled to nothing has no glow to keep in size: nothing drawn.
    scene->Reset();
    scene->PostFrameUpdate();
    Show(new JTEffect_Halo, 1.0f, 0.0f);
    display->Render();
    EXPECT_TRUE(Recorded().draws.empty());
}

TEST_F(EffectTest, MembraneBurstsOfStaticComeOnTheirSchedule) {
    auto* membrane = new JTEffect_Membrane;
    Show(membrane);
    gdwTime = 0;
    dt = 0.1f;
    display->Render(); // the first draw only plans the first burst
    EXPECT_EQ(membrane->staticTimeLeft, 0.0f);
    EXPECT_LE(membrane->nextStaticTime, 100000u);
    EXPECT_EQ(membrane->nextStaticTime % 100, 0u);
    EXPECT_EQ(Uniform(Recorded().draws.back(), "vNOI"), (std::vector<float>{0, 0, 0, 0}));

    gdwTime = std::max(membrane->nextStaticTime, 1u);
    membrane->nextStaticTime = gdwTime;
    display->Render(); // the burst starts and the next is 20 to 180 s away
    EXPECT_EQ(membrane->staticTimeLeft, 0.75f);
    EXPECT_GE(membrane->nextStaticTime, gdwTime + 20000);
    EXPECT_LE(membrane->nextStaticTime, gdwTime + 180000);
    int noisy = 0;
    for (int frame = 0; frame < 10; ++frame) {
        Recorded().Forget();
        display->Render();
        std::vector<float> noise = Uniform(Recorded().draws.back(), "vNOI");
        noisy += noise.at(0) != 0.0f || noise.at(1) != 0.0f;
    }
    EXPECT_EQ(noisy, 8); // 0.75 s of 0.1 s steps: the burst ends during the eighth
    EXPECT_EQ(membrane->staticTimeLeft, 0.0f);
    dt = 0.0f;
}

TEST_F(EffectTest, EachPassOfTheTechniqueDrawsTheNode) {
    // A shadow file of two passes in this test's folder.
    ASSERT_TRUE(platform::WriteWholeFile(folder / "Shadow.eft", std::string(R"(
param matrix mWVP
param vector vSHC
technique twice
pass
vertex
void main() { gl_Position = jtToClip(mWVP * vec4(inPosition, 1.0)); }
end
fragment
out vec4 colour;
void main() { colour = vSHC; }
end
pass
blend one one
vertex
void main() { gl_Position = jtToClip(mWVP * vec4(inPosition, 1.0)); }
end
fragment
out vec4 colour;
void main() { colour = vSHC; }
end
)")));
    Show(new JTEffect_Shadow);
    display->Render();
    ASSERT_EQ(Recorded().draws.size(), 2u);
    EXPECT_EQ(Recorded().draws[0].state.renderStates[D3DRS_ALPHABLENDENABLE], 0u);
    EXPECT_EQ(Recorded().draws[1].state.renderStates[D3DRS_ALPHABLENDENABLE], 1u);
}

// On software GL, where shaders really compile.
class EffectDeathTest : public EffectSceneTest {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
    void TearDown() override {
        unsetenv(kSharedFolderVariable);
        EffectSceneTest::TearDown();
    }
};

TEST_F(EffectDeathTest, ABrokenEffectFileEndsInTheFatalBoxWithItsNameAndTheCompilersLog) {
    Open(DeviceKind::OpenGL);
    setenv(kSharedFolderVariable, folder.c_str(), 1);
    // Broken GLSL: the compiler's complaint about "nonsense" is shown.
    ASSERT_TRUE(platform::WriteWholeFile(folder / "Halo.eft",
                                         std::string("technique t\npass\nvertex\n"
                                                     "void main() { nonsense = 1; }\nend\n"
                                                     "fragment\nvoid main() {}\nend\n")));
    Place(MeshEntity(Cube(), new JTEffect_Halo, JTVec3()));
    EXPECT_DEATH(display->Render(), "Halo\\.eft(.|\n)*nonsense");
    // A file that breaks the format, and one that is missing.
    ASSERT_TRUE(platform::WriteWholeFile(folder / "Monitor.eft", std::string("wobble\n")));
    EXPECT_DEATH(JTEffect::LoadEffectFile("Monitor.eft"), "Monitor\\.eft(.|\n)*wobble");
    std::filesystem::remove(folder / "WingDing.eft");
    EXPECT_DEATH(JTEffect::LoadEffectFile("WingDing.eft"), "WingDing\\.eft");
}

} // namespace
