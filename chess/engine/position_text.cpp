// Reading and writing the position text. Reading is lenient where the text
// can do no harm (a letter that names no piece leaves its square empty, any
// side but "w" is black, unknown castling letters are passed over) and
// strict where a position would break the engine's assumptions: everything
// is checked before the engine's position is touched.
#include "chess/engine/position_text.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "chess/engine/board.h"

namespace chess {

namespace {

char gPositionError[160] = "";
char gPositionText[100];

bool Refuse(const char* format, const char* detail = "") {
    std::snprintf(gPositionError, sizeof(gPositionError), format, detail);
    return false;
}

int KindOfLetter(char letter) {
    const char* found = std::strchr(kKindLetters, std::toupper(static_cast<unsigned char>(letter)));
    return found && letter != '\0' ? static_cast<int>(found - kKindLetters) : -1;
}

// Whether `square` is attacked by `bySide` on a plain colour/kind board.
bool AttackedOnBoard(const int* board, int square, int bySide) {
    const int pawnFrom[2][2] = {{15, 17}, {-17, -15}};
    for (int d : pawnFrom[bySide]) {
        const int s = square + d;
        if (OnBoard(s) && board[s] == bySide && board[s + 8] == Pawn) return true;
    }
    static const int knight[8] = {-33, -31, -18, -14, 14, 18, 31, 33};
    static const int lines[8] = {-17, -16, -15, -1, 1, 15, 16, 17};
    for (int d : knight) {
        const int s = square + d;
        if (OnBoard(s) && board[s] == bySide && board[s + 8] == Knight) return true;
    }
    for (int d : lines) {
        const bool diagonal = d == -17 || d == -15 || d == 15 || d == 17;
        for (int s = square + d, distance = 1; OnBoard(s); s += d, ++distance) {
            if (board[s] == kEmpty) continue;
            if (board[s] != bySide) break;
            const int kind = board[s + 8];
            if (kind == Queen || (kind == (diagonal ? Bishop : Rook)) ||
                (kind == King && distance == 1))
                return true;
            break;
        }
    }
    return false;
}

} // namespace

const char* PositionError() {
    return gPositionError;
}

bool SetPosition(const char* boardField, const char* sideField, const char* castlingField,
                 const char* epField) {
    gPositionError[0] = '\0';
    if (!boardField || !sideField || !castlingField || !epField)
        return Refuse("position text: a field is missing%s");

    int board[128];
    for (int& s : board)
        s = kEmpty;
    int row = 0, file = 0;
    int kings[2] = {0, 0}, pawns[2] = {0, 0}, men[2] = {0, 0};
    for (const char* c = boardField; *c; ++c) {
        const char ch = *c;
        if (ch == '/') {
            if (file != 8)
                return Refuse("position text: row %s does not have eight squares",
                              std::to_string(row + 1).c_str());
            if (++row > 7) return Refuse("position text: more than eight rows%s");
            file = 0;
        } else if (ch >= '0' && ch <= '9') {
            file += ch - '0';
            if (file > 8)
                return Refuse("position text: row %s is longer than eight squares",
                              std::to_string(row + 1).c_str());
        } else {
            const bool letter = std::isalpha(static_cast<unsigned char>(ch));
            const int kind = letter ? KindOfLetter(ch) : -1;
            if (!letter) {
                const char shown[2] = {ch, '\0'};
                return Refuse("position text: unknown character '%s' in the board", shown);
            }
            if (file >= 8)
                return Refuse("position text: row %s is longer than eight squares",
                              std::to_string(row + 1).c_str());
            if (kind < 0) { // names no piece: the square stays empty
                ++file;
                continue;
            }
            const int colour = std::isupper(static_cast<unsigned char>(ch)) ? White : Black;
            const int square = SquareOf(row, file++);
            board[square] = colour;
            board[square + 8] = kind;
            ++men[colour];
            if (kind == King) ++kings[colour];
            if (kind == Pawn) {
                ++pawns[colour];
                if (row == 0 || row == 7)
                    return Refuse("position text: a pawn stands on the first or last rank%s");
            }
        }
    }
    if (row != 7 || file != 8)
        return Refuse("position text: the board does not have eight rows of eight squares%s");
    static const char* const kSideNames[2] = {"white", "black"};
    for (int colour = 0; colour < 2; ++colour) {
        if (kings[colour] != 1)
            return Refuse("position text: %s does not have exactly one king", kSideNames[colour]);
        if (pawns[colour] > kMaxPawns)
            return Refuse("position text: %s has more than eight pawns", kSideNames[colour]);
        if (men[colour] > kMaxPieces)
            return Refuse("position text: %s has more than sixteen men", kSideNames[colour]);
    }

    const int side = std::strcmp(sideField, "w") == 0 ? White : Black;
    int kingSquare[2] = {-1, -1};
    for (int s = 0; s < 120; ++s)
        if (OnBoard(s) && board[s] != kEmpty && board[s + 8] == King) kingSquare[board[s]] = s;
    if (AttackedOnBoard(board, kingSquare[side ^ 1], side))
        return Refuse("position text: the side not to move is in check%s");

    int castle = 0;
    for (const char* c = castlingField; *c; ++c)
        if (const char* found = std::strchr("KQkq", *c)) castle |= 1 << (found - "KQkq");
    struct Home {
        int bit, king, rook, colour;
    };
    static const Home kHomes[4] = {
        {1, 116, 119, White}, {2, 116, 112, White}, {4, 4, 7, Black}, {8, 4, 0, Black}};
    for (const Home& home : kHomes) {
        if (!(castle & home.bit)) continue;
        if (board[home.king] != home.colour || board[home.king + 8] != King ||
            board[home.rook] != home.colour || board[home.rook + 8] != Rook)
            return Refuse("position text: castling right \"%s\" without king and rook at home",
                          std::string(1, "KQkq"[home.bit == 1   ? 0
                                                : home.bit == 2 ? 1
                                                : home.bit == 4 ? 2
                                                                : 3])
                              .c_str());
    }

    int ep = -1;
    if (std::strcmp(epField, "-") != 0) {
        if (std::strlen(epField) != 2 || epField[0] < 'a' || epField[0] > 'h' || epField[1] < '1' ||
            epField[1] > '8')
            return Refuse("position text: en-passant field \"%s\" is no square", epField);
        const int epFile = epField[0] - 'a';
        const int epRow = 8 - (epField[1] - '0');
        // White to move takes on the sixth rank behind a black pawn that just moved two squares.
        const int wantRow = side == White ? 2 : 5;
        const int forward = side == White ? 16 : -16; // from the target towards the pawn that moved
        const int square = SquareOf(epRow, epFile);
        if (epRow != wantRow || board[square] != kEmpty || board[square - forward] != kEmpty ||
            board[square + forward] != (side ^ 1) || board[square + forward + 8] != Pawn)
            return Refuse("position text: en-passant square \"%s\" is impossible here", epField);
        ep = square;
    }

    ChessBoard& b = gBoard;
    for (int s = 0; s < 128; ++s)
        b.board[s] = board[s];
    b.side = side;
    b.castle = castle;
    b.ep = ep;
    b.fifty = 0;
    NewGame(false);
    return true;
}

bool SetPositionText(const char* text) {
    gPositionError[0] = '\0';
    if (!text) return Refuse("position text: no text%s");
    std::string fields[6];
    int count = 0;
    for (const char* c = text; *c;) {
        while (*c && std::isspace(static_cast<unsigned char>(*c)))
            ++c;
        if (!*c) break;
        if (count == 6) return Refuse("position text: too many fields%s");
        const char* start = c;
        while (*c && !std::isspace(static_cast<unsigned char>(*c)))
            ++c;
        fields[count++].assign(start, c);
    }
    if (count < 4)
        return Refuse("position text: expected board, side, castling and en-passant fields%s");
    for (int i = 4; i < count; ++i) {
        for (char ch : fields[i])
            if (!std::isdigit(static_cast<unsigned char>(ch)))
                return Refuse("position text: move counter \"%s\" is no number", fields[i].c_str());
    }
    return SetPosition(fields[0].c_str(), fields[1].c_str(), fields[2].c_str(), fields[3].c_str());
}

const char* GetPosition() {
    const ChessBoard& b = gBoard;
    char* out = gPositionText;
    for (int row = 0; row < 8; ++row) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const int s = SquareOf(row, file);
            if (b.board[s] == kEmpty) {
                ++empty;
                continue;
            }
            if (empty) *out++ = static_cast<char>('0' + empty);
            empty = 0;
            const char letter = kKindLetters[b.board[s + 8]];
            *out++ = b.board[s] == White ? letter : static_cast<char>(std::tolower(letter));
        }
        if (empty) *out++ = static_cast<char>('0' + empty);
        if (row < 7) *out++ = '/';
    }
    *out++ = ' ';
    *out++ = b.side == White ? 'w' : 'b';
    *out++ = ' ';
    if (b.castle == 0) *out++ = '-';
    for (int i = 0; i < 4; ++i)
        if (b.castle & (1 << i)) *out++ = "KQkq"[i];
    *out++ = ' ';
    if (b.ep < 0) {
        *out++ = '-';
    } else {
        *out++ = static_cast<char>('a' + FileOf(b.ep));
        *out++ = static_cast<char>('0' + 8 - RowOf(b.ep));
    }
    *out = '\0';
    return gPositionText;
}

} // namespace chess
