// Counting the leaves of the legal-move tree: the check of move generation
// against known counts, shared by the tests and the perft benchmark.
#pragma once

#include <cstdint>

namespace chess {

// Leaves at depth plies below the current position, driving the engine only
// through GenerateMoves (with the side to move's in-check flag), MakeMove and
// UnmakeMove. The position is the same afterwards.
uint64_t Perft(int depth);

} // namespace chess
