// The EPD reader: positions with their best moves, and bad lines refused.
#include "tests/chess/engine/engine_fixture.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace chess;
using chess_test::EngineTest;

namespace {

class EpdTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        folder_ = std::filesystem::temp_directory_path() /
                  ("chess_epd_test_" + std::to_string(getpid()) + "_" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }
    std::string Path(const char* name) const { return (folder_ / name).string(); }
    std::filesystem::path folder_;
};

} // namespace

TEST_F(EpdTest, EpdLinesSetPositionsAndBestMoves) {
    std::ofstream(Path("suite.epd")) << "r2qkb1r/pp2nppp/3p4/2pNN1B1/2BnP3/3P4/PPP2PPP/R2bK2R w "
                                        "KQkq - bm Nf6+; id \"mate in two\";\n"
                                     << "\n"
                                     << "8/P6k/8/8/8/8/8/K7 w - - bm a8=Q;\n";
    std::vector<EpdRecord> records;
    ASSERT_TRUE(ReadEpdFile(Path("suite").c_str(), records)) << EpdError();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].id, "mate in two");
    ASSERT_EQ(records[0].bestMoves.size(), 1u);
    EXPECT_STREQ(MoveToCoordinates(records[0].bestMoves[0]), "d5f6");
    EXPECT_STREQ(MoveToCoordinates(records[1].bestMoves[0]), "a7a8Q");
    EXPECT_STREQ(GetPosition(), "8/P6k/8/8/8/8/8/K7 w - -");

    std::ofstream(Path("broken.epd")) << "8/P6k/8/8/8/8/8/K7 w - - bm Qh4;\n";
    EXPECT_FALSE(ReadEpdFile(Path("broken").c_str(), records));
    EXPECT_NE(std::string(EpdError()).find("\"Qh4\""), std::string::npos) << EpdError();
    std::ofstream(Path("nofen.epd")) << "8/8/8 w bm e4;\n";
    EXPECT_FALSE(ReadEpdFile(Path("nofen").c_str(), records));
}
