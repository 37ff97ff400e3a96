// The menus on the running game: walking from the main menu into a game
// against the computer, dialogs rebuilt from scratch, the volumes, the
// recorded games and their names, the game's result and the closing screen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Jentra/JTAudio.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTFrameClock.h"
#include "JTControls/JTButton.h"
#include "chess/engine/movegen.h"
#include "chess/engine/position_text.h"
#include "chess/engine/search.h"
#include "tests/chess/game/game_session.h"
#include "tests/chess/game/menu_helpers.h"

namespace {

using namespace rookfall_test;

constexpr chess::ChessMove kE2E4 = 0x2264;
constexpr chess::ChessMove kE7E5 = 0x1A14;

class MenuSession : public GameSession {};

// Starts the game at its main menu, as a player finds it.
constexpr bool kAtMainMenu = false;

TEST_F(MenuSession, FromTheMainMenuToAGameAgainstTheComputerAtLevelOne) {
    JTID first;
    Play(
        [&](ScriptedGame& g, int step) {
            switch (step) {
            case 0:
                return false; // the main menu enters the interface this frame
            case 1:
                EXPECT_EQ(g.GetCurrentMenu(), kMenuMain);
                EXPECT_EQ(g.GetMenuDepth(), 2);
                first = g.GetCurrentDialog()->GetID();
                EXPECT_TRUE(Choose(g, 3)); // Human vs. Human
                return false;
            case 2:
                // The old dialog went before the new one came.
                EXPECT_FALSE(Exists(first));
                EXPECT_EQ(g.GetCurrentMenu(), kMenuPlayMode);
                EXPECT_TRUE(Choose(g, ShownList(g)->GetNumItems() - 1)); // Back
                return false;
            case 3:
                // Back at the one main menu over the board.
                EXPECT_EQ(g.GetCurrentMenu(), kMenuMain);
                EXPECT_EQ(g.GetMenuDepth(), 2);
                EXPECT_TRUE(Choose(g, 1)); // Human vs. Computer
                return false;
            case 4:
                EXPECT_EQ(g.GetCurrentMenu(), kMenuColour);
                EXPECT_EQ(g.GetPlayer(chess::White), kPlayerLocal);
                EXPECT_EQ(g.GetPlayer(chess::Black), kPlayerLocal);
                EXPECT_TRUE(Choose(g, 0)); // White
                return false;
            case 5:
                EXPECT_EQ(g.GetCurrentMenu(), kMenuLevel);
                EXPECT_EQ(g.GetPlayer(chess::White), kPlayerLocal);
                EXPECT_EQ(g.GetPlayer(chess::Black), kPlayerComputer);
                EXPECT_TRUE(Choose(g, 0)); // Level 1: Easy
                return false;
            case 6:
                EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
                EXPECT_EQ(g.GetMenuDepth(), 1);
                EXPECT_EQ(g.GetCurrentDialog(), nullptr);
                EXPECT_EQ(g.GetPlayer(chess::White), kPlayerLocal);
                EXPECT_EQ(g.GetPlayer(chess::Black), kPlayerComputer);
                EXPECT_EQ(chess::GetLevel(), 0);
                g.OpenMenu(kMenuInGame);
                return false;
            case 7:
                first = g.GetCurrentDialog()->GetID();
                g.OpenMenu(kMenuSettings);
                return false;
            case 8:
                EXPECT_FALSE(Exists(first));
                g.CloseMenu();
                return false;
            case 9:
                // The in-game menu again, built anew.
                EXPECT_EQ(g.GetCurrentMenu(), kMenuInGame);
                EXPECT_NE(g.GetCurrentDialog()->GetID(), first);
                EXPECT_EQ(ShownList(g)->GetNumItems(), 6);
                return true;
            default:
                return true;
            }
        },
        600, "nosplash", kAtMainMenu);
}

TEST_F(MenuSession, AmbianceMaxThenOffMovesTheMusicAndTheAmbientGroup) {
    Play([&](ScriptedGame& g, int step) {
        switch (step) {
        case 0:
            g.OpenMenu(kMenuAmbianceVolume);
            return false;
        case 1:
            EXPECT_TRUE(Choose(g, 4)); // Max
            EXPECT_FLOAT_EQ(JTGetSoundOptions().musicVolume, 1.0f);
            EXPECT_FLOAT_EQ(gpJTAudio->GetGroupLevel(1), 1.0f);
            EXPECT_TRUE(Choose(g, 0)); // Off
            EXPECT_FLOAT_EQ(JTGetSoundOptions().musicVolume, 0.0f);
            EXPECT_FLOAT_EQ(gpJTAudio->GetGroupLevel(1), 0.0f);
            EXPECT_FLOAT_EQ(g.GetUserOptions()->MusicVolume, 0.0f);
            EXPECT_TRUE(Choose(g, 5)); // the spacer does nothing
            EXPECT_EQ(g.GetCurrentMenu(), kMenuAmbianceVolume);
            g.ReplaceMenu(kMenuEffectsVolume);
            return false;
        case 2:
            EXPECT_TRUE(Choose(g, 2));
            EXPECT_FLOAT_EQ(g.GetUserOptions()->SfxVolume, 0.5f);
            EXPECT_FLOAT_EQ(gpJTAudio->GetGroupLevel(0), 0.5f);
            EXPECT_FLOAT_EQ(JTGetSoundOptions().musicVolume, 0.0f);
            EXPECT_TRUE(Choose(g, 6)); // Back
            EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
            return true;
        default:
            return true;
        }
    });
}

// A menu that asks the module for controls it cannot make as asked.
class ProbeMenu : public ChessMenuDialog {
public:
    JTButton* unknown = nullptr;
    JTList* otherClass = nullptr;
    JTList* list = nullptr;
    bool built = false;

protected:
    void Build() override {
        built = true;
        unknown = AddControl<JTButton>(nullptr, "NoSuchControl", JTVec3());
        otherClass = AddControl<JTList>(nullptr, "JTButton", JTVec3());
        list = AddControl<JTList>(nullptr, "JTList", JTVec3());
    }
    void Used(const JTID&, int) override {}
};

TEST_F(MenuSession, AControlThatIsNotOfTheClassAskedForIsLeftOut) {
    ProbeMenu* probe = nullptr;
    Play([&](ScriptedGame& g, int step) {
        if (step == 0) {
            probe = new ProbeMenu();
            g.GetInterfaceScene()->Add(probe);
            return false;
        }
        EXPECT_TRUE(probe->built);
        EXPECT_EQ(probe->unknown, nullptr);
        EXPECT_EQ(probe->otherClass, nullptr);
        EXPECT_NE(probe->list, nullptr);
        // Only the list follows the menu; nothing else was left in the scene.
        int following = 0;
        JTScene* scene = g.GetInterfaceScene();
        for (int i = 0; i < scene->GetNumChildren(); ++i)
            if (scene->GetChild(i)->GetLink() && scene->GetChild(i)->GetLinkID() == probe->GetID())
                ++following;
        EXPECT_EQ(following, 1);
        return true;
    });
}

void WriteGame(const std::filesystem::path& file, const std::vector<uint32_t>& moves,
               bool truncated = false) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    const uint32_t count = uint32_t(moves.size()) + (truncated ? 1 : 0);
    out.write(reinterpret_cast<const char*>(&count), 4);
    for (uint32_t m : moves)
        out.write(reinterpret_cast<const char*>(&m), 4);
}

