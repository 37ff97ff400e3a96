// Shared helpers of the chess engine tests: a freshly initialised engine and
// a perft counter that uses only the engine's own operations.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "chess/engine/chess_engine.h"

namespace chess_test {

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override { chess::InitEngine(); }

    // Sets a position text that the test relies on being valid.
    static void Position(const char* text) {
        ASSERT_TRUE(chess::SetPositionText(text)) << chess::PositionError();
    }
};

inline uint64_t Perft(int depth) {
    chess::ChessBoard& b = chess::gBoard;
    chess::GenerateMoves(chess::SideInCheck(b.side));
    const int first = b.firstMove[b.ply];
    const int last = b.firstMove[b.ply + 1];
    uint64_t nodes = 0;
    for (int i = first; i < last; ++i) {
        if (!chess::MakeMove(b.moves[i].move)) continue;
        nodes += depth <= 1 ? 1 : Perft(depth - 1);
        chess::UnmakeMove();
    }
    return nodes;
}

} // namespace chess_test
