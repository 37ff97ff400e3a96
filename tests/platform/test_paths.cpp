// Path resolver: backslash names in any case find the real file, missing
// ones are reported, and the base folder cannot be left.
#include "platform/paths.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

using namespace platform;
namespace fs = std::filesystem;

namespace {

void Touch(const fs::path& p) {
    fs::create_directories(p.parent_path());
    std::ofstream(p) << "x";
}

} // namespace

TEST(Paths, BackslashNamesResolveCaseInsensitively) {
    platform_test::TempDir dir;
    const fs::path table = dir.Path() / "modules" / "Chess" / "Park" / "table.jtm";
    Touch(table);
    auto found = ResolvePath(dir.Path(), "MODULES\\Chess\\Park\\TABLE.JTM");
    ASSERT_TRUE(found);
    EXPECT_EQ(*found, table);
    EXPECT_EQ(ResolvePath(dir.Path(), "modules/chess\\\\park/./Table.jtm"), table);
    EXPECT_EQ(ResolvePath(dir.Path(), "modules\\chess\\park\\..\\Park\\table.jtm"), table);
    EXPECT_EQ(ResolvePath(dir.Path(), "Modules\\Chess"), dir.Path() / "modules" / "Chess");
    // An absolute name is taken from the root.
    std::string absolute = dir.Str() + "/MODULES/chess/park/table.JTM";
    EXPECT_EQ(ResolvePath("/nonexistent", absolute), table);
}

TEST(Paths, MissingFilesAreReportedNotGuessed) {
    platform_test::TempDir dir;
    Touch(dir.Path() / "modules" / "Chess" / "table.jtm");
    EXPECT_FALSE(ResolvePath(dir.Path(), "modules\\Chess\\board.jtm"));
    EXPECT_FALSE(ResolvePath(dir.Path(), "modules\\Fire\\table.jtm"));
    // A file used as a folder does not resolve.
    EXPECT_FALSE(ResolvePath(dir.Path(), "modules\\Chess\\table.jtm\\x"));
    EXPECT_FALSE(ResolvePath(dir.Path(), ""));
    // ".." never leads out of the base.
    EXPECT_FALSE(ResolvePath(dir.Path() / "modules", "..\\modules\\Chess\\table.jtm"));
}

TEST(Paths, ExactMatchWinsOverOtherCases) {
    platform_test::TempDir dir;
    Touch(dir.Path() / "Data" / "a.txt");
    Touch(dir.Path() / "data" / "b.txt");
    EXPECT_EQ(ResolvePath(dir.Path(), "data\\B.TXT"), dir.Path() / "data" / "b.txt");
    EXPECT_EQ(ResolvePath(dir.Path(), "Data\\A.txt"), dir.Path() / "Data" / "a.txt");
    EXPECT_FALSE(ResolvePath(dir.Path(), "Data\\b.txt"));
}

TEST(Paths, CreateKeepsANewLastNameButNeedsItsFolders) {
    platform_test::TempDir dir;
    Touch(dir.Path() / "Recorded" / "old.gam");
    EXPECT_EQ(ResolvePathForCreate(dir.Path(), "RECORDED\\new.gam"),
              dir.Path() / "Recorded" / "new.gam");
    EXPECT_EQ(ResolvePathForCreate(dir.Path(), "recorded\\OLD.GAM"),
              dir.Path() / "Recorded" / "old.gam");
    EXPECT_FALSE(ResolvePathForCreate(dir.Path(), "Missing\\new.gam"));
}

TEST(Paths, LenientResolutionMatchesWhatExistsAndKeepsTheRest) {
    platform_test::TempDir dir;
    Touch(dir.Path() / "Recorded" / "old.gam");
    EXPECT_EQ(ResolvePathLeniently(dir.Path(), "RECORDED\\New\\game.GAM"),
              dir.Path() / "Recorded" / "New" / "game.GAM");
    EXPECT_EQ(ResolvePathLeniently(dir.Path(), "recorded\\OLD.gam"),
              dir.Path() / "Recorded" / "old.gam");
    EXPECT_FALSE(ResolvePathLeniently(dir.Path(), "..\\outside"));
    EXPECT_FALSE(ResolvePathLeniently(dir.Path(), ""));
}

TEST(Paths, ProgramFolderFollowsTheOverride) {
    const char* saved = std::getenv("JENTRA_RUNTIME_DIR");
    std::string keep = saved ? saved : "";
    setenv("JENTRA_RUNTIME_DIR", "/opt/somewhere", 1);
    EXPECT_EQ(ProgramFolder(), fs::path("/opt/somewhere"));
    unsetenv("JENTRA_RUNTIME_DIR");
    EXPECT_EQ(ProgramFolder(), platform_test::TestProgramFolder());
    if (saved) setenv("JENTRA_RUNTIME_DIR", keep.c_str(), 1);

    EXPECT_EQ(UserDataFolder().filename(), "quellmar");
}
