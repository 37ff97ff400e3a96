// Making and taking back moves: everything the position holds comes back
// exactly, keys stay equal to the ones computed from scratch, and the rules
// around castling, en passant and promotion hold.
#include "tests/chess/engine/engine_fixture.h"

#include <cstring>
#include <random>
#include <vector>

using namespace chess;
using chess_test::EngineTest;

namespace {

// Everything of the position that make and unmake must restore.
struct Snapshot {
    int32_t board[128];
    int side, xside, castle, ep, fifty;
    uint64_t hash, pawnHash;
    int pieceMat[2], pawnMat[2], pieceCount[2], pawnCount[2];
    ChessPiece pieces[2][kMaxPieces], pawns[2][kMaxPawns];
    ChessPiece* at[128];

    static Snapshot Take() {
        const ChessBoard& b = gBoard;
        Snapshot s;
        std::memset(&s, 0, sizeof(s));
        std::memcpy(s.board, b.board, sizeof(s.board));
        s.side = b.side, s.xside = b.xside, s.castle = b.castle, s.ep = b.ep, s.fifty = b.fifty;
        s.hash = b.hash, s.pawnHash = b.pawnHash;
        for (int c = 0; c < 2; ++c) {
            s.pieceMat[c] = b.pieceMat[c], s.pawnMat[c] = b.pawnMat[c];
            s.pieceCount[c] = b.pieceCount[c], s.pawnCount[c] = b.pawnCount[c];
            std::memcpy(s.pieces[c], b.pieces[c],
                        sizeof(ChessPiece) * static_cast<size_t>(b.pieceCount[c]));
            std::memcpy(s.pawns[c], b.pawns[c],
                        sizeof(ChessPiece) * static_cast<size_t>(b.pawnCount[c]));
        }
        std::memcpy(s.at, b.at, sizeof(s.at));
        return s;
    }
    bool operator==(const Snapshot& o) const {
        return std::memcmp(this, &o, sizeof(Snapshot)) == 0;
    }
};

// Plays random legal moves; at each position every legal move is made and
// taken back against a snapshot, and the incrementally kept keys are compared
// with the ones SetupPosition computes from the board.
void RandomPlayout(std::mt19937& random, int length) {
    for (int i = 0; i < length; ++i) {
        if (LegalMoveCount() == 0) break;
        const Snapshot here = Snapshot::Take();
        for (int k = 0; k < LegalMoveCount(); ++k) {
            ASSERT_TRUE(MakeMove(LegalMove(k)));
            ASSERT_TRUE(BoardIsConsistent()) << "after " << MoveToCoordinates(LegalMove(k)) << "\n"
                                             << BoardDiagram();
            UnmakeMove();
            ASSERT_TRUE(Snapshot::Take() == here)
                << "after taking back " << MoveToCoordinates(LegalMove(k));
        }
        const ChessMove m =
            LegalMove(static_cast<int>(random() % static_cast<unsigned>(LegalMoveCount())));
        ASSERT_TRUE(MakeMove(m)) << MoveToCoordinates(m);
        const uint64_t incremental = gBoard.hash;
        const uint64_t incrementalPawns = gBoard.pawnHash;
        // Continue the line as a game set up from this very board.
        NewGame(false);
        ASSERT_EQ(gBoard.hash, incremental) << GetPosition();
        ASSERT_EQ(gBoard.pawnHash, incrementalPawns) << GetPosition();
    }
}

} // namespace

TEST_F(EngineTest, RandomPlayoutsKeepKeysEqualToComputedOnes) {
    std::mt19937 random(12345);
    for (int game = 0; game < 30; ++game) {
        NewGame(true);
        RandomPlayout(random, 120);
    }
}

TEST_F(EngineTest, TakingBackAWholeRandomGameRestoresEverything) {
    std::mt19937 random(777);
    for (int game = 0; game < 40; ++game) {
        NewGame(true);
        std::vector<Snapshot> before;
        for (int i = 0; i < 200; ++i) {
            BuildLegalMoves(false);
            if (LegalMoveCount() == 0) break;
            before.push_back(Snapshot::Take());
            ASSERT_TRUE(MakeMove(
                LegalMove(static_cast<int>(random() % static_cast<unsigned>(LegalMoveCount())))));
            ASSERT_TRUE(BoardIsConsistent()) << BoardDiagram();
        }
        while (!before.empty()) {
            UnmakeMove();
            ASSERT_TRUE(Snapshot::Take() == before.back()) << "at half move " << before.size();
            before.pop_back();
        }
        EXPECT_EQ(gBoard.hply, 0);
    }
}

