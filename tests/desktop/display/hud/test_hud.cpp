// The head-up display: its fade, the health bar's fill and colour, the
// crosshair's vanishing, the squad numbers' frames and when a height bar is
// drawn, read from the quads it hands a recording canvas.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "desktop/display/hud/hud.h"
#include "desktop/units/ship_base/ship.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"
#include "tests/desktop/scene/command/command_fixture.h"

namespace lumivane {
namespace {

class LvHud : public ::testing::Test {
protected:
    LvHud() {
        GetSceneClock() = {};
        GetDisplayState() = {};
        GetDisplayState().distanceScaling = false;
        GetSceneBounds() = {};
        SetCameraLink(&camera);
        ship = new Ship;
        ship->CreateProps();
        ship->PropChanged(kAllProps);
        ship->AddRef();
    }
    ~LvHud() override {
        ship->Release();
        SetCameraLink(nullptr);
    }

    // The quads of the batches, four vertices each.
    static std::vector<std::vector<Vertex>> Quads(const test::RecordingOverlay& canvas) {
        std::vector<std::vector<Vertex>> quads;
        for (const auto& shape : canvas.shapes)
            for (size_t i = 0; i + 4 <= shape.vertices.size(); i += 4)
                quads.emplace_back(shape.vertices.begin() + ptrdiff_t(i),
                                   shape.vertices.begin() + ptrdiff_t(i + 4));
        return quads;
    }
    static float Width(const std::vector<Vertex>& quad) {
        return quad[1].position.x - quad[0].position.x;
    }

    test::TopCamera camera;
    Hud hud;
    Ship* ship;
};

TEST_F(LvHud, ShowingAndHidingFadeOverTheGrowTime) {
    hud.SetVisible(false, false);
    EXPECT_EQ(hud.hudOn, 0);
    EXPECT_EQ(hud.alpha, 0.0f);

    hud.SetVisible(true, true);
    EXPECT_EQ(hud.hudOn, 1) << "drawn at once";
    hud.UpdateFade(0.25f);
    EXPECT_NEAR(hud.alpha, 0.5f, 1e-6f);
    hud.UpdateFade(0.25f);
    EXPECT_EQ(hud.alpha, 1.0f);
    EXPECT_EQ(hud.fadingIn, 0);

    hud.SetVisible(false, true);
    hud.UpdateFade(0.4f);
    EXPECT_EQ(hud.hudOn, 1) << "still drawn while fading out";
    hud.UpdateFade(0.2f);
    EXPECT_EQ(hud.alpha, 0.0f);
    EXPECT_EQ(hud.hudOn, 0);

    // No grow time: the change is done in one frame, not divided by zero.
    hud.settings.haloGrowTime = 0.0f;
    hud.SetVisible(true, true);
    hud.UpdateFade(0.01f);
    EXPECT_EQ(hud.alpha, 1.0f);
}

TEST_F(LvHud, TheHealthBarFillsAndColoursByHealth) {
    ship->highlighted = 1;
    ship->position = {0, 0, 10};
    Entity* units[] = {ship};
    auto bar = [&](float health) {
        ship->health = health;
        test::RecordingOverlay canvas;
        hud.DrawUnitOverlays(canvas, units);
        auto quads = Quads(canvas);
        EXPECT_GE(quads.size(), 3u) << "tray, frame, fill";
        return quads;
    };
    auto full = bar(1.0f); // "health max" is 1
    EXPECT_EQ(full[2][0].colour, 90u << 24 | kHealthFull);
    EXPECT_NEAR(Width(full[2]) / Width(full[1]), 0.905f, 1e-5f);
    auto half = bar(0.5f);
    EXPECT_EQ(half[2][0].colour & 0xFFFFFF, kHealthHalf);
    EXPECT_NEAR(Width(half[2]) / Width(half[1]), 0.12f + 0.785f * 0.5f, 1e-5f);
    EXPECT_EQ(bar(0.2f)[2][0].colour & 0xFFFFFF, kHealthLow);

    // More than eight in the bays still shows the last band of pips.
    ship->ownedCraft = 50;
    auto pips = bar(1.0f);
    ASSERT_GE(pips.size(), 4u);
    EXPECT_LE(pips[3][2].v, 0.5f + 1e-6f) << "cell 7, inside the sheet's second row";
}

TEST_F(LvHud, ACrosshairVanishesInItsDieTime) {
    ship->position = {0, 0, 10};
    ship->crosshairActive = 1;
    Entity* units[] = {ship};
    SceneClock& clock = GetSceneClock();
    clock.realTime = 5000;
    ship->crosshairStart = 1000; // grown in long ago
    auto arms = [&]() {
        test::RecordingOverlay canvas;
        hud.DrawUnitOverlays(canvas, units);
        return int(Quads(canvas).size()) - 1; // less the tray
    };
    EXPECT_EQ(arms(), 4) << "the die time starts";
    clock.realTime += 999;
    EXPECT_EQ(arms(), 4);
    EXPECT_EQ(ship->crosshairActive, 1);
    clock.realTime += 1;
    arms();
    EXPECT_EQ(ship->crosshairActive, 0);
    EXPECT_EQ(arms(), 0);
}

TEST_F(LvHud, SquadNumbersAndHeightBars) {
    PlayerSet players;
    Player* local = GetPlayers().local;
    ASSERT_NE(local, nullptr);
    ASSERT_TRUE(local->squads[9].Add(ship));
    test::RecordingOverlay numbers;
    hud.DrawSquadNumbers(numbers); // camera 50 up, height limit 15
    ASSERT_EQ(numbers.shapes.size(), 1u) << "empty squads draw nothing";
    EXPECT_EQ(numbers.shapes[0].frame, 0) << "the tenth squad shows 0";
    local->squads[9].Remove(ship, false);

    Entity* units[] = {ship};
    ship->position = {0, 0.9f, 0}; // within its tray height of 1
    test::RecordingOverlay low;
    hud.DrawHeightBars(low, units);
    EXPECT_TRUE(low.shapes.empty());
    ship->position = {0, 3.0f, 0};
    test::RecordingOverlay high;
    hud.DrawHeightBars(high, units);
    ASSERT_EQ(high.shapes.size(), 1u);
    EXPECT_NEAR(high.shapes[0].vertices[0].position.y, 2.0f, 1e-6f) << "from the tray down";
    EXPECT_EQ(high.shapes[0].vertices[1].position.y, 0.0f);
}

} // namespace
} // namespace lumivane
