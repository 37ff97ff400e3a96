// Game files: the move text of the game so far, PGN save and load, and the
// EPD position reader. PGN and EPD text is untrusted: a move that does not
// parse or is illegal ends the load with a message naming it, and the engine
// stays at the last good position.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "chess/engine/board.h"

namespace chess {

// Why the last LoadPgn, SavePgn or EPD read failed.
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

struct EpdRecord {
    std::string position;             // the four position fields
    std::vector<ChessMove> bestMoves; // "bm" moves, parsed in the position
    std::string id;                   // "id" text, if any
};
// Sets the position of one EPD line ("<4 fields> [bm <moves>;] [id "<text>";] ...").
bool ReadEpdLine(const char* line, EpdRecord& record);
// Reads every line of path + ".epd"; stops with PgnError() at the first bad one.
bool ReadEpdFile(const char* path, std::vector<EpdRecord>& records);

} // namespace chess
