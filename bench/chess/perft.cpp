// perft "<position text>" <depth> [--divide]
// Counts the leaf nodes of the legal-move tree with the engine's Perft. The
// count is the last line of stdout; time and speed go to stderr.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chess/engine/chess_engine.h"

using namespace chess;

int main(int argc, char** argv) {
    const char* position = nullptr;
    int depth = -1;
    bool divide = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--divide") == 0) {
            divide = true;
        } else if (!position) {
            position = argv[i];
        } else if (depth < 0) {
            char* end = nullptr;
            depth = static_cast<int>(std::strtol(argv[i], &end, 10));
            if (!end || *end) depth = -2;
        } else {
            depth = -2;
        }
    }
    if (!position || depth < 0 || depth >= kMaxPly) {
        std::fprintf(stderr, "usage: perft \"<position text>\" <depth 0..%d> [--divide]\n",
                     kMaxPly - 1);
        return 2;
    }
    InitEngine();
    if (std::strcmp(position, "startpos") != 0 && !SetPositionText(position)) {
        std::fprintf(stderr, "perft: %s\n", PositionError());
        return 1;
    }
    const auto start = std::chrono::steady_clock::now();
    uint64_t total = 0;
    if (divide && depth > 0) {
        for (int i = 0; i < LegalMoveCount(); ++i) {
            const ChessMove m = LegalMove(i);
            if (!MakeMove(m)) continue;
            const uint64_t count = Perft(depth - 1);
            UnmakeMove();
            std::printf("%s: %" PRIu64 "\n", MoveToCoordinates(m), count);
            total += count;
        }
    } else {
        total = Perft(depth);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%" PRIu64 "\n", total);
    std::fprintf(stderr, "time %.3f s, %.1f million nodes/s\n", seconds,
                 seconds > 0 ? static_cast<double>(total) / seconds / 1e6 : 0.0);
    return 0;
}
