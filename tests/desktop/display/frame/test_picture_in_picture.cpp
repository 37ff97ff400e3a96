// The inset picture as the program draws it in the fleet scene: the unit the
// command interface inspects, framed with the inset's texture in a square
// beside it while the head-up display is on; kept for half a second after
// the unit stops being inspected; never drawn with the display hidden, for
// a unit without a size or without the frame texture.
#include "tests/desktop/display/frame/scene_frame_fixture.h"

#include "desktop/display/frame/frame_math.h"
#include "desktop/display/hud/hud.h"
#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/units/ship_base/ship.h"

using namespace display_test;

namespace {

class LvPictureInPicture : public SceneFrameFixture {
protected:
    LvPictureInPicture() {
        SetInputHolders(nullptr, &mouse);
        // The cursor rests in a corner, over no unit.
        mouse.x = -0.99f;
        mouse.y = -0.74f;
    }
    ~LvPictureInPicture() override {
        GetCommandInterface() = CommandInterface();
        GetHud().SetVisible(true, false);
        SetInputHolders(nullptr, nullptr);
    }

    // One frame of the program's loop with the command interface's step.
    void Frame() {
        GetCommandInterface().Update();
        RunFrames(1);
        ReadWindow();
    }

    // Where the frame puts the inset for the unit (the camera is as it drew).
    InsetRect InsetFor(const Entity& unit) const {
        Vec3 seen = unit.position;
        DisplayCamera& camera = runner.display->GetDisplay()->Camera();
        (camera.ViewMatrix() * camera.ProjectionMatrix()).TransformPoint(seen);
        return PictureInPictureRect(seen.x, seen.y, width, height);
    }

    // The share of the inset's top and bottom rows in the frame's light
    // blue.
    double FrameShare(const InsetRect& r) const {
        int blue = 0, all = 0;
        for (int x = r.left + 2; x < r.left + r.side - 2; ++x)
            for (int y : {r.top, r.top + r.side - 1}) {
                const uint32_t p = Pixel(x, y);
                const int red = int(p >> 16 & 0xFF), green = int(p >> 8 & 0xFF), b = int(p & 0xFF);
                blue += b > 180 && green > 130 && red > 80 && b > red + 40;
                ++all;
            }
        return all ? double(blue) / all : 0.0;
    }

    Mouse mouse;
};

} // namespace

TEST_F(LvPictureInPicture, TheInspectedUnitShowsInAFramedSquareBesideItWhileTheDisplayIsOn) {
    Start(320, 180, "scenes\\fleet.mis");
    Look({30, 230, 280}, {0, -0.6f, -0.8f}); // high above the fleet
    Display& display = runner.Draw();
    display.LoadOverlayTextures(&runner.script, false, false);
    RunFrames(20); // the scene shows its head-up display
    ASSERT_TRUE(GetHud().hudOn);

    // The patrolling fighter, far out from the camera.
    Ship* unit = nullptr;
    for (int i = 0; i < runner.world.EntityCount() && !unit; ++i)
        if (Ship* ship = AsShip(runner.world.EntityAt(i));
            ship && ship->owner && ship->owner->index == 0 && !ship->squad)
            unit = ship;
    ASSERT_NE(unit, nullptr);
    CommandInterface& commands = GetCommandInterface();
    commands.selection.Add(unit);
    Frame();
    ASSERT_EQ(commands.InspectedEntity(), unit);
    InsetRect inset = InsetFor(*unit);
    ASSERT_EQ(inset.side, 36); // a fifth of the picture's height
    EXPECT_GT(FrameShare(inset), 0.9);
    // Inside the frame the unit itself, drawn large on black.
    int lit = 0;
    for (int y = inset.top + 4; y < inset.top + inset.side - 4; ++y)
        for (int x = inset.left + 4; x < inset.left + inset.side - 4; ++x)
            lit += (Pixel(x, y) & 0xFFFFFF) > 0x202020 ? 1 : 0;
    EXPECT_GT(lit, 60);

    // Hidden display: no inset.
    GetHud().SetVisible(false, false);
    Frame();
    EXPECT_LT(FrameShare(InsetFor(*unit)), 0.1);
    GetHud().SetVisible(true, false);

    // A unit without a size, or no frame texture: no inset.
    const float radius = unit->radius;
    unit->radius = 0.0f;
    Frame();
    unit->radius = radius;
    EXPECT_LT(FrameShare(InsetFor(*unit)), 0.1);
    TextureSet* frameTexture = display.Overlay().pictureInPicture;
    display.Overlay().pictureInPicture = nullptr;
    Frame();
    display.Overlay().pictureInPicture = frameTexture;
    EXPECT_LT(FrameShare(InsetFor(*unit)), 0.1);

    // No longer selected: shown on for half a second, then gone.
    commands.selection.Clear();
    Frame();
    EXPECT_EQ(commands.InspectedEntity(), unit);
    EXPECT_GT(FrameShare(InsetFor(*unit)), 0.9);
    RunFrames(15);
    Frame();
    EXPECT_EQ(commands.InspectedEntity(), nullptr);
    EXPECT_LT(FrameShare(InsetFor(*unit)), 0.1);
}

