// The shadow pass on software GL: with one light, a floor that receives
// shadows (JTEffect_FireKnightShadow) is darker under a caster than beside
// it, and darker there than without the pass.
#include "effect_scene.h"

#include "Jentra/JTGame.h"
#include "Jentra/JTShadowPass.h"
#include "golden.h"

using namespace effect_test;

namespace {

class ShadowGame : public JTGame {
public:
    explicit ShadowGame(JTScene* scene) : scene(scene) {}
    JTScene* GetMainScene() override { return scene; }
    JTScene* scene;
};

class ShadowPassTest : public EffectSceneTest {};

// The brightness (sum of the channels) of a pixel.
int Brightness(uint32_t p) {
    return int(p & 0xFF) + int((p >> 8) & 0xFF) + int((p >> 16) & 0xFF);
}

TEST_F(ShadowPassTest, ACasterDarkensTheReceiverBelowIt) {
    Open(DeviceKind::OpenGL, 64, 64);
    // A spot light straight above the origin, looking down.
    JTLightRecord& l = light->GetLight();
    l.type = JTLightRecord::SPOT;
    l.phi = 0.9f;
    light->SetPos(JTVec3(0.001f, 12, 0));
    light->Update(nullptr);
    // The camera looks down at the floor from above and in front.
    JTVec3 eye(0, 10, -5);
    camera.SetView(eye, JTVec3Normalize(JTVec3(0, 3, 0) - eye), JTVec3(0, 1, 0));

    // A white floor (no texture) whose top face is at y = 3, and a cube
    // casting shadows 2.2 above it; a light straight above the origin puts
    // the shadow round the origin, within 0.9 of it.
    JTEntity* floor = Place(MeshEntity(Cube(), new JTEffect_FireKnightShadow, JTVec3(0, -1, 0)));
    floor->SetScale(4.0f);
    floor->ComputeMatrix();
    auto* box = new JTEffect_BumpDiffuse;
    box->diffuse = Texture("tiles-nocomp.jpg");
    JTEntity* caster = Place(MeshEntity(Cube(), box, JTVec3(0, 6, 0)));
    caster->SetScale(0.8f);
    caster->SetCastsShadow(true);
    caster->ComputeMatrix();

    // Where the camera sees the floor in the shadow (just beyond the
    // caster, below its near edge), and beside it.
    auto project = [&](JTVec3 p) {
        camera.Update();
        JTVec3 clip = JTVec3TransformCoord(p, camera.GetView() * camera.GetPerspective());
        return std::pair<int, int>(int((clip.x * 0.5f + 0.5f) * float(width)),
                                   int((0.5f - clip.y * 0.5f) * float(height)));
    };

    // Without the pass there is no shadow texture: all the floor is lit.
    Capture();
    ASSERT_EQ(pShadowTexBlurred, nullptr);
    const auto inShadow = project(JTVec3(0, 3, 0.6f));
    const auto beside = project(JTVec3(2.0f, 3, 0.6f));
    const int before = Brightness(Pixel(inShadow.first, inShadow.second));
    const int besideBefore = Brightness(Pixel(beside.first, beside.second));
    ASSERT_GT(before, 300);

    ShadowGame game(scene.get());
    JTShadowPass(&game);
    ASSERT_NE(pShadowTexBlurred, nullptr);
    Capture();
    EXPECT_EQ(display->GetDevice()->TakeErrors(), 0);
    platform::image::WritePngFile("/tmp/mfx/shadow.png", golden::ToImage(pixels, width, height),
                                  false);
    const int shadowed = Brightness(Pixel(inShadow.first, inShadow.second));
    EXPECT_LT(shadowed, before * 3 / 4);
    EXPECT_NEAR(Brightness(Pixel(beside.first, beside.second)), besideBefore, 6);
    // The pass put the display back as it was: one view, drawing to the
    // window.
    EXPECT_EQ(display->GetNumViews(), 1);
    EXPECT_EQ(display->GetDevice()->GetRenderTarget(), display->GetDevice()->GetBackBuffer());
    EXPECT_FALSE(display->GetRenderingShadow());
}

} // namespace
