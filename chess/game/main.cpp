// Rookfall's entry point: the command line's words joined as one line, as
// the game reads it ("/saver", "/safe", "-host", "-connect <host>", ...).
#include <string>
#include <vector>

#include "chess/game/chess_game.h"

int main(int argc, char** argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) line += ' ';
        line += argv[i];
    }
    std::vector<char> commandLine(line.begin(), line.end());
    commandLine.push_back('\0');
    return ChessWinMain(nullptr, commandLine.data());
}
