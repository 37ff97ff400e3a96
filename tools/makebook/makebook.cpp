// makebook [book.pgn] [stobor.bk] [--threshold N]
// Counts the opening moves of a PGN collection, then asks for the smallest
// number of times a move must have been played to enter the book, shows the
// resulting size and writes the book on "y". With --threshold it asks nothing.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "chess/engine/chess_engine.h"

using namespace chess;

int main(int argc, char** argv) {
    const char* pgnPath = "book.pgn";
    const char* bookPath = kBookFileName;
    long threshold = -1;
    int plain = 0;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--threshold") == 0 && i + 1 < argc) {
            threshold = std::strtol(argv[++i], nullptr, 10);
            if (threshold < 1) threshold = 1;
        } else if (plain == 0) {
            pgnPath = argv[i], ++plain;
        } else if (plain == 1) {
            bookPath = argv[i], ++plain;
        } else {
            std::fprintf(stderr, "usage: makebook [book.pgn] [stobor.bk] [--threshold N]\n");
            return 2;
        }
    }
    InitEngine();
    CloseBook();
    BookMaker maker;
    if (!maker.AddGames(pgnPath)) {
        std::fprintf(stderr, "makebook: %s\n", maker.Error().c_str());
        return 1;
    }
    std::printf("%d games, %" PRIu32 " positions and moves\n", maker.Games(), maker.Records());
    if (maker.StoppedGames() > 0)
        std::printf("%d games stopped at a bad move; the first: %s\n", maker.StoppedGames(),
                    maker.FirstProblem().c_str());
    if (maker.Full()) std::printf("the counting table is full; later moves were not counted\n");

    while (threshold < 1) {
        int asked = 0;
        std::printf("Threshold: ");
        std::fflush(stdout);
        if (std::scanf("%d", &asked) != 1) return 1;
        if (asked < 1) continue;
        std::printf("Resulting book size: %" PRIu64 " bytes. Make book? ",
                    maker.BookBytes(static_cast<uint32_t>(asked)));
        std::fflush(stdout);
        char answer[64];
        if (std::scanf("%63s", answer) != 1) return 1;
        if (answer[0] == 'y') threshold = asked;
    }
    if (!maker.Write(bookPath, static_cast<uint32_t>(threshold))) {
        std::fprintf(stderr, "makebook: %s\n", maker.Error().c_str());
        return 1;
    }
    if (!OpenBook(bookPath)) {
        std::fprintf(stderr, "makebook: the written book does not read back: %s\n", BookError());
        return 1;
    }
    std::printf("wrote %s: %" PRIu32 " slots\n", bookPath, BookSlotCount());
    return 0;
}
