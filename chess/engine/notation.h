// Moves as text: coordinates ("g1f3", "e7e8Q"), standard algebraic notation
// with check marks, and a parser that reads both. Results live in buffers
// that the next call overwrites.
#pragma once

#include "chess/engine/board.h"

namespace chess {

// "%c%d%c%d" from and to square, plus the promotion letter ("e7e8Q").
const char* MoveToCoordinates(ChessMove m);
// The move of the ply-0 legal list that the text names (SAN or coordinates),
// or 0 when none or more than one matches.
ChessMove ParseMove(const char* text);

} // namespace chess
