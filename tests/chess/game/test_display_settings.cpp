// The display settings on the running game: the window the player chose,
// inside the screen; the resolution menu resizing it or refusing a size
// the screen cannot give, in a window and full screen; and the
// anti-aliasing choice holding at the next start.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "Jentra/JTDisplay.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTTransNode.h"
#include "platform/window.h"
#include "tests/chess/game/game_session.h"
#include "tests/chess/game/menu_helpers.h"

namespace {

using namespace rookfall_test;

class DisplaySettings : public GameSession {};

// The resolution menu's entries.
constexpr int k800x600 = 1, k1024x768 = 2, k1280x1024 = 3;

// Whether the slot's selection mark shows (it grows in when selected).
bool Marked(JTList* list, int slot) {
    JTEntity* line = list ? EntityOf(list->GetSlotID(slot)) : nullptr;
    auto* mark = line ? dynamic_cast<JTTransNode*>(line->FindChildRecursive("selmark")) : nullptr;
    return mark && mark->GetMatrix().m[0][0] > 0.5f;
}

// The one marked slot of the list shown, or -1.
int MarkedSlot(ChessGame& game) {
    JTList* list = ShownList(game);
    int marked = -1;
    for (int slot = 0; list && slot < list->GetNumVisible(); ++slot)
        if (Marked(list, slot)) marked = marked < 0 ? slot : -2;
    return marked;
}

// The headless screen: 1024 x 768, with no frame round windows.
constexpr int kScreenWidth = 1024, kScreenHeight = 768;
constexpr int kFramesToSettle = 4;

TEST_F(DisplaySettings, TheWindowHasTheChosenSizeInsideTheScreenAndTheMenuResizesIt) {
    Play([&](ScriptedGame& g, int step) {
        platform::Window* window = gpJTDisplay->GetHwnd();
        switch (step) {
        case 0: {
            // The settings say 640 x 480: a window need not be a mode of
            // the screen's, which offers only 1024 x 768.
            EXPECT_EQ(window->Width(), 640);
            EXPECT_EQ(window->Height(), 480);
            EXPECT_EQ(gpJTDisplay->GetWidth(), 640);
            int x = -1, y = -1;
            window->Position(x, y);
            EXPECT_EQ(x, (kScreenWidth - 640) / 2);
            EXPECT_EQ(y, (kScreenHeight - 480) / 2);
            g.OpenMenu(kMenuResolution);
            return false;
        }
        case kFramesToSettle:
            EXPECT_EQ(MarkedSlot(g), 0);
            EXPECT_TRUE(Choose(g, k800x600));
            EXPECT_EQ(window->Width(), 800);
            EXPECT_EQ(window->Height(), 600);
            EXPECT_EQ(gpJTDisplay->GetWidth(), 800);
            EXPECT_EQ(gpJTDisplay->GetHeight(), 600);
            EXPECT_FLOAT_EQ(gpJTDisplay->GetAspect(), 800.0f / 600.0f);
            EXPECT_EQ(g.GetUserOptions()->ModeDesc.Width, 800u);
            EXPECT_EQ(g.GetNotice(), "");
            return false;
        case 2 * kFramesToSettle: {
            EXPECT_EQ(MarkedSlot(g), k800x600);
            int x = -1, y = -1;
            window->Position(x, y);
            EXPECT_GE(x, 0);
            EXPECT_GE(y, 0);
            EXPECT_LE(x + 800, kScreenWidth);
            EXPECT_LE(y + 600, kScreenHeight);
            // Larger than the screen: refused, and the player told.
            EXPECT_TRUE(Choose(g, k1280x1024));
            EXPECT_EQ(window->Width(), 800);
            EXPECT_EQ(gpJTDisplay->GetWidth(), 800);
            EXPECT_EQ(g.GetUserOptions()->ModeDesc.Width, 800u);
            EXPECT_EQ(g.GetNotice(), "This screen cannot show 1280 x 1024");
            return false;
        }
        case 3 * kFramesToSettle:
            EXPECT_EQ(MarkedSlot(g), k800x600) << "the mark stays on the size in use";
            // The whole screen is still a window's size.
            EXPECT_TRUE(Choose(g, k1024x768));
            EXPECT_EQ(window->Width(), kScreenWidth);
            EXPECT_EQ(gpJTDisplay->GetHeight(), kScreenHeight);
            return false;
        case 4 * kFramesToSettle:
            EXPECT_EQ(MarkedSlot(g), k1024x768);
            return true;
        default:
            return false;
        }
    });
}

TEST_F(DisplaySettings, FullScreenRefusesASizeTheScreenDoesNotOffer) {
    setenv("JENTRA_WINDOWED", "0", 1);
    Play([&](ScriptedGame& g, int step) {
        switch (step) {
        case 0:
            // 640 x 480 is not among the screen's modes: its own is taken.
            EXPECT_TRUE(gpJTDisplay->GetFullScreen());
            EXPECT_EQ(gpJTDisplay->GetWidth(), kScreenWidth);
            g.OpenMenu(kMenuResolution);
            return false;
        case kFramesToSettle:
            EXPECT_EQ(MarkedSlot(g), k1024x768);
            EXPECT_TRUE(Choose(g, k800x600));
            EXPECT_TRUE(gpJTDisplay->GetFullScreen());
            EXPECT_EQ(gpJTDisplay->GetWidth(), kScreenWidth);
            EXPECT_EQ(gpJTDisplay->GetHeight(), kScreenHeight);
            EXPECT_EQ(g.GetUserOptions()->ModeDesc.Width, uint32_t(kScreenWidth));
            EXPECT_EQ(g.GetNotice(), "This screen cannot show 800 x 600");
            return false;
        case 2 * kFramesToSettle:
            EXPECT_EQ(MarkedSlot(g), k1024x768);
            // The mode the screen has is taken again without a word.
            g.ShowNotice("");
            EXPECT_TRUE(Choose(g, k1024x768));
            EXPECT_EQ(g.GetNotice(), "");
            return true;
        default:
            return false;
        }
    });
}

TEST_F(DisplaySettings, AntiAliasingTurnedOnHoldsAtTheNextStart) {
    // The headless device has no vertex processing of its own, where
    // multisampling is off unless the player turned it on.
    Play([&](ScriptedGame& g, int step) {
        if (step == 0) {
            EXPECT_FALSE(gpJTDisplay->GetHWVertProc());
            g.OpenMenu(kMenuAntiAlias);
            return false;
        }
        if (step < kFramesToSettle) return false;
        EXPECT_TRUE(Choose(g, 0)); // On
        EXPECT_TRUE(g.GetUserOptions()->Multisample);
        return true;
    });

    // The program ends and starts again.
    game_.reset();
    gpJTGame = nullptr;
    game_ = std::make_unique<ScriptedGame>();
    Play([&](ScriptedGame& g, int step) {
        if (step == 0) {
            EXPECT_TRUE(g.GetUserOptions()->Multisample);
            EXPECT_TRUE(g.GetUserOptions()->MultisampleSet);
            g.OpenMenu(kMenuAntiAlias);
            return false;
        }
        if (step < kFramesToSettle) return false;
        EXPECT_EQ(MarkedSlot(g), 0);
        return true;
    });
}

} // namespace
