// The world table: piece model names, styles and the parking places beside
// the board; the search for custom world folders.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "chess/engine/board.h"
#include "chess/game/chess_constants.h"
#include "chess/game/custom_worlds.h"
#include "chess/game/loading_list.h"
#include "chess/game/world_table.h"

TEST(WorldTable, NamesEachWorldsPieceModels) {
    EXPECT_EQ(PieceModelName(kWorldPark, nullptr, 0, 0), "Chess\\Park\\ClassicPawnLight.jtm");
    EXPECT_EQ(PieceModelName(kWorldPark, nullptr, 1, 5), "Chess\\Park\\ClassicKingDark.jtm");
    EXPECT_EQ(PieceModelName(kWorldFireAndIce, nullptr, 0, 1),
              "Chess\\Fire and Ice\\Ice Pieces\\IceKnight.jtm");
    EXPECT_EQ(PieceModelName(kWorldFireAndIce, nullptr, 1, 4),
              "Chess\\Fire and Ice\\Fire Pieces\\FireQueen.jtm");
    EXPECT_EQ(PieceModelName(kWorldHolographic, nullptr, 1, 3), "Chess\\Matrix\\BlueRook.jtm");
    EXPECT_EQ(PieceModelName(kWorldFirstCustom, "Marble", 0, 2), "Chess\\Marble\\WhiteBishop.jtm");
    EXPECT_EQ(PieceModelName(kWorldNone, nullptr, 0, 0), "");
    EXPECT_EQ(PieceStyle(kWorldFireAndIce, 0), kStyleIce);
    EXPECT_EQ(PieceStyle(kWorldFireAndIce, 1), kStyleFire);
    EXPECT_EQ(PieceStyle(kWorldHolographic, 1), kStyleHolographic);
    EXPECT_EQ(PieceStyle(kWorldFirstCustom + 2, 1), kStylePark);
}

TEST(WorldTable, ParkingPlacesFillTwoRowsBesideTheBoard) {
    // Black's pawns from slot 0, in pairs towards +z; White's mirrored.
    const JTVec3 first = ParkingPlace(kWorldPark, 1, 0);
    EXPECT_FLOAT_EQ(first.x, -5.5f);
    EXPECT_FLOAT_EQ(first.y, -0.05f);
    EXPECT_FLOAT_EQ(first.z, -3.0f);
    const JTVec3 second = ParkingPlace(kWorldPark, 1, 1);
    EXPECT_FLOAT_EQ(second.x, -6.25f);
    EXPECT_FLOAT_EQ(second.z, -3.0f);
    const JTVec3 king = ParkingPlace(kWorldHolographic, 1, FirstParkingSlot(5));
    EXPECT_FLOAT_EQ(king.x, -6.25f);
    EXPECT_FLOAT_EQ(king.z, 2.25f);
    const JTVec3 white = ParkingPlace(kWorldPark, 0, 3);
    EXPECT_FLOAT_EQ(white.x, 6.25f);
    EXPECT_FLOAT_EQ(white.z, 2.25f);
    const JTVec3 ledge = ParkingPlace(kWorldFireAndIce, 0, 0);
    EXPECT_FLOAT_EQ(ledge.x, 12.0f);
    EXPECT_FLOAT_EQ(ledge.y, -5.0f);
    // Custom worlds stand on the park's table and park beside the board too.
    EXPECT_FLOAT_EQ(ParkingPlace(kWorldFirstCustom, 1, 0).x, -5.5f);
    EXPECT_EQ(FirstParkingSlot(chess::Bishop), 10);
}

TEST(WorldTable, IntroLoadsEveryBuiltInPieceSceneryAndEffect) {
    ASSERT_EQ(GetLoadingCount(), 36 + 7 + 10);
    EXPECT_STREQ(GetLoadingItem(0)->name, "Chess\\Park\\ClassicPawnLight.jtm");
    EXPECT_FALSE(GetLoadingItem(0)->prototype);
    EXPECT_STREQ(GetLoadingItem(35)->name, "Chess\\Matrix\\BlueKing.jtm");
    EXPECT_STREQ(GetLoadingItem(43)->name, "Clouds");
    EXPECT_TRUE(GetLoadingItem(43)->prototype);
    EXPECT_EQ(GetLoadingItem(53), nullptr);
}

TEST(CustomWorlds, AreFoldersOtherThanTheBuiltInOnes) {
    const auto folder =
        std::filesystem::temp_directory_path() / ("rookfall_worlds_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    for (const char* name :
         {"Marble", "park", "MATRIX", "Fire and Ice", "custom template", "Logo", "Glass"})
        std::filesystem::create_directories(folder / name);
    // Files beside the worlds are no worlds.
    std::ofstream(folder / "arrow2.jtm") << "x";
    std::ofstream(folder / "Intro.jtm") << "x";
    const std::vector<std::string> found = FindCustomWorlds(folder.c_str());
    EXPECT_EQ(found, (std::vector<std::string>{"Glass", "Marble"}));
    EXPECT_TRUE(FindCustomWorlds((folder / "missing").c_str()).empty());
    std::filesystem::remove_all(folder);
}
