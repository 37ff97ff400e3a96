// The model library of the built data with the unit classes registered.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <utility>

#include "desktop/scene/entity/prop_file.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/units/unit_class_headers.h"
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

TEST_F(LvLibrary, LoadAllReadsEveryFolderAndTheFirstOfEachNameWins) {
    CollectingSink sink;
    DataFolder data;
    data.Model("Models", "a.vrn", "Rock", 1.0f);
    data.Model("Models", "b.VRN", "ROCK", 2.0f);
    data.Model("Models", "notes.txt", "Ignored");
    data.Model("objects", "c.vrn", "Beacon");
    {
        PropBlock block(EntityPropDescs());
        block.Set<float>(EntityFields().healthMax, 12.0f);
        ASSERT_TRUE(SavePropFile(data.root / "properties" / "rock.prp", block));
    }
    std::ofstream(data.root / "objects" / "broken.vrn") << "not an object file";
    test::RecordingSink warnings;

    std::vector<float> progress;
    library.onProgress = [&](float f) { progress.push_back(f); };
    ASSERT_EQ(library.LoadAll(data.root), 1);
    ASSERT_EQ(library.Count(), 3);
    EXPECT_EQ(warnings.warnings.size(), 1u); // the broken file, and loading went on
    Node* rock = library.FindPrototype("ROCK");
    EXPECT_EQ(rock, library.GetAt(0));
    EXPECT_EQ(rock->Name(), "Rock");
    EXPECT_EQ(library.FindPrototype(""), nullptr);
    EXPECT_EQ(library.GetAt(3), nullptr);
    EXPECT_EQ(library.FindByClass(int(ClassId::Entity)), rock);
    EXPECT_EQ(library.FindByClass(int(ClassId::Ship)), nullptr);
    EXPECT_EQ(static_cast<Entity*>(library.GetAt(1))->health, 12.0f); // any letter case
    EXPECT_EQ(static_cast<Entity*>(library.GetAt(2))->health, 1.0f);
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), 0.0f);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));

    // Every model vertex went to the shared buffer, each node knowing where.
    EXPECT_EQ(sink.uploaded.size(), 16u);
    auto* second = static_cast<GeoNode*>(library.GetAt(1)->ChildAt(0));
    EXPECT_TRUE(second->inSharedBuffer);
    EXPECT_EQ(second->firstSharedVertex, 8);
    EXPECT_EQ(sink.uploaded[8].position.x, -2.0f);
    EXPECT_TRUE(GetDisplayState().vertexBuffer);

    // Unknown names make nothing; clones of clones come from the prototype.
    EXPECT_EQ(library.CreateInstance("nothing", true), nullptr);
    EXPECT_TRUE(world.JoinList().empty());
    Entity* clone = library.CreateInstance("beacon", false);
    Node* again = InstantiatePrototype(clone, false);
    EXPECT_EQ(again->Prototype(), library.GetAt(2));
    again->Release();
    clone->Release();

    // A buffer the display cannot make leaves no node marked.
    sink.accept = false;
    library.BuildVertexBuffer();
    EXPECT_EQ(sink.released, 1);
    EXPECT_FALSE(second->inSharedBuffer);
}

TEST_F(LvLibrary, TheBuiltDataHoldsEveryPrototypeTheEntitiesAskFor) {
    const char* runtime = std::getenv("JENTRA_RUNTIME_DIR");
    ASSERT_NE(runtime, nullptr);
    const std::filesystem::path root = std::filesystem::path(runtime) / "LumivaneData";
    ASSERT_EQ(library.LoadAll(root), 1);
    for (const char* name :
         {"Sun", "Planet", "Moon", "explosion- Yellow", "explosion- Red", "explosion- Blue",
          "smoke damage", "blood", "electricity", "flames- yellow", "debris", "testship"}) {
        Node* prototype = library.FindPrototype(name);
        ASSERT_NE(prototype, nullptr) << name;
        EXPECT_TRUE(platform::ResolvePath(root, "properties\\" + std::string(name) + ".prp"))
            << name;
    }
    EXPECT_TRUE(static_cast<Entity*>(library.FindPrototype("Sun"))->PropFlag("massive"));
    EXPECT_EQ(library.FindPrototype("debris")->classId, uint8_t(ClassId::Debris));

    // The test ship hangs its spark at its link node and plays "idle".
    Ship* ship = Spawn<Ship>("testship");
    Step(0.05f);
    ASSERT_EQ(ship->spawnedParts.size(), 1u);
    Entity* spark = world.GetEntity(ship->spawnedParts[0].handle);
    ASSERT_NE(spark, nullptr);
    EXPECT_EQ(spark->Name(), "electricity");
    EXPECT_TRUE(ship->sequenceStates[0].playing);
    EXPECT_EQ(ship->Race(), 1);
}

} // namespace
} // namespace lumivane
