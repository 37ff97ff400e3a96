// Scenes of the shipped data as the program draws them: in the default one
// the star sky behind everything, the sun at the view's centre, the scene's
// title in green over its shadow, and bodies that move from one second to
// the next, and a trigger's fade switch that blacks it out and back; in the
// fleet scene units in their own colours.
#include "tests/desktop/display/frame/scene_frame_fixture.h"

#include "desktop/scene/world/trigger.h"
#include "desktop/scene/world/trigger_action.h"

using namespace display_test;

namespace {

class LvSceneFrame : public SceneFrameFixture {
protected:
    int Red(int x, int y) const { return int(Pixel(x, y) >> 16 & 0xFF); }
    int Green(int x, int y) const { return int(Pixel(x, y) >> 8 & 0xFF); }
    int Blue(int x, int y) const { return int(Pixel(x, y) & 0xFF); }
};

} // namespace

TEST_F(LvSceneFrame, HellsHeartShowsItsSunSkyTitleAndMovingBodies) {
    Start(320, 180, "scenes\\Hell's Heart.mis");
    RunFrames(45); // the title shows after half a second
    ReadWindow();
    const std::vector<uint32_t> first = pixels;
    // The sun at the view's centre, its flare's bright heart over it.
    EXPECT_GT(Red(160, 90) + Green(160, 90) + Blue(160, 90), 450);
    // The camera sways and drifts round the Sun: the heart sits near the
    // centre, not on it.
    EXPECT_GT(Red(180, 90), 180);
    EXPECT_GT(Red(180, 90), Blue(180, 90) + 60);
    // The sky covers the picture: no corner is left black.
    int lit = 0, green = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (Red(x, y) + Green(x, y) + Blue(x, y) > 6) ++lit;
            if (y < height / 2 && Green(x, y) > 100 && Green(x, y) > Red(x, y) + 50 &&
                Green(x, y) > Blue(x, y) + 50)
                ++green;
        }
    EXPECT_GT(lit, width * height * 9 / 10);
    EXPECT_GT(green, 10); // the title's letters
    RunFrames(30);
    ReadWindow();
    size_t changed = 0;
    for (size_t i = 0; i < pixels.size(); ++i)
        changed += pixels[i] != first[i];
    EXPECT_GT(changed, size_t(50));
}

// A scene trigger's display switch fades the picture to black at once, and
// another brings it back at once: the frames draw what the switch says.
TEST_F(LvSceneFrame, ATriggersFadeSwitchBlacksThePictureOutAndBack) {
    Start(160, 90, "scenes\\Hell's Heart.mis");
    auto fadeSwitch = [this](int32_t mode) {
        auto trigger = std::make_unique<Trigger>();
        auto action = std::make_unique<TriggerAction>();
        action->type = action::kDisplaySwitch;
        action->values = {mode, 0};
        action->owner = trigger.get();
        trigger->actions.push_back(std::move(action));
        runner.scene->AddTrigger(std::move(trigger));
        RunFrames(2);
        ReadWindow();
        // The outer quarters, clear of the Sun's flare sprites, which the
        // overlay layer draws over the veil.
        int lit = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (x < width / 4 || x >= width * 3 / 4)
                    lit += Red(x, y) + Green(x, y) + Blue(x, y) > 6 ? 1 : 0;
        return lit;
    };
    EXPECT_EQ(fadeSwitch(0), 0);
    EXPECT_GT(fadeSwitch(1), width * height / 2 * 9 / 10);
}

// Units far from the camera glow so they stay in sight; their hulls keep
// their colours under the glow instead of turning white.
TEST_F(LvSceneFrame, FleetUnitsShowTheirHullColoursNotWhite) {
    Start(320, 180, "scenes\\fleet.mis");
    RunFrames(30);
    ReadWindow();
    int steel = 0, green = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int r = Red(x, y), g = Green(x, y), b = Blue(x, y);
            if (r > 90 && b > r + 8 && b < 245) ++steel;      // the fighters and frigates
            if (g > 120 && g > r + 40 && g > b + 10) ++green; // the seeker
        }
    EXPECT_GT(steel, 100);
    EXPECT_GT(green, 20);
}
