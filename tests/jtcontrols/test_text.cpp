// The label: its text laid out by its alignment in a mesh that changes each
// time, glowing or drawn flat.
#include "tests/jtcontrols/controls_fixture.h"

#include "Jentra/JTEffects.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMesh.h"
#include "JTControls/JTText.h"

namespace controls_test {
namespace {

using TextTest = ControlsTest;

TEST_F(TextTest, ALabelLaysOutByItsAlignmentAndCanDrawFlat) {
    auto* label = Make<JTText>(nullptr, "JTText");
    EXPECT_EQ(label->GetAlignment(), MIDDLE_CENTER);
    label->SetAlignment(TOP_LEFT);
    label->SetPlainTexture(true);
    label->Message(&owner->GetID(), &label->GetID(), JTMSG_SETTEXT, const_cast<char*>("Level"));
    JTGeoNode* text = TextOf(label);
    ASSERT_NE(text, nullptr);
    ASSERT_NE(text->GetMesh(), nullptr);
    EXPECT_TRUE(text->GetMesh()->GetDynamic());
    Vert1 first{};
    ASSERT_TRUE(text->GetMesh()->GetVertex(1, first)); // the first letter's top left
    EXPECT_FLOAT_EQ(first.x, 0.0f);
    EXPECT_FLOAT_EQ(first.y, 0.0f);
    auto* flat = dynamic_cast<JTEffect_Simple*>(text->GetEffect());
    ASSERT_NE(flat, nullptr);
    EXPECT_EQ(dynamic_cast<JTEffect_StreamingLight*>(text->GetEffect()), nullptr);
    EXPECT_TRUE(text->OwnsEffect());
    EXPECT_FALSE(flat->depthTest);
    EXPECT_FALSE(flat->depthWrite);
    EXPECT_EQ(flat->texture, font.GetTexture());

    // Centred again, and glowing: the block's middle at the origin.
    label->SetAlignment(MIDDLE_CENTER);
    label->SetPlainTexture(false);
    label->Message(&owner->GetID(), &label->GetID(), JTMSG_SETTEXT, const_cast<char*>("Level"));
    EXPECT_EQ(CountNamed(label, "text"), 1);
    text = TextOf(label);
    ASSERT_TRUE(text->GetMesh()->GetVertex(1, first));
    EXPECT_NEAR(first.x, -font.GetTextWidth("Level", 0) * 20.0f, 1e-3f);
    EXPECT_FLOAT_EQ(first.y, 20.0f);
    EXPECT_NE(dynamic_cast<JTEffect_StreamingLight*>(text->GetEffect()), nullptr);
}

} // namespace
} // namespace controls_test
