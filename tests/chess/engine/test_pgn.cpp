// SAN as a chess reader expects it, PGN save and load round trips, and bad
// game text stopping at the last good position.
#include "tests/chess/engine/engine_fixture.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

using namespace chess;
using chess_test::EngineTest;

namespace {

class PgnTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        folder_ = std::filesystem::temp_directory_path() /
                  ("chess_pgn_test_" + std::to_string(getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string Path(const char* name) const { return (folder_ / name).string(); }
    static std::string Read(const std::string& path) {
        std::ifstream in(path);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    // Plays SAN moves, returning the SAN the engine writes for each.
    static std::string Play(std::initializer_list<const char*> moves) {
        std::string written;
        for (const char* text : moves) {
            const ChessMove m = ParseMove(text);
            EXPECT_NE(m, 0u) << text << " in " << GetPosition();
            if (!m) break;
            if (!written.empty()) written += ' ';
            written += MoveToSanAndPlay(m);
        }
        return written;
    }
    std::filesystem::path folder_;
};

} // namespace

TEST_F(PgnTest, SanOfAGameWithEveryKindOfMove) {
    // Castling both ways, captures, checks, a discovered check, ending in mate.
    const std::string san = Play({"e4",   "d5",  "exd5", "Qxd5", "Nc3",   "Qa5",   "d4",   "c6",
                                  "Nf3",  "Bg4", "Be2",  "Nd7",  "O-O",   "O-O-O", "b4",   "Qxb4",
                                  "Rb1",  "Qa5", "Rxb7", "e5",   "Bd2",   "exd4",  "Nxd4", "Bxe2",
                                  "Qxe2", "Qc5", "Qa6",  "Qxd4", "Rxa7+", "Kb8",   "Qb7#"});
    EXPECT_EQ(
        san,
        "e4 d5 exd5 Qxd5 Nc3 Qa5 d4 c6 Nf3 Bg4 Be2 Nd7 O-O O-O-O b4 Qxb4 Rb1 Qa5 Rxb7 e5 Bd2 exd4 "
        "Nxd4 Bxe2 Qxe2 Qc5 Qa6 Qxd4 Rxa7+ Kb8 Qb7#");
    EXPECT_EQ(LegalMoveCount(), 0);
    // A capture that promotes with check, and the king taking the new queen.
    Position("4k3/8/8/8/8/8/6p1/5RK1 b - -");
    EXPECT_EQ(Play({"gxf1=Q+", "Kxf1"}), "gxf1=Q+ Kxf1");
    // En passant.
    Position("8/8/8/2k5/3pP3/8/8/4K3 b - e3");
    EXPECT_EQ(Play({"dxe3"}), "dxe3");
}

TEST_F(PgnTest, SanDisambiguatesByFileThenRankThenBoth) {
    Position("4k3/8/8/1N6/8/1N3N2/8/4K3 w - -");
    EXPECT_STREQ(MoveToSan(ParseMove("N5d4")), "N5d4");   // b5 and b3 share a file
    EXPECT_STREQ(MoveToSan(ParseMove("Nfd2")), "Nfd2");   // b3 and f3 differ in file
    EXPECT_STREQ(MoveToSan(ParseMove("Nb3d4")), "Nb3d4"); // three knights on d4: file and rank
    EXPECT_STREQ(MoveToSan(ParseMove("Nf3d4")), "Nfd4");
    // En passant is a capture; promotion shows its piece.
    Position("4k3/1P6/8/3pP3/8/8/8/4K3 w - d6");
    EXPECT_STREQ(MoveToSan(ParseMove("exd6")), "exd6");
    EXPECT_STREQ(MoveToSan(EncodeMove(SquareOf(1, 1), SquareOf(0, 1), Rook)), "b8=R");
    EXPECT_STREQ(MoveToSanAndPlay(EncodeMove(SquareOf(1, 1), SquareOf(0, 1), Queen)), "b8=Q+");
    // A move that is not legal here writes nothing and changes nothing.
    EXPECT_STREQ(MoveToSanAndPlay(EncodeMove(SquareOf(1, 4), SquareOf(2, 4))), "");
}

TEST_F(PgnTest, SaveAndLoadRoundTrip) {
    Play({"d4", "Nf6", "c4", "e6", "Nc3", "Bb4", "Qc2", "O-O", "a3", "Bxc3+", "Qxc3", "b6", "Bg5",
          "Bb7", "e3", "d6", "f3", "Nbd7"});
    const std::string end = GetPosition();
    ASSERT_TRUE(SavePgn(Path("game").c_str())) << PgnError();
    const std::string text = Read(Path("game.pgn"));
    EXPECT_NE(
        text.find(
            "[Event \"\"]\n[Site \"\"]\n[Date \"\"]\n[Round \"\"]\n[White \"\"]\n[Black \"\"]\n"
            "[Result \"\"]\n1. d4 Nf6 2. c4 e6 3. Nc3 Bb4 4. Qc2 O-O 5. a3 Bxc3+ \n6. Qxc3 b6"),
        std::string::npos)
        << text;
    EXPECT_EQ(text.find("FEN"), std::string::npos);
    EXPECT_EQ(GetPosition(), end); // saving leaves the game as it was
    NewGame(true);
    ASSERT_TRUE(LoadPgn(Path("game").c_str())) << PgnError();
    EXPECT_EQ(GetPosition(), end);
    EXPECT_EQ(gBoard.hply, 18);
    ASSERT_TRUE(SavePgn(Path("again").c_str()));
    EXPECT_EQ(Read(Path("again.pgn")), text);
}

TEST_F(PgnTest, SetUpPositionsAreSavedWithTheirStart) {
    const char* start = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -";
    Position(start);
    Play({"O-O", "O-O-O", "Rf2", "Rd7"});
    const std::string end = GetPosition();
    ASSERT_TRUE(SavePgn(Path("setup").c_str()));
    const std::string text = Read(Path("setup.pgn"));
    EXPECT_NE(text.find("[SetUp \"1\"]\n[FEN \"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -\"]\n1. ... O-O 2. "
                        "O-O-O Rf2 3. Rd7 \n"),
              std::string::npos)
        << text;
    NewGame(true);
    ASSERT_TRUE(LoadPgn(Path("setup").c_str())) << PgnError();
    EXPECT_EQ(GetPosition(), end);
    ASSERT_TRUE(SavePgn(Path("setup2").c_str()));
    EXPECT_EQ(Read(Path("setup2.pgn")), text);

    // Black to move at the start is shown even before any move is made.
    Position(start);
    ASSERT_TRUE(SavePgn(Path("nomoves").c_str()));
    const std::string empty = Read(Path("nomoves.pgn"));
    EXPECT_NE(empty.find("[FEN \"r3k2r/8/8/8/8/8/8/R3K2R b KQkq -\"]\n1. ... \n"),
              std::string::npos)
        << empty;
    ASSERT_TRUE(LoadPgn(Path("nomoves").c_str())) << PgnError();
    EXPECT_STREQ(GetPosition(), start);
}

TEST_F(PgnTest, BadGameTextStopsAtTheLastGoodPosition) {
    std::ofstream(Path("bad.pgn")) << "[Event \"x\"]\n1. e4 e5 2. Nf3 Nc6 3. Bb5 Bxq9 4. O-O *\n";
    EXPECT_FALSE(LoadPgn(Path("bad").c_str()));
    EXPECT_NE(std::string(PgnError()).find("\"Bxq9\""), std::string::npos) << PgnError();
    EXPECT_EQ(gBoard.hply, 5);
    EXPECT_STREQ(GetPosition(), "r1bqkbnr/pppp1ppp/2n5/1B2p3/4P3/5N2/PPPP1PPP/RNBQK2R b KQkq -");
    EXPECT_TRUE(BoardIsConsistent());

    std::ofstream(Path("illegal.pgn")) << "1. e4 e5 2. Ke3 *\n";
    EXPECT_FALSE(LoadPgn(Path("illegal").c_str()));
    EXPECT_NE(std::string(PgnError()).find("\"Ke3\""), std::string::npos) << PgnError();
    EXPECT_EQ(gBoard.hply, 2);

    std::ofstream(Path("badfen.pgn"))
        << "[FEN \"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1\"]\n"
           "[FEN \"8/8/8/8/8/8/8/8 w - -\"]\n1. e4 *\n";
    EXPECT_FALSE(LoadPgn(Path("badfen").c_str()));
    EXPECT_NE(std::string(PgnError()).find("king"), std::string::npos) << PgnError();
    EXPECT_TRUE(BoardIsConsistent());

    EXPECT_FALSE(LoadPgn(Path("missing").c_str()));
    EXPECT_NE(std::string(PgnError()).find("cannot open"), std::string::npos);
}
