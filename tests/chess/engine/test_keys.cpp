// The key generator is part of the opening book's format, and the noise
// generator must follow the classic C runtime's sequence: both are pinned to
// values worked out from their definitions.
#include "tests/chess/engine/engine_fixture.h"

using namespace chess;
using chess_test::EngineTest;

TEST(KeyGenerator, FirstDrawsFollowTheLaggedFibonacciRule) {
    ResetKeyGenerator();
    // state[54] + state[23] of the seed table, then state[53] + state[22].
    EXPECT_EQ(NextRandom(), 0x8EAF6D15u + 0x74EBA4AAu);
    EXPECT_EQ(NextRandom(), 0x16ECA191u + 0x31A43513u);
    EXPECT_EQ(NextRandom(), 0x37539B8Au);
    ResetKeyGenerator();
    EXPECT_EQ(NextRandom64(), 0x039B11BF4890D6A4ull); // high half first
}

TEST_F(EngineTest, KeysAndTheStartHashArePinned) {
    EXPECT_EQ(gKeys.piece[White][Pawn][0], 0x039B11BF4890D6A4ull);
    EXPECT_EQ(gKeys.piece[Black][King][4], 0x83AF5E026E3992BDull);
    EXPECT_EQ(gKeys.side, 0x706E888622117DC2ull);
    EXPECT_EQ(gBoard.hash, 0x4DD6B50D65A1BC2Full);
    EXPECT_EQ(gBoard.pawnHash, 0x1AC4C4A0A40629BAull);
    ASSERT_TRUE(MakeMove(ParseMove("e4")));
    EXPECT_EQ(gBoard.hash, 0x107897C9D635F65Bull);
    // Drawing the keys again gives the same keys (books stay valid).
    InitEngine();
    EXPECT_EQ(gBoard.hash, 0x4DD6B50D65A1BC2Full);
}

TEST(NoiseGenerator, FollowsTheClassicRuntimeSequence) {
    SeedRandom(1);
    const int expected[] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected)
        EXPECT_EQ(Random(), value);
    SeedRandom(12345);
    for (int i = 0; i < 10000; ++i) {
        const int r = Random();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, kRandomMax);
    }
}