TEST_F(MenuSession, RecordedGamesShowSixAtATimeAndTheChosenOneIsReplayed) {
    UsePrivateDataFolder();
    std::vector<std::string> shown;
    Play([&](ScriptedGame& g, int step) {
        auto* menu = dynamic_cast<RecordedGamesMenu*>(g.GetCurrentDialog());
        switch (step) {
        case 0:
            g.OpenMenu(kMenuRecordedGames);
            return false;
        case 1:
            // Nothing recorded: an empty list and nothing to scroll.
            EXPECT_NE(menu, nullptr);
            if (!menu) return true;
            EXPECT_EQ(menu->GetList()->GetNumItems(), 0);
            EXPECT_FALSE(menu->HasScrollButtons());
            for (int i = 0; i < 6; ++i)
                WriteGame(RecordedFile("game" + std::to_string(i) + ".gam"), {kE2E4, kE7E5});
            // Seventh, last by name: a count of three over two moves.
            WriteGame(RecordedFile("zbroken.GAM"), {kE2E4, kE7E5}, true);
            g.ReplaceMenu(kMenuRecordedGames);
            return false;
        case 2:
            return false; // the lines take their places below each other
        case 3: {
            EXPECT_NE(menu, nullptr);
            if (!menu) return true;
            EXPECT_EQ(menu->GetList()->GetNumItems(), 7);
            EXPECT_EQ(menu->GetList()->GetNumVisible(), 6);
            EXPECT_TRUE(menu->HasScrollButtons());
            // "Up" and "Down" stand below the sixth line, clear of it, and
            // "Cancel" below them; each on a panel of its own, so they read
            // over the board as the lines do.
            const VerticalSpan sixth = SpanOf(EntityOf(menu->GetList()->GetSlotID(5)));
            for (const JTID& button : {menu->GetUpButton(), menu->GetDownButton()}) {
                const VerticalSpan span = SpanOf(EntityOf(button));
                EXPECT_FALSE(sixth.Empty() || span.Empty());
                EXPECT_LT(span.high, sixth.low);
                EXPECT_GT(span.low, SpanOf(EntityOf(menu->GetCancelButton())).high);
            }
            for (const JTID& button :
                 {menu->GetUpButton(), menu->GetDownButton(), menu->GetCancelButton()}) {
                JTEntity* entity = EntityOf(button);
                EXPECT_TRUE(entity && entity->FindChildRecursive("plate"));
            }
            for (int i = 0; i < 3; ++i)
                Click(menu->GetDownButton());
            // Past the end the last six stay in view.
            EXPECT_EQ(menu->GetList()->GetFirstVisible(), 1);
            Click(menu->GetUpButton());
            EXPECT_EQ(menu->GetList()->GetFirstVisible(), 0);
            Click(menu->GetDownButton());
            EXPECT_STREQ(menu->GetList()->GetItemText(6), "zbroken");
            // A file that cannot be read keeps the menu and the game.
            g.PickMove(kE2E4);
            EXPECT_TRUE(Choose(menu->GetList(), 6));
            EXPECT_EQ(g.GetCurrentMenu(), kMenuRecordedGames);
            EXPECT_EQ(g.GetNotice(), "This recorded game cannot be read");
            EXPECT_EQ(g.GetMoves().GetCount(), 1);
            EXPECT_TRUE(Choose(menu->GetList(), 3));
            EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
            EXPECT_EQ(g.GetPlayer(chess::White), kPlayerReplay);
            EXPECT_EQ(g.GetPlayer(chess::Black), kPlayerReplay);
            EXPECT_EQ(g.GetReplayCount(), 2);
            EXPECT_EQ(g.GetMoves().GetCount(), 0);
            return false;
        }
        default:
            // The replay makes its moves on the board.
            return g.GetMoves().GetCount() == 2 && MoveList(g) == "e2e4 e7e5";
        }
    });
    EXPECT_EQ(MoveList(*game_), "e2e4 e7e5");
}

