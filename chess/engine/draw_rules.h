// The rules that end a game as drawn while moves remain: the same position
// a third time, fifty moves of each side without a capture or a pawn move,
// and too little material left for either side to mate. Mate and stalemate
// (no legal move) come first and are not told here.
#pragma once

namespace chess {

enum class DrawRule {
    None,
    Repetition,  // the position stands for the third time
    FiftyMoves,  // a hundred half moves without a capture or a pawn move
    BareMaterial // king against king, or king and one knight or bishop against king
};

// Times the present position stood before in this game, with the same side
// to move and the same castling rights (and en-passant square, which the
// hash holds): within the same window as the search's IsRepetition, as no
// position before a capture or a pawn move can come again.
int RepetitionCount();
// Neither side has a pawn, and all the pieces beside the kings are one
// knight or one bishop at most.
bool BareMaterial();
// The rule the present position is drawn by, if any.
DrawRule DrawnByRule();

} // namespace chess
