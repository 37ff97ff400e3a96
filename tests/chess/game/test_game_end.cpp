// How a game ends on the running game: between two people at this computer
// the game-over menu names the winner, and a game drawn by repetition, by
// the fifty-move rule or for too little material ends as a stalemate does:
// the game-over menu for people, the next game for the computer playing
// itself behind the main menu and in the screensaver.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Jentra/JTAudio.h"
#include "Jentra/JTTransMap.h"
#include "chess/engine/movegen.h"
#include "chess/engine/position_text.h"
#include "tests/chess/game/game_session.h"
#include "tests/chess/game/menu_helpers.h"

namespace {

using namespace rookfall_test;
using chess::EncodeMove;

constexpr const char* kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// 1.f3 e5 2.g4 Qh4#
const chess::ChessMove kFoolsMate[] = {EncodeMove(0x65, 0x55), EncodeMove(0x14, 0x34),
                                       EncodeMove(0x66, 0x46), EncodeMove(0x03, 0x47)};
// 1.e4 e5 2.Bc4 Nc6 3.Qh5 Nf6 4.Qxf7#
const chess::ChessMove kScholarsMate[] = {
    EncodeMove(0x64, 0x44), EncodeMove(0x14, 0x34), EncodeMove(0x75, 0x42), EncodeMove(0x01, 0x22),
    EncodeMove(0x73, 0x37), EncodeMove(0x06, 0x25), EncodeMove(0x37, 0x15)};
// Ng1-f3, Ng8-f6 and back: the start position again after four moves.
const chess::ChessMove kKnightsOutAndBack[] = {EncodeMove(0x76, 0x55), EncodeMove(0x06, 0x25),
                                               EncodeMove(0x55, 0x76), EncodeMove(0x25, 0x06)};

const char* Result(ChessGame& game) {
    auto* over = dynamic_cast<GameOverMenu*>(game.GetCurrentDialog());
    return over ? over->GetResult() : "(no game-over menu)";
}

void PlacePieces(const char* text) {
    ASSERT_TRUE(chess::SetPositionText(text)) << text;
    chess::BuildLegalMoves(false);
}

TEST_F(GameSession, TwoPeopleAreToldWhoWonThroughTheTranslationTable) {
    Play([&](ScriptedGame& g, int step) {
        switch (step) {
        case 0:
            // The shipped table holds the winners' texts.
            EXPECT_STREQ(JTTranslate(4001), "White wins!!!");
            EXPECT_STREQ(JTTranslate(4002), "Black wins!!!");
            for (chess::ChessMove m : kFoolsMate)
                g.PickMove(m);
            EXPECT_EQ(g.GetMoves().GetCount(), 4);
            EXPECT_EQ(g.GetCurrentMenu(), kMenuGameOver);
            return false;
        case 1:
            // White is mated: the menu names Black with the winner's sound.
            EXPECT_STREQ(Result(g), "Black wins!!!");
            EXPECT_TRUE(gpJTAudio->IsPlaying("Unlock.wav"));
            EXPECT_FALSE(gpJTAudio->IsPlaying("GameOver.wav"));
            EXPECT_TRUE(Choose(g, 1)); // New Game
            EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
            // A table in another language names the winner in its words.
            gpTransMap->SetString(4001, gpTransMap->GetDefaultColumn(), "Blanc gagne !!!");
            for (chess::ChessMove m : kScholarsMate)
                g.PickMove(m);
            EXPECT_EQ(g.GetCurrentMenu(), kMenuGameOver);
            return false;
        case 2:
            EXPECT_STREQ(Result(g), "Blanc gagne !!!");
            gpTransMap->SetString(4001, gpTransMap->GetDefaultColumn(), "White wins!!!");
            // Against the computer the mated person still hears of the loss.
            g.CloseToBoard();
            g.SetPlayers(kPlayerComputer, kPlayerLocal);
            g.OpenMenu(kMenuGameOver);
            return false;
        case 3:
            EXPECT_STREQ(Result(g), "You have lost!!!");
            return true;
        default:
            return true;
        }
    });
}

TEST_F(GameSession, TheThirdRepetitionEndsTheGameAsADraw) {
    Play([&](ScriptedGame& g, int step) {
        switch (step) {
        case 0:
            for (chess::ChessMove m : kKnightsOutAndBack)
                g.PickMove(m);
            // Twice the same position is no draw.
            EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
            for (chess::ChessMove m : kKnightsOutAndBack)
                g.PickMove(m);
            EXPECT_EQ(g.GetMoves().GetCount(), 8);
            EXPECT_EQ(g.GetDrawRule(), chess::DrawRule::Repetition);
            EXPECT_TRUE(g.IsGameOver());
            EXPECT_EQ(g.GetCurrentMenu(), kMenuGameOver);
            return false;
        case 1:
            EXPECT_STREQ(Result(g), "Draw");
            EXPECT_TRUE(gpJTAudio->IsPlaying("GameOver.wav"));
            EXPECT_FALSE(gpJTAudio->IsPlaying("Unlock.wav"));
            // Back on the board the drawn game takes no more moves, though
            // the pieces could still move.
            g.CloseToBoard();
            EXPECT_GT(chess::LegalMoveCount(), 0);
            g.PickMove(EncodeMove(0x64, 0x44));
            EXPECT_EQ(g.GetMoves().GetCount(), 8);
            EXPECT_FALSE(g.ExecuteMove(EncodeMove(0x64, 0x44)));
            EXPECT_STREQ(chess::GetPosition(), kStart);
            return true;
        default:
            return true;
        }
    });
}

TEST_F(GameSession, FiftyMovesWithoutCaptureOrPawnMoveAndBareKingsAreDraws) {
    Play([&](ScriptedGame& g, int step) {
        switch (step) {
        case 0:
            // Against the computer: the person's hundredth quiet half move.
            g.SetPlayers(kPlayerLocal, kPlayerComputer);
            PlacePieces("4k3/8/8/8/8/8/r3P3/R3K3 w - -");
            chess::gBoard.fifty = 99;
            g.PickMove(EncodeMove(0x70, 0x71)); // Rb1
            EXPECT_EQ(g.GetMoves().GetCount(), 1);
            EXPECT_EQ(g.GetDrawRule(), chess::DrawRule::FiftyMoves);
            EXPECT_EQ(g.GetCurrentMenu(), kMenuGameOver);
            return false;
        case 1:
            EXPECT_STREQ(Result(g), "Draw");
            EXPECT_TRUE(gpJTAudio->IsPlaying("GameOver.wav"));
            EXPECT_TRUE(Choose(g, 1)); // New Game
            // A pawn move on the hundredth half move starts the count again.
            PlacePieces("4k3/8/8/8/8/8/r3P3/R3K3 w - -");
            chess::gBoard.fifty = 99;
            g.PickMove(EncodeMove(0x64, 0x44)); // e4
            EXPECT_EQ(g.GetDrawRule(), chess::DrawRule::None);
            EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
            // The knight takes the last rook: too little left to mate.
            g.SetPlayers(kPlayerLocal, kPlayerLocal);
            g.StartNewGame();
            PlacePieces("4k3/8/8/8/8/8/2r5/N3K3 w - -");
            g.PickMove(EncodeMove(0x70, 0x62)); // Nxc2
            EXPECT_EQ(g.GetDrawRule(), chess::DrawRule::BareMaterial);
            EXPECT_EQ(g.GetCurrentMenu(), kMenuGameOver);
            return false;
        case 2:
            EXPECT_STREQ(Result(g), "Draw");
            return true;
        default:
            return true;
        }
    });
}

// The computer playing both sides in a dead draw: the next turn, three
// seconds on, starts a new game instead of moving the kings on.
TEST_F(GameSession, TheComputerPlayingItselfStartsAnotherGameAfterADraw) {
    int drawnAt = -1, nextGameAt = -1;
    Play(
        [&](ScriptedGame& g, int step) {
            if (step == 0) {
                // Behind the main menu the computer plays itself.
                EXPECT_EQ(g.GetCurrentMenu(), kMenuMain);
                EXPECT_EQ(g.GetPlayer(chess::White), kPlayerComputer);
                EXPECT_EQ(g.GetPlayer(chess::Black), kPlayerComputer);
                g.StartNewGame();
                PlacePieces("4k3/8/8/8/8/8/8/1B2K3 w - -");
                drawnAt = step;
                return false;
            }
            if (std::strcmp(chess::GetPosition(), kStart) == 0) {
                nextGameAt = step;
                return true;
            }
            // No move is made in the drawn position.
            EXPECT_EQ(g.GetMoves().GetCount(), 0);
            EXPECT_EQ(g.GetCurrentMenu(), kMenuMain);
            return false;
        },
        100, "nosplash", false);
    ASSERT_GE(nextGameAt, 0);
    // Within the pacing of a move (3 s of 200 ms frames) and a frame.
    EXPECT_LE((nextGameAt - drawnAt) * 200, int(ChessGame::kMovePacingMs) + 400);
}

TEST_F(GameSession, TheScreensaverStartsItsNextGameAfterADraw) {
    bool nextGame = false;
    Play(
        [&](ScriptedGame& g, int step) {
            if (step == 0) {
                EXPECT_TRUE(g.IsSaverMode());
                EXPECT_EQ(g.GetCurrentMenu(), kMenuBoard);
                g.StartNewGame();
                PlacePieces("4k3/8/8/8/8/8/8/4K3 b - -");
                return false;
            }
            if (std::strcmp(chess::GetPosition(), kStart) == 0) {
                nextGame = true;
                return true;
            }
            EXPECT_EQ(g.GetMoves().GetCount(), 0);
            return false;
        },
        100, "nosplash /saver", false);
    EXPECT_TRUE(nextGame);
}

} // namespace
