// The display's modes, text slots and block of the scene-state file:
// cinematic mode and the HUD it hides, the slots and their shadows, a block
// written and read back unchanged, old and damaged blocks.
#include "desktop/display/device/display.h"
#include "desktop/display/font/bitmap_font.h"
#include "desktop/display/overlay/scene_display_link.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/script_config.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/trigger_action.h"
#include "platform/binary_io.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lumivane;

namespace {

class RecordingHooks : public FrameHooks {
public:
    bool SetHudVisible(bool visible, bool fade) override {
        calls.emplace_back(visible, fade);
        return FrameHooks::SetHudVisible(visible, fade);
    }
    std::vector<std::pair<bool, bool>> calls;
};

class LvDisplayOverlay : public ::testing::Test {
protected:
    LvDisplayOverlay() {
        ScriptConfig script;
        script.Parse("[Fonts]\n<font1>\ncharPerRow 16\ncharPerColumn 16\n");
        font.Load("font1", &script);
        SetFont(&font);
        display.SetFrameHooks(&hooks);
    }
    ~LvDisplayOverlay() override {
        SetFont(nullptr);
        GetUserInputWords() = {};
    }
    std::vector<std::string> OverlayNames() const {
        std::vector<std::string> names;
        Node* overlay = display.Overlay().overlay;
        for (int i = 0; i < overlay->ChildCount(); ++i)
            names.emplace_back(overlay->ChildAt(i)->Name());
        return names;
    }
    std::vector<uint8_t> Saved() const {
        platform::BufferWriter out;
        display.SaveState(out);
        return out.Data();
    }

    DisplayHost host;
    Display display{host};
    RecordingHooks hooks;
    BitmapFont font;
};

} // namespace

TEST_F(LvDisplayOverlay, CinematicModeHidesTheHudAndGivesBackOnlyWhatWasShown) {
    OverlayState& o = display.Overlay();
    UserInputWords& input = GetUserInputWords();
    input.permission[0] = 0x12345;
    display.SetCinematicMode(1, false);
    EXPECT_EQ(o.modes[kModeHudVisible], 0);
    EXPECT_EQ(o.modes[kModeLetterbox], 1);
    EXPECT_FLOAT_EQ(o.ModeFloat(kModeLetterboxAmount), 1.0f);
    EXPECT_EQ(o.modes[kModeFadeIn], 0);
    EXPECT_FLOAT_EQ(o.ModeFloat(kModeFadeAmount), 0.0f);
    EXPECT_EQ(input.permission[0], 0u);
    display.SetCinematicMode(0, false);
    EXPECT_EQ(o.modes[kModeHudVisible], 1);
    EXPECT_EQ(o.modes[kModeLetterbox], 0);
    EXPECT_FLOAT_EQ(o.ModeFloat(kModeFadeAmount), 1.0f);
    EXPECT_EQ(input.permission[0], 0x12345u);

    // A HUD hidden before stays hidden afterwards.
    display.SetHudVisible(0, true);
    hooks.calls.clear();
    display.SetCinematicMode(2, true); // toggles on
    display.SetCinematicMode(2, true); // and off
    EXPECT_EQ(o.modes[kModeHudVisible], 0);
    EXPECT_TRUE(hooks.calls.empty());
    EXPECT_FALSE(hooks.HudOn());
    // An unchanged mode does nothing; an odd word toggles.
    display.SetLetterbox(0, false);
    o.modes[kModeCinematic] = -1;
    display.SetCinematicMode(7, false);
    EXPECT_EQ(o.modes[kModeCinematic], 1);
}

TEST_F(LvDisplayOverlay, SlotTwoShowsTextThreeOverItsShadow) {
    display.ShowText(2, "Hello", true);
    EXPECT_EQ(OverlayNames(), (std::vector<std::string>{"text3-shadow", "text3"}));
    auto* shadow = static_cast<AnimText*>(display.Overlay().Find("text3-shadow"));
    auto* text = static_cast<AnimText*>(display.Overlay().Find("text3"));
    EXPECT_EQ(shadow->Vertices()[0].colour, 0xFF000000u);
    EXPECT_EQ(text->Vertices()[0].colour, 0xFF00FF00u);
    EXPECT_NEAR(shadow->Vertices()[0].position.x - text->Vertices()[0].position.x, 0.0015f, 1e-6f);
    EXPECT_EQ(text->depthTest, 0); // never hidden by the scene
    EXPECT_EQ(text->text, "Hello");
    // Showing the slot again replaces it; slots outside 0..4 show nothing.
    display.ShowText(2, "Again", false);
    display.ShowText(5, "none", true);
    EXPECT_EQ(OverlayNames().size(), 2u);
    display.ShowText(0, "one", true);
    EXPECT_TRUE(display.Overlay().Find("text1"));
    EXPECT_FALSE(display.Overlay().Find("text1-shadow"));
}

TEST_F(LvDisplayOverlay, TheBlockReadsBackToTheSameBytes) {
    display.SetLetterbox(1, true);
    display.Overlay().SetModeFloat(kModeLetterboxAmount, 0.25f);
    display.Overlay().modes[kModeUnitSwitch] = 0;
    display.ShowText(0, "first", true);
    display.ShowText(3, "fourth", true);
    display.ShowText(4, "fifth is not kept", true);
    const std::vector<uint8_t> saved = Saved();

    DisplayHost otherHost;
    Display other(otherHost);
    RecordingHooks otherHooks;
    other.SetFrameHooks(&otherHooks);
    platform::MemoryReader in(saved);
    ASSERT_TRUE(other.LoadState(in, 120));
    EXPECT_EQ(in.Remaining(), 0u);
    platform::BufferWriter again;
    other.SaveState(again);
    EXPECT_EQ(again.Data(), saved);
    EXPECT_FALSE(other.Overlay().Find("text5"));
    // The saved HUD visibility is applied at once.
    ASSERT_FALSE(otherHooks.calls.empty());
    EXPECT_EQ(otherHooks.calls.back(), std::make_pair(true, false));
}

