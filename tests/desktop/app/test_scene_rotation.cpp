// Random scenes: the files taking part, and a pick that never repeats the
// current scene when another exists, nor loops when only case twins do.
#include "desktop/app/scene_files.h"
#include "desktop/scene/object/random_generator.h"
#include "tests/platform/test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>

using namespace lumivane;

namespace {

void Touch(const std::filesystem::path& path) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "MISS";
}

} // namespace

TEST(LvSceneRotation, OnlySceneFilesTakePartAndAtMostAHundred) {
    platform_test::TempDir root;
    EXPECT_TRUE(ListSceneFiles(root.Path()).empty()); // no folder at all
    const auto scenes = root.Path() / "Scenes";       // any letter case
    std::filesystem::create_directories(scenes / "folder.mis");
    Touch(scenes / "notes.txt");
    Touch(scenes / "B.MIS");
    Touch(scenes / "a.mis");
    EXPECT_EQ(ListSceneFiles(root.Path()), (std::vector<std::string>{"B.MIS", "a.mis"}));
    for (int i = 0; i < 120; ++i)
        Touch(scenes / ("s" + std::to_string(1000 + i) + ".mis"));
    const auto many = ListSceneFiles(root.Path());
    ASSERT_EQ(many.size(), kMaxRandomScenes);
    EXPECT_EQ(many.front(), "B.MIS");
}

TEST(LvSceneRotation, APickNeverRepeatsTheCurrentSceneAndNeverLoops) {
    RandomGenerator random;
    // One scene: it is reloaded, the generator untouched.
    EXPECT_EQ(ChooseRandomScene({"only.mis"}, "only.mis", random), "only.mis");
    EXPECT_EQ(random.State(), 0u);
    // Two: always the other one.
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(ChooseRandomScene({"a.mis", "b.mis"}, "A.MIS", random), "b.mis");
    // Case twins of the current scene only: it stays, and the pick ends.
    EXPECT_EQ(ChooseRandomScene({"a.mis", "A.mis"}, "a.mis", random), "a.mis");
    // Among several, each of the others comes up and the current never.
    std::vector<std::string> names = {"a.mis", "b.mis", "c.mis", "d.mis"};
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i)
        seen.insert(ChooseRandomScene(names, "c.mis", random));
    EXPECT_EQ(seen, (std::set<std::string>{"a.mis", "b.mis", "d.mis"}));
}
