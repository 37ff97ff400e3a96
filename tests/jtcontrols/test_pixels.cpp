// What the controls draw, read back from software GL: a small dialog of a
// label, a button, a two-line list with its first line selected and an edit
// box holding the focus, compared with its reference picture; and the edit
// box's caret, which shows after the text only while the box has the focus.
//
// The reference is written anew, on purpose only, with
//     JENTRA_UPDATE_GOLDEN=1 ctest --test-dir build -R ControlPictures
#include "tests/jtcontrols/controls_fixture.h"

#include <algorithm>

#include "Jentra/JTDisplay.h"
#include "Jentra/JTRenderer.h"
#include "Jentra/JTTexture.h"
#include "JTControls/JTButton.h"
#include "JTControls/JTEdit.h"
#include "JTControls/JTList.h"
#include "JTControls/JTText.h"
#include "platform/window.h"
#include "tests/jentra/render/golden.h"

namespace controls_test {
namespace {

constexpr int kWidth = 160, kHeight = 120;

class ControlPictures : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        JTRenderer::SetDeviceKind(platform::render::DeviceKind::OpenGL);
        platform::WindowDesc desc;
        desc.width = kWidth;
        desc.height = kHeight;
        desc.hidden = true;
        window = platform::Window::Create(desc);
        ASSERT_TRUE(window);
        renderer = std::make_unique<JTRenderer>();
        display = renderer->CreateDisplayWindowed(0, window.get());
        ASSERT_TRUE(display && display->GetDevice());
        gpJTDisplay = display;
        textures = std::make_unique<JTTextureMan>(display);
        gpJTTextureMan = textures.get();
        font.Init("font1"); // again, now with its atlas
        ASSERT_NE(font.GetTexture(), nullptr);
        display->AddView(view.get());
    }

    void TearDown() override {
        if (display)
            while (display->GetNumViews() > 0)
                display->RemoveView(0);
        // The scene's meshes and textures go while their device is there.
        scene.Reset();
        scene.PostFrameUpdate();
        gpJTProtobase = nullptr;
        protobase.reset();
        JTUninstallRenderParts();
        gpJTTextureMan = nullptr;
        textures.reset();
        gpJTDisplay = nullptr;
        renderer.reset();
        window.reset();
        ControlsTest::TearDown();
    }

    // A frame at a fixed game time (the text's glow moves with it), drawn
    // and read back.
    void Draw(uint32_t time) {
        gdwTime = time - 20;
        Frame();
        display->Render();
        ASSERT_TRUE(display->GetDevice()->ReadFrontBuffer(pixels, width, height));
        ASSERT_EQ(width, kWidth);
    }
    uint32_t Pixel(int x, int y) const { return pixels[size_t(y * width + x)] & 0xFFFFFFu; }
    static int Brightness(uint32_t rgb) {
        return int((rgb >> 16) & 0xFF) + int((rgb >> 8) & 0xFF) + int(rgb & 0xFF);
    }
    // The brightest pixel of a small box around a point of the depth-1 plane.
    int BrightestNear(JTVec3 p, int radius) const {
        const int cx = int((0.5f + p.x / 2.0f) * kWidth);
        const int cy = int((0.5f - p.y / 1.5f) * kHeight);
        int best = 0;
        for (int y = cy - radius; y <= cy + radius; ++y)
            for (int x = cx - radius; x <= cx + radius; ++x)
                if (x >= 0 && y >= 0 && x < kWidth && y < kHeight)
                    best = std::max(best, Brightness(Pixel(x, y)));
        return best;
    }

    std::unique_ptr<platform::Window> window;
    std::unique_ptr<JTRenderer> renderer;
    JTDisplay* display = nullptr;
    std::unique_ptr<JTTextureMan> textures;
    std::vector<uint32_t> pixels;
    int width = 0, height = 0;
};

void SetText(JTControl* control, const char* text) {
    control->GetCommunicator().Send(control->GetID(), JTMSG_SETTEXT, const_cast<char*>(text));
}

TEST_F(ControlPictures, ASmallDialogAndItsCaret) {
    auto* label = Make<JTText>(nullptr, "JTText", JTVec3(-0.55f, 0.55f, 1));
    auto* button = Make<JTButton>(kButtonModel, "JTButton", JTVec3(0.55f, 0.55f, 1));
    auto* list = Make<JTList>(nullptr, "JTList", JTVec3(0, 0.2f, 1), 0.0025f);
    auto* edit = Make<JTEdit>(kEditModel, "JTEdit", JTVec3(0, -0.45f, 1), 0.0025f);
    ASSERT_TRUE(label && button && list && edit);
    Frame();
    SetText(label, "Name:");
    SetText(button, "OK");
    list->AddItem("Park", nullptr, nullptr, true);
    list->AddItem("Fire and Ice", nullptr, nullptr, false);
    list->SetNumVisible(-1);
    edit->SetText("ab");
    for (int i = 0; i < 20; ++i) // the slots fade in and take their places
        Frame();
    list->SelectItem(0, true);
    for (int i = 0; i < 20; ++i)
        Frame();

    // Unfocused: no caret after the text (the last letter's glow comes close).
    const JTVec3 caretAt =
        edit->GetPos() + JTVec3(3 + font.GetTextWidth("ab", 0) * 20.0f, 0, 0) * 0.0025f;
    Draw(1000);
    const int unfocused = BrightestNear(caretAt, 1);

    gpJTKeyboard->SetFocus(&edit->GetID());
    Draw(1250); // the caret at its brightest
    const int focused = BrightestNear(caretAt, 1);
    EXPECT_GT(focused, 700);
    EXPECT_GT(focused, unfocused + 150);
    // The box's dark field lies under it, the button's blue plate beside its text.
    const uint32_t plate =
        Pixel(int((0.5f + 0.7f / 2) * kWidth), int((0.5f - 0.55f / 1.5f) * kHeight));
    EXPECT_GT(int(plate & 0xFF), int((plate >> 16) & 0xFF) + 30) << std::hex << plate;
    EXPECT_TRUE(golden::MatchesGolden("control_dialog", pixels, width, height));

    std::string error;
    EXPECT_EQ(display->GetDevice()->TakeErrors(&error), 0) << error;
}

} // namespace
} // namespace controls_test
