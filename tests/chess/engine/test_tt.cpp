// The transposition table: bounds, depth, mate scores carried between plies,
// search generations and the two slots of a bucket.
#include "tests/chess/engine/engine_fixture.h"

using namespace chess;
using chess_test::EngineTest;

namespace {

class TableTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        SetHashSize(1 << 16);
        NextHashAge();
    }
    void TearDown() override { gBoard.ply = 0; }
    // Stands for another position in a bucket of its own.
    static void At(uint64_t key) { gBoard.hash = key; }
    static int Probe(int alpha, int beta, int depth, ChessMove& move) {
        return ProbeHash(alpha, beta, depth, move);
    }
};

constexpr ChessMove kE2E4 = 0x2264;
constexpr ChessMove kD2D4 = 0x2263;

} // namespace

TEST_F(TableTest, BoundsAndDepthDecideWhatAnEntryAnswers) {
    ChessMove move = 0;
    EXPECT_EQ(Probe(-100, 100, 100, move), kHashMiss);
    EXPECT_EQ(move, 0u);

    StoreHash(50, LowerBound, 400, kE2E4);
    EXPECT_EQ(Probe(0, 40, 400, move), 40); // fails high: beta
    EXPECT_EQ(move, kE2E4);
    EXPECT_EQ(Probe(0, 60, 300, move), kHashMiss); // the bound says nothing here
    EXPECT_EQ(move, kE2E4);                        // but the move still orders
    EXPECT_EQ(Probe(0, 40, 500, move), kHashMiss); // too shallow
    EXPECT_EQ(move, kE2E4);

    At(0x1111111100000001ull);
    StoreHash(-30, UpperBound, 400, 0);
    EXPECT_EQ(Probe(-20, 40, 400, move), -20); // fails low: alpha
    EXPECT_EQ(Probe(-40, 40, 400, move), kHashMiss);

    At(0x2222222200000002ull);
    StoreHash(12, ExactScore, 400, kD2D4);
    EXPECT_EQ(Probe(-1000, 1000, 400, move), 12);
    EXPECT_EQ(move, kD2D4);

    // A new search generation does not trust the old entries at all.
    NextHashAge();
    EXPECT_EQ(Probe(-1000, 1000, 100, move), kHashMiss);
    EXPECT_EQ(move, 0u);
}

TEST_F(TableTest, MateScoresAreKeptIndependentOfThePly) {
    ChessMove move = 0;
    // Found at ply 3: mate five plies from the root, two from here.
    gBoard.ply = 3;
    StoreHash(10000 - 5, ExactScore, 200, kE2E4);
    gBoard.ply = 1; // the same position reached two plies earlier: mate is nearer the root
    EXPECT_EQ(Probe(-10000, 10000, 200, move), 10000 - 3);
    At(0x1111111100000001ull);
    gBoard.ply = 3;
    StoreHash(-(10000 - 4), ExactScore, 200, 0);
    gBoard.ply = 5;
    EXPECT_EQ(Probe(-10000, 10000, 200, move), -(10000 - 6));
    // Ordinary scores are not moved.
    At(0x2222222200000002ull);
    StoreHash(9000, ExactScore, 200, 0);
    gBoard.ply = 0;
    EXPECT_EQ(Probe(-10000, 10000, 200, move), 9000);
}

TEST_F(TableTest, MateBoundsAreComparedAtTheProbingPly) {
    ChessMove move = 0;
    // A lower bound of mate two plies below a node at ply 5.
    gBoard.ply = 5;
    StoreHash(10000 - 7, LowerBound, 200, kE2E4);
    // Probed at ply 1 it promises mate in six plies from the root, no sooner:
    // it cuts a window that asks for that, but not one that asks for more.
    gBoard.ply = 1;
    EXPECT_EQ(Probe(0, 10000 - 3, 200, move), 10000 - 3);
    EXPECT_EQ(Probe(0, 10000 - 2, 200, move), kHashMiss);
    // The same for an upper bound on being mated.
    At(0x1111111100000001ull);
    gBoard.ply = 6;
    StoreHash(-(10000 - 8), UpperBound, 200, 0);
    gBoard.ply = 2;
    EXPECT_EQ(Probe(-(10000 - 4), 0, 200, move), -(10000 - 4));
    EXPECT_EQ(Probe(-(10000 - 3), 0, 200, move), kHashMiss);
}

TEST_F(TableTest, TheSecondSlotKeepsTheDeeperEntryOfThisSearch) {
    ChessMove move = 0;
    const uint64_t home = gBoard.hash;
    const uint64_t other = home ^ (1ull << 40); // same bucket, different position
    const uint64_t third = home ^ (1ull << 41);
    StoreHash(7, ExactScore, 800, kE2E4);
    gBoard.hash = other;
    StoreHash(8, ExactScore, 100, kD2D4); // slot 1 takes it; slot 2 keeps the deeper one
    EXPECT_EQ(Probe(-100, 100, 100, move), 8);
    gBoard.hash = home;
    EXPECT_EQ(Probe(-100, 100, 800, move), 7);
    gBoard.hash = third;
    StoreHash(9, ExactScore, 100, 0); // replaces slot 1 only
    EXPECT_EQ(Probe(-100, 100, 100, move), 9);
    gBoard.hash = other;
    EXPECT_EQ(Probe(-100, 100, 100, move), kHashMiss);
    gBoard.hash = home;
    EXPECT_EQ(Probe(-100, 100, 800, move), 7);
    // In the next search the old deep entry gives way.
    NextHashAge();
    gBoard.hash = third;
    StoreHash(10, ExactScore, 100, 0);
    gBoard.hash = home;
    EXPECT_EQ(Probe(-100, 100, 100, move), kHashMiss);
    gBoard.hash = third;
    EXPECT_EQ(Probe(-100, 100, 100, move), 10);
}

TEST_F(TableTest, TheSecondSlotIsAskedFirst) {
    // A later, shallower-or-equal result for the same position lands in slot 1
    // only; slot 2 still answers with the earlier one.
    ChessMove move = 0;
    StoreHash(50, LowerBound, 400, kE2E4);
    StoreHash(-30, UpperBound, 400, kD2D4);
    EXPECT_EQ(Probe(0, 40, 400, move), 40);
    EXPECT_EQ(move, kE2E4);
    // A deeper result replaces both.
    StoreHash(-30, UpperBound, 500, kD2D4);
    EXPECT_EQ(Probe(-20, 40, 400, move), -20);
    EXPECT_EQ(move, kD2D4);
}
