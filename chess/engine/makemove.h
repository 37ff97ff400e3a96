// Making and taking back moves on the engine's position.
#pragma once

#include "chess/engine/board.h"

namespace chess {

// Makes m (0 is the null move). Returns false, with the position unchanged,
// when the move leaves the mover's king attacked, castles through an attacked
// or occupied square, or is no move of the side to move at all.
bool MakeMove(ChessMove m);
// Takes back the last made move.
void UnmakeMove();
// Makes again the move that the last UnmakeMove took back (false if none).
bool RedoMove();

} // namespace chess
