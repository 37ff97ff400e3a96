// The leaf counter of the legal-move tree.
#include "chess/engine/perft.h"

#include "chess/engine/attacks.h"
#include "chess/engine/makemove.h"
#include "chess/engine/movegen.h"

namespace chess {

uint64_t Perft(int depth) {
    if (depth <= 0) return 1;
    ChessBoard& b = gBoard;
    if (b.ply >= kMaxPly) return 0; // no room on the move stack below this ply
    GenerateMoves(SideInCheck(b.side));
    const int first = b.firstMove[b.ply];
    const int last = b.firstMove[b.ply + 1];
    uint64_t nodes = 0;
    for (int i = first; i < last; ++i) {
        if (!MakeMove(b.moves[i].move)) continue;
        nodes += depth == 1 ? 1 : Perft(depth - 1);
        UnmakeMove();
    }
    return nodes;
}

} // namespace chess
