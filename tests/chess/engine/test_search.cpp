// The search: finding mates, determinism at fixed seed, never answering "no
// move" while legal moves exist, the node budget, and repetition.
#include "tests/chess/engine/engine_fixture.h"

using namespace chess;
using chess_test::EngineTest;

namespace {

class SearchTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        CloseBook();
        SetHashSize(1 << 20);
        SetPawnHashSize(1 << 16);
    }
    static ChessMove FreshThink(int level, uint32_t seed = 1) {
        ClearHash();
        ClearPawnHash();
        SeedRandom(seed);
        SetLevel(level);
        return Think();
    }
};

} // namespace

TEST_F(SearchTest, FindsMateInTwoDeterministically) {
    const char* text = "r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w KQkq -";
    Position(text);
    const ChessMove first = FreshThink(9);
    EXPECT_STREQ(MoveToCoordinates(first), "d5f6");
    EXPECT_EQ(SearchScore(), 10000 - 3); // mate on the third ply
    const uint64_t nodes = SearchNodes();
    Position(text);
    EXPECT_EQ(FreshThink(9), first);
    EXPECT_EQ(SearchNodes(), nodes);
    // Mate in one is found too, and the back-rank mate.
    Position("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -");
    EXPECT_STREQ(MoveToCoordinates(FreshThink(9)), "d1d8");
    EXPECT_EQ(SearchScore(), 9999);
}

TEST_F(SearchTest, AMateScoreIsOneItsMoveAchieves) {
    // Rf5 mates in four; deeper bounds once made it look like mate in three.
    Position("8/8/8/6k1/1NB1PR2/6P1/1B1P4/6K1 w - -");
    EXPECT_STREQ(MoveToCoordinates(FreshThink(9)), "f4f5");
    EXPECT_EQ(SearchScore(), 10000 - 7);
}

TEST_F(SearchTest, ThinkAnswersALegalMoveAtEveryLevel) {
    const char* positions[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        // Many captures and checks: quiescence alone can spend the smallest budget.
        "r1b1k2r/pp1n1ppp/2pbpn2/q2p4/2PP4/2NBPN2/PPQB1PPP/R3K2R b KQkq -",
        "2kr3r/pppq1ppp/2n1bn2/2bpp3/4P3/2NPBN2/PPPQBPPP/2KR3R w - -", "7k/8/8/8/8/8/8/K6R b - -",
        "8/8/8/8/8/5k2/4q3/6K1 w - -", // one legal move
    };
    for (const char* text : positions) {
        for (int level = 0; level <= 9; level += (level < 5 ? 1 : 4)) {
            Position(text);
            const ChessMove m = FreshThink(level, 7);
            bool legal = false;
            for (int i = 0; i < LegalMoveCount(); ++i)
                legal = legal || LegalMove(i) == m;
            EXPECT_TRUE(legal) << text << " level " << level << " gave " << std::hex << m;
            EXPECT_EQ(gBoard.ply, 0);
            EXPECT_EQ(gBoard.hply, 0);
            EXPECT_STREQ(GetPosition(), text);
            // The budget is checked every 1,024 nodes.
            const uint64_t limit = kLevels[level].nodeLimit;
            EXPECT_LE(SearchNodes(), (limit + 1023) / 1024 * 1024) << "level " << level;
        }
    }
}

TEST_F(SearchTest, NoLegalMoveAnswersZero) {
    Position("7k/6Q1/6K1/8/8/8/8/8 b - -"); // mated
    EXPECT_EQ(FreshThink(9), 0u);
    Position("7k/8/6QK/8/8/8/8/8 b - -"); // stalemate
    EXPECT_EQ(FreshThink(9), 0u);
}

TEST_F(SearchTest, LevelsCopyTheirRowsAndHigherLevelsChangeNothing) {
    SetLevel(4);
    EXPECT_EQ(GetLevel(), 4);
    SetLevel(12);
    EXPECT_EQ(GetLevel(), 12);
    // Still level 4's budget: 1,024 nodes.
    Position("r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -");
    ClearHash();
    Think();
    EXPECT_LE(SearchNodes(), 1024u);
}

TEST_F(SearchTest, RepeatedPositionsAreRecognisedAndScoreZero) {
    const char* shuffle[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
    for (const char* text : shuffle) {
        EXPECT_FALSE(IsRepetition());
        ASSERT_TRUE(MakeMove(ParseMove(text)));
        BuildLegalMoves(true);
    }
    EXPECT_TRUE(IsRepetition()); // the start position again
    // A queen down, white can only hold by going back to a position seen before.
    const char* lost = "k1q5/8/8/8/8/8/8/6K1 w - -";
    Position(lost);
    FreshThink(9);
    EXPECT_LT(SearchScore(), -700);
    Position(lost);
    for (const char* text : {"Kh1", "Kb8", "Kg1", "Ka8"}) {
        ASSERT_TRUE(MakeMove(ParseMove(text))) << text;
        BuildLegalMoves(true);
    }
    const ChessMove m = FreshThink(9);
    EXPECT_STREQ(MoveToCoordinates(m), "g1h1");
    EXPECT_EQ(SearchScore(), 0);
}
