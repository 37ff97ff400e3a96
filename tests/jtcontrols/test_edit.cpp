// The edit box: typing through the keyboard focus, what reaches the owner,
// and the caret.
#include "tests/jtcontrols/controls_fixture.h"

#include <cmath>

#include "Jentra/JTEffects.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMesh.h"
#include "JTControls/JTEdit.h"

namespace controls_test {
namespace {

class EditTest : public ControlsTest {
protected:
    void Type(const char* keys) {
        for (const char* k = keys; *k; ++k)
            keyboard.ProcessChar(static_cast<unsigned char>(*k));
    }
    void SendChar(JTEdit* edit, unsigned char c) {
        owner->GetCommunicator().Send(edit->GetID(), JTMSG_CHAR,
                                      reinterpret_cast<void*>(uintptr_t(c)));
    }
    static JTNode* Caret(JTEdit* edit) { return edit->FindChildRecursive("caret"); }
    static int TextFaces(JTEdit* edit) {
        auto* text = dynamic_cast<JTGeoNode*>(edit->FindChildRecursive("text"));
        return text && text->GetMesh() ? int(text->GetMesh()->GetNumFaces()) : -1;
    }
};

TEST_F(EditTest, TypedTextEndsWithEnterWhichTellsTheOwner) {
    auto* edit = Make<JTEdit>(kEditModel, "JTEdit");
    EXPECT_STREQ(edit->GetText(), "");
    keyboard.SetFocus(&edit->GetID());
    EXPECT_TRUE(edit->IsFocused());

    Type("ab\b");
    EXPECT_STREQ(edit->GetText(), "a");
    EXPECT_EQ(TextFaces(edit), 2); // the letter's two triangles
    EXPECT_EQ(CountNamed(edit, "text"), 1);
    EXPECT_TRUE(owner->Notes().empty());
    EXPECT_TRUE(Playing("JTBeep_Alert.wav"));
    Type("\r"); // the keyboard hands Enter on as a line feed
    EXPECT_STREQ(edit->GetText(), "a");
    ASSERT_EQ(owner->Notes().size(), 1u);
    EXPECT_EQ(owner->Notes()[0].from, edit->GetID());

    // A carriage return sent directly is a control character like the rest.
    SendChar(edit, 13);
    SendChar(edit, 27);
    SendChar(edit, 0);
    EXPECT_STREQ(edit->GetText(), "a");
    EXPECT_EQ(owner->Notes().size(), 1u);
    // Letters above 127 are text.
    SendChar(edit, 0xE9);
    EXPECT_STREQ(edit->GetText(), "a\xE9");

    keyboard.SetFocus(nullptr);
    EXPECT_FALSE(edit->IsFocused());
    Type("zz");
    EXPECT_STREQ(edit->GetText(), "a\xE9");
}

TEST_F(EditTest, BackspaceOnNothingBeepsAndSetTextReplacesTheText) {
    auto* edit = Make<JTEdit>(kEditModel, "JTEdit");
    SendChar(edit, 8);
    EXPECT_STREQ(edit->GetText(), "");
    EXPECT_TRUE(Playing("JTBeep_Alert.wav"));
    EXPECT_EQ(TextFaces(edit), 0);

    edit->SetText("Player One");
    EXPECT_STREQ(edit->GetText(), "Player One");
    EXPECT_EQ(TextFaces(edit), 2 * 10); // the blank draws too
    edit->SetText(nullptr);
    EXPECT_STREQ(edit->GetText(), "");
    // Redrawing (no text given) keeps what is there.
    edit->SetText("x");
    owner->GetCommunicator().Send(edit->GetID(), JTMSG_SETTEXT, nullptr);
    EXPECT_STREQ(edit->GetText(), "x");
    EXPECT_EQ(CountNamed(edit, "text"), 1);
}

TEST_F(EditTest, TheCaretBlinksAfterTheLastLetterOnlyWhileFocused) {
    auto* edit = Make<JTEdit>(kEditModel, "JTEdit");
    Frame(); // in the scene
    Frame(); // updated once
    JTNode* caret = Caret(edit);
    ASSERT_NE(caret, nullptr);
    auto* shape = dynamic_cast<JTGeoNode*>(caret->GetChild(0));
    ASSERT_NE(shape, nullptr);
    auto* material = dynamic_cast<JTEffect_Simple*>(shape->GetEffect());
    ASSERT_NE(material, nullptr);
    EXPECT_EQ(caret->GetOpacity(), 0.0f);

    edit->SetText("Wide");
    keyboard.SetFocus(&edit->GetID());
    gdwTime = 230; // the next frame is at 250 ms: a quarter turn, full brightness
    Frame();
    EXPECT_NEAR(caret->GetOpacity(), 1.0f, 1e-4f);
    auto* pose = dynamic_cast<JTTransNode*>(caret);
    ASSERT_NE(pose, nullptr);
    auto* rest = dynamic_cast<JTTransNode*>(caret->GetBase());
    ASSERT_NE(rest, nullptr);
    const float x = font.GetTextWidth("Wide", 0) * 20.0f;
    EXPECT_GT(x, 20.0f);
    EXPECT_NEAR(pose->GetMatrix().m[3][0], rest->GetMatrix().m[3][0] + x, 1e-3f);
    EXPECT_NEAR(pose->GetMatrix().m[3][1], rest->GetMatrix().m[3][1], 1e-4f);
    EXPECT_FALSE(material->depthTest);

    gdwTime = 730; // three quarters: the dimmest
    Frame();
    EXPECT_NEAR(caret->GetOpacity(), 0.5f, 1e-4f);

    // A caret of another material is left as it is.
    auto* glow = new JTEffect_FireKnightAlpha;
    glow->SetColor(0.25f, 0.5f, 0.75f, 1.0f);
    if (shape->OwnsEffect()) delete shape->GetEffect();
    shape->SetEffect(glow, true);
    Frame();
    EXPECT_FLOAT_EQ(glow->color[0], 0.25f);
    EXPECT_FLOAT_EQ(glow->color[3], 1.0f);

    keyboard.SetFocus(nullptr);
    Frame();
    EXPECT_EQ(caret->GetOpacity(), 0.0f);
}

} // namespace
} // namespace controls_test
