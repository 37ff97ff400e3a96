// The attack table: for every difference of two squares, which kinds of piece
// can make that step on an empty board and in which direction.
#include "chess/engine/attacks.h"

#include <cstring>

namespace chess {

AttackEntry gAttack[239];

const int kDirectionCount[6] = {0, 8, 4, 4, 8, 8};
const int kDirections[6][8] = {
    {0, 0, 0, 0, 0, 0, 0, 0},           {-33, -31, -18, -14, 14, 18, 31, 33},
    {-17, -15, 15, 17, 0, 0, 0, 0},     {-16, -1, 1, 16, 0, 0, 0, 0},
    {-17, -16, -15, -1, 1, 15, 16, 17}, {-17, -16, -15, -1, 1, 15, 16, 17},
};
const bool kSlides[6] = {false, false, true, true, true, false};

void BuildAttackTable() {
    std::memset(gAttack, 0, sizeof(gAttack));
    for (int from = 0; from < 120; ++from) {
        if (!OnBoard(from)) continue;
        for (int kind = Knight; kind <= King; ++kind) {
            for (int d = 0; d < kDirectionCount[kind]; ++d) {
                const int step = kDirections[kind][d];
                for (int to = from + step; OnBoard(to); to += step) {
                    AttackEntry& entry = gAttack[from - to + 119];
                    entry.kindBits = static_cast<int8_t>(entry.kindBits | (1 << kind));
                    entry.direction = static_cast<int8_t>(step);
                    if (!kSlides[kind]) break;
                }
            }
        }
    }
}

} // namespace chess
