// The recorded-game file format and its folder, and the game's saving,
// loading and replaying of recorded games.
#include "chess/game/recorded_games.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "Jentra/JTDataFolder.h"
#include "chess/game/chess_game.h"
#include "platform/binary_io.h"

namespace {

constexpr const char* kExtension = ".gam";
// No game comes near this many moves; a bigger file is not a recorded game.
constexpr uint64_t kMaxMoves = 1u << 20;

} // namespace

bool IsValidRecordedGameName(const char* name) {
    if (!name || !*name) return false;
    if (std::strchr(name, '/') || std::strchr(name, '\\')) return false;
    std::string stem = name;
    const size_t n = std::strlen(kExtension);
    if (stem.size() >= n && strcasecmp(stem.c_str() + stem.size() - n, kExtension) == 0)
        stem.resize(stem.size() - n);
    return !stem.empty() && stem != "." && stem != "..";
}

std::filesystem::path RecordedGamesFolder() {
    return JTResolveDataPath("Recorded");
}

std::vector<uint8_t> EncodeRecordedGame(const std::vector<chess::ChessMove>& moves) {
    std::vector<uint8_t> data;
    data.reserve(4 + 4 * moves.size());
    auto put = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            data.push_back(uint8_t(v >> (8 * i)));
    };
    put(uint32_t(moves.size()));
    for (chess::ChessMove m : moves)
        put(m);
    return data;
}

bool DecodeRecordedGame(const std::vector<uint8_t>& data, std::vector<chess::ChessMove>& moves,
                        std::string* error) {
    platform::MemoryReader reader(data);
    uint32_t count = 0;
    if (!reader.ReadU32(count)) {
        if (error) *error = "the file is shorter than its move count";
        return false;
    }
    if (uint64_t(count) * 4 != reader.Remaining()) {
        if (error)
            *error = "the file holds " + std::to_string(reader.Remaining()) +
                     " bytes of moves, not the " + std::to_string(uint64_t(count) * 4) +
                     " its count of " + std::to_string(count) + " needs";
        return false;
    }
    std::vector<chess::ChessMove> read(count);
    for (chess::ChessMove& m : read)
        reader.ReadU32(m);
    if (reader.Failed()) {
        if (error) *error = "the moves cannot be read";
        return false;
    }
    moves = std::move(read);
    return true;
}

bool WriteRecordedGame(const std::filesystem::path& file,
                       const std::vector<chess::ChessMove>& moves, std::string* error) {
    std::error_code made;
    std::filesystem::create_directories(file.parent_path(), made);
    if (made) {
        if (error) *error = "cannot make " + file.parent_path().string() + ": " + made.message();
        return false;
    }
    return platform::WriteWholeFile(file, EncodeRecordedGame(moves), error);
}

bool ReadRecordedGame(const std::filesystem::path& file, std::vector<chess::ChessMove>& moves,
                      std::string* error) {
    std::vector<uint8_t> data;
    if (!platform::ReadWholeFile(file, data, error, 4 + 4 * kMaxMoves)) return false;
    return DecodeRecordedGame(data, moves, error);
}

bool ChessGame::SaveRecordedGame(const char* name) {
    if (!IsValidRecordedGameName(name)) {
        std::fprintf(stderr, "Rookfall: \"%s\" is no name for a recorded game\n", name ? name : "");
        ShowNotice("That name cannot be used: try another");
        return false;
    }
    const std::vector<chess::ChessMove> played(moves.GetData(), moves.GetData() + moves.GetCount());
    std::string error;
    if (!WriteRecordedGame(RecordedGamesFolder() / name, played, &error)) {
        std::fprintf(stderr, "Rookfall: the game cannot be saved as \"%s\": %s\n", name,
                     error.c_str());
        ShowNotice("The game could not be saved");
        return false;
    }
    return true;
}

bool ChessGame::LoadRecordedGame(const char* name) {
    if (!IsValidRecordedGameName(name)) return false;
    std::vector<chess::ChessMove> loaded;
    std::string error;
    if (!ReadRecordedGame(JTResolveDataPath((std::string("Recorded\\") + name).c_str()), loaded,
                          &error)) {
        std::fprintf(stderr, "Rookfall: the recorded game \"%s\" cannot be read: %s\n", name,
                     error.c_str());
        ShowNotice("This recorded game cannot be read");
        return false;
    }
    while (replay.GetCount() > 0)
        replay.RemoveLast();
    if (!replay.Reserve(int(loaded.size()))) return false;
    for (chess::ChessMove m : loaded)
        replay.Add(m);
    replayIndex = 0;
    return true;
}

bool ChessGame::ReplayRecordedGame(const char* name) {
    // The running game goes only once the recorded one could be read.
    if (!LoadRecordedGame(name)) return false;
    StartNewGame();
    SetPlayers(kPlayerReplay, kPlayerReplay);
    // Followed from White's side, as a player sees a game; the drifting
    // view is the screensaver's and the menus'.
    PlaceCameraBehind(chess::White);
    return true;
}
