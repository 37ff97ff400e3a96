// The chess game's network packets: a type byte, then the packet's fields,
// little-endian. A move is five bytes (type 1, then the move word with the
// picked from and to squares only); a new-game request is the type byte 2.
#pragma once

#include <cstdint>

#include "chess/engine/board.h"

enum ChessNetType : uint8_t {
    kNetMove = 0x01,
    kNetNewGame = 0x02,
};

class ChessNetMove {
public:
    static constexpr unsigned kSize = 5;

    ChessNetMove() = default;
    explicit ChessNetMove(chess::ChessMove m) : move(m) {}

    unsigned Size() const { return kSize; }
    // Writes the packet at the cursor and advances it.
    void Write(uint8_t*& cursor) const;
    // Reads the fields the type byte is followed by (the cursor stands on
    // the type byte) and advances past the packet.
    void Read(const uint8_t*& cursor);

    chess::ChessMove move = 0;
};

class ChessNetNewGame {
public:
    static constexpr unsigned kSize = 1;

    unsigned Size() const { return kSize; }
    void Write(uint8_t*& cursor) const;
    void Read(const uint8_t*& cursor);
};
