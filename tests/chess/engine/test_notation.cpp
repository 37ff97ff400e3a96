// Moves as text: coordinates and the parser that accepts SAN and coordinates.
#include "tests/chess/engine/engine_fixture.h"

using namespace chess;
using chess_test::EngineTest;

TEST_F(EngineTest, CoordinatesNameSquaresAndPromotions) {
    EXPECT_STREQ(MoveToCoordinates(EncodeMove(SquareOf(6, 4), SquareOf(4, 4))), "e2e4");
    EXPECT_EQ(EncodeMove(SquareOf(6, 4), SquareOf(4, 4)), 0x2264u);
    EXPECT_STREQ(MoveToCoordinates(kWhiteCastleKingSide), "e1g1");
    EXPECT_STREQ(MoveToCoordinates(kBlackCastleQueenSide), "e8c8");
    EXPECT_STREQ(MoveToCoordinates(EncodeMove(SquareOf(1, 4), SquareOf(0, 4), Queen)), "e7e8Q");
}

TEST_F(EngineTest, ParseMoveReadsSanAndCoordinates) {
    // A pawn move wins over pieces when no letter is given.
    EXPECT_EQ(ParseMove("e4"), EncodeMove(SquareOf(6, 4), SquareOf(4, 4)));
    EXPECT_EQ(ParseMove("Nf3"), ParseMove("g1f3"));
    EXPECT_EQ(ParseMove("Nf3"), EncodeMove(118, SquareOf(5, 5)));
    EXPECT_EQ(ParseMove("e2e4"), ParseMove("e4"));
    EXPECT_EQ(ParseMove("Ke2"), 0u); // not legal
    EXPECT_EQ(ParseMove("e5"), 0u);  // no such move
    EXPECT_EQ(ParseMove(""), 0u);
    EXPECT_EQ(ParseMove("hello world, this is long"), 0u);

    Position("r3k2r/1P6/8/8/8/2N5/8/R3K1NR w KQkq -");
    // Both knights reach e2: the file tells them apart.
    EXPECT_EQ(ParseMove("Ne2"), 0u);
    EXPECT_EQ(ParseMove("Nge2"), EncodeMove(118, SquareOf(6, 4)));
    EXPECT_EQ(ParseMove("Nce2"), EncodeMove(SquareOf(5, 2), SquareOf(6, 4)));
    EXPECT_EQ(ParseMove("O-O-O"), kWhiteCastleQueenSide);
    // Castling is written with the letter O; zeros name nothing.
    EXPECT_EQ(ParseMove("0-0-0"), 0u);
    EXPECT_EQ(ParseMove("b8=Q"), EncodeMove(SquareOf(1, 1), SquareOf(0, 1), Queen));
    EXPECT_EQ(ParseMove("b7b8q"), EncodeMove(SquareOf(1, 1), SquareOf(0, 1), Queen));
    EXPECT_EQ(ParseMove("b7b8b"), EncodeMove(SquareOf(1, 1), SquareOf(0, 1), Bishop));
    EXPECT_EQ(ParseMove("bxa8=N+"), EncodeMove(SquareOf(1, 1), SquareOf(0, 0), Knight));
    EXPECT_EQ(ParseMove("b8"), 0u); // a promotion needs its piece
    EXPECT_EQ(ParseMove("b7b8"), 0u);
    // Without its piece a promotion still names the pawn, never another
    // piece that reaches the same square.
    Position("7R/3P4/k7/8/8/8/8/4K3 w - -");
    EXPECT_EQ(ParseMove("d8"), 0u);
    EXPECT_EQ(ParseMove("Rd8"), EncodeMove(SquareOf(0, 7), SquareOf(0, 3)));
    EXPECT_EQ(ParseMove("d8=R"), EncodeMove(SquareOf(1, 3), SquareOf(0, 3), Rook));
    Position("r3k2r/8/8/8/8/8/8/R3K2R b KQkq -");
    EXPECT_EQ(ParseMove("O-O"), kBlackCastleKingSide);
    EXPECT_EQ(ParseMove("e8g8"), kBlackCastleKingSide);
    // Knights on the same file: the rank tells them apart.
    Position("4k3/8/8/1N6/8/1N6/8/4K3 w - -");
    EXPECT_EQ(ParseMove("Nd4"), 0u);
    EXPECT_EQ(ParseMove("N5d4"), EncodeMove(SquareOf(3, 1), SquareOf(4, 3)));
    // A lower-case b is a file: bxc3 is the pawn, Bxc3 the bishop.
    Position("4k3/8/8/8/8/2n5/1P1B4/4K3 w - -");
    EXPECT_EQ(ParseMove("bxc3"), EncodeMove(SquareOf(6, 1), SquareOf(5, 2)));
    EXPECT_EQ(ParseMove("Bxc3"), EncodeMove(SquareOf(6, 3), SquareOf(5, 2)));
}
