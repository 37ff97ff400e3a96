// The opening book: built by the book maker, read back by ProbeBook, and bad
// book files refused so that play goes on without a book.
#include "tests/chess/engine/engine_fixture.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace chess;
using chess_test::EngineTest;

namespace {

class BookTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        folder_ = std::filesystem::temp_directory_path() /
                  ("chess_book_test_" + std::to_string(getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override {
        CloseBook();
        std::filesystem::remove_all(folder_);
    }
    std::string Path(const char* name) const { return (folder_ / name).string(); }
    void WriteText(const char* name, const std::string& text) const {
        std::ofstream(Path(name)) << text;
    }
    void WriteBytes(const char* name, const std::string& bytes) const {
        std::ofstream(Path(name), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    // Builds a book from PGN text with the book maker and opens it.
    void MakeBook(const std::string& pgn, uint32_t threshold = 1) {
        WriteText("games.pgn", pgn);
        BookMaker maker(1 << 12);
        ASSERT_TRUE(maker.AddGames(Path("games.pgn").c_str())) << maker.Error();
        EXPECT_EQ(maker.StoppedGames(), 0) << maker.FirstProblem();
        ASSERT_TRUE(maker.Write(Path("test.bk").c_str(), threshold)) << maker.Error();
        ASSERT_TRUE(OpenBook(Path("test.bk").c_str())) << BookError();
        NewGame(true);
    }
    std::filesystem::path folder_;
};

std::string Le32(uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i)
        s[static_cast<size_t>(i)] = static_cast<char>(v >> (8 * i));
    return s;
}

} // namespace

TEST_F(BookTest, BookBuiltFromGamesGivesTheirMoves) {
    MakeBook("[Event \"a\"]\n1. e4 e5 2. Nf3 Nc6 3. Bb5 *\n"
             "[Event \"b\"]\n1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 *\n"
             "[Event \"c\"]\n1. e4 c5 2. Nf3 d6 *\n"
             "[Event \"d\"]\n1.e4 c5 2.Nf3 d6 3.d4 cxd4 1-0\n");
    SeedRandom(3);
    EXPECT_EQ(ProbeBook(), ParseMove("e4")); // the only first move
    ASSERT_TRUE(MakeMove(ParseMove("e4")));
    BuildLegalMoves(true);
    for (int i = 0; i < 20; ++i) {
        const ChessMove m = ProbeBook();
        EXPECT_TRUE(m == ParseMove("e5") || m == ParseMove("c5")) << MoveToCoordinates(m);
    }
    ASSERT_TRUE(MakeMove(ParseMove("c5")));
    BuildLegalMoves(true);
    EXPECT_EQ(ProbeBook(), ParseMove("Nf3"));
    ASSERT_TRUE(MakeMove(ParseMove("Nc3")));
    BuildLegalMoves(true);
    EXPECT_EQ(ProbeBook(), 0u); // out of book
    // Think plays the book move without searching.
    NewGame(true);
    SetLevel(9);
    EXPECT_EQ(Think(), ParseMove("e4"));
    EXPECT_TRUE(LastMoveFromBook());
}

TEST_F(BookTest, EqualWeightsKeepTheEarlierMoveAndThresholdsDropRareMoves) {
    // d4 and e4 once each: both draw r = 0, the first in the legal list wins.
    MakeBook("[Event \"a\"]\n1. e4 *\n[Event \"b\"]\n1. d4 *\n");
    int firstOfTheTwo = -1;
    for (int i = 0; i < LegalMoveCount() && firstOfTheTwo < 0; ++i)
        if (LegalMove(i) == ParseMove("e4") || LegalMove(i) == ParseMove("d4")) firstOfTheTwo = i;
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(ProbeBook(), LegalMove(firstOfTheTwo));
    // With threshold 2 only the move played twice stays.
    CloseBook();
    MakeBook("[Event \"a\"]\n1. e4 *\n[Event \"b\"]\n1. d4 *\n[Event \"c\"]\n1. d4 *\n", 2);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(ProbeBook(), ParseMove("d4"));
}

TEST_F(BookTest, NoBookAfterFiftyHalfMoves) {
    std::string game = "[Event \"long\"]\n";
    for (int i = 0; i < 15; ++i)
        game += "Nf3 Nf6 Ng1 Ng8 ";
    MakeBook(game + "*\n");
    EXPECT_EQ(ProbeBook(), ParseMove("Nf3"));
    const char* cycle[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
    for (int i = 0; i < 52; ++i) {
        ASSERT_TRUE(MakeMove(ParseMove(cycle[i % 4])));
        BuildLegalMoves(true);
    }
    EXPECT_EQ(gBoard.hply, 52);
    EXPECT_EQ(ProbeBook(), 0u); // the position is in the book, but too late in the game
}

TEST_F(BookTest, DamagedBooksAreRefused) {
    // Missing: simply no book, no error.
    EXPECT_FALSE(OpenBook(Path("missing.bk").c_str()));
    EXPECT_STREQ(BookError(), "");
    struct Bad {
        std::string bytes;
        const char* says;
    };
    const std::string record = Le32(0x1234) + Le32(0x5678) + Le32(3);
    const std::string empty = Le32(0) + Le32(0) + Le32(0);
    const Bad bad[] = {
        {"", "too short"},
        {Le32(0), "no slots"},
        {Le32(2) + record, "size does not match"},             // truncated
        {Le32(1) + record + empty, "size does not match"},     // too long
        {Le32(3) + record + record + record, "no empty slot"}, // probing could never end
        {Le32(0xFFFFFFFF) + record, "size does not match"},
    };
    for (const Bad& b : bad) {
        WriteBytes("bad.bk", b.bytes);
        EXPECT_FALSE(OpenBook(Path("bad.bk").c_str()));
        EXPECT_FALSE(BookIsOpen());
        EXPECT_NE(std::string(BookError()).find(b.says), std::string::npos) << BookError();
        EXPECT_EQ(ProbeBook(), 0u);
    }
    // Play goes on without a book.
    CloseBook();
    SetLevel(0);
    EXPECT_NE(Think(), 0u);
    EXPECT_FALSE(LastMoveFromBook());
}

TEST_F(BookTest, TheMakerAlwaysLeavesAnEmptySlot) {
    for (uint32_t records = 0; records < 30; ++records)
        EXPECT_GT(BookMaker::SlotsFor(records), records);
    // One game of one move: a single record, and the book still reads.
    MakeBook("[Event \"a\"]\n1. c4 *\n");
    EXPECT_EQ(BookSlotCount(), 2u);
    EXPECT_EQ(ProbeBook(), ParseMove("c4"));
}

TEST_F(BookTest, BadMovesStopOnlyTheirGame) {
    WriteText("games.pgn", "[Event \"a\"]\n1. e4 e5 2. Ke3 Nc6 *\n[Event \"b\"]\n1. d4 d5 *\n");
    BookMaker maker(1 << 12);
    ASSERT_TRUE(maker.AddGames(Path("games.pgn").c_str()));
    EXPECT_EQ(maker.Games(), 2);
    EXPECT_EQ(maker.StoppedGames(), 1);
    EXPECT_NE(maker.FirstProblem().find("\"Ke3\""), std::string::npos) << maker.FirstProblem();
    EXPECT_EQ(maker.Records(), 4u); // e4, e5, d4, d5
    EXPECT_FALSE(maker.AddGames(Path("missing.pgn").c_str()));
}

TEST_F(BookTest, HandWrittenBookFollowsTheFileLayout) {
    // Slot = key low mod N with linear probing; key high is the low half of
    // the hash after the move. Start position: 0x65A1BC2F, after e4 0xD635F65B.
    const uint32_t start = 0x65A1BC2F;
    ASSERT_EQ(HashLow(gBoard.hash), start);
    ASSERT_TRUE(MakeMove(ParseMove("d4")));
    const uint32_t afterD4 = HashLow(gBoard.hash);
    UnmakeMove();
    // start % 4 = 3: that slot is taken by another position, so the records
    // wrap round to slots 0 and 1; slot 2 is empty and ends the run.
    WriteBytes("hand.bk", Le32(4) +                                         // N
                              Le32(start) + Le32(0xD635F65B) + Le32(1000) + // slot 0: e4
                              Le32(start) + Le32(afterD4) + Le32(1) +       // slot 1: d4
                              Le32(0) + Le32(0) + Le32(0) +                 // slot 2: empty
                              Le32(start + 4) + Le32(9) + Le32(3));         // slot 3: other
    ASSERT_TRUE(OpenBook(Path("hand.bk").c_str())) << BookError();
    // d4 comes first in the legal list and draws 41 % 1 = 0; e4 then draws
    // 18467 % 1000 = 467, which is greater.
    SeedRandom(1);
    EXPECT_EQ(ProbeBook(), ParseMove("e4"));
    // Seeded so that e4 draws 0 as well: the earlier move keeps the choice.
    for (uint32_t seed = 0; seed < 2000; ++seed) {
        SeedRandom(seed);
        Random();
        if (Random() % 1000 != 0) continue;
        SeedRandom(seed);
        EXPECT_EQ(ProbeBook(), ParseMove("d4")) << seed;
    }
    // Another position whose key only shares the home slot is not in the book.
    ASSERT_TRUE(MakeMove(ParseMove("Nf3")));
    BuildLegalMoves(true);
    EXPECT_EQ(ProbeBook(), 0u);
}
