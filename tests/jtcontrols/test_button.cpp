// The button: clicks picked by the 3D cursor, its text, hilight and
// selection.
#include "tests/jtcontrols/controls_fixture.h"

#include "Jentra/JTEffects.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTSequencer.h"
#include "JTControls/JTButton.h"

namespace controls_test {
namespace {

using ButtonTest = ControlsTest;

TEST_F(ButtonTest, OnlyALeftClickOnAnEnabledButtonBeepsAndNotifies) {
    auto* button = Make<JTButton>(kButtonModel, "JTButton");
    Frame();
    PointAt(JTVec3(0.15f, 0.03f, 1)); // on the button's plate, clear of its text
    ASSERT_EQ(owner->Notes().size(), 0u);

    Click(1);
    EXPECT_TRUE(owner->Notes().empty());
    EXPECT_FALSE(Playing("JTBeep_Alert.wav"));
    EXPECT_FALSE(Playing("JTBeep_Invalid.wav"));

    Click(0);
    ASSERT_EQ(owner->Notes().size(), 1u);
    EXPECT_EQ(owner->Notes()[0].from, button->GetID());
    EXPECT_EQ(owner->Notes()[0].data, 0u);
    EXPECT_TRUE(Playing("JTBeep_Alert.wav"));
    EXPECT_FALSE(Playing("JTBeep_Invalid.wav"));

    // Beside the plate the click hits nothing.
    PointAt(JTVec3(0.3f, 0.03f, 1));
    Click(0);
    EXPECT_EQ(owner->Notes().size(), 1u);

    PointAt(JTVec3(-0.15f, -0.03f, 1));
    button->SetEnabled(false);
    Click(0);
    EXPECT_EQ(owner->Notes().size(), 1u);
    EXPECT_TRUE(Playing("JTBeep_Invalid.wav"));
}

TEST_F(ButtonTest, ANewTextReplacesTheOldUnderTheAttachNode) {
    auto* button = Make<JTButton>(kButtonModel, "JTButton");
    const char* first = "Hello";
    button->Message(&owner->GetID(), &button->GetID(), JTMSG_SETTEXT, const_cast<char*>(first));
    button->Message(&owner->GetID(), &button->GetID(), JTMSG_SETTEXT, const_cast<char*>("Hi"));
    EXPECT_EQ(CountNamed(button, "text"), 1);
    JTGeoNode* text = TextOf(button);
    ASSERT_NE(text, nullptr);
    ASSERT_NE(text->GetParent(), nullptr);
    EXPECT_STREQ(text->GetParent()->GetName(), "textattach");
    ASSERT_NE(text->GetMesh(), nullptr);
    EXPECT_EQ(text->GetMesh()->GetNumFaces(), 4u); // two letters
    // The model stays the entity's one child, so its sequencer is found.
    EXPECT_EQ(button->GetNumChildren(), 1);
    EXPECT_NE(button->GetSequencer(), nullptr);

    auto* effect = dynamic_cast<JTEffect_StreamingLight*>(text->GetEffect());
    ASSERT_NE(effect, nullptr);
    EXPECT_FALSE(effect->darkFinalPass);
    // A disabled button shows its text dark; no text at all is empty text.
    button->SetEnabled(false);
    button->Message(&owner->GetID(), &button->GetID(), JTMSG_SETTEXT, nullptr);
    EXPECT_EQ(CountNamed(button, "text"), 1);
    text = TextOf(button);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->GetMesh()->GetNumFaces(), 0u);
    effect = dynamic_cast<JTEffect_StreamingLight*>(text->GetEffect());
    ASSERT_NE(effect, nullptr);
    EXPECT_TRUE(effect->darkFinalPass);

    // Without a model the text hangs on the button itself.
    auto* bare = Make<JTButton>(nullptr, "JTButton");
    bare->Message(&owner->GetID(), &bare->GetID(), JTMSG_SETTEXT, const_cast<char*>("OK"));
    bare->Message(&owner->GetID(), &bare->GetID(), JTMSG_SETTEXT, const_cast<char*>("OK"));
    ASSERT_EQ(bare->GetNumChildren(), 1);
    EXPECT_EQ(bare->GetChild(0), TextOf(bare));
}

TEST_F(ButtonTest, SelectionStartsItsSequenceOnceAndHilightTintsATintableText) {
    auto* button = Make<JTButton>(kButtonModel, "JTButton");
    Frame();
    JTSequencer* sequencer = button->GetSequencer();
    ASSERT_NE(sequencer, nullptr);
    JTSequence* on = sequencer->GetSequence("select_on");
    JTSequence* off = sequencer->GetSequence("select_off");
    ASSERT_TRUE(on && off);

    button->Message(&owner->GetID(), &button->GetID(), JTMSG_SELECT, nullptr);
    EXPECT_TRUE(button->GetShownSelected());
    EXPECT_TRUE(on->IsPlaying() && on->IsActive());
    EXPECT_FALSE(on->IsLooping());
    Frame();
    Frame();
    const float played = on->GetTime();
    EXPECT_GT(played, 0.0f);
    // Selecting again restarts nothing.
    button->Message(&owner->GetID(), &button->GetID(), JTMSG_SELECT, nullptr);
    EXPECT_FLOAT_EQ(on->GetTime(), played);
    EXPECT_FALSE(off->IsPlaying());

    button->Message(&owner->GetID(), &button->GetID(), JTMSG_DESELECT, nullptr);
    EXPECT_FALSE(button->GetShownSelected());
    EXPECT_TRUE(off->IsPlaying());
    EXPECT_FLOAT_EQ(off->GetTime(), 0.0f);
    Frame();
    const float offPlayed = off->GetTime();
    button->Message(&owner->GetID(), &button->GetID(), JTMSG_DESELECT, nullptr);
    EXPECT_FLOAT_EQ(off->GetTime(), offPlayed);

    // Hilight tints a text drawn with the tintable material, and only that.
    button->Message(&owner->GetID(), &button->GetID(), JTMSG_HILIGHTON, nullptr);
    auto* tinted = new JTGeoNode;
    tinted->SetName("text");
    auto* tint = new JTEffect_FireKnightAlpha;
    tinted->SetEffect(tint, true);
    button->GetChild(0)->AddChild(tinted);
    button->Message(&owner->GetID(), &button->GetID(), JTMSG_HILIGHTON, nullptr);
    EXPECT_FLOAT_EQ(tint->color[0], 0.5f);
    EXPECT_FLOAT_EQ(tint->color[1], 1.0f);
    EXPECT_FLOAT_EQ(tint->color[2], 0.5f);
    button->Message(&owner->GetID(), &button->GetID(), JTMSG_HILIGHTOFF, nullptr);
    EXPECT_FLOAT_EQ(tint->color[0], 1.0f);
    EXPECT_FLOAT_EQ(tint->color[2], 1.0f);
}

} // namespace
} // namespace controls_test
