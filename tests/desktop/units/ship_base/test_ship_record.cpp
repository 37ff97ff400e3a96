// The Ship record: saved, loaded and saved again to the same bytes; records
// of old versions built by hand load with the defaults of what they lack;
// counts, indices, choices and names that the bytes cannot hold are
// refused, and so is every truncation.
#include <gtest/gtest.h>

#include <cstring>

#include "desktop/scene/object/object_file.h"
#include "desktop/units/pilot/pilot.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/entity/entity_record_bytes.h"
#include "tests/desktop/scene/scene_test_support.h"
#include "tests/desktop/units/ship_base/ship_record_bytes.h"
#include "tests/desktop/units/unit_fixture.h"

namespace lumivane::test {
namespace {

// An empty queue, target list and path leave the ship's part this long.
constexpr size_t kPlainShipPart = 400;
constexpr size_t kItemCount = 40;
constexpr size_t kTargetCount = 168;
constexpr size_t kWaypointCount = 172;
constexpr size_t kApproachNode = 124;
constexpr size_t kSquadIndex = 364;

struct Release {
    void operator()(Unknown* object) const {
        if (object) object->Release();
    }
};
using Held = std::unique_ptr<Unknown, Release>;

void Patch(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
    std::memcpy(&bytes[at], &value, 4);
}

class LvShipRecord : public UnitTest {
protected:
    LvShipRecord() {
        AddShip("scout", [](Entity& e) { SetFlag(e, "task: build", true); });
    }

