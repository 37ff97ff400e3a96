// The position text: round trips of good text, and refusal of bad text
// without touching the engine's position.
#include "tests/chess/engine/engine_fixture.h"

#include <string>

using namespace chess;
using chess_test::EngineTest;

TEST_F(EngineTest, WellFormedPositionTextRoundTrips) {
    const char* texts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
        "rnbqkbnr/ppp1pppp/8/8/3pP3/8/PPP2PPP/RNBQKBNR b KQkq e3",
        "rnbqkbnr/pp1ppppp/8/2pP4/8/8/PPP1PPPP/RNBQKBNR w Kq c6",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -",
        "4k3/8/8/8/8/8/8/4K2R b K -",
        "7k/8/8/8/8/8/8/K7 w - -",
    };
    for (const char* text : texts) {
        ASSERT_TRUE(SetPositionText(text)) << text << ": " << PositionError();
        EXPECT_STREQ(GetPosition(), text);
        EXPECT_TRUE(BoardIsConsistent()) << text;
        EXPECT_EQ(gBoard.hash, ComputeHash());
    }
    // Move counters are accepted and not read.
    ASSERT_TRUE(SetPositionText("8/8/8/8/8/8/8/K6k b - - 12 40"));
    EXPECT_STREQ(GetPosition(), "8/8/8/8/8/8/8/K6k b - -");
    EXPECT_EQ(gBoard.fifty, 0);
    EXPECT_TRUE(gBoard.setupPosition);
}

TEST_F(EngineTest, HarmlessOddsInPositionTextAreReadNotRefused) {
    // A letter that names no piece leaves its square empty.
    ASSERT_TRUE(SetPositionText("rnbqkbnr/ppppxppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"))
        << PositionError();
    EXPECT_STREQ(GetPosition(), "rnbqkbnr/pppp1ppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    // Any side but "w" is black; unknown or repeated castling letters are
    // passed over, and so is an empty field.
    ASSERT_TRUE(SetPosition("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR", "x", "KxKq", "-"))
        << PositionError();
    EXPECT_STREQ(GetPosition(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b Kq -");
    ASSERT_TRUE(SetPosition("4k3/8/8/8/8/8/8/4K3", "w", "", "-")) << PositionError();
    EXPECT_STREQ(GetPosition(), "4k3/8/8/8/8/8/8/4K3 w - -");
    // A zero skips nothing.
    ASSERT_TRUE(SetPositionText("4k3/8/08/8/8/8/8/4K3 w - -")) << PositionError();
    EXPECT_TRUE(BoardIsConsistent());
}

TEST_F(EngineTest, BadPositionTextIsRefusedAndChangesNothing) {
    ASSERT_TRUE(MakeMove(ParseMove("e4")));
    BuildLegalMoves(true);
    const std::string before = GetPosition();
    const uint64_t hash = gBoard.hash;
    struct Bad {
        const char* text;
        const char* says; // part of the message
    };
    const Bad bad[] = {
        {"rnbqkbnrr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "longer than eight"},
        {"rnbqkbnr/pppppppp/9/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "row 3 is longer"},
        {"rnbqkbnr/pppp*ppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -", "unknown character '*'"},
        {"rnbqkbnr/pppppppp/45/8/8/8/PPPPPPPP/RNBQKBNR w - -", "row 3 is longer"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR/8 w KQkq -", "more than eight rows"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP w - -", "eight rows"},
        {"rnbqkbnr/ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - -", "eight squares"},
        {"rnbq1bnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQ -",
         "black does not have exactly one king"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBKKBNR w - -",
         "white does not have exactly one king"},
        {"rnbqkbnr/pppppppp/8/8/8/P7/PPPPPPPP/RNBQKBNR w - -", "more than eight pawns"},
        {"rnbqkbnr/pppppppp/8/8/8/N7/PPPPPPPP/RNBQKBNR w - -", "more than sixteen men"},
        {"rnbqkbnr/pppppppp/8/8/8/8/8/RNBQKBNP w - -", "first or last rank"},
        {"pnbqkbnr/8/8/8/8/8/8/RNBQKBNR w - -", "first or last rank"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN1 w KQkq -", "castling right \"K\""},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/1NBQKBNR w Q -", "castling right \"Q\""},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e3", "en-passant square"},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e6", "en-passant square"},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq z9", "no square"},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w", "expected board"},
        {"4k3/8/8/8/8/8/8/4K2R w - - 0 1 junk", "too many fields"},
        {"4k3/4R3/8/8/8/8/8/4K3 w - -", "not to move is in check"},
        {"", "expected board"},
    };
    for (const Bad& b : bad) {
        EXPECT_FALSE(SetPositionText(b.text)) << b.text;
        EXPECT_NE(std::string(PositionError()).find(b.says), std::string::npos)
            << b.text << " gave: " << PositionError();
        EXPECT_EQ(GetPosition(), before) << b.text;
        EXPECT_EQ(gBoard.hash, hash);
        EXPECT_EQ(gBoard.hply, 1);
    }
    EXPECT_TRUE(BoardIsConsistent());
    // Long garbage never writes outside the board.
    std::string longRow(500, 'p');
    EXPECT_FALSE(SetPositionText((longRow + " w - -").c_str()));
    std::string manyRows;
    for (int i = 0; i < 200; ++i)
        manyRows += "8/";
    EXPECT_FALSE(SetPositionText((manyRows + " w - -").c_str()));
    EXPECT_EQ(GetPosition(), before);
    EXPECT_TRUE(BoardIsConsistent());
}
