// The records of the ship classes: each reads back to the same bytes; old
// colony-ship and prefab-kit records load; a colony ship's spawn list that
// the bytes cannot hold is refused and its names always end.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "desktop/units/ships/ship_classes.h"
#include "tests/desktop/units/ship_base/ship_record_bytes.h"
#include "tests/desktop/units/ships/ship_class_fixture.h"

namespace lumivane::test {
namespace {

struct Release {
    void operator()(Unknown* object) const {
        if (object) object->Release();
    }
};
using Held = std::unique_ptr<Unknown, Release>;

class LvShipClassRecords : public ShipClassTest {
protected:
    template <class T> T* Make(const char* name) {
        AddClass<T>(name, {});
        return Place<T>(name, {1, 2, 3});
    }

    void ExpectRoundTrip(Ship* unit) {
        const std::vector<uint8_t> first = Saved(unit);
        Held back(Loaded(first));
        ASSERT_NE(back, nullptr) << unit->Name();
        EXPECT_EQ(static_cast<Node*>(back.get())->classId, unit->classId);
        EXPECT_EQ(Saved(back.get()), first) << unit->Name();
    }

    static std::vector<uint8_t> Words(std::initializer_list<int32_t> words) {
        platform::BufferWriter f;
        for (int32_t w : words)
            f.WriteI32(w);
        return f.Take();
    }
};

TEST_F(LvShipClassRecords, EveryClassReadsBackToTheSameBytes) {
    auto* gunship = Make<Gunship>("gunship");
    gunship->spinState = Gunship::kSpinningUp;
    gunship->spinSpeed = 3.5f;
    gunship->gunIndex = 1;
    auto* bomber = Make<Bomber>("bomber");
    bomber->bayOpen = 1;
    bomber->bayTime = 4400;
    bomber->tube = 2;
    auto* catamaran = Make<Catamaran>("catamaran");
    catamaran->cartridge = 4;
    auto* colony = Make<ColonyShip>("colony");
    colony->spawns = {{"settler", 500, 77, 1, 2, 0.5f, 1}, {"freighter", 900, -1, 1, -1, 1.0f, 0}};
    colony->startTime = 1234;
    auto* layer = Make<MineLayer>("layer");
    layer->rack = 1;
    layer->laid[7] = 42;
    layer->carried = 7;
    auto* station = Make<MiningStation>("station");
    station->settleTime = 9000;
    auto* boat = Make<MissileBoat>("boat");
    boat->launcher = 1;
    auto* kit = Make<PrefabKit>("kit");
    kit->deployed = 1;
    kit->deployTime = 3000;
    for (Ship* unit :
         std::initializer_list<Ship*>{gunship, bomber, catamaran, colony, layer, station, boat, kit,
                                      Make<Interceptor>("interceptor"), Make<Probe>("probe"),
                                      Make<MineSweeper>("sweeper"), Make<Shuttle>("shuttle")})
        ExpectRoundTrip(unit);

    Held back(Loaded(Saved(colony)));
    auto* loaded = static_cast<ColonyShip*>(back.get());
    ASSERT_EQ(loaded->spawns.size(), 2u);
    EXPECT_EQ(loaded->spawns[0].prototype, "settler");
    EXPECT_EQ(loaded->spawns[0].healthFraction, 0.5f);
    EXPECT_EQ(loaded->spawns[1].delay, 900);
    EXPECT_EQ(loaded->startTime, 1234);
}

TEST_F(LvShipClassRecords, OldColonyShipRecordsLoadWithTheDefaultsOfWhatTheyLack) {
    // Version 71: per record the name and four words, then the start time.
    platform::BufferWriter own;
    own.WriteU32(2);
    own.WriteFixedString("settler", 32);
    for (int32_t w : {500, 12, 1, 3})
        own.WriteI32(w);
    own.WriteFixedString("hauler", 32);
    for (int32_t w : {700, -1, 2, -1})
        own.WriteI32(w);
    own.WriteI32(8000);
    Held v71(Loaded(OldShip(71, uint8_t(ClassId::ColonyShip), own.Take())));
    ASSERT_NE(v71, nullptr);
    auto* colony = static_cast<ColonyShip*>(v71.get());
    ASSERT_EQ(colony->spawns.size(), 2u);
    EXPECT_EQ(colony->spawns[0].prototype, "settler");
    EXPECT_EQ(colony->spawns[0].handle, 12);
    EXPECT_EQ(colony->spawns[0].squad, 3);
    EXPECT_EQ(colony->spawns[1].player, 2);
    EXPECT_EQ(colony->spawns[1].healthFraction, 1.0f);
    EXPECT_EQ(colony->spawns[1].noDamage, 0);
    EXPECT_EQ(colony->startTime, 8000);
    EXPECT_EQ(colony->orderState, kOrderMove) << "the ship's part read before";

    // Before version 70 a colony ship keeps no list at all.
    Held v69(Loaded(OldShip(69, uint8_t(ClassId::ColonyShip))));
    ASSERT_NE(v69, nullptr);
    EXPECT_TRUE(static_cast<ColonyShip*>(v69.get())->spawns.empty());
}

TEST_F(LvShipClassRecords, AColonyListTheBytesCannotHoldIsRefusedAndNamesEnd) {
    // A count of a million records in a file that holds one.
    platform::BufferWriter huge;
    huge.WriteU32(1000000);
    huge.WriteFixedString("settler", 32);
    for (int i = 0; i < 6; ++i)
        huge.WriteI32(0);
    huge.WriteI32(0);
    EXPECT_EQ(Loaded(OldShip(120, uint8_t(ClassId::ColonyShip), huge.Take())), nullptr);

    // A name that fills its 32 bytes with no end.
    platform::BufferWriter full;
    full.WriteU32(1);
    const std::string letters(32, 'x');
    full.WriteBytes(letters.data(), letters.size());
    for (int32_t w : {0, -1, 0, -1, 0x3f800000, 0})
        full.WriteI32(w);
    full.WriteI32(0);
    Held named(Loaded(OldShip(120, uint8_t(ClassId::ColonyShip), full.Take())));
    ASSERT_NE(named, nullptr);
    auto* colony = static_cast<ColonyShip*>(named.get());
    ASSERT_EQ(colony->spawns.size(), 1u);
    EXPECT_EQ(colony->spawns[0].prototype, std::string(31, 'x'));
}

TEST_F(LvShipClassRecords, APrefabKitOfVersion106ReservesItsHandleOnLoad) {
    Held v106(Loaded(OldShip(106, uint8_t(ClassId::PrefabKit), Words({2500, 1}))));
    ASSERT_NE(v106, nullptr);
    auto* kit = static_cast<PrefabKit*>(v106.get());
    EXPECT_EQ(kit->deployTime, 2500);
    EXPECT_EQ(kit->deployed, 1);
    EXPECT_GE(kit->reservedHandle, 0) << "a fresh reservation";

    Held v107(Loaded(OldShip(107, uint8_t(ClassId::PrefabKit), Words({2500, 0, 321}))));
    ASSERT_NE(v107, nullptr);
    EXPECT_EQ(static_cast<PrefabKit*>(v107.get())->reservedHandle, 321);
}

} // namespace
} // namespace lumivane::test
