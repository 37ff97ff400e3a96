// The draw rules that end a game while moves remain: the third repetition
// (same side to move and castling rights), a hundred half moves without a
// capture or a pawn move, and bare kings or a single minor piece.
#include "tests/chess/engine/engine_fixture.h"

namespace {

using namespace chess;
using chess_test::EngineTest;

class DrawRulesTest : public EngineTest {
protected:
    static void Play(std::initializer_list<const char*> moves) {
        for (const char* text : moves) {
            const ChessMove m = ParseMove(text);
            ASSERT_NE(m, 0u) << text;
            ASSERT_TRUE(MakeMove(m)) << text;
            BuildLegalMoves(true);
        }
    }
};

TEST_F(DrawRulesTest, TheThirdTimeAPositionStandsIsADraw) {
    Play({"Nf3", "Nf6", "Ng1", "Ng8"});
    EXPECT_EQ(RepetitionCount(), 1); // twice is no draw yet
    EXPECT_EQ(DrawnByRule(), DrawRule::None);
    Play({"Nf3", "Nf6", "Ng1"});
    EXPECT_EQ(RepetitionCount(), 1); // the second time after Ng1
    EXPECT_EQ(DrawnByRule(), DrawRule::None);
    Play({"Ng8"});
    EXPECT_EQ(RepetitionCount(), 2);
    EXPECT_EQ(DrawnByRule(), DrawRule::Repetition);
}

TEST_F(DrawRulesTest, LostCastlingRightsMakeAnotherPosition) {
    Position("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq -");
    // The kings walk out and back: the same squares, but no castling now.
    Play({"Kf1", "Kf8", "Ke1", "Ke8"});
    EXPECT_EQ(RepetitionCount(), 0);
    // Once more: the third time on these squares, the second without castling.
    Play({"Kf1", "Kf8", "Ke1", "Ke8"});
    EXPECT_EQ(RepetitionCount(), 1);
    EXPECT_EQ(DrawnByRule(), DrawRule::None);
    Play({"Kf1"});
    EXPECT_EQ(DrawnByRule(), DrawRule::None);
    Play({"Kf8"});
    EXPECT_EQ(DrawnByRule(), DrawRule::Repetition);
}

TEST_F(DrawRulesTest, APawnMoveOrCaptureStartsTheFiftyMovesAgain) {
    Position("4k3/8/8/8/8/8/r3P3/R3K3 w - -");
    gBoard.fifty = 98;
    Play({"Rb1"});
    EXPECT_EQ(DrawnByRule(), DrawRule::None);
    Play({"Rb2"});
    EXPECT_EQ(gBoard.fifty, 100);
    EXPECT_EQ(DrawnByRule(), DrawRule::FiftyMoves);

    Position("4k3/8/8/8/8/8/r3P3/R3K3 w - -");
    gBoard.fifty = 99;
    Play({"e4"});
    EXPECT_EQ(DrawnByRule(), DrawRule::None);
    gBoard.fifty = 99;
    Play({"Rxa1"});
    EXPECT_EQ(gBoard.fifty, 0);
    EXPECT_EQ(DrawnByRule(), DrawRule::None);
}

TEST_F(DrawRulesTest, OnlyBareKingsOrOneMinorPieceAreTooLittleToMate) {
    const struct {
        const char* position;
        bool bare;
    } cases[] = {
        {"4k3/8/8/8/8/8/8/4K3 w - -", true},
        {"4k3/8/8/8/8/8/8/1N2K3 b - -", true},
        {"4k3/2b5/8/8/8/8/8/4K3 w - -", true},
        {"4k3/2b5/8/8/8/8/8/2B1K3 w - -", false}, // a bishop each
        {"4k3/8/8/8/8/8/8/NN2K3 w - -", false},
        {"4k3/8/8/8/8/8/8/R3K3 w - -", false},
        {"4k3/8/8/8/8/8/4p3/4K3 w - -", false},
    };
    for (const auto& c : cases) {
        Position(c.position);
        EXPECT_EQ(BareMaterial(), c.bare) << c.position;
        EXPECT_EQ(DrawnByRule() == DrawRule::BareMaterial, c.bare) << c.position;
    }
    // Taking the last rook leaves a knight against a king.
    Position("4k3/8/8/8/8/8/2r5/N3K3 w - -");
    EXPECT_FALSE(BareMaterial());
    Play({"Nxc2"});
    EXPECT_EQ(DrawnByRule(), DrawRule::BareMaterial);
}

} // namespace
