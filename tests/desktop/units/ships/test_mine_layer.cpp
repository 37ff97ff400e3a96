// The mine layer: eight mines from alternating racks and never a ninth
// slot; a slot frees once, when its mine is gone, and never past eight;
// fire request 2 lays a comsat.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "desktop/units/deployable/deployables.h"
#include "desktop/units/ships/ship_classes.h"
#include "tests/desktop/units/ships/ship_class_fixture.h"

namespace lumivane::test {
namespace {

class LvMineLayer : public ShipClassTest {
protected:
    LvMineLayer() {
        AddClass<MineLayer>("layer", {"dummyrack1", "dummyrack2"}, [](Entity& e) {
            SetFloat(e, "reload time", 0.1f);
            SetFloat(e, "thrust", 0.0f);
        });
        // Mines laid at one rack would knock each other about.
        auto calm = [](Entity& e) {
            CalmUnit(e);
            SetFlag(e, "can collide", false);
        };
        for (Entity* e : std::initializer_list<Entity*>{AddPrototype<Mine>("mine", calm),
                                                        AddPrototype<Comsat>("comsat", calm)}) {
            e->AddChild(Cube("body", 0.2f));
            e->RecomputeBound();
        }
        layer = Place<MineLayer>("layer");
    }

    void Lay(int frames, int32_t request = 1) {
        for (int i = 0; i < frames; ++i) {
            layer->fireRequest = request;
            Step(kFrame);
        }
    }

    std::vector<Mine*> Mines() {
        std::vector<Mine*> mines;
        for (int i = 0; i < world.EntityCount(); ++i)
            if (Entity* e = world.EntityAt(i); IsA(e, ClassId::Mine))
                mines.push_back(static_cast<Mine*>(e));
        return mines;
    }

    MineLayer* layer = nullptr;
};

TEST_F(LvMineLayer, LaysEightFromAlternatingRacksAndNeverWritesANinthSlot) {
    EXPECT_EQ(layer->carried, MineLayer::kSlots);
    EXPECT_EQ(layer->ownedCraft, MineLayer::kSlots);
    // Each is pushed off to the side of its rack: -x for the first, +x for
    // the second, in turn.
    int laidCount = 0;
    for (int frame = 0; frame < 60; ++frame) {
        Lay(1);
        if (MineLayer::kSlots - layer->carried == laidCount) continue;
        ++laidCount;
        const Entity* mine = world.GetEntity(layer->laid[layer->carried]);
        ASSERT_NE(mine, nullptr);
        EXPECT_EQ(mine->velocity.x < 0.0f, laidCount % 2 == 1) << laidCount;
    }
    const std::vector<Mine*> mines = Mines();
    ASSERT_EQ(mines.size(), 8u);
    EXPECT_EQ(layer->carried, 0);
    std::set<EntityHandle> slots(std::begin(layer->laid), std::end(layer->laid));
    EXPECT_EQ(slots.size(), 8u);
    EXPECT_EQ(slots.count(kNoEntity), 0u);
    for (Mine* mine : mines) {
        EXPECT_EQ(slots.count(mine->handle), 1u);
        EXPECT_EQ(mine->link, layer->handle);
        EXPECT_EQ(mine->owner, layer->owner);
    }
}

TEST_F(LvMineLayer, AGoneMineFreesItsSlotOnceAndTheCountStaysAtMostEight) {
    // Empty slots are not gone mines: a fresh layer stays at eight.
    Lay(5, 0);
    EXPECT_EQ(layer->carried, MineLayer::kSlots);

    Lay(10);
    const std::vector<Mine*> mines = Mines();
    ASSERT_FALSE(mines.empty());
    const int carriedBefore = layer->carried;
    const EntityHandle gone = mines.front()->handle;
    world.QueueRemove(mines.front(), nullptr, false);
    Step(kFrame);
    Lay(10, 0);
    EXPECT_EQ(layer->carried, carriedBefore + 1);
    EXPECT_EQ(std::count(std::begin(layer->laid), std::end(layer->laid), gone), 0);

    // Laid out again, the freed slot is taken and every handle is kept.
    Lay(60);
    EXPECT_EQ(layer->carried, 0);
    EXPECT_EQ(Mines().size(), 8u);
    std::set<EntityHandle> slots(std::begin(layer->laid), std::end(layer->laid));
    EXPECT_EQ(slots.size(), 8u);
    EXPECT_EQ(slots.count(kNoEntity), 0u);
}

TEST_F(LvMineLayer, FireRequestTwoLaysAComsat) {
    Lay(1, 2);
    ASSERT_GE(layer->laid[7], 0);
    Entity* laid = world.GetEntity(layer->laid[7]);
    ASSERT_TRUE(IsA(laid, ClassId::Comsat));
    EXPECT_EQ(static_cast<Comsat*>(laid)->link, layer->handle);
}

} // namespace
} // namespace lumivane::test
