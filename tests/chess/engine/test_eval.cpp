// Evaluation: symmetry, the lazy cut-off, and the pawn table giving what a
// fresh computation gives, also when the engine changes colour.
#include "tests/chess/engine/engine_fixture.h"

#include <string>

using namespace chess;
using chess_test::EngineTest;

namespace {

// The same position with colours swapped and the board mirrored.
std::string Mirror(const std::string& text) {
    const size_t space = text.find(' ');
    std::string board = text.substr(0, space);
    std::string rows[8];
    int row = 0;
    for (char c : board) {
        if (c == '/')
            ++row;
        else
            rows[row] += static_cast<char>(
                std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c) : std::toupper(c));
    }
    std::string mirrored;
    for (int r = 7; r >= 0; --r)
        mirrored += rows[r] + (r ? "/" : "");
    const char side = text[space + 1] == 'w' ? 'b' : 'w';
    return mirrored + " " + side + " - -";
}

} // namespace

TEST_F(EngineTest, SymmetricPositionsScoreZeroAndMirrorsNegate) {
    SetEvaluationNoise(0);
    EXPECT_EQ(Evaluate(-10000, 10000), 0);
    const char* positions[] = {
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w - -",
        "2r3k1/pp3ppp/3p4/2pP4/2P1n3/1P4P1/P4PBP/3R2K1 b - -",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
        "r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w - -",
    };
    for (const char* text : positions) {
        for (int engine = 0; engine < 2; ++engine) {
            // The engine's own king counts fully in both views, so mirror the engine's colour too.
            SetEngineColour(engine);
            Position(text);
            const int score = Evaluate(-10000, 10000);
            SetEngineColour(engine ^ 1);
            Position(Mirror(text).c_str());
            EXPECT_EQ(Evaluate(-10000, 10000), score) << text;
        }
    }
}

TEST_F(EngineTest, LazyCutOffReturnsMaterialOutsideTheWindow) {
    SetEvaluationNoise(0);
    Position("4k3/8/8/8/8/8/8/QQQQK3 w - -");
    EXPECT_EQ(Evaluate(-100, 100), 3600);  // far above beta + 200
    EXPECT_NE(Evaluate(3500, 3700), 3600); // inside: the positional terms count
}

TEST_F(EngineTest, NoiseStaysWithinTheLevelsRange) {
    SetEvaluationNoise(400);
    SeedRandom(5);
    for (int i = 0; i < 200; ++i) {
        const int v = Evaluate(-100000, -99000); // lazy: material plus noise only
        ASSERT_GE(v, -400);
        ASSERT_LT(v, 400);
    }
}

TEST_F(EngineTest, PawnTableHitsEqualFreshComputation) {
    SetEvaluationNoise(0);
    SetPawnHashSize(1 << 16);
    const char* text = "r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w - -";
    for (int engine = 0; engine < 2; ++engine) {
        SetEngineColour(engine);
        Position(text);
        const int fresh = Evaluate(-10000, 10000); // fills the entry
        const int cached = Evaluate(-10000, 10000);
        EXPECT_EQ(cached, fresh);
        SetPawnHashSize(1 << 16); // empty table
        EXPECT_EQ(Evaluate(-10000, 10000), fresh);
    }
    // An entry made while the engine played white is not reused for black:
    // the king-safety weighting differs between the two.
    Position("r1bq1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/2KR1B1R w - -");
    SetEngineColour(White);
    ClearPawnHash();
    const int asWhite = Evaluate(-10000, 10000);
    SetEngineColour(Black);
    const int asBlackAfterWhite = Evaluate(-10000, 10000);
    ClearPawnHash();
    EXPECT_EQ(asBlackAfterWhite, Evaluate(-10000, 10000));
    EXPECT_NE(asWhite, asBlackAfterWhite);
}

// Positions whose every term was added up by hand from the rules: a test of
// the exact numbers, not only of symmetry.
TEST_F(EngineTest, HandCountedPositionsGiveTheirExactScores) {
    SetEvaluationNoise(0);
    SetEngineColour(White);
    // Phase 3: the ending king table; knight closeness, the bishop pair, a
    // half-open rook file, doubled, isolated and passed pawns, queen closeness.
    Position("3qk3/7p/8/4p3/3N4/2P5/P1P5/2B1KB1R w - -");
    EXPECT_EQ(Evaluate(-10000, 10000), 656);
    // Phase 6: king shelter (the other side's king counts three quarters), an
    // open file and the seventh rank for rooks, a passed and a backward pawn.
    const char* middle = "2b1r1k1/3R1ppp/8/q3p3/2P5/3P4/5PPP/R2Q2K1 w - -";
    Position(middle);
    EXPECT_EQ(Evaluate(-10000, 10000), 332);
    SetEngineColour(Black);
    ClearPawnHash();
    EXPECT_EQ(Evaluate(-10000, 10000), 322);
    SetEngineColour(White);
    Position("2b1r1k1/3R1ppp/8/q3p3/2P5/3P4/5PPP/R2Q2K1 b - -");
    EXPECT_EQ(Evaluate(-10000, 10000), -332);
}