// The cursor's position means something only while the pointer is over the
// window: with none known (none came yet, it left, a screen saver) a unit
// standing right where the cursor rests gets no hover label and no inset;
// once the pointer comes over it, both show.
TEST_F(LvPictureInPicture, WithoutAPointerOverTheWindowNoUnitIsUnderTheCursor) {
    Start(320, 180, "scenes\\fleet.mis");
    Display& display = runner.Draw();
    display.LoadOverlayTextures(&runner.script, false, false);
    Ship* unit = nullptr;
    for (int i = 0; i < runner.world.EntityCount() && !unit; ++i)
        if (Ship* ship = AsShip(runner.world.EntityAt(i));
            ship && ship->owner && ship->owner->index == 0 && !ship->squad)
            unit = ship;
    ASSERT_NE(unit, nullptr);
    RunFrames(20); // the scene shows its head-up display
    ASSERT_TRUE(GetHud().hudOn);
    // The unit in the middle of the picture, where the cursor rests when no
    // pointer position ever came; far enough for an inset.
    auto aim = [&] {
        Vec3 away{0, 1, 1};
        away.Normalize();
        const Vec3 from = unit->position + away * (unit->radius * 40.0f);
        Look(from, unit->position - from);
    };
    mouse = Mouse();
    mouse.SetRange(320, 180);
    ASSERT_EQ(mouse.overWindow, 0);
    CommandInterface& commands = GetCommandInterface();
    const OverlayState& overlay = display.Overlay();
    for (int i = 0; i < 3; ++i) {
        aim();
        Frame();
    }
    EXPECT_EQ(commands.candidates.Count(), 0);
    EXPECT_EQ(commands.InspectedEntity(), nullptr);
    EXPECT_EQ(overlay.Find(kHoverName), nullptr);
    EXPECT_LT(FrameShare(InsetFor(*unit)), 0.1);

    // The pointer comes over the window at that spot.
    mouse.overWindow = 1;
    aim();
    Frame();
    ASSERT_EQ(commands.Candidates(), std::vector<Entity*>{unit});
    EXPECT_EQ(commands.InspectedEntity(), unit);
    EXPECT_NE(overlay.Find(kHoverName), nullptr);
    EXPECT_GT(FrameShare(InsetFor(*unit)), 0.9);

    // It leaves: the label goes at once, the inset after its half second.
    mouse.overWindow = 0;
    aim();
    Frame();
    EXPECT_EQ(commands.candidates.Count(), 0);
    EXPECT_EQ(overlay.Find(kHoverName), nullptr);
    RunFrames(15);
    aim();
    Frame();
    EXPECT_EQ(commands.InspectedEntity(), nullptr);
    EXPECT_LT(FrameShare(InsetFor(*unit)), 0.1);
}
