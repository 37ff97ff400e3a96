// searchbench [--level N] < positions.epd
// Runs Think on each EPD line ("<position> [bm <move>;]") with fresh tables,
// no book and a fixed seed, printing the chosen move and the nodes searched.
// The node counts are a fingerprint of the search: they must not change
// unless the search's behaviour does. Speed goes to stderr as well as the end.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "chess/engine/chess_engine.h"

using namespace chess;

int main(int argc, char** argv) {
    int level = 9;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--level") == 0 && i + 1 < argc) {
            char* end = nullptr;
            level = static_cast<int>(std::strtol(argv[++i], &end, 10));
            if (!end || *end || level < 0 || level > 9) {
                std::fprintf(stderr, "searchbench: level must be 0..9\n");
                return 2;
            }
        } else {
            std::fprintf(stderr, "usage: searchbench [--level 0..9] < positions.epd\n");
            return 2;
        }
    }
    InitEngine();
    CloseBook();
    SetHashSize(2097152);
    SetPawnHashSize(1048576);
    SetLevel(level);

    char line[1024];
    int positions = 0, solved = 0, withAnswer = 0;
    uint64_t totalNodes = 0;
    double seconds = 0;
    while (std::fgets(line, sizeof(line), stdin)) {
        const char* c = line;
        while (*c == ' ' || *c == '\t')
            ++c;
        if (*c == '\n' || *c == '\0' || *c == '#') continue;
        EpdRecord record;
        if (!ReadEpdLine(line, record)) {
            std::fprintf(stderr, "searchbench: %s\n", EpdError());
            return 1;
        }
        ClearHash();
        ClearPawnHash();
        SeedRandom(1);
        const auto start = std::chrono::steady_clock::now();
        const ChessMove m = Think();
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        totalNodes += SearchNodes();
        ++positions;
        bool good = false;
        for (ChessMove best : record.bestMoves)
            good = good || best == m;
        if (!record.bestMoves.empty()) {
            ++withAnswer;
            if (good) ++solved;
        }
        std::printf("%3d %-6s nodes %8" PRIu64 " score %6d%s\n", positions,
                    m ? MoveToCoordinates(m) : "none", SearchNodes(), SearchScore(),
                    record.bestMoves.empty() ? ""
                    : good                   ? "  solved"
                                             : "  missed");
    }
    const double nps = seconds > 0 ? static_cast<double>(totalNodes) / seconds : 0;
    std::printf("solved %d of %d\n", solved, withAnswer);
    std::printf("nodes %" PRIu64 " in %.3f s: %.0f nodes/s\n", totalNodes, seconds, nps);
    return 0;
}
