// The EPD position reader: one position a line with optional operations, of
// which "bm" (best moves) and "id" are read. EPD text is untrusted: a bad line
// ends the read with a message naming it.
#pragma once

#include <string>
#include <vector>

#include "chess/engine/board.h"

namespace chess {

struct EpdRecord {
    std::string position;             // the four position fields
    std::vector<ChessMove> bestMoves; // "bm" moves, parsed in the position
    std::string id;                   // "id" text, if any
};

// Why the last EPD read failed.
const char* EpdError();
// Sets the position of one EPD line ("<4 fields> [bm <moves>;] [id "<text>";] ...").
bool ReadEpdLine(const char* line, EpdRecord& record);
// Reads every line of path + ".epd"; stops with EpdError() at the first bad one.
bool ReadEpdFile(const char* path, std::vector<EpdRecord>& records);

} // namespace chess
