// The mover: a press captures the cursor, the mouse's motion drags the
// selected entities while a button is held, the release lets go.
#include "tests/jtcontrols/controls_fixture.h"

#include "JTControls/JTMover.h"

namespace controls_test {
namespace {

class MoverTest : public ControlsTest {
protected:
    void SetUp() override {
        ControlsTest::SetUp();
        mover = Make<JTMover>(kButtonModel, "JTMover", JTVec3(0, -0.3f, 1));
        cargo = new JTEntity;
        cargo->SetPos(JTVec3(5, 6, 7));
        scene.Add(cargo);
        Frame();
        PointAt(mover->GetPos());
    }
    JTMover* mover = nullptr;
    JTEntity* cargo = nullptr;
};

TEST_F(MoverTest, TheLeftButtonDragsAlongXAndYAndTheReleaseLetsGo) {
    cursor->AddSelection(cargo);
    mouse.OnButton(0, true);
    Frame();
    EXPECT_EQ(cursor->GetCapture(), mover);
    EXPECT_EQ(cursor->GetOpacity(), 0.0f);
    EXPECT_TRUE(mouse.IsRelative());
    EXPECT_TRUE(owner->Notes().empty()); // a handle, not a button
    EXPECT_FALSE(Playing("JTBeep_Alert.wav"));

    // x with the mouse, y against it (the mouse counts downwards).
    mouse.OnMotion(10, 4);
    Frame();
    EXPECT_FLOAT_EQ(cargo->GetPos().x, 15.0f);
    EXPECT_FLOAT_EQ(cargo->GetPos().y, 2.0f);
    EXPECT_FLOAT_EQ(cargo->GetPos().z, 7.0f);
    // The hidden cursor stays where it was.
    EXPECT_FLOAT_EQ(cursor->GetX(), 0.5f);

    mouse.OnButton(0, false);
    Frame();
    EXPECT_EQ(cursor->GetCapture(), nullptr);
    EXPECT_EQ(cursor->GetMode(), JTCursor::CM_NORMAL);
    EXPECT_EQ(cursor->GetOpacity(), 1.0f);
    EXPECT_FALSE(mouse.IsRelative());
    mouse.OnMotion(7, 7);
    Frame();
    EXPECT_FLOAT_EQ(cargo->GetPos().x, 15.0f);
    EXPECT_FLOAT_EQ(cargo->GetPos().y, 2.0f);
}

TEST_F(MoverTest, TheRightButtonDragsAlongXAndDepth) {
    cursor->AddSelection(cargo);
    mouse.OnButton(1, true);
    Frame();
    ASSERT_EQ(cursor->GetCapture(), mover);
    mouse.OnMotion(-5, 3);
    Frame();
    EXPECT_FLOAT_EQ(cargo->GetPos().x, 0.0f);
    EXPECT_FLOAT_EQ(cargo->GetPos().y, 6.0f);
    EXPECT_FLOAT_EQ(cargo->GetPos().z, 4.0f);
}

TEST_F(MoverTest, WithoutTheCaptureOrASelectionNothingMoves) {
    // A release that reaches a mover not holding the cursor changes nothing.
    mover->Message(&owner->GetID(), &mover->GetID(), JTMSG_BUTTONUP, nullptr);
    EXPECT_EQ(cursor->GetMode(), JTCursor::CM_NORMAL);
    EXPECT_EQ(cursor->GetOpacity(), 1.0f);

    // Captured, but nothing selected.
    mouse.OnButton(0, true);
    Frame();
    ASSERT_EQ(cursor->GetCapture(), mover);
    mouse.OnMotion(30, 30);
    Frame();
    EXPECT_FLOAT_EQ(cargo->GetPos().x, 5.0f);
    EXPECT_FLOAT_EQ(cargo->GetPos().y, 6.0f);
}

} // namespace
} // namespace controls_test
