// The shapes of the six chess pieces, turned on a lathe (the knight's head
// is an extruded outline, the king's cross two boxes), standing on y = 0
// within a square of side 1.
#pragma once

#include "tools/databuilder/rookfall/chess_shapes.h"

namespace databuilder::chess {

// kind 0-5: pawn, knight, bishop, rook, queen, king. A knight looks along
// +z (towards Black) unless it belongs to Black.
Shape PieceShape(int kind, bool black, int segments = 20);

} // namespace databuilder::chess
