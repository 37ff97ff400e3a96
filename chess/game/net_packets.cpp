// Writing and reading the chess game's network packets.
#include "chess/game/net_packets.h"

void ChessNetMove::Write(uint8_t*& cursor) const {
    *cursor++ = kNetMove;
    for (int i = 0; i < 4; ++i)
        *cursor++ = uint8_t(move >> (8 * i));
}

void ChessNetMove::Read(const uint8_t*& cursor) {
    ++cursor; // the type
    move = 0;
    for (int i = 0; i < 4; ++i)
        move |= chess::ChessMove(*cursor++) << (8 * i);
}

void ChessNetNewGame::Write(uint8_t*& cursor) const {
    *cursor++ = kNetNewGame;
}

void ChessNetNewGame::Read(const uint8_t*& cursor) {
    ++cursor;
}
