// Move generation counted against the known leaf counts of the legal-move tree.
#include "tests/chess/engine/engine_fixture.h"

#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

using namespace chess;
using chess_test::EngineTest;

namespace {

struct PerftCase {
    const char* position;
    std::vector<uint64_t> counts; // depth 1, 2, ...
};

void ExpectPerft(const PerftCase& c) {
    if (std::string(c.position) != "start") {
        ASSERT_TRUE(SetPositionText(c.position)) << PositionError();
    }
    // The deepest counts take long under the sanitizers; the normal build runs them all.
    const int deepest =
        static_cast<int>(c.counts.size()) - (kSanitized && c.counts.back() > 1000000 ? 1 : 0);
    for (int depth = 1; depth <= deepest; ++depth) {
        EXPECT_EQ(Perft(depth), c.counts[depth - 1]) << c.position << " depth " << depth;
        EXPECT_EQ(gBoard.ply, 0);
        EXPECT_EQ(gBoard.hply, 0);
    }
    EXPECT_TRUE(BoardIsConsistent());
}

} // namespace

TEST_F(EngineTest, PerftFromTheStartPosition) {
    EXPECT_EQ(LegalMoveCount(), 20);
    EXPECT_EQ(gBoard.castle, 15);
    ExpectPerft({"start", {20, 400, 8902, 197281, 4865609}});
}

TEST_F(EngineTest, PerftOfAPositionRichInCastlingPinsAndPromotions) {
    ExpectPerft({"r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
                 {48, 2039, 97862, 4085603}});
}

TEST_F(EngineTest, PerftOfEnPassantPinsAndPromotionCaptures) {
    ExpectPerft({"8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -", {14, 191, 2812, 43238, 674624}});
    ExpectPerft({"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
                 {6, 264, 9467, 422333}});
    ExpectPerft({"rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8", {44, 1486, 62379}});
}