TEST_F(EngineTest, NewGameHasTheStartHashAndTwentyMoves) {
    EXPECT_EQ(gBoard.hash, ComputeHash());
    EXPECT_EQ(gBoard.pawnHash, ComputePawnHash());
    EXPECT_EQ(LegalMoveCount(), 20);
    EXPECT_EQ(gBoard.side, White);
    EXPECT_EQ(gBoard.ep, -1);
    EXPECT_EQ(KingSquare(White), 116);
    EXPECT_EQ(KingSquare(Black), 4);
    EXPECT_EQ(BoardDiagram().substr(0, 54),
              "8 r n b q k b n r\n7 p p p p p p p p\n6 . . . . . . . .\n");
    EXPECT_NE(BoardDiagram().find("side w castle 15 ep -1 fifty 0 hply 0 ply 0 hash "
                                  "4dd6b50d65a1bc2f"),
              std::string::npos)
        << BoardDiagram();
}

TEST_F(EngineTest, CastlingOutOfOrThroughCheckIsNeverLegal) {
    auto hasMove = [](ChessMove m) {
        for (int i = 0; i < LegalMoveCount(); ++i)
            if (LegalMove(i) == m) return true;
        return false;
    };
    // Free to castle both ways.
    Position("r3k2r/8/8/8/8/8/8/R3K2R w KQkq -");
    EXPECT_TRUE(hasMove(kWhiteCastleKingSide));
    EXPECT_TRUE(hasMove(kWhiteCastleQueenSide));
    // In check from a rook on the e-file: neither.
    Position("r3k2r/8/8/8/4r3/8/8/R3K2R w KQkq -");
    EXPECT_FALSE(hasMove(kWhiteCastleKingSide));
    EXPECT_FALSE(hasMove(kWhiteCastleQueenSide));
    // f1 and d1 attacked: neither way passes.
    Position("r3k2r/8/8/8/8/8/3r1r2/R3K2R w KQkq -");
    EXPECT_FALSE(hasMove(kWhiteCastleKingSide));
    EXPECT_FALSE(hasMove(kWhiteCastleQueenSide));
    // Only b1 attacked: queen side castling is still legal (the king does not cross b1).
    Position("r3k2r/8/8/8/8/8/1r6/R3K2R w KQkq -");
    EXPECT_TRUE(hasMove(kWhiteCastleQueenSide));
    // Black: g8 attacked, c8 free but b8 occupied.
    Position("rn2k2r/8/8/8/8/8/8/R3K1R1 b kq -");
    EXPECT_FALSE(hasMove(kBlackCastleKingSide));
    EXPECT_FALSE(hasMove(kBlackCastleQueenSide));
    // A castling word made directly is refused the same way and changes nothing.
    Position("r3k2r/8/8/8/4r3/8/8/R3K2R w KQkq -");
    Position("r3k2r/8/8/8/8/8/3r1r2/R3K2R w KQkq -");
    const uint64_t hash = gBoard.hash;
    EXPECT_FALSE(MakeMove(kWhiteCastleKingSide));
    EXPECT_EQ(gBoard.hash, hash);
    EXPECT_EQ(gBoard.hply, 0);
    EXPECT_TRUE(BoardIsConsistent());
}

TEST_F(EngineTest, EnPassantSquareOnlyWhenAnEnemyPawnCanTake) {
    ASSERT_TRUE(MakeMove(ParseMove("e4")));
    BuildLegalMoves(true);
    EXPECT_EQ(gBoard.ep, -1);
    EXPECT_EQ(gBoard.hash, ComputeHash());
    Position("4k3/8/8/8/3p4/8/4P3/4K3 w - -");
    ASSERT_TRUE(MakeMove(ParseMove("e4")));
    BuildLegalMoves(true);
    EXPECT_EQ(gBoard.ep, SquareOf(5, 4)); // e3
    EXPECT_EQ(gBoard.hash, ComputeHash());
    const ChessMove take = ParseMove("dxe3");
    ASSERT_NE(take, 0u);
    ASSERT_TRUE(MakeMove(take));
    EXPECT_EQ(gBoard.pawnMat[White], 0);
    EXPECT_EQ(gBoard.board[SquareOf(4, 4)], kEmpty);
    UnmakeMove();
    EXPECT_EQ(gBoard.pawnMat[White], 100);
    EXPECT_TRUE(BoardIsConsistent());
}

