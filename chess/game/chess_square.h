// ChessSquare: the invisible pick target of one board square. A left click
// on it tells the game which square was picked (message 1001, broadcast);
// it can be picked only while the board is played and a person at this
// computer is to move.
#pragma once

#include "Jentra/JTEntity.h"

class ChessSquare : public JTEntity {
    JT_CLASS(ChessSquare, JTEntity)
public:
    void Update(JTSequencer* sequencer) override;
    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;

    int square = 0; // the 0x88 square (0 = a8)
};
