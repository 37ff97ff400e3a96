// Static evaluation: material with the playing level's noise, a lazy cut-off,
// piece terms, and a pawn-and-king term cached in the pawn table.
#pragma once

#include <cstdint>

namespace chess {

// Centipawns from the side to move's point of view.
int Evaluate(int alpha, int beta);

// Fills the black halves of the piece-square tables and the distance table.
void InitEvaluation();
// Frees the pawn table and allocates one of bytes / 16 entries (a power of two).
void SetPawnHashSize(unsigned bytes);
void ClearPawnHash();
// Evaluation noise of the playing level (0: none).
void SetEvaluationNoise(int noise);
// The colour the engine plays; the king safety of the other side counts less.
void SetEngineColour(int colour);

} // namespace chess