TEST_F(EngineTest, PromotionMakesANewRecordAndTakingBackRestoresThePawn) {
    Position("1r2k3/P7/8/8/8/8/8/4K3 w - -");
    int promotions = 0;
    for (int i = 0; i < LegalMoveCount(); ++i)
        if (MovePromotion(LegalMove(i))) ++promotions;
    EXPECT_EQ(promotions, 8); // a8 and xb8, four kinds each
    const ChessMove m = ParseMove("axb8=N");
    ASSERT_NE(m, 0u);
    EXPECT_EQ(MovePromotion(m), Knight);
    const int pieces = gBoard.pieceCount[White];
    ASSERT_TRUE(MakeMove(m));
    EXPECT_EQ(gBoard.pieceCount[White], pieces + 1);
    EXPECT_EQ(gBoard.at[SquareOf(0, 1)], &gBoard.pieces[White][pieces]);
    EXPECT_EQ(gBoard.pawnMat[White], 0);
    EXPECT_EQ(gBoard.pieceMat[White], 300);
    EXPECT_EQ(gBoard.pieceMat[Black], 0);
    UnmakeMove();
    EXPECT_EQ(gBoard.pieceCount[White], pieces);
    EXPECT_EQ(gBoard.at[SquareOf(1, 0)], &gBoard.pawns[White][0]);
    EXPECT_FALSE(gBoard.pawns[White][0].captured);
    EXPECT_EQ(gBoard.pieceMat[Black], 500);
    EXPECT_TRUE(BoardIsConsistent());
}

TEST_F(EngineTest, WordsThatAreNoMoveChangeNothing) {
    const uint64_t hash = gBoard.hash;
    // Empty from square, the other side's piece, a pawn reaching the last
    // rank without promotion, a knight "promoting", an off-board target.
    const ChessMove bad[] = {EncodeMove(SquareOf(4, 4), SquareOf(3, 4)),
                             EncodeMove(SquareOf(1, 4), SquareOf(3, 4)),
                             EncodeMove(SquareOf(6, 4), SquareOf(4, 4), Queen),
                             EncodeMove(SquareOf(7, 6), SquareOf(5, 5), Queen),
                             EncodeMove(SquareOf(7, 6), 0x78),
                             EncodeMove(SquareOf(7, 0), SquareOf(6, 0)),
                             kWhiteCastleKingSide};
    for (ChessMove m : bad) {
        EXPECT_FALSE(MakeMove(m)) << std::hex << m;
        EXPECT_EQ(gBoard.hply, 0);
        EXPECT_EQ(gBoard.hash, hash);
    }
    EXPECT_TRUE(BoardIsConsistent());
}

TEST_F(EngineTest, UnmakeAndRedoFollowTheHistory) {
    const char* line[] = {"e4", "e5", "Nf3", "Nc6", "Bb5"};
    for (const char* text : line) {
        const ChessMove m = ParseMove(text);
        ASSERT_NE(m, 0u) << text;
        ASSERT_TRUE(MakeMove(m));
        BuildLegalMoves(true);
    }
    const std::string end = GetPosition();
    for (int i = 0; i < 5; ++i)
        UnmakeMove();
    UnmakeMove(); // nothing left to take back
    EXPECT_EQ(gBoard.hply, 0);
    BuildLegalMoves(true);
    EXPECT_EQ(LegalMoveCount(), 20);
    for (int i = 0; i < 5; ++i)
        ASSERT_TRUE(RedoMove());
    EXPECT_FALSE(RedoMove());
    EXPECT_EQ(GetPosition(), end);
}

TEST_F(EngineTest, LongGamesGrowTheHistory) {
    // Knights shuffle back and forth far beyond the first history block.
    const char* cycle[] = {"Nf3", "Nf6", "Ng1", "Ng8"};
    for (int i = 0; i < 400; ++i) {
        ASSERT_TRUE(MakeMove(ParseMove(cycle[i % 4])));
        BuildLegalMoves(true);
    }
    EXPECT_EQ(gBoard.hply, 400);
    EXPECT_GT(gBoard.historyCapacity, 400);
    EXPECT_EQ(gBoard.fifty, 400);
    NewGame(true);
    // Made without BuildLegalMoves in between, the history still grows.
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(MakeMove(i % 4 == 0   ? EncodeMove(118, 85)
                             : i % 4 == 1 ? EncodeMove(6, 37)
                             : i % 4 == 2 ? EncodeMove(85, 118)
                                          : EncodeMove(37, 6)));
    }
    EXPECT_EQ(gBoard.hply, 300);
    EXPECT_TRUE(BoardIsConsistent());
}