// Whether the slot's selection mark shows (it grows in when selected).
bool Marked(JTList* list, int slot) {
    JTEntity* line = list ? EntityOf(list->GetSlotID(slot)) : nullptr;
    auto* mark = line ? dynamic_cast<JTTransNode*>(line->FindChildRecursive("selmark")) : nullptr;
    return mark && mark->GetMatrix().m[0][0] > 0.5f;
}

TEST_F(MenuSession, MenusMarkTheCurrentChoiceAsTheyOpen) {
    struct Expected {
        int menu, marked;
    };
    // The Park world; the display's width; 32-bit colour; no multisampling.
    Expected menus[] = {
        {kMenuWorld, 0}, {kMenuResolution, -1}, {kMenuColourDepth, 1}, {kMenuAntiAlias, 1}};
    size_t next = 0;
    Play([&](ScriptedGame& g, int step) {
        if (step == 0) {
            const int widths[] = {640, 800, 1024, 1280, 1600};
            for (int i = 0; i < int(std::size(widths)); ++i)
                if (gpJTDisplay && gpJTDisplay->GetWidth() == widths[i]) menus[1].marked = i;
            EXPECT_GE(menus[1].marked, 0);
        }
        constexpr int kFramesToSettle = 4;
        if (step % kFramesToSettle == 0) {
            if (next > 0) {
                JTList* list = ShownList(g);
                EXPECT_NE(list, nullptr);
                for (int slot = 0; list && slot < list->GetNumVisible(); ++slot)
                    EXPECT_EQ(Marked(list, slot), slot == menus[next - 1].marked)
                        << "menu " << menus[next - 1].menu << ", line " << slot;
            }
            if (next == std::size(menus)) return true;
            g.CloseToBoard();
            g.OpenMenu(menus[next++].menu);
        }
        return false;
    });
    EXPECT_EQ(next, std::size(menus));
}

