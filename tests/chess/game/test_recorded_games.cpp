// The recorded-game file: its layout, its names, and what a damaged file or
// a failed write does.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "chess/game/recorded_games.h"

namespace {

TEST(RecordedGames, HoldTheCountThenTheMoves) {
    EXPECT_EQ(EncodeRecordedGame({}), (std::vector<uint8_t>{0, 0, 0, 0}));
    const std::vector<uint8_t> two = EncodeRecordedGame({0x2264, 0x11A14});
    EXPECT_EQ(two, (std::vector<uint8_t>{2, 0, 0, 0, 0x64, 0x22, 0, 0, 0x14, 0x1A, 1, 0}));
    std::vector<chess::ChessMove> moves;
    std::string error;
    ASSERT_TRUE(DecodeRecordedGame(two, moves, &error)) << error;
    EXPECT_EQ(moves, (std::vector<chess::ChessMove>{0x2264, 0x11A14}));
}

TEST(RecordedGames, ACountThatDisagreesWithTheSizeIsRefused) {
    std::vector<chess::ChessMove> moves = {7};
    std::string error;
    for (const std::vector<uint8_t>& bad : {std::vector<uint8_t>{},
                                            {1, 0},
                                            {3, 0, 0, 0, 0x64, 0x22, 0, 0},
                                            {0xFF, 0xFF, 0xFF, 0xFF, 1, 2, 3, 4},
                                            {0, 0, 0, 0, 9},
                                            {1, 0, 0, 0, 0x64, 0x22, 0}}) {
        EXPECT_FALSE(DecodeRecordedGame(bad, moves, &error));
        EXPECT_FALSE(error.empty());
    }
    EXPECT_EQ(moves, std::vector<chess::ChessMove>{7}); // untouched
}

TEST(RecordedGames, NamesArePlainFileNames) {
    for (const char* good : {"t.gam", "My game.gam", "a", "x.GAM"})
        EXPECT_TRUE(IsValidRecordedGameName(good)) << good;
    for (const char* bad :
         {"", ".gam", ".GAM", "..", ".", "..gam", "../t.gam", "a/b.gam", "a\\b.gam", "/etc/passwd"})
        EXPECT_FALSE(IsValidRecordedGameName(bad)) << bad;
    EXPECT_FALSE(IsValidRecordedGameName(nullptr));
}

TEST(RecordedGames, WritingMakesTheFolderAndReportsFailures) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("rookfall_recorded_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::string error;
    const auto file = folder / "Recorded" / "a.gam";
    ASSERT_TRUE(WriteRecordedGame(file, {0x2264}, &error)) << error;
    std::vector<chess::ChessMove> moves;
    ASSERT_TRUE(ReadRecordedGame(file, moves, &error)) << error;
    EXPECT_EQ(moves, std::vector<chess::ChessMove>{0x2264});
    EXPECT_FALSE(ReadRecordedGame(folder / "Recorded" / "none.gam", moves, &error));

    // A folder that cannot be written to.
    const auto locked = folder / "locked";
    std::filesystem::create_directories(locked);
    chmod(locked.c_str(), 0500);
    if (access(locked.c_str(), W_OK) != 0) { // not when running as root
        error.clear();
        EXPECT_FALSE(WriteRecordedGame(locked / "b.gam", {0x2264}, &error));
        EXPECT_FALSE(error.empty());
    }
    // A file where the folder should be.
    std::filesystem::create_directories(folder / "plain");
    WriteRecordedGame(folder / "plain" / "x", {}, &error);
    error.clear();
    EXPECT_FALSE(WriteRecordedGame(folder / "plain" / "x" / "c.gam", {}, &error));
    EXPECT_FALSE(error.empty());
    chmod(locked.c_str(), 0700);
    std::filesystem::remove_all(folder);
}

} // namespace
