// The models the data builder wrote load and save again to the same bytes,
// through the engine's object files and through the developer tool that
// does so.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/units/unit_class_headers.h"
#include "platform/binary_io.h"
#include "platform/paths.h"
#include "tests/desktop/scene/scene_test_support.h"

namespace lumivane {
namespace {

namespace fs = std::filesystem;

TEST(LvObjectFile, BuiltModelsResaveToTheSameBytes) {
    const fs::path runtime = platform::ProgramFolder();
    const fs::path models = runtime / "LumivaneData" / "models";
    const fs::path tool = runtime.parent_path() / "tool-bin" / "vrndump";
    ASSERT_TRUE(fs::is_directory(models)) << models;
    ASSERT_TRUE(fs::exists(tool)) << tool;
    const fs::path scratch = fs::temp_directory_path() / ("lvmodels-" + std::to_string(getpid()));
    fs::create_directories(scratch);

    const auto expectSameBytes = [](const fs::path& original, const fs::path& resaved) {
        std::vector<uint8_t> before, after;
        ASSERT_TRUE(platform::ReadWholeFile(original, before));
        ASSERT_TRUE(platform::ReadWholeFile(resaved, after));
        EXPECT_EQ(before, after) << original;
    };
    // Every model in this process (a program for each would be slow), then
    // one through the tool.
    int checked = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(models)) {
        if (entry.path().extension() != ".vrn") continue;
        const fs::path out = scratch / entry.path().filename();
        auto object = test::Own(LoadObjectFile(entry.path()));
        ASSERT_TRUE(object) << entry.path();
        std::string error;
        ASSERT_TRUE(SaveObjectFile(out, object.get(), &error)) << entry.path() << ": " << error;
        expectSameBytes(entry.path(), out);
        ++checked;
    }
    const fs::path toolOut = scratch / "by_tool.vrn";
    const std::string command = "'" + tool.string() + "' --resave '" +
                                (models / "capitolship.vrn").string() + "' '" + toolOut.string() +
                                "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    expectSameBytes(models / "capitolship.vrn", toolOut);
    EXPECT_GE(checked, 3); // sphere, quad and ring at least

    auto sphere = test::Own(LoadObjectFile(models / "sphere.vrn"));
    ASSERT_TRUE(sphere);
    ASSERT_EQ(sphere->classId, uint8_t(ClassId::GeoNode));
    auto* geo = static_cast<GeoNode*>(sphere.get());
    EXPECT_EQ(geo->vertexCount, 17 * 25);
    EXPECT_NEAR(geo->Vertices()[0].position.y, 1.0f, 1e-6f);
    fs::remove_all(scratch);
}

} // namespace
} // namespace lumivane