TEST_F(LvDisplayOverlay, OldShortAndUnterminatedBlocksAreReadSafely) {
    display.ShowText(1, "kept", true);
    const std::vector<uint8_t> current = Saved();
    // Version 99: mode words, then the camera; no texts.
    platform::BufferWriter old;
    for (int i = 0; i < kModeWordCount; ++i)
        old.WriteI32(i == kModeLetterbox ? 1 : 0);
    display.Camera().Save(old);
    platform::MemoryReader oldIn(old.Data());
    ASSERT_TRUE(display.LoadState(oldIn, 99));
    EXPECT_EQ(display.Overlay().modes[kModeLetterbox], 1);
    EXPECT_TRUE(display.Overlay().Find("text2")); // untouched before version 100

    // Cut short: nothing changes.
    std::vector<uint8_t> cut(current.begin(), current.begin() + 100);
    platform::MemoryReader cutIn(cut);
    EXPECT_FALSE(display.LoadState(cutIn, 120));
    EXPECT_EQ(display.Overlay().modes[kModeLetterbox], 1);

    // A text filling its whole buffer without an end.
    platform::BufferWriter full;
    for (int i = 0; i < kModeWordCount; ++i)
        full.WriteI32(0);
    full.WriteU32(1);
    const std::string unterminated(kSavedTextBytes, 'x');
    full.WriteBytes(unterminated.data(), unterminated.size());
    for (int i = 0; i < 3; ++i)
        full.WriteU32(0);
    full.WriteU32(0);
    full.WriteU32(0);
    display.Camera().Save(full);
    platform::MemoryReader fullIn(full.Data());
    ASSERT_TRUE(display.LoadState(fullIn, 120));
    auto* text = static_cast<AnimText*>(display.Overlay().Find("text1"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text.size(), 999u);
    EXPECT_FALSE(display.Overlay().Find("text2"));
}

TEST_F(LvDisplayOverlay, TheSceneSeamReachesTheDisplay) {
    DisplaySceneLink link(display);
    EXPECT_EQ(&GetSceneDisplay(), &link);
    GetSceneDisplay().ShowText(2, "via the scene", true);
    EXPECT_TRUE(GetSceneDisplay().HasOverlay("text3"));
    GetSceneDisplay().HideText(3);
    EXPECT_TRUE(display.Overlay().Find("text3X"));
    EXPECT_FALSE(display.Overlay().Find("text3"));
    GetSceneDisplay().ResetForRestart();
    EXPECT_FALSE(display.Overlay().Find("text3X"));
    EXPECT_FALSE(GetSceneDisplay().CinematicMode());
    EXPECT_EQ(display.Overlay().modes[kModeCinematic], -1);
    EXPECT_EQ(GetFrameDisplay()->OverlayNode(), display.Overlay().overlay);
}

// Trigger actions 5 and 32 reach the display through the scene's seam: the
// fade switch with its amount at once or left to the frames, the bump
// switch that the frame reads, and the further switch; the scene-state
// block keeps them.
TEST_F(LvDisplayOverlay, TriggerSwitchesReachTheFadeAndTheBumpPasses) {
    DisplaySceneLink link(display);
    auto run = [](int32_t type, std::vector<int32_t> values) {
        TriggerAction action;
        action.type = type;
        action.values = std::move(values);
        action.Run();
    };
    OverlayState& overlay = display.Overlay();
    run(action::kDisplaySwitch, {0, 0});
    EXPECT_EQ(overlay.modes[kModeFadeInWord], 0);
    EXPECT_EQ(overlay.ModeFloat(kModeFadeAmountWord), 0.0f) << "black at once";
    run(action::kDisplaySwitch, {2, 1});
    EXPECT_EQ(overlay.modes[kModeFadeInWord], 1) << "toggled on";
    EXPECT_EQ(overlay.ModeFloat(kModeFadeAmountWord), 0.0f) << "the frames ramp it";

    EXPECT_TRUE(display.Switches().bump);
    run(action::kDisplayFlags, {1});
    EXPECT_FALSE(display.Switches().bump);
    run(action::kDisplayFlags, {7});
    EXPECT_TRUE(display.Switches().bump) << "toggled";
    run(action::kDisplayFlags, {1});
    overlay.modes[kModeFurtherSwitch] = 0;
    run(action::kDisplayFlags, {0});
    EXPECT_EQ(overlay.modes[kModeFurtherSwitch], 1);
    EXPECT_FALSE(display.Switches().bump) << "value 0 leaves the bump switch";

    const std::vector<uint8_t> saved = Saved();
    run(action::kDisplayFlags, {2});
    run(action::kDisplaySwitch, {0, 0});
    platform::MemoryReader in(saved.data(), saved.size());
    ASSERT_TRUE(GetSceneDisplay().LoadState(in, 120));
    EXPECT_FALSE(display.Switches().bump) << "as saved";
    EXPECT_EQ(overlay.modes[kModeFadeInWord], 1);
}
