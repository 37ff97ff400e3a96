// Coordinate text and the move parser.
#include "chess/engine/notation.h"

#include <cstdio>
#include <cstring>

#include "chess/engine/attacks.h"
#include "chess/engine/makemove.h"
#include "chess/engine/movegen.h"

namespace chess {

namespace {
char gCoordinates[8];
char gSan[16];
} // namespace

const char* MoveToSan(ChessMove m) {
    const ChessBoard& b = gBoard;
    const int from = MoveFrom(m), to = MoveTo(m);
    const int kind = b.board[from + 8];
    char* out = gSan;
    if (kind == King && (to - from == 2 || from - to == 2)) {
        std::strcpy(gSan, to < from ? "O-O-O" : "O-O");
        return gSan;
    }
    const bool capture = b.board[to] != kEmpty || (kind == Pawn && to == b.ep);
    if (kind == Pawn) {
        if (capture) *out++ = static_cast<char>('a' + FileOf(from));
    } else if (kind >= Knight && kind <= King) {
        *out++ = kKindLetters[kind];
        // Another piece of the same kind reaching the same square: the file
        // tells them apart, else the rank, else both.
        bool ambiguous = false, sameFile = false, sameRank = false;
        for (int i = 0; i < LegalMoveCount(); ++i) {
            const ChessMove other = LegalMove(i);
            const int otherFrom = MoveFrom(other);
            if (other == m || MoveTo(other) != to || otherFrom == from ||
                b.board[otherFrom + 8] != kind)
                continue;
            ambiguous = true;
            if (FileOf(otherFrom) == FileOf(from)) sameFile = true;
            if (RowOf(otherFrom) == RowOf(from)) sameRank = true;
        }
        if (ambiguous) {
            if (!sameFile) {
                *out++ = static_cast<char>('a' + FileOf(from));
            } else if (!sameRank) {
                *out++ = static_cast<char>('0' + 8 - RowOf(from));
            } else {
                *out++ = static_cast<char>('a' + FileOf(from));
                *out++ = static_cast<char>('0' + 8 - RowOf(from));
            }
        }
    }
    if (capture) *out++ = 'x';
    *out++ = static_cast<char>('a' + FileOf(to));
    *out++ = static_cast<char>('0' + 8 - RowOf(to));
    const int promotion = MovePromotion(m);
    if (promotion > Pawn && promotion < King) {
        *out++ = '=';
        *out++ = kKindLetters[promotion];
    }
    *out = '\0';
    return gSan;
}

const char* MoveToSanAndPlay(ChessMove m) {
    if (!IsLegalMove(m)) {
        gSan[0] = '\0';
        return gSan;
    }
    MoveToSan(m);
    if (!MakeMove(m)) {
        gSan[0] = '\0';
        return gSan;
    }
    BuildLegalMoves(true);
    if (SideInCheck(gBoard.side)) std::strcat(gSan, LegalMoveCount() > 0 ? "+" : "#");
    return gSan;
}

const char* MoveToCoordinates(ChessMove m) {
    const int from = MoveFrom(m);
    const int to = MoveTo(m);
    const int promotion = MovePromotion(m);
    gCoordinates[0] = static_cast<char>('a' + FileOf(from));
    gCoordinates[1] = static_cast<char>('0' + 8 - RowOf(from));
    gCoordinates[2] = static_cast<char>('a' + FileOf(to));
    gCoordinates[3] = static_cast<char>('0' + 8 - RowOf(to));
    gCoordinates[4] = promotion > 0 && promotion < 6 ? kKindLetters[promotion] : '\0';
    gCoordinates[5] = '\0';
    return gCoordinates;
}

ChessMove ParseMove(const char* text) {
    if (!text) return 0;
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0 || length > 16) return 0;
    int kind = -1, promotion = -1;
    int toFile = -1, toRank = -1, fromFile = -1, fromRank = -1;
    int castles = 0;
    for (int i = length - 1; i >= 0; --i) {
        const char c = text[i];
        if (c == 'O' || c == 'o') {
            ++castles;
        } else if (c >= '1' && c <= '8') {
            if (toRank < 0)
                toRank = c - '1';
            else if (fromRank < 0)
                fromRank = c - '1';
            else
                return 0;
        } else if (c == 'b' && i > 0 && toRank < 0 && toFile < 0 &&
                   ((text[i - 1] >= '1' && text[i - 1] <= '8') || text[i - 1] == '=')) {
            promotion = Bishop; // "e7e8b" or "b8=b": a promotion letter, not a file
        } else if (c >= 'a' && c <= 'h') {
            if (toFile < 0)
                toFile = c - 'a';
            else if (fromFile < 0)
                fromFile = c - 'a';
            else
                return 0;
        } else {
            const char* letters = "NBRQKnrqk";
            const char* found = std::strchr(letters, c);
            if (!found) continue; // "x", "+", "#", "=", "-" and the like
            static const int kKinds[9] = {Knight, Bishop, Rook,  Queen, King,
                                          Knight, Rook,   Queen, King};
            const int k = kKinds[found - letters];
            if (i == 0)
                kind = k;
            else
                promotion = k;
        }
    }
    if (castles) {
        if (castles != 2 && castles != 3) return 0;
        kind = King;
        fromFile = 4;
        toFile = castles == 2 ? 6 : 2;
        toRank = -1;
        fromRank = -1;
    }
    ChessMove match = 0;
    int matches = 0;
    bool pawnsOnly = false;
    const ChessBoard& b = gBoard;
    for (int i = b.firstMove[0]; i < b.firstMove[1]; ++i) {
        const ChessMove m = b.moves[i].move;
        const int from = MoveFrom(m), to = MoveTo(m);
        const int moving = b.board[from + 8];
        if (kind >= 0 && moving != kind) continue;
        if (toFile >= 0 && FileOf(to) != toFile) continue;
        if (toRank >= 0 && 7 - RowOf(to) != toRank) continue;
        if (fromFile >= 0 && FileOf(from) != fromFile) continue;
        if (fromRank >= 0 && 7 - RowOf(from) != fromRank) continue;
        // Only a promotion letter that was given is tested: "e8" names all
        // four promotions (and so parses to nothing), not another piece's move.
        if (promotion >= 0 && MovePromotion(m) != promotion) continue;
        if (kind < 0) {
            // Without a piece letter a pawn move wins over the other pieces.
            if (moving == Pawn && !pawnsOnly) {
                pawnsOnly = true;
                matches = 0;
            } else if (pawnsOnly && moving != Pawn) {
                continue;
            }
        }
        match = m;
        ++matches;
    }
    return matches == 1 ? match : 0;
}

} // namespace chess
