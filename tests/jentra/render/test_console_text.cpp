// The console's text on the screen: with the console open its text (and
// the cursor) appears in the bottom left corner, the statistics line in the
// top left, and nothing is drawn while it is closed.
#include "effect_scene.h"

#include "Jentra/JTConsole.h"
#include "Jentra/JTFont.h"

using namespace effect_test;

namespace {

class ConsoleTextTest : public EffectSceneTest {
protected:
    void SetUp() override {
        Open(DeviceKind::OpenGL, 320, 240);
        font.Init("font1");
        gpFont1 = &font;
        gpJTConsole = &console;
        display->RemoveView(0); // nothing but the console
    }
    void TearDown() override {
        gpJTConsole = nullptr;
        gpFont1 = nullptr;
        EffectSceneTest::TearDown();
    }

    // Lit pixels in each quarter: top left, top right, bottom left, bottom right.
    std::array<int, 4> LitQuarters() {
        std::array<int, 4> lit{};
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if ((Pixel(x, y) & 0xFF) > 0x60)
                    ++lit[size_t((y >= height / 2) * 2 + (x >= width / 2))];
        return lit;
    }

    JTFont font;
    JTConsole console;
};

TEST_F(ConsoleTextTest, AnOpenConsoleShowsItsTextInTheBottomLeft) {
    console.Print("Rookfall console\nready\n");
    Capture();
    EXPECT_EQ(LitQuarters(), (std::array<int, 4>{0, 0, 0, 0})); // closed: nothing

    console.SetOpen(true);
    console.Update();
    Capture();
    std::array<int, 4> lit = LitQuarters();
    EXPECT_GT(lit[2], 30);
    EXPECT_EQ(lit[0] + lit[1] + lit[3], 0);
    // The last line (the cursor) sits on the bottom edge's last rows.
    int bottomRows = 0;
    for (int y = height - 12; y < height; ++y)
        for (int x = 0; x < 20; ++x)
            bottomRows += (Pixel(x, y) & 0xFF) > 0x60;
    EXPECT_GT(bottomRows, 0);
    EXPECT_EQ(display->GetDevice()->TakeErrors(), 0);

    console.SetOpen(false);
    console.Update();
    console.Stats(true);
    Capture();
    lit = LitQuarters();
    EXPECT_GT(lit[0], 8); // "Fps:000 Tps:0" in the top left
    EXPECT_EQ(lit[1] + lit[2] + lit[3], 0);
}

} // namespace
