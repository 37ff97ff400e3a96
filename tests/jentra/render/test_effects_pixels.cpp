// Every effect class draws a lit, textured, bump-mapped cube on software GL
// without a GL error, and its look is held by a reference picture.
#include "effect_scene.h"
#include "golden.h"

#include <ostream>

using namespace effect_test;

namespace {

// The effect of a class with the test's textures in its texture fields.
struct Case {
    const char* name;
    JTEffect* (*make)(JTTexture* tiles, JTTexture* bump, JTTexture* shine, JTTexture* holes);
};

const Case kCases[] = {
    {"Simple",
     [](JTTexture* t, JTTexture*, JTTexture*, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_Simple;
         e->texture = t;
         return e;
     }},
    {"Bump",
     [](JTTexture* t, JTTexture*, JTTexture*, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_Bump;
         e->texture = t;
         e->emissive[0] = 0.2f;
         return e;
     }},
    {"StreamingLight",
     [](JTTexture* t, JTTexture*, JTTexture*, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_StreamingLight;
         e->texture = t;
         return e;
     }},
    {"ParkPiece",
     [](JTTexture* t, JTTexture* b, JTTexture* s, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_ParkPiece;
         e->diffuse = t, e->bump = b, e->specular = s;
         return e;
     }},
    {"FireKnight",
     [](JTTexture* t, JTTexture* b, JTTexture*, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_FireKnight;
         e->diffuse = t, e->bump = b;
         return e;
     }},
    {"FireKnightAlpha",
     [](JTTexture* t, JTTexture* b, JTTexture*, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_FireKnightAlpha;
         e->diffuse = t, e->bump = b;
         e->SetColor(0.5f, 1, 0.5f, 1);
         return e;
     }},
    {"FireKnightShadow",
     [](JTTexture* t, JTTexture* b, JTTexture* s, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_FireKnightShadow;
         e->diffuse = t, e->bump = b, e->detail = s;
         e->detailScaleU = 2.0f;
         return e;
     }},
    {"Monitor",
     [](JTTexture* t, JTTexture*, JTTexture*, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_Monitor;
         e->screen = t;
         return e;
     }},
    {"WetIce",
     [](JTTexture* t, JTTexture* b, JTTexture*, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_WetIce;
         e->surface = t, e->bump = b;
         return e;
     }},
    {"WingDing",
     [](JTTexture*, JTTexture*, JTTexture*, JTTexture* h) -> JTEffect* {
         auto* e = new JTEffect_WingDing;
         e->opacity = h;
         return e;
     }},
    {"Membrane",
     [](JTTexture* t, JTTexture*, JTTexture*, JTTexture* h) -> JTEffect* {
         auto* e = new JTEffect_Membrane;
         e->diffuse = t, e->opacity = h;
         return e;
     }},
    {"BumpDiffuse",
     [](JTTexture* t, JTTexture* b, JTTexture*, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_BumpDiffuse;
         e->diffuse = t, e->bump = b;
         return e;
     }},
    {"BumpReflect",
     [](JTTexture* t, JTTexture* b, JTTexture*, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_BumpReflect;
         e->surface = t, e->bump = b;
         return e;
     }},
    {"Shadow",
     [](JTTexture*, JTTexture*, JTTexture*, JTTexture*) -> JTEffect* {
         return new JTEffect_Shadow;
     }},
    {"Halo",
     [](JTTexture*, JTTexture*, JTTexture*, JTTexture*) -> JTEffect* {
         auto* e = new JTEffect_Halo;
         e->SetColor(1.0f, 0.8f, 0.3f, 1.0f);
         e->size = 0.9f;
         return e;
     }},
};

// Test lists name a case by its effect, not by its bytes.
void PrintTo(const Case& effectCase, std::ostream* out) {
    *out << effectCase.name;
}

class EffectPictureTest : public EffectSceneTest, public ::testing::WithParamInterface<Case> {};

TEST_P(EffectPictureTest, GoldenCube) {
    Open(DeviceKind::OpenGL);
    gdwTime = 0;
    gdwRealTime = 0;
    randseed = 12345;
    JTTexture* tiles = Texture("tiles-nocomp.jpg");
    JTTexture* bump = Texture("tiles_bump.jpg");
    JTTexture* shine = Texture("shine-nocomp.jpg");
    JTTexture* holes = Texture("holes-nocomp.jpg");
    ASSERT_TRUE(tiles && bump && shine && holes);
    // A dark wall behind, so blended effects show what they let through.
    auto* wall = new JTEffect_Simple;
    wall->texture = Texture("dusk-nocomp.jpg");
    JTEntity* back = Place(MeshEntity(Cube(false), wall, JTVec3(0, 0, 6)));
    back->SetScale(3.0f);
    back->ComputeMatrix();
    JTEntity* cube =
        Place(MeshEntity(Cube(), GetParam().make(tiles, bump, shine, holes), JTVec3(0, 0, 0)));
    cube->SetRot(JTQuaternionRotationAxis(JTVec3(0, 1, 0), 0.6f));
    cube->ComputeMatrix();

    Capture();
    EXPECT_EQ(display->GetDevice()->TakeErrors(), 0);
    EXPECT_TRUE(
        golden::MatchesGolden(std::string("effect_") + GetParam().name, pixels, width, height));
}

INSTANTIATE_TEST_SUITE_P(EveryEffect, EffectPictureTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
