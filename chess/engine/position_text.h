// The position text (board, side, castling, en passant: the first four fields
// of the usual notation) in both directions. Position text is untrusted: a
// malformed or impossible position is refused and the engine keeps its own.
// What cannot harm is read leniently: a board letter that names no piece
// leaves its square empty, any side but "w" means black, and castling
// letters other than K, Q, k and q are passed over.
#pragma once

namespace chess {

// Sets the position from its four fields and starts a game from it
// (NewGame(false)). Returns false, with the engine unchanged, when the text
// is malformed or the position impossible; PositionError() then says why.
bool SetPosition(const char* boardField, const char* sideField, const char* castlingField,
                 const char* epField);
// The same from one text with the fields separated by blanks; trailing move
// counters are accepted and ignored.
bool SetPositionText(const char* text);
// Why the last SetPosition refused its text ("" after success).
const char* PositionError();
// The position as text, e.g. "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq -".
// The result lives in a buffer that the next call overwrites.
const char* GetPosition();

} // namespace chess