// 1.f3 e5 2.g4 Qh4#
const chess::ChessMove kFoolsMate[] = {chess::EncodeMove(0x65, 0x55), kE7E5,
                                       chess::EncodeMove(0x66, 0x46),
                                       chess::EncodeMove(0x03, 0x47)};

TEST_F(MenuSession, TheGameOverMenuTellsTheResultAndANameThatCannotBeSavedIsKept) {
    UsePrivateDataFolder();
    Play([&](ScriptedGame& g, int step) {
        switch (step) {
        case 0:
            // White, a person, is mated by Black, the computer.
            g.SetPlayers(kPlayerRemote, kPlayerRemote);
            for (chess::ChessMove m : kFoolsMate)
                EXPECT_TRUE(g.ExecuteMove(m));
            g.SetPlayers(kPlayerLocal, kPlayerComputer);
            g.OpenMenu(kMenuGameOver);
            return false;
        case 1: {
            auto* over = dynamic_cast<GameOverMenu*>(g.GetCurrentDialog());
            EXPECT_NE(over, nullptr);
            if (!over) return true;
            EXPECT_STREQ(over->GetResult(), "You have lost!!!");
            EXPECT_TRUE(Choose(g, 0)); // Save Recorded Game
            return false;
        }
        case 2: {
            auto* naming = dynamic_cast<NameGameMenu*>(g.GetCurrentDialog());
            EXPECT_NE(naming, nullptr);
            if (!naming) return true;
            naming->GetEdit()->SetText("no/such/folder");
            Click(naming->GetOkButton());
            EXPECT_EQ(g.GetCurrentMenu(), kMenuNameGame);
            EXPECT_EQ(g.GetNotice(), "That name cannot be used: try another");
            naming->GetEdit()->SetText("mated");
            Click(naming->GetOkButton());
            EXPECT_EQ(g.GetCurrentMenu(), kMenuGameOver);
            EXPECT_EQ(std::filesystem::file_size(RecordedFile("mated.gam")), 4u + 4u * 4u);
            return false;
        }
        case 3: {
            // Whoever is to move, a position without a move and without
            // check is a stalemate.
            g.CloseToBoard();
            EXPECT_TRUE(chess::SetPositionText("7k/5Q2/6K1/8/8/8/8/8 b - -"));
            chess::BuildLegalMoves(false);
            g.SetPlayers(kPlayerRemote, kPlayerRemote);
            g.OpenMenu(kMenuGameOver);
            return false;
        }
        case 4: {
            auto* over = dynamic_cast<GameOverMenu*>(g.GetCurrentDialog());
            EXPECT_NE(over, nullptr);
            if (over) {
                EXPECT_STREQ(over->GetResult(), "Stalemate");
            }
            EXPECT_TRUE(Choose(g, 2)); // Main Menu
            EXPECT_EQ(g.GetCurrentMenu(), kMenuMain);
            EXPECT_EQ(g.GetPlayer(chess::White), kPlayerComputer);
            return true;
        }
        default:
            return true;
        }
    });
}

TEST_F(MenuSession, TheClosingScreenEndsTheProgramAfterFifteenSeconds) {
    uint32_t opened = 0;
    Play(
        [&](ScriptedGame& g, int step) {
            if (step == 0) {
                g.OpenMenu(kMenuExitLogo);
                opened = gdwRealTime;
            }
            return false; // the game ends itself
        },
        600);
    EXPECT_GE(gdwRealTime - opened, ExitLogoMenu::kShowMs);
    EXPECT_LT(gdwRealTime - opened, ExitLogoMenu::kShowMs + 2000);
}

} // namespace
