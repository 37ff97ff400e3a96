// Hash keys of the position, drawn from the key generator in a fixed order:
// the opening book is keyed by them, so that order is part of its format.
#pragma once

#include <cstdint>

namespace chess {

struct ZobristKeys {
    uint64_t piece[2][6][120]; // colour, kind, square (every index 0..119)
    uint64_t side;             // black to move
    uint64_t ep[88];           // en-passant target squares 0..87
    uint64_t phase[11];        // game phase 0..10 for the pawn table
    uint64_t engineBlack;      // pawn-table entries made while the engine plays black
};

extern ZobristKeys gKeys;

// Draws every key from the start of the generator's sequence.
void DrawZobristKeys();

// Keys computed from scratch from the board (the incremental ones must match).
uint64_t ComputeHash();
uint64_t ComputePawnHash();

} // namespace chess
