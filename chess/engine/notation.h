// Moves as text: coordinates ("g1f3", "e7e8Q"), standard algebraic notation
// with check marks, and a parser that reads both. Results live in buffers
// that the next call overwrites.
#pragma once

#include "chess/engine/board.h"

namespace chess {

// "%c%d%c%d" from and to square, plus the promotion letter ("e7e8Q").
const char* MoveToCoordinates(ChessMove m);
// Standard algebraic notation of a move of the ply-0 legal list ("Nbd7",
// "exd5", "e8=Q", "O-O"), without a check mark.
const char* MoveToSan(ChessMove m);
// The SAN, then the move is made and the legal list rebuilt; "+" is added
// when the side now to move is in check with a legal move, "#" when mated.
// Returns "" (and makes nothing) for a move that is not legal here.
const char* MoveToSanAndPlay(ChessMove m);
// The move of the ply-0 legal list that the text names (SAN or coordinates),
// or 0 when none or more than one matches.
ChessMove ParseMove(const char* text);

} // namespace chess
