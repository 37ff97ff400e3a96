// What a damaged recording or a hostile peer can do to the game: a move word
// with bits beyond its squares is played as the legal move it names, so the
// pieces on screen, the list of moves and the engine's position never part;
// a burst of new-game requests costs one new game a frame; and game after
// game keeps no more objects or memory than the first few did.
#include <gtest/gtest.h>
#include <malloc.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTScene.h"
#include "chess/engine/board.h"
#include "chess/engine/position_text.h"
#include "chess/game/chess_pieces.h"
#include "tests/chess/game/game_session.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator keeps its own books (its interface header is not
// always installed).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using rookfall_test::GameSession;
using rookfall_test::ScriptedGame;

constexpr chess::ChessMove kE2E4 = 0x2264;
constexpr chess::ChessMove kE7E5 = 0x1A14;
constexpr chess::ChessMove kG1F3 = 0x2AF6;
constexpr chess::ChessMove kB8C6 = 0x1101;
constexpr chess::ChessMove kA2A4 = 0x2060;

std::vector<uint8_t> MovePacket(chess::ChessMove m) {
    return {0x01, uint8_t(m), uint8_t(m >> 8), uint8_t(m >> 16), uint8_t(m >> 24)};
}

void Receive(ScriptedGame& g, const std::vector<uint8_t>& packet) {
    g.Receive(packet.data(), unsigned(packet.size()));
}

std::vector<chess::ChessMove> Moves(const ChessGame& g) {
    const JTArray<chess::ChessMove>& moves = g.GetMoves();
    return std::vector<chess::ChessMove>(moves.GetData(), moves.GetData() + moves.GetCount());
}

// Every square shows what the engine holds there: a piece of the same colour
// or nothing. Empty when they agree, else the first square that differs.
std::string ScreenDiffersFromEngine(const ChessGame& g) {
    for (int square = 0; square < 128; ++square) {
        if (!chess::OnBoard(square)) continue;
        const ChessPieceEntity* piece = g.PieceOn(square);
        const int colour = chess::gBoard.board[square];
        const bool agree = colour == chess::kEmpty ? piece == nullptr
                                                   : piece != nullptr && piece->colour == colour;
        if (!agree) return "square " + std::to_string(square);
    }
    return "";
}

// Bytes the process's heap holds now.
size_t HeapInUse() {
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

TEST_F(GameSession, MoveWordsWithBitsBeyondTheirSquaresArePlayedAsTheLegalMove) {
    // A recording whose words carry stray high bits: a2-a4 with bit 29,
    // e7-e5 with a queen's promotion bits, g1-f3 with all high bits set.
    const std::string name = RecordedName("stray_bits");
    std::filesystem::create_directories(RecordedFile(name).parent_path());
    {
        std::vector<uint8_t> bytes = {3, 0, 0, 0};
        for (chess::ChessMove m : {kA2A4 | 0x20000000u, kE7E5 | 0x10000u, kG1F3 | 0xFFFFC000u})
            for (int i = 0; i < 4; ++i)
                bytes.push_back(uint8_t(m >> (8 * i)));
        std::ofstream(RecordedFile(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    std::string afterPeer, afterReplay;
    std::vector<chess::ChessMove> peerMoves, replayMoves;
    Play([&](ScriptedGame& g, int step) {
        if (step == 0) {
            g.SetPlayers(kPlayerLocal, kPlayerRemote);
            g.PickMove(kE2E4);
            Receive(g, MovePacket(kE7E5 | 0x10000u));
            EXPECT_EQ(ScreenDiffersFromEngine(g), "");
            g.PickMove(kG1F3);
            Receive(g, MovePacket(kB8C6 | 0xFFFFC000u));
            EXPECT_EQ(ScreenDiffersFromEngine(g), "");
            afterPeer = chess::GetPosition();
            peerMoves = Moves(g);
            EXPECT_TRUE(g.ReplayRecordedGame(name.c_str()));
            return false;
        }
        // At every frame of the replay the screen shows the engine's position.
        const std::string differs = ScreenDiffersFromEngine(g);
        EXPECT_EQ(differs, "") << "replay step " << g.GetReplayIndex();
        if (!differs.empty()) return true;
        if (g.GetMoves().GetCount() < 3) return false;
        afterReplay = chess::GetPosition();
        replayMoves = Moves(g);
        return true;
    });
    EXPECT_EQ(afterPeer, "r1bqkbnr/pppp1ppp/2n5/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R w KQkq -");
    EXPECT_EQ(peerMoves, (std::vector<chess::ChessMove>{kE2E4, kE7E5, kG1F3, kB8C6}));
    EXPECT_EQ(afterReplay, "rnbqkbnr/pppp1ppp/8/4p3/P7/5N2/1PPPPPPP/RNBQKB1R b KQkq -");
    EXPECT_EQ(replayMoves, (std::vector<chess::ChessMove>{kA2A4, kE7E5, kG1F3}));
}

TEST_F(GameSession, APeersNewGamesCostOneAFrameAndKeepNothingOfTheOldGame) {
    const auto newGame = std::vector<uint8_t>{0x02};
    constexpr int kFirstGames = 10, kMoreGames = 200;
    int heldAfterOne = 0, heldAfterBurst = 0;
    int settledAfterFew = 0, settledAfterMany = 0, sceneAfterFew = 0, sceneAfterMany = 0;
    size_t heapAfterFew = 0, heapAfterMany = 0;
    Play(
        [&](ScriptedGame& g, int step) {
            if (step == 0) {
                g.SetPlayers(kPlayerLocal, kPlayerRemote);
                return false;
            }
            if (step <= 2) {
                // Two hundred requests in one frame are one new game: the
                // objects held are those of one old world and one new one,
                // as after a single request.
                g.PickMove(kE2E4);
                for (int i = 0; i < (step == 1 ? 1 : 200); ++i)
                    Receive(g, newGame);
                EXPECT_EQ(g.GetMoves().GetCount(), 0);
                (step == 1 ? heldAfterOne : heldAfterBurst) = gpJTIDMap->GetNumUnks();
                return false;
            }
            // Then one request a frame, each a new game after a move.
            const int games = step - 2;
            if (games == kFirstGames + 1 || games == kMoreGames + 1) {
                const bool few = games == kFirstGames + 1;
                (few ? settledAfterFew : settledAfterMany) = gpJTIDMap->GetNumUnks();
                (few ? sceneAfterFew : sceneAfterMany) = g.GetMainScene()->GetNumChildren();
                (few ? heapAfterFew : heapAfterMany) = HeapInUse();
                if (!few) return true;
            }
            g.PickMove(kE2E4);
            Receive(g, newGame);
            return false;
        },
        kMoreGames + 200);
    // A world is about a hundred objects; a few come and go with the frames.
    EXPECT_NEAR(heldAfterBurst, heldAfterOne, 10);
    EXPECT_EQ(settledAfterMany, settledAfterFew);
    EXPECT_EQ(sceneAfterMany, sceneAfterFew);
    // The heap swings by a megabyte or so from frame to frame (caches, the
    // renderer); a world kept for each game would be tens of megabytes.
    EXPECT_LT(heapAfterMany, heapAfterFew + (4u << 20))
        << "after " << kFirstGames << ": " << heapAfterFew << ", after " << kMoreGames << ": "
        << heapAfterMany;
}

} // namespace
