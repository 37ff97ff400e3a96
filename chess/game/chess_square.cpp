// The board square's pick target.
#include "chess/game/chess_square.h"

#include <cstdint>

#include "Jentra/JTMessages.h"
#include "chess/game/chess_game.h"

JT_CLASS_IMPL(ChessSquare)

void ChessSquare::Update(JTSequencer* sequencer) {
    JTEntity::Update(sequencer);
    const bool playable = gpChessGame && gpChessGame->GetCurrentMenu() == kMenuBoard &&
                          gpChessGame->GetPlayerToMove() == kPlayerLocal;
    SetPickable(playable);
    if (!playable) SetHilighted(false);
    // The square is never drawn; it only catches the cursor.
    SetOpacity(0.0f);
}

unsigned ChessSquare::Message(JTID*, JTID*, unsigned msg, void* data) {
    const bool leftButton = reinterpret_cast<intptr_t>(data) == 0;
    if ((msg == JTMSG_BUTTONDOWN || msg == JTMSG_DOUBLECLICK) && leftButton)
        comm.Broadcast(CHESSMSG_SQUAREPICKED, reinterpret_cast<void*>(intptr_t(square)));
    return 0;
}
