// The model library: an abort ends the load, no models means no buffer, and
// the missing-file list.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <utility>

#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/object/object_file.h"
#include "platform/paths.h"
#include "tests/desktop/scene/scene_test_support.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane {
namespace {

using LvLibrary = test::WorldTest;

class CollectingSink : public VertexBufferSink {
public:
    CollectingSink() { SetVertexBufferSink(this); }
    ~CollectingSink() override { SetVertexBufferSink(nullptr); }
    bool Upload(std::span<const Vertex> vertices) override {
        uploaded.assign(vertices.begin(), vertices.end());
        return accept;
    }
    void Release() override { ++released; }
    std::vector<Vertex> uploaded;
    bool accept = true;
    int released = 0;
};

// A data folder written through the engine's own save code.
class DataFolder {
public:
    explicit DataFolder(const char* suffix = "")
        : root(std::filesystem::path(::testing::TempDir()) /
               (std::string("lvlibrary_") +
                ::testing::UnitTest::GetInstance()->current_test_info()->name() + suffix)) {
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root / "Models");
        std::filesystem::create_directories(root / "objects");
        std::filesystem::create_directories(root / "properties");
    }
    ~DataFolder() { std::filesystem::remove_all(root); }

    void Model(const char* folder, const char* file, const char* name, float cube = 0.0f) {
        auto entity = test::Own(new Entity);
        entity->SetName(name);
        if (cube > 0.0f) entity->AddChild(test::WorldTest::Cube("body", cube));
        ASSERT_TRUE(SaveObjectFile(root / folder / file, entity.get()));
    }
    std::filesystem::path root;
};

TEST_F(LvLibrary, AnAbortEndsTheLoadAndNoModelsMeansNoBuffer) {
    CollectingSink sink;
    DataFolder data;
    data.Model("Models", "a.vrn", "One", 1.0f);
    data.Model("Models", "b.vrn", "Two", 1.0f);
    int asked = 0;
    library.shouldAbort = [&] { return ++asked == 2; };
    EXPECT_EQ(library.LoadAll(data.root), 0);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(sink.uploaded.empty());
    EXPECT_FALSE(library.IsLoading());

    library.shouldAbort = nullptr;
    DataFolder empty("_empty");
    EXPECT_EQ(library.LoadAll(empty.root), 1);
    EXPECT_EQ(library.Count(), 0);
    EXPECT_FALSE(GetDisplayState().vertexBuffer);
}

TEST_F(LvLibrary, AMissingFileIsListedOnceWithItsRequestersMarked) {
    DataFolder data;
    data.Model("Models", "a.vrn", "One");
    library.AddMissingFile(kMissingTexture, "models\\textures\\gone.dds", "early");
    EXPECT_TRUE(library.MissingFiles().empty()); // only while loading

    const std::string longName(40, 'n');
    bool asked = false;
    library.onProgress = [&](float) {
        if (std::exchange(asked, true)) return;
        library.AddMissingFile(kMissingTexture, "models\\textures\\gone.dds", longName);
        library.AddMissingFile(kMissingTexture, "MODELS\\textures\\GONE.dds", "two");
        library.AddMissingFile(kMissingTexture, "models\\textures\\gone.dds", "three");
        library.AddMissingFile(kMissingSound, "sounds\\hum.wav", "");
    };
    ASSERT_EQ(library.LoadAll(data.root), 1);
    ASSERT_EQ(library.MissingFiles().size(), 2u);
    const MissingFile& texture = library.MissingFiles()[0];
    EXPECT_EQ(texture.requester, std::string(27, 'n') + " ...");
    EXPECT_EQ(texture.requester.size(), size_t(kRequesterSize - 1));
    EXPECT_EQ(texture.kind, kMissingTexture);
    EXPECT_EQ(library.MissingFiles()[1].requester, "");
    library.Shutdown();
    EXPECT_TRUE(library.MissingFiles().empty());
}

} // namespace
} // namespace lumivane
