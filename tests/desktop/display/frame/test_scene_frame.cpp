// Scenes of the shipped data as the program draws them: in the default one
// the star sky behind everything, the sun at the view's centre, the scene's
// title in green over its shadow, and bodies that move from one second to
// the next, and a trigger's fade switch that blacks it out and back; the
// sky itself, crisp stars on a smooth glow (a small reference picture of a
// patch of it, golden/scene_sky.png, 96 x 54); in the fleet scene units in
// their own colours and squad numbers no taller than small labels; a scene
// of units starting with its units across the picture; and the base's
// station and a planet lit on their sunward side only.
#include "tests/desktop/display/frame/scene_frame_fixture.h"
#include "tests/jentra/render/golden.h"

#include "desktop/display/camera/camera.h"
#include "desktop/display/hud/hud.h"
#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/celestial_bodies.h"
#include "desktop/scene/world/trigger.h"
#include "desktop/scene/world/trigger_action.h"

#include <algorithm>
#include <cstdlib>

using namespace display_test;

namespace {

class LvSceneFrame : public SceneFrameFixture {
protected:
    int Red(int x, int y) const { return int(Pixel(x, y) >> 16 & 0xFF); }
    int Green(int x, int y) const { return int(Pixel(x, y) >> 8 & 0xFF); }
    int Blue(int x, int y) const { return int(Pixel(x, y) & 0xFF); }
    int Brightness(int x, int y) const { return (Red(x, y) + Green(x, y) + Blue(x, y)) / 3; }
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

// The fleet's hulls show their own colours, lit by the Sun, not white.
TEST_F(LvSceneFrame, FleetUnitsShowTheirHullColoursNotWhite) {
    Start(320, 180, "scenes\\fleet.mis");
    // A minute in, the camera's tour rides with the seekers' squad, close
    // enough to see hulls drawn at their own size.
    runner.RunFrames(60 * 30 - 30, false);
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

// Away from the Sun, the sky is crisp points of light, none wider than a
// few pixels, on a smooth glow without the blocks of a compressed texture.
TEST_F(LvSceneFrame, TheSkyIsCrispStarsOnASmoothGlow) {
    constexpr int kPatchLeft = 40, kPatchTop = 40, kPatchWidth = 96, kPatchHeight = 54;
    Start(320, 180, "scenes\\Hell's Heart.mis");
    Look({0, 250, 250}, {1, -0.3f, 0});
    GetCommandInterface().cursorId = kCursorNone; // the cursor has no picture here
    RunFrames(3);                                 // before any text
    GetCommandInterface().cursorId = kCursorDefault;
    ReadWindow();
    // Star cores: the pixels far above the glow round them, in groups.
    std::vector<int> group(pixels.size(), 0);
    int stars = 0, widest = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            if (group[size_t(y * width + x)] || Brightness(x, y) < 120) continue;
            ++stars;
            int left = x, right = x, top = y, bottom = y;
            std::vector<std::pair<int, int>> open{{x, y}};
            group[size_t(y * width + x)] = stars;
            while (!open.empty()) {
                const auto [px, py] = open.back();
                open.pop_back();
                left = std::min(left, px), right = std::max(right, px);
                top = std::min(top, py), bottom = std::max(bottom, py);
                for (const auto& [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
                    const int nx = px + dx, ny = py + dy;
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                    int& mark = group[size_t(ny * width + nx)];
                    if (mark || Brightness(nx, ny) < 120) continue;
                    mark = stars;
                    open.push_back({nx, ny});
                }
            }
            widest = std::max({widest, right - left + 1, bottom - top + 1});
        }
    EXPECT_GT(stars, 25);
    EXPECT_LE(widest, 3);

    // A patch of it as a person looked at it.
    std::vector<uint32_t> patch;
    for (int y = kPatchTop; y < kPatchTop + kPatchHeight; ++y)
        for (int x = kPatchLeft; x < kPatchLeft + kPatchWidth; ++x)
            patch.push_back(pixels[size_t(y * width + x)]);
    EXPECT_TRUE(golden::MatchesGolden("scene_sky", patch, kPatchWidth, kPatchHeight));
}

// The fleet's squad numbers (the head-up display's only part in this view:
// nothing is selected or under the cursor) are small labels over their
// leaders, whatever way the camera is turned. They show only from high
// above the squads: the camera looks down on the whole fleet.
TEST_F(LvSceneFrame, SquadNumbersAreSmallLabels) {
    Start(320, 180, "scenes\\fleet.mis");
    GetHud().LoadSettings(runner.script); // as the program does at its start
    runner.Draw().Switches().backdropOff = true;
    Look({30, 230, 280}, {0, -0.6f, -0.8f});
    RunFrames(20);
    ASSERT_TRUE(GetHud().hudOn);
    ReadWindow();
    const std::vector<uint32_t> shown = pixels;
    GetHud().SetVisible(false, false);
    runner.Draw().PresentFrame(); // the same frame without the display
    GetHud().SetVisible(true, false);
    ReadWindow();
    int differing = 0, tallest = 0;
    for (int x = 0; x < width; ++x) {
        int run = 0;
        for (int y = 0; y < height; ++y) {
            const bool number = (shown[size_t(y * width + x)] & 0xFFFFFF) != Pixel(x, y);
            differing += number;
            run = number ? run + 1 : 0;
            tallest = std::max(tallest, run);
        }
    }
    EXPECT_GT(differing, 20);             // the numbers are there
    EXPECT_LE(tallest, height * 4 / 100); // and no taller than 4 % of the picture
}

// The logo in the view's top-left corner reads as letters in the scaled
// rendering too: along its rows the brightness jumps at the strokes of the
// letters, where the logo drawn from its smallest texture level would be a
// smear without an edge.
TEST_F(LvSceneFrame, TheLogoReadsAsLettersInScaledRendering) {
    Start(800, 448, "scenes\\Hell's Heart.mis", false);
    runner.Draw().Switches().backdropOff = true;                    // no stars among the letters
    runner.Draw().LoadOverlayTextures(&runner.script, true, false); // the "Logo" setting on
    RunFrames(40);                                                  // it has slid into place
    ReadWindow();
    int strokes = 0;
    for (int y = 0; y < height * 12 / 100; ++y)
        for (int x = 0; x + 1 < width / 4; ++x)
            if (std::abs(Brightness(x + 1, y) - Brightness(x, y)) > 60) ++strokes;
    EXPECT_GT(strokes, 150);
}

// A scene of units starts framed on them: with the sky switched off, what is
// drawn spreads over most of the picture's width, not a speck at its middle.
TEST_F(LvSceneFrame, AUnitSceneStartsWithItsUnitsAcrossThePicture) {
    Start(320, 180, "scenes\\armada.mis");
    runner.Draw().Switches().backdropOff = true;
    RunFrames(3);
    ReadWindow();
    int lit = 0, left = width, right = -1;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (Brightness(x, y) > 20) {
                ++lit;
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_GT(lit, width * height / 50);
    EXPECT_GT(right - left, width / 2);
}

// The base's station, lit by the scene's Sun: seen from above, the half that
// faces the Sun is bright and the other dark, though not black.
TEST_F(LvSceneFrame, TheSunLightsTheStationsSunwardSide) {
    Start(320, 180, "scenes\\base.mis");
    runner.Draw().Switches().backdropOff = true;
    // The hub stands at (0, 0, 110), the Sun at the origin: looking down
    // with +Z up the picture, the Sun lies below it.
    Look({0, 30, 110}, {0, -1, 0.05f});
    RunFrames(3);
    ReadWindow();
    auto patch = [&](int cy) {
        int sum = 0;
        for (int y = cy - 4; y < cy + 4; ++y)
            for (int x = width / 2 - 4; x < width / 2 + 4; ++x)
                sum += Brightness(x, y);
        return sum / 64;
    };
    const int sunward = patch(height * 3 / 4), away = patch(height * 3 / 8);
    EXPECT_GT(sunward, 60);
    EXPECT_GT(sunward, 2 * away) << away;
    EXPECT_GT(away, 8);
}

// A planet of the default scene seen side-on to its Sun: the half of its
// disc towards the Sun is bright, the other dark.
TEST_F(LvSceneFrame, APlanetIsLitOnItsSunwardSide) {
    Start(320, 180, "scenes\\Hell's Heart.mis");
    runner.Draw().Switches().backdropOff = true;
    RunFrames(1);
    const Entity* sun = nullptr;
    const Entity* planet = nullptr;
    for (int i = 0; i < runner.world.EntityCount(); ++i) {
        const Entity* body = runner.world.EntityAt(i);
        if (IsA(body, ClassId::Sun)) sun = body;
        if (IsA(body, ClassId::Planet) && (!planet || body->radius > planet->radius)) planet = body;
    }
    ASSERT_TRUE(sun && planet);
    const Vec3 towardsSun = (sun->position - planet->position).Normalize();
    const Vec3 side = Vec3::Cross(towardsSun, {0, 1, 0}).Normalize();
    // Three radii out, the Sun a quarter turn to the side, out of the view.
    Look(planet->position + side * (10.0f * planet->radius), side * -1.0f);
    const auto& view = runner.Draw().Camera().Current();
    const int sunwardDirection = Vec3::Dot(towardsSun, view.right) > 0.0f ? 1 : -1;
    RunFrames(2);
    ReadWindow();
    // The disc's two halves, each a band beside its centre (clear of the
    // cursor), by their strongest channel: the lit oceans are deep blue.
    auto half = [&](int direction) {
        int sum = 0, count = 0;
        for (int y = height / 2 - height / 10; y < height / 2 + height / 10; ++y)
            for (int step = 8; step < width / 10; ++step, ++count) {
                const int x = width / 2 + direction * step;
                sum += std::max({Red(x, y), Green(x, y), Blue(x, y)});
            }
        return sum / count;
    };
    const int sunward = half(sunwardDirection), away = half(-sunwardDirection);
    EXPECT_GT(sunward, 25);
    EXPECT_GT(sunward, 2 * away) << away;
}
