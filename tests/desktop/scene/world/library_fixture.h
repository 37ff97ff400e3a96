// The model library's tests: a vertex-buffer sink that keeps what it is
// given, and a data folder of models written through the engine's own save
// code.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <span>
#include <string>
#include <vector>

#include "desktop/scene/object/object_file.h"
#include "desktop/scene/world/model_library.h"
#include "tests/desktop/scene/scene_test_support.h"
#include "tests/desktop/scene/world_fixture.h"

namespace lumivane::test {

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
        auto entity = Own(new Entity);
        entity->SetName(name);
        if (cube > 0.0f) entity->AddChild(WorldTest::Cube("body", cube));
        ASSERT_TRUE(SaveObjectFile(root / folder / file, entity.get()));
    }
    std::filesystem::path root;
};

} // namespace lumivane::test
