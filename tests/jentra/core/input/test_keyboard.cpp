// Keyboard: key codes from scancodes, per-poll pressed/released/held state,
// the exact modifier rule, capture, the ten-key sequence, repeats and the
// settling after the window loses and regains focus.
#include <gtest/gtest.h>

#include "Jentra/JTKeyboard.h"
#include "Jentra/core/input/key_table.h"

namespace {

// A keyboard past its start-up settling.
class Keyboard : public ::testing::Test {
protected:
    void SetUp() override {
        kb.Init();
        for (int i = 0; i < JTKeyboard::kSettlePolls; ++i)
            kb.Poll();
    }
    JTKeyboard kb;
};

TEST(KeyTable, ScancodesGiveTheEngineKeyCodes) {
    // Scancodes are the USB keyboard usage numbers.
    EXPECT_EQ(JTDikFromScancode(4), DIK_A);
    EXPECT_EQ(JTDikFromScancode(22), DIK_S);
    EXPECT_EQ(DIK_S, 31);
    EXPECT_EQ(JTDikFromScancode(41), DIK_ESCAPE);
    EXPECT_EQ(JTDikFromScancode(30), DIK_1);
    EXPECT_EQ(JTDikFromScancode(39), DIK_0);
    EXPECT_EQ(JTDikFromScancode(70), DIK_SYSRQ);
    EXPECT_EQ(JTDikFromScancode(72), DIK_PAUSE);
    EXPECT_EQ(JTDikFromScancode(225), DIK_LSHIFT);
    EXPECT_EQ(JTDikFromScancode(229), DIK_RSHIFT);
    EXPECT_EQ(JTDikFromScancode(226), DIK_LMENU);
    EXPECT_EQ(JTDikFromScancode(228), DIK_RCONTROL);
    EXPECT_EQ(JTDikFromScancode(88), DIK_NUMPADENTER);
    EXPECT_EQ(JTDikFromScancode(0), 0);
    EXPECT_EQ(JTDikFromScancode(9999), 0);
    // Every DIK code a key produces leads back to a scancode giving it.
    for (int dik = 1; dik < 256; ++dik) {
        int sc = JTScancodeFromDik(dik);
        if (sc) {
            EXPECT_EQ(JTDikFromScancode(sc), dik) << dik;
        }
    }
}

TEST_F(Keyboard, PressHoldAndRelease) {
    kb.OnScancode(19, true); // P
    kb.Poll();
    EXPECT_TRUE(kb.KeyPress(DIK_P, 0));
    EXPECT_TRUE(kb.KeyDown(DIK_P, 0));
    EXPECT_TRUE(kb.KeyPressAny());
    kb.OnScancode(19, true); // auto-repeat while held
    kb.Poll();
    EXPECT_FALSE(kb.KeyPress(DIK_P, 0));
    EXPECT_TRUE(kb.KeyDown(DIK_P, 0));
    EXPECT_FALSE(kb.KeyPressAny());
    kb.OnScancode(19, false);
    kb.Poll();
    EXPECT_FALSE(kb.KeyDown(DIK_P, 0));

    // Down and up between two polls: pressed, not held.
    kb.OnKey(DIK_Q, true);
    kb.OnKey(DIK_Q, false);
    kb.Poll();
    EXPECT_TRUE(kb.KeyPress(DIK_Q, -1));
    EXPECT_FALSE(kb.KeyDown(DIK_Q, -1));
    kb.UnsetKeyPress(DIK_Q);
    EXPECT_FALSE(kb.KeyPress(DIK_Q, -1));
}

TEST_F(Keyboard, ModifiersMustMatchExactly) {
    kb.OnKey(DIK_LCONTROL, true);
    kb.OnKey(DIK_RSHIFT, true);
    kb.OnKey(DIK_A, true);
    kb.Poll();
    EXPECT_TRUE(kb.Ctrl());
    EXPECT_TRUE(kb.Shift());
    EXPECT_FALSE(kb.Alt());
    EXPECT_EQ(kb.GetModifiers(), JTMOD_SHIFT | JTMOD_CTRL);
    EXPECT_FALSE(kb.KeyDown(DIK_A, JTMOD_CTRL));
    EXPECT_FALSE(kb.KeyDown(DIK_A, 0));
    EXPECT_TRUE(kb.KeyDown(DIK_A, JTMOD_SHIFT | JTMOD_CTRL));
    EXPECT_TRUE(kb.KeyDown(DIK_A, -1));
    kb.OnKey(DIK_RSHIFT, false);
    kb.Poll();
    EXPECT_TRUE(kb.KeyDown(DIK_A, JTMOD_CTRL));
    kb.OnKey(DIK_RMENU, true);
    kb.Poll();
    EXPECT_EQ(kb.GetModifiers(), JTMOD_CTRL | JTMOD_ALT);
}

TEST_F(Keyboard, CaptureHidesKeysFromTheGameOnly) {
    kb.OnKey(DIK_ESCAPE, true);
    kb.Capture();
    kb.Poll();
    EXPECT_TRUE(kb.IsCaptured());
    EXPECT_FALSE(kb.KeyPress(DIK_ESCAPE, -1));
    EXPECT_FALSE(kb.KeyDown(DIK_ESCAPE, -1));
    EXPECT_TRUE(kb.KeyPressCaptured(DIK_ESCAPE, 0));
    EXPECT_TRUE(kb.KeyDownCaptured(DIK_ESCAPE, 0));
    kb.Uncapture();
    EXPECT_TRUE(kb.KeyPress(DIK_ESCAPE, 0));
}

TEST_F(Keyboard, SequenceKeepsTheFirstTenInOrder) {
    const int keys[] = {DIK_Q, DIK_W, DIK_E, DIK_R, DIK_T, DIK_Y,
                        DIK_U, DIK_I, DIK_O, DIK_P, DIK_A};
    for (int k : keys)
        kb.OnKey(k, true);
    kb.Poll();
    ASSERT_EQ(kb.GetNumKeySequence(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(kb.GetKeySequence(i), keys[i]);
    for (int k : keys)
        EXPECT_TRUE(kb.KeyPress(k, -1)) << k;
    EXPECT_EQ(kb.GetKeySequence(10), 0);
    kb.Poll();
    EXPECT_EQ(kb.GetNumKeySequence(), 0);
    kb.UnpressAll();
    EXPECT_FALSE(kb.KeyPressAny());
}

TEST_F(Keyboard, FocusLossForgetsHeldKeysAndRegainSettles) {
    kb.OnKey(DIK_W, true);
    kb.OnKey(DIK_LSHIFT, true);
    kb.Poll();
    ASSERT_TRUE(kb.KeyDown(DIK_W, JTMOD_SHIFT));

    kb.SyncAcquire(true);
    // The key-up happens in another window: no event reaches us.
    kb.Poll();
    EXPECT_FALSE(kb.KeyDown(DIK_W, -1));
    EXPECT_FALSE(kb.Shift());

    kb.SyncAcquire(false);
    kb.OnKey(DIK_E, true); // the key that brought the window back
    for (int i = 0; i < JTKeyboard::kSettlePolls; ++i) {
        kb.Poll();
        EXPECT_FALSE(kb.KeyPressAny()) << i;
        EXPECT_FALSE(kb.KeyDown(DIK_E, -1)) << i;
    }
    kb.Poll();
    EXPECT_TRUE(kb.KeyDown(DIK_E, -1));   // still held
    EXPECT_FALSE(kb.KeyPress(DIK_E, -1)); // but not a new press
    EXPECT_FALSE(kb.KeyDown(DIK_W, -1));
    kb.OnKey(DIK_W, true);
    kb.Poll();
    EXPECT_TRUE(kb.KeyPress(DIK_W, 0));
}

TEST(KeyboardLifecycle, NothingBeforeInitOrAfterTerm) {
    JTKeyboard kb;
    kb.OnKey(DIK_A, true);
    kb.Poll();
    EXPECT_FALSE(kb.KeyPressAny());
    kb.Init();
    for (int i = 0; i < JTKeyboard::kSettlePolls; ++i)
        kb.Poll();
    kb.OnKey(DIK_A, true);
    kb.Term();
    kb.Poll();
    EXPECT_FALSE(kb.KeyPressAny());
    EXPECT_FALSE(kb.KeyDown(DIK_A, -1));
}

TEST(KeyboardArrowMode, StartsAtZeroAndRefusesModesOutsideTheThree) {
    JTKeyboard kb;
    EXPECT_EQ(kb.GetArrowMode(), 0);
    EXPECT_TRUE(kb.SetArrowMode(2));
    EXPECT_EQ(kb.GetArrowMode(), 2);
    EXPECT_FALSE(kb.SetArrowMode(3));
    EXPECT_FALSE(kb.SetArrowMode(-1));
    EXPECT_EQ(kb.GetArrowMode(), 2);
    EXPECT_TRUE(kb.SetArrowMode(0));
    EXPECT_EQ(kb.GetArrowMode(), 0);
}

} // namespace