    // A clone of "scout" with a bit of everything the record carries.
    Ship* Rich() {
        Ship* ship = SpawnShip("scout", {4, 5, 6});
        ship->SetSquad(PlayerAt(0)->SquadAt(3), 2);
        ship->AddToBuildQueue(0, 2, 44, "platformconnector");
        ship->AddToBuildQueue(4, 1, -1, "dummyship");
        ship->AddToBuildQueue(0, 9, 45, "x");
        ship->orderState = kOrderWaypoints;
        ship->target = 12;
        ship->approachNode = "baymarker1-2";
        ship->formationKind = 11;
        ship->targetList = {3, 4, 5};
        ship->waypoints = {{1, 2, 3}, {4, 5, 6}};
        ship->waypointRiders = {-1, 9};
        ship->currentWaypoint = 1;
        ship->savedOrder = {kOrderFollow, 8, {1, 1, 1}, 12.5f, {0, 1, 0}, "dock"};
        ship->returnPoint = {7, 8, 9};
        ship->towLockTime = 777;
        for (int i = 0; i < kThrusterCount; ++i)
            ship->thrusters[i] = 0.1f * float(i + 1);
        ship->autoPursue = 1;
        ship->autoRepair = 1;
        ship->carried = 3;
        ship->fadeFlag = 1;
        ship->fadeLevel = 0.25f;
        return ship;
    }
};

TEST_F(LvShipRecord, ARecordSavesLoadsAndSavesToTheSameBytes) {
    Ship* ship = Rich();
    const std::vector<uint8_t> first = Saved(ship);
    Held back(Loaded(first));
    ASSERT_NE(back, nullptr);
    auto* loaded = AsShip(static_cast<Entity*>(back.get()));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Saved(loaded), first);
    ASSERT_EQ(loaded->buildQueue.size(), 3u);
    EXPECT_EQ(loaded->buildQueue[0].siteNode, "platformconnector");
    EXPECT_EQ(loaded->queuedCounts[0], 2);
    EXPECT_EQ(loaded->queuedCounts[4], 1);
    EXPECT_EQ(loaded->waypointRiders[1], 9);
    EXPECT_EQ(loaded->savedOrder.node, "dock");
    EXPECT_EQ(loaded->thrusters[kExtraThruster], 0.0f) << "the seventh level is not kept";
    EXPECT_EQ(loaded->formationKind, 11);
    EXPECT_EQ(loaded->autoRepair, 1);
}

TEST_F(LvShipRecord, OldRecordsLoadWithTheDefaultsOfWhatTheyLack) {
    Held v50(Loaded(OldShip(50)));
    ASSERT_NE(v50, nullptr);
    auto* s50 = AsShip(static_cast<Entity*>(v50.get()));
    ASSERT_NE(s50, nullptr);
    EXPECT_EQ(s50->orderState, kOrderMove);
    EXPECT_EQ(s50->movePoint, Vec3(5, 0, 7));
    EXPECT_EQ(s50->nextFireTime, 900);
    EXPECT_EQ(s50->lastFireTime, 250);
    EXPECT_EQ(s50->towLockTime, -kTowLockMs) << "no tow lock before 56";
    EXPECT_EQ(s50->sensorRange, 33.0f);
    EXPECT_EQ(s50->owner, PlayerAt(2)) << "the owner of a file older than 53";
    EXPECT_EQ(s50->formationSpacing, 32.0f);
    EXPECT_EQ(s50->orbiting, 0);
    EXPECT_EQ(s50->savedOrder.target, kNoEntity);
    EXPECT_TRUE(s50->waypoints.empty());
    EXPECT_EQ(s50->autoAttack, 1);
    EXPECT_EQ(s50->autoPursue, 0);
    EXPECT_EQ(s50->thrusters[kReverse], 0.5f);

    Held v60(Loaded(OldShip(60)));
    ASSERT_NE(v60, nullptr);
    auto* s60 = AsShip(static_cast<Entity*>(v60.get()));
    ASSERT_NE(s60, nullptr);
    EXPECT_EQ(s60->towLockTime, 4000);
    EXPECT_EQ(s60->owner, nullptr) << "from 53 the entity record names the owner";
    EXPECT_EQ(s60->returnPoint, Vec3());
    EXPECT_EQ(s60->savedOrder.state, kOrderIdle);

    Held v47(Loaded(OldShip(47)));
    ASSERT_NE(v47, nullptr);
    auto* s47 = AsShip(static_cast<Entity*>(v47.get()));
    EXPECT_EQ(s47->nextFireTime, 1);
    EXPECT_EQ(s47->sensorRange, 20.0f);
}

TEST_F(LvShipRecord, CountsIndicesAndChoicesBeyondTheBytesAreRefused) {
    RecordingSink sink;
    Ship* plain = SpawnShip("scout");
    const std::vector<uint8_t> whole = Saved(plain);
    const size_t part = whole.size() - kPlainShipPart;
    auto loads = [&](size_t at, int32_t value) {
        std::vector<uint8_t> bytes = whole;
        Patch(bytes, part + at, value);
        Held back(Loaded(bytes));
        return back != nullptr;
    };
    ASSERT_TRUE(loads(kItemCount, 0));
    EXPECT_FALSE(loads(kItemCount, 101));
    EXPECT_FALSE(loads(kItemCount, -1));
    EXPECT_FALSE(loads(kItemCount, 5)) << "five items need 220 bytes of their own";
    EXPECT_FALSE(loads(kTargetCount, -1));
    EXPECT_FALSE(loads(kTargetCount, 0x10000000));
    EXPECT_FALSE(loads(kWaypointCount, 0x01000000));
    EXPECT_TRUE(loads(kWaypointCount, -3)) << "a negative path is an empty one";
    EXPECT_FALSE(loads(kSquadIndex, 10));
    EXPECT_FALSE(loads(kSquadIndex, -2));
    EXPECT_FALSE(loads(kSquadIndex + 4, 20)) << "a slot past the squad's twenty";

    // A name of 32 characters without its end is cut to 31.
    std::vector<uint8_t> named = whole;
    std::memset(&named[part + kApproachNode], 'q', 32);
    Held back(Loaded(named));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(AsShip(static_cast<Entity*>(back.get()))->approachNode, std::string(31, 'q'));

    // Choices: one outside 0..9, and a tenth item of one choice.
    Ship* builder = SpawnShip("scout");
    for (int i = 0; i < 9; ++i)
        builder->AddToBuildQueue(0, 0, -1, "");
    builder->AddToBuildQueue(1, 0, -1, "");
    ASSERT_EQ(builder->buildQueue.size(), 10u);
    const std::vector<uint8_t> queued = Saved(builder);
    const size_t items = queued.size() - kPlainShipPart - 10 * 44 + 44;
    auto withChoice = [&](size_t item, int32_t choice) {
        std::vector<uint8_t> bytes = queued;
        Patch(bytes, items + item * 44, choice);
        Held loaded(Loaded(bytes));
        return loaded != nullptr;
    };
    ASSERT_TRUE(withChoice(9, 1));
    EXPECT_FALSE(withChoice(9, 0)) << "ten of one choice";
    EXPECT_FALSE(withChoice(3, -1));
    EXPECT_FALSE(withChoice(3, 10));
}

TEST_F(LvShipRecord, EveryTruncationIsRefused) {
    RecordingSink sink;
    const std::vector<uint8_t> whole = Saved(Rich());
    for (size_t cut = 0; cut < whole.size(); ++cut) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + ptrdiff_t(cut));
        Held back(Loaded(part));
        EXPECT_EQ(back, nullptr) << cut;
    }
}

TEST_F(LvShipRecord, ALoadedUnitOfPilotTypeOneTakesAPilot) {
    AddShip("gunner", [](Entity& e) { SetInt(e, "pilot type", 1); });
    Ship* gunner = SpawnShip("gunner");
    ASSERT_EQ(gunner->pilot, nullptr);
    Held back(Loaded(Saved(gunner)));
    ASSERT_NE(back, nullptr);
    auto* loaded = AsShip(static_cast<Entity*>(back.get()));
    ASSERT_NE(loaded->pilot, nullptr);
    EXPECT_FALSE(loaded->pilot->Name().empty());
}

} // namespace
} // namespace lumivane::test
