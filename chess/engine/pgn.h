// Game files: the move text of the game so far, PGN save and load. PGN text
// is untrusted: a move that does not parse or is illegal ends the load with a
// message naming it, and the engine stays at the last good position.
#pragma once

#include <cstdio>
#include <string>

#include "chess/engine/board.h"

namespace chess {

// Why the last LoadPgn or SavePgn failed.
const char* PgnError();

// The moves of the game from its start in SAN with move numbers and check
// marks, ten half moves a line. The position is the same afterwards.
bool WriteMoveText(std::FILE* file);
// Writes path + ".pgn": tags (with SetUp and FEN for a set-up position), then the moves.
bool SavePgn(const char* path);
// Reads path + ".pgn" into a new game.
bool LoadPgn(const char* path);

// One kind of PGN token, as the loader and the book maker read them.
enum class PgnToken { End, Tag, Move, Skip };
// Reads the next whitespace-separated token. A tag ("[...") yields the rest
// of its line in `text`; a move token yields the move without its move number.
PgnToken NextPgnToken(std::FILE* file, std::string& text);

} // namespace chess
