// A printable picture of the engine's position for debugging: the board with
// rank and file labels, and the state the position text does not show.
#pragma once

#include <string>

namespace chess {

// Eight ranks (rank 8 first, upper case white, lower case black, "." empty),
// the file letters, then side, castling, en passant, fifty-move counter,
// plies made and the hash keys.
std::string BoardDiagram();

} // namespace chess
