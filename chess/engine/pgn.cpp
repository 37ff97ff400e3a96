// PGN writing and reading.
#include "chess/engine/pgn.h"

#include <cctype>
#include <vector>

#include "chess/engine/makemove.h"
#include "chess/engine/movegen.h"
#include "chess/engine/notation.h"
#include "chess/engine/position_text.h"

namespace chess {

namespace {

std::string gError;

bool Fail(const std::string& message) {
    gError = message;
    return false;
}

// The game's moves from its start; the position is taken back to that start.
std::vector<ChessMove> TakeBackToStart() {
    ChessBoard& b = gBoard;
    std::vector<ChessMove> moves;
    for (int i = 0; i < b.hply; ++i)
        moves.push_back(b.history[i].move);
    while (b.hply > 0)
        UnmakeMove();
    BuildLegalMoves(false);
    return moves;
}

void ReplayFromStart(const std::vector<ChessMove>& moves) {
    for (ChessMove m : moves) {
        if (!MakeMove(m)) break;
        BuildLegalMoves(false);
    }
}

// Splits text into the four position fields at blanks, quotes and "]".
bool SetPositionFromTag(const std::string& text) {
    std::vector<std::string> fields;
    std::string field;
    for (char c : text) {
        if (c == ' ' || c == '"' || c == ']' || c == '\t' || c == '\r' || c == '\n') {
            if (!field.empty()) fields.push_back(field);
            field.clear();
        } else {
            field += c;
        }
    }
    if (!field.empty()) fields.push_back(field);
    // fields[0] is the tag name itself.
    if (fields.size() < 5) return false;
    return SetPosition(fields[1].c_str(), fields[2].c_str(), fields[3].c_str(), fields[4].c_str());
}

} // namespace

const char* PgnError() {
    return gError.c_str();
}

PgnToken NextPgnToken(std::FILE* file, std::string& text) {
    text.clear();
    int c;
    do {
        c = std::fgetc(file);
    } while (c != EOF && std::isspace(c));
    if (c == EOF) return PgnToken::End;
    if (c == '[') {
        text += '[';
        while ((c = std::fgetc(file)) != EOF && c != '\n') {
            if (text.size() < 4096) text += static_cast<char>(c);
        }
        return PgnToken::Tag;
    }
    std::string token(1, static_cast<char>(c));
    while ((c = std::fgetc(file)) != EOF && !std::isspace(c)) {
        if (token.size() < 256) token += static_cast<char>(c);
    }
    // A move number ending in "." may lead the move ("12.Nf3", "12...Nf6").
    size_t start = 0;
    while (start < token.size() && std::isdigit(static_cast<unsigned char>(token[start])))
        ++start;
    if (start < token.size() && token[start] == '.') {
        while (start < token.size() && token[start] == '.')
            ++start; // also "..." alone
    } else {
        start = 0;
    }
    text = token.substr(start);
    if (text.empty() || text[0] == '*' || std::isdigit(static_cast<unsigned char>(text[0])))
        return PgnToken::Skip;
    return PgnToken::Move;
}

bool WriteMoveText(std::FILE* file) {
    ChessBoard& b = gBoard;
    const std::vector<ChessMove> moves = TakeBackToStart();
    int moveNumber = 1;
    int halfMoves = 0;
    bool lineEnded = true;
    if (b.side == Black) {
        std::fputs("1. ... ", file);
        lineEnded = false;
    }
    for (ChessMove m : moves) {
        if (b.side == White) {
            std::fprintf(file, "%d. ", moveNumber);
        }
        const char* san = MoveToSanAndPlay(m);
        if (!*san) break; // cannot happen for moves that were made
        std::fprintf(file, "%s ", san);
        if (b.side == White) ++moveNumber; // black just moved
        lineEnded = false;
        if (++halfMoves % 10 == 0) {
            std::fputc('\n', file);
            lineEnded = true;
        }
    }
    if (!lineEnded) std::fputc('\n', file);
    return std::ferror(file) == 0;
}

bool SavePgn(const char* path) {
    const std::string name = std::string(path) + ".pgn";
    std::FILE* file = std::fopen(name.c_str(), "w");
    if (!file) return Fail("cannot write " + name);
    static const char* const kTags[] = {"Event", "Site",  "Date",  "Round",
                                        "White", "Black", "Result"};
    for (const char* tag : kTags)
        std::fprintf(file, "[%s \"\"]\n", tag);
    if (gBoard.setupPosition) {
        const std::vector<ChessMove> moves = TakeBackToStart();
        std::fprintf(file, "[SetUp \"1\"]\n[FEN \"%s\"]\n", GetPosition());
        ReplayFromStart(moves);
    }
    const bool written = WriteMoveText(file);
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) return Fail("cannot write " + name);
    gError.clear();
    return true;
}

bool LoadPgn(const char* path) {
    const std::string name = std::string(path) + ".pgn";
    std::FILE* file = std::fopen(name.c_str(), "r");
    if (!file) return Fail("cannot open " + name);
    NewGame(true);
    std::string token;
    bool ok = true;
    for (;;) {
        const PgnToken kind = NextPgnToken(file, token);
        if (kind == PgnToken::End) break;
        if (kind == PgnToken::Tag) {
            if (token.find("FEN") != std::string::npos && !SetPositionFromTag(token)) {
                ok = Fail(name + ": bad FEN tag: " + PositionError());
                break;
            }
            continue;
        }
        if (kind == PgnToken::Skip) continue;
        const ChessMove m = ParseMove(token.c_str());
        if (m == 0 || !MakeMove(m)) {
            ok = Fail(name + ": illegal or unreadable move \"" + token + "\" after " +
                      std::to_string(gBoard.hply) + " half moves");
            break;
        }
        BuildLegalMoves(false);
    }
    std::fclose(file);
    if (ok) gError.clear();
    return ok;
}

} // namespace chess
