// Pseudo-legal move generation into the ply's part of the move stack, and the
// legal-move list of ply 0.
#pragma once

#include "chess/engine/board.h"

namespace chess {

// Score of a capture or promotion before any quiet move.
constexpr int kCaptureScore = 1000000;

// Appends the side to move's moves to ply's list and sets firstMove[ply + 1].
// Castling is left out when inCheck is true.
void GenerateMoves(bool inCheck);
// Captures, promotions and en passant only.
void GenerateCaptures();
// The legal moves of the position at ply 0 (firstMove[0] .. firstMove[1]).
void BuildLegalMoves(bool afterGameMove);
// Whether m is in the legal-move list of ply 0.
bool IsLegalMove(ChessMove m);

} // namespace chess
