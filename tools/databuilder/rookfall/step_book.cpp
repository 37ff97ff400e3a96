// Writes the opening book "stobor.bk" into the runtime folder from the
// opening lines in data/book.pgn. Every move there must be legal: a bad line
// fails the build rather than silently shortening the book.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>

#include "chess/engine/chess_engine.h"

DATABUILDER_STEP(WriteOpeningBook, "book") {
    const std::filesystem::path source = context.dataSources / "book.pgn";
    const std::filesystem::path target = context.runtime / chess::kBookFileName;
    chess::InitEngine();
    chess::CloseBook();
    chess::BookMaker maker(1 << 20);
    if (!maker.AddGames(source.c_str())) {
        std::fprintf(stderr, "book: %s\n", maker.Error().c_str());
        return false;
    }
    if (maker.StoppedGames() > 0 || maker.Full() || maker.Games() == 0) {
        std::fprintf(stderr, "book: %s\n",
                     maker.Games() == 0 ? "no games"
                     : maker.Full()     ? "table full"
                                        : maker.FirstProblem().c_str());
        return false;
    }
    if (!maker.Write(target.c_str(), 1)) {
        std::fprintf(stderr, "book: %s\n", maker.Error().c_str());
        return false;
    }
    if (!chess::OpenBook(target.c_str())) {
        std::fprintf(stderr, "book: written book does not read back: %s\n", chess::BookError());
        return false;
    }
    chess::CloseBook();
    return true;
}
