// A world, a model library and a clean frame clock for the tests of the
// entities, the world and the library: prototypes are made in code, clones
// join the world, and frames are stepped exactly.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/entity_kinds.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane::test {

class WorldTest : public ::testing::Test {
protected:
    WorldTest() {
        GetSceneClock() = {};
        GetDisplayState() = {};
        GetSceneBounds() = {};
        GetLoopHooks() = {};
        GetPlayers() = {};
        GetAnnouncementSounds() = {};
        GetModelLoadState().sceneStateLoading = false;
        SetModelLibrary(&library);
        SetWorld(&world);
    }
    ~WorldTest() override {
        world.Clear();
        SetWorld(nullptr);
        SetModelLibrary(nullptr);
        GetPlayers() = {};
    }

    // A prototype in the library, its properties at their defaults and
    // then as `tune` sets them.
    template <class T = Entity>
    T* AddPrototype(const char* name, const std::function<void(Entity&)>& tune = nullptr) {
        auto* prototype = new T;
        prototype->SetName(name);
        prototype->CreateProps();
        if (tune) tune(*prototype);
        prototype->PropChanged(kAllProps);
        library.Root()->AddChild(prototype);
        return prototype;
    }

    // A registered clone, joined to the world at once.
    template <class T = Entity> T* Spawn(const char* name, Vec3 position = {}) {
        Entity* clone = library.CreateInstance(name, true);
        EXPECT_NE(clone, nullptr) << name;
        if (!clone) return nullptr;
        clone->position = position;
        clone->PlaceLocalMatrix();
        world.JoinPending();
        return static_cast<T*>(clone);
    }

    // One frame of `seconds` of game time, removals carried out at its end.
    void Step(float seconds) {
        SceneClock& clock = GetSceneClock();
        clock.frameTime = seconds;
        clock.realFrameTime = seconds;
        clock.gameTime += uint32_t(std::lround(seconds * 1000.0f));
        world.Update();
        world.FlushRemovals();
    }

public:
    static void SetFloat(Entity& e, const char* name, float value) {
        size_t offset = 0;
        ASSERT_NE(PropDesc::Find(e.props->Table(), name, offset), nullptr) << name;
        e.props->Set<float>(offset, value);
    }
    static void SetFlag(Entity& e, const char* name, bool value) {
        size_t offset = 0;
        ASSERT_NE(PropDesc::Find(e.props->Table(), name, offset), nullptr) << name;
        e.props->SetFlag(offset, value);
    }
    static void SetInt(Entity& e, const char* name, int32_t value) {
        size_t offset = 0;
        ASSERT_NE(PropDesc::Find(e.props->Table(), name, offset), nullptr) << name;
        e.props->Set<int32_t>(offset, value);
    }
    static void SetText(Entity& e, const char* name, const char* text) {
        size_t offset = 0;
        ASSERT_NE(PropDesc::Find(e.props->Table(), name, offset), nullptr) << name;
        e.props->SetOwnedString(offset, text);
    }

    // A GeoNode cube of half-size h about `centre`.
    static GeoNode* Cube(const char* name, float h, Vec3 centre = {}) {
        GeoLists lists;
        for (int i = 0; i < 8; ++i)
            lists.positions.push_back(centre +
                                      Vec3(i & 1 ? h : -h, i & 2 ? h : -h, i & 4 ? h : -h));
        lists.indices = {0, 1, 3, 0, 3, 2, 4, 6, 7, 4, 7, 5, 0, 4, 5, 0, 5, 1,
                         2, 3, 7, 2, 7, 6, 0, 2, 6, 0, 6, 4, 1, 5, 7, 1, 7, 3};
        lists.texCoords = {0, 0};
        lists.texCoordIndices.assign(lists.indices.size(), 0);
        auto* geo = new GeoNode;
        geo->SetName(name);
        geo->indexed = 1;
        EXPECT_TRUE(geo->BuildGeometry(lists, ""));
        return geo;
    }

protected:
    ModelLibrary library;
    World world;
};

} // namespace lumivane::test
