// Choosing the computer's move: the opening book first, then an iterative-
// deepening principal-variation search bounded by the playing level's depth
// and node budget.
#pragma once

#include <cstdint>

#include "chess/engine/board.h"

namespace chess {

struct ChessLevel {
    int maxDepth;       // plies
    uint64_t nodeLimit; // search nodes
    int noise;          // evaluation noise
};

extern const ChessLevel kLevels[10];

// The move to play for the side to move; 0 only when it has no legal move.
ChessMove Think();
// Levels 0-9 copy their row; a higher level is stored and changes nothing else.
void SetLevel(int level);
int GetLevel();

// The position occurred before within the fifty-move window (scored 0).
bool IsRepetition();

// What the last Think did (for benchmarks and tests).
uint64_t SearchNodes();
int SearchScore();
// Whether the last Think's move came from the opening book.
bool LastMoveFromBook();

} // namespace chess
