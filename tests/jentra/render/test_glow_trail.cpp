// The streaming trail's glow: how far its copies spread on the screen, the
// one pass that draws a trail that holds still (a text in the interface)
// in place of fifteen (two for a dark text), rebuilt after a mode change,
// and on software GL the same picture from it as from the fifteen.
#include "effect_scene.h"

#include <cstdlib>

#include "Jentra/JTFont.h"
#include "Jentra/render/glow_trail.h"
#include "platform/render/recording.h"

using namespace effect_test;

namespace {

using jentra::glow::kTrailCopies;
using jentra::glow::TrailCopy;

// A square of 40 units a side in its own space, as high as a control's
// text line, facing the camera at -z.
std::unique_ptr<JTMesh> TextSizedSquare() {
    const Vert1 vertices[4] = {{-20, -20, 0, 0, 0, -1, 0, 1},
                               {-20, 20, 0, 0, 0, -1, 0, 0},
                               {20, -20, 0, 0, 0, -1, 1, 1},
                               {20, 20, 0, 0, 0, -1, 1, 0}};
    const unsigned short indices[6] = {0, 1, 2, 2, 1, 3};
    auto mesh = std::make_unique<JTMesh>();
    mesh->CreateBuffersFromData(gpJTDisplay, vertices, 4, indices, 6, false, false);
    return mesh;
}

TEST(GlowTrail, ATextsCopiesLandWithinAPixelAModelsFarApart) {
    TrailCopy copies[kTrailCopies];
    jentra::glow::PlanTrail(1234.0f, 1.0f, copies);
    // The node itself comes last, solid and where it stands.
    EXPECT_EQ(copies[kTrailCopies - 1].alpha, 1.0f);
    EXPECT_EQ(copies[kTrailCopies - 1].offset.Length(), 0.0f);
    EXPECT_NEAR(copies[0].alpha, 0.25f * 0.15f, 1e-7f);

    // A line of text 300 units wide and 40 high, a thousandth of a unit a
    // unit, one unit in front of a camera with a 90 degree view on 1024 x
    // 768 pixels: its copies stay within a small part of a pixel.
    JTMatrix view = JTMatrixLookAtLH(JTVec3(0, 0, -1), JTVec3(0, 0, 0), JTVec3(0, 1, 0));
    JTMatrix projection = JTMatrixPerspectiveFovLH(1.2f, 1024.0f / 768.0f, 0.1f, 100.0f);
    const JTVec3 low(-150, -20, 0), high(150, 20, 0);
    const float text =
        jentra::glow::TrailSpread(copies, low, high,
                                  JTMatrixScaling(0.001f, 0.001f, 0.001f) *
                                      JTMatrixTranslation(0.3f, 0.2f, 0) * view * projection,
                                  1024, 768);
    EXPECT_GT(text, 0.0f);
    EXPECT_LT(text, jentra::glow::kSteadySpread);
    // The same node in the scene's own units: copies pixels apart.
    const JTVec3 small(-0.15f, -0.02f, 0), smallHigh(0.15f, 0.02f, 0);
    EXPECT_GT(jentra::glow::TrailSpread(copies, small, smallHigh, view * projection, 1024, 768),
              2.0f);
    // A box reaching behind the eye lands nowhere reliable.
    const JTVec3 deep(-1, -1, -5), far(1, 1, 5);
    EXPECT_GT(jentra::glow::TrailSpread(copies, deep, far, view * projection, 1024, 768), 1e6f);
}

class GlowPassTest : public EffectSceneTest {
protected:
    void TearDown() override {
        jentra::glow::SetOnePassGlow(true);
        EffectSceneTest::TearDown();
    }
    platform::render::Recording& Recorded() { return *display->GetDevice()->GetRecording(); }
};

TEST_F(GlowPassTest, AStillTrailIsOnePassWithTheNodeOrOneBeforeADarkNode) {
    Open(DeviceKind::Recording);
    auto* trail = new JTEffect_StreamingLight;
    JTEntity* entity = Place(MeshEntity(TextSizedSquare(), trail, JTVec3()));
    entity->SetScale(0.0025f);
    entity->ComputeMatrix();
    for (int round = 0; round < 2; ++round) {
        Recorded().Forget();
        display->Render();
        ASSERT_EQ(Recorded().draws.size(), 1u) << "round " << round;
        const auto& pass = Recorded().draws[0].state;
        ASSERT_NE(pass.program, nullptr);
        EXPECT_EQ(pass.renderStates[D3DRS_SRCBLEND], uint32_t(D3DBLEND_ONE));
        EXPECT_EQ(pass.renderStates[D3DRS_DESTBLEND], uint32_t(D3DBLEND_INVSRCALPHA));
        EXPECT_EQ(pass.renderStates[D3DRS_ZENABLE], 0u);
        const auto* weights = pass.program->FindUniform("vWA0");
        ASSERT_NE(weights, nullptr);
        EXPECT_NEAR(weights->floats.at(0), 0.25f * 0.15f, 1e-6f);
        // A mode change releases the pass; the next frame builds it again.
        display->ChangeDisplayMode(nullptr);
    }

    // A dark node darkens what its glow brightened: the glow is added on
    // its own, then the node drawn through the fixed-function stages.
    trail->darkFinalPass = true;
    Recorded().Forget();
    display->Render();
    ASSERT_EQ(Recorded().draws.size(), 2u);
    const auto& glow = Recorded().draws[0].state;
    const auto& dark = Recorded().draws[1].state;
    ASSERT_NE(glow.program, nullptr);
    EXPECT_EQ(glow.renderStates[D3DRS_DESTBLEND], uint32_t(D3DBLEND_ONE));
    EXPECT_EQ(dark.program, nullptr);
    EXPECT_EQ(dark.renderStates[D3DRS_DESTBLEND], uint32_t(D3DBLEND_INVSRCALPHA));
    EXPECT_EQ(dark.renderStates[D3DRS_ALPHATESTENABLE], 1u);
    EXPECT_EQ(dark.material.Diffuse.a, 1.0f);
    EXPECT_EQ(dark.material.Emissive.g, 0.0f);

    // Drawn copy by copy on request, and as a model in the scene's units.
    jentra::glow::SetOnePassGlow(false);
    Recorded().Forget();
    display->Render();
    EXPECT_EQ(Recorded().draws.size(), size_t(kTrailCopies));
    jentra::glow::SetOnePassGlow(true);
    entity->SetScale(1.0f);
    entity->ComputeMatrix();
    Recorded().Forget();
    display->Render();
    EXPECT_EQ(Recorded().draws.size(), size_t(kTrailCopies));
}

TEST_F(GlowPassTest, OnePassShowsWhatTheFifteenPassesShow) {
    Open(DeviceKind::OpenGL, 160, 60);
    JTFont font;
    ASSERT_EQ(font.Init("font1"), 0);
    ASSERT_NE(font.GetTexture(), nullptr);
    camera.SetView(JTVec3(), JTVec3(0, 0, 1), JTVec3(0, 1, 0));
    camera.SetFOV(1.5707964f);
    camera.Update();
    display->SetClearScreen(true);
    // A line of the interface's text, 40 units high, about 20 pixels on the
    // screen, over a grey field so that the glow shows on its edges.
    JTGeoNode* text =
        font.MakeText("Quill & jig.", 40.0f, MIDDLE_CENTER, JTVec3(), 1.0f, 0xFFFFFFFF, 0, false);
    auto* entity = new JTEntity;
    entity->AddChild(text);
    entity->SetPos(JTVec3(0.2f, 0.1f, 2.0f));
    entity->SetScale(0.0125f);
    entity->ComputeMatrix();
    light->GetLight().diffuse = {0.1f, 0.1f, 0.1f, 1};
    light->GetLight().ambient = {0.1f, 0.1f, 0.1f, 1};
    auto* field = new JTEffect_Simple;
    field->emissive[0] = field->emissive[1] = field->emissive[2] = 0.3f;
    JTEntity* backdrop = MeshEntity(Cube(false), field, JTVec3(0, 0, 40));
    backdrop->SetScale(30.0f);
    backdrop->ComputeMatrix();
    Place(backdrop);
    Place(entity);

    auto picture = [&](bool onePass) {
        jentra::glow::SetOnePassGlow(onePass);
        gdwTime = 2500;
        Capture();
        return pixels;
    };
    // The text in white, then dark (as a disabled button's).
    for (bool dark : {false, true}) {
        static_cast<JTEffect_StreamingLight*>(text->GetEffect())->darkFinalPass = dark;
        const std::vector<uint32_t> fourteen = picture(false);
        const std::vector<uint32_t> one = picture(true);
        EXPECT_EQ(display->GetDevice()->TakeErrors(), 0);

        int glowing = 0, apart = 0, largest = 0;
        for (size_t i = 0; i < one.size(); ++i) {
            const int r = int(fourteen[i] >> 16 & 0xFF), g = int(fourteen[i] >> 8 & 0xFF);
            glowing += r > g + 20; // pink: red and blue glow, half as much green
            int most = 0;
            for (int shift : {0, 8, 16})
                most = std::max(
                    most, std::abs(int(one[i] >> shift & 0xFF) - int(fourteen[i] >> shift & 0xFF)));
            apart += most > 4;
            largest = std::max(largest, most);
        }
        EXPECT_GT(glowing, 30) << (dark ? "dark" : "white");
        EXPECT_LE(apart, 3) << (dark ? "dark" : "white") << ": largest difference " << largest;
    }
}

} // namespace
