// The records of the carriers, their craft and the turret ships: each is
// saved, loaded and saved again to the same bytes with its own fields and
// bound nodes back; a CapitolShip of version 71 (before its turret blocks
// were saved) and a PatrolBoat of version 42 (four words and a point per
// turret) load by hand-built bytes; a record cut short is refused.
#include <gtest/gtest.h>

#include <memory>

#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/units/carrier/carrier.h"
#include "desktop/units/carrier/craft.h"
#include "desktop/units/turret/turret_ships.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/entity/entity_record_bytes.h"
#include "tests/desktop/units/unit_fixture.h"

namespace lumivane::test {
namespace {

struct Release {
    void operator()(Unknown* object) const {
        if (object) object->Release();
    }
};
using Held = std::unique_ptr<Unknown, Release>;

template <class T> T* As(const Held& held) {
    return static_cast<T*>(static_cast<Node*>(held.get()));
}

// The ship's part of a record as files of `version` (42..115) lay it out:
// idle, no queue, lists or squad.
void WriteOldShipPart(platform::BufferWriter& f, uint32_t version) {
    for (int i = 0; i < 11; ++i)
        f.WriteI32(0); // queued counts, no items
    for (int32_t w : {-1, -1, 0, 0, 0, 0, 0, 0, 0, 0, kOrderIdle, kOrderIdle, -1})
        f.WriteI32(w); // build words, fade, state, saved state, target
    for (int i = 0; i < 7; ++i)
        f.WriteF32(0.0f); // move point, follow distance and offset
    f.WriteFixedString("", 32);
    if (version < 55) f.WriteFixedString("", 32);
    if (version >= 64) f.WriteI32(0); // orbiting
    if (version > 64) {
        f.WriteI32(0);
        f.WriteF32(16.0f);
    }
    if (version > 66)
        for (int i = 0; i < 3; ++i)
            f.WriteI32(0); // no targets, no waypoints
    if (version >= 64) {
        f.WriteI32(-1);
        for (int i = 0; i < 7; ++i)
            f.WriteF32(0.0f);
        f.WriteFixedString("", 32);
        WriteVec3(f, {});
    }
    f.WriteI32(0);
    f.WriteI32(0);
    f.WriteI32(0);
    if (version >= 48) f.WriteI32(1);
    f.WriteF32(1.0f);
    if (version > 55) f.WriteI32(-3000);
    for (int i = 0; i < 6 + 14; ++i)
        f.WriteI32(0); // thrusters and the player's record
    if (version > 48) f.WriteF32(20.0f);
    if (version < 54) f.WriteI32(-1);
    f.WriteI32(-1);
    f.WriteI32(-1);
    for (int i = 0; i < 4; ++i)
        f.WriteI32(0);
}

std::vector<uint8_t> OldUnit(uint32_t version, ClassId kind,
                             const std::function<void(platform::BufferWriter&)>& own) {
    std::vector<uint8_t> bytes = OldRecord(version, 0, uint8_t(kind));
    platform::BufferWriter f;
    WriteOldShipPart(f, version);
    own(f);
    const std::vector<uint8_t> tail = f.Take();
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

class LvCapitalRecords : public UnitTest {
protected:
    LvCapitalRecords() {
        AddPrototype<Carrier>("carrier")->AddChild(Cube("hull", 1.0f));
        AddPrototype<ATR>("atr")->AddChild(Cube("hull", 1.0f));
        AddPrototype<CarrierFighter>("fighter")->AddChild(Cube("gun1", 0.2f));
        AddPrototype<SpaceMarine>("marine")->AddChild(Cube("hull", 0.2f));
        AddPrototype<CapitolShip>("capitol")->AddChild(Cube("turretyaw3", 0.2f));
        AddPrototype<Cruiser>("cruiser")->AddChild(Cube("turret2", 0.2f));
        AddPrototype<PatrolBoat>("patrol")->AddChild(Cube("lturret", 0.2f));
        AddPrototype<PerimeterStation>("station")->AddChild(Cube("dummyweapon3", 0.2f));
    }

    // Saved, loaded and saved again: the same bytes; the loaded unit.
    Held RoundTrip(Entity* unit) {
        const std::vector<uint8_t> bytes = Saved(unit);
        Held loaded(Loaded(bytes));
        EXPECT_NE(loaded, nullptr);
        if (!loaded) return loaded;
        EXPECT_EQ(loaded->classId, unit->classId);
        EXPECT_EQ(Saved(loaded.get()), bytes);
        // Every truncation of the class's own part is refused.
        for (size_t cut : {size_t(4), size_t(17)}) {
            std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - long(cut));
            Held refused(Loaded(shorter));
            EXPECT_EQ(refused, nullptr) << "cut by " << cut;
        }
        return loaded;
    }
};

TEST_F(LvCapitalRecords, EveryClassRoundTripsWithItsFieldsAndNodes) {
    auto* carrier = Spawn<Carrier>("carrier");
    carrier->slots[3] = {carrier->slots[3].unit, 4321, 0, 1};
    Held c = RoundTrip(carrier);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(As<Carrier>(c)->slots[3].launchTime, 4321);
    EXPECT_EQ(As<Carrier>(c)->slots[3].unit, carrier->slots[3].unit);
    EXPECT_EQ(As<Carrier>(c)->slots[3].aboard, 0);

    auto* atr = Spawn<ATR>("atr");
    atr->slots[7].launched = 1;
    Held a = RoundTrip(atr);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(As<ATR>(a)->slots[7].launched, 1);

    auto* fighter = Spawn<CarrierFighter>("fighter");
    fighter->gunIndex = 1;
    fighter->launchTime = 777;
    fighter->carrier = carrier->handle;
    Held f = RoundTrip(fighter);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(As<CarrierFighter>(f)->gunIndex, 1);
    EXPECT_EQ(As<CarrierFighter>(f)->carrier, carrier->handle);
    EXPECT_NE(As<CarrierFighter>(f)->gunNodes[0], nullptr) << "gun1 bound after load";

    auto* marine = Spawn<SpaceMarine>("marine");
    marine->slotNumber = 5;
    marine->armed = 1;
    Held m = RoundTrip(marine);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(As<SpaceMarine>(m)->slotNumber, 5);
    EXPECT_STREQ(As<SpaceMarine>(m)->SideNode(), "dummyside2");

    auto* capitol = Spawn<CapitolShip>("capitol");
    capitol->blocks[2].yaw = -1.0f;
    capitol->blocks[5].target = 99;
    Held cs = RoundTrip(capitol);
    ASSERT_NE(cs, nullptr);
    EXPECT_EQ(As<CapitolShip>(cs)->blocks[2].yaw, -1.0f);
    EXPECT_EQ(As<CapitolShip>(cs)->blocks[5].target, 99);
    EXPECT_NE(As<CapitolShip>(cs)->blocks[2].yawNode, nullptr);

    auto* cruiser = Spawn<Cruiser>("cruiser");
    Held cr = RoundTrip(cruiser);
    ASSERT_NE(cr, nullptr);
    EXPECT_NE(As<Cruiser>(cr)->blocks[1].aimNode, nullptr);
    EXPECT_EQ(As<Cruiser>(cr)->blocks[4].yawMin, 1.0471976f);

    auto* patrol = Spawn<PatrolBoat>("patrol");
    patrol->blocks[1].nextFireTime = 5000;
    Held pb = RoundTrip(patrol);
    ASSERT_NE(pb, nullptr);
    EXPECT_EQ(As<PatrolBoat>(pb)->blocks[1].nextFireTime, 5000);
    EXPECT_NE(As<PatrolBoat>(pb)->blocks[1].aimNode, nullptr);

    auto* station = Spawn<PerimeterStation>("station");
    station->riseStart = 1234;
    Held ps = RoundTrip(station);
    ASSERT_NE(ps, nullptr);
    EXPECT_EQ(As<PerimeterStation>(ps)->riseStart, 1234);
    EXPECT_NE(As<PerimeterStation>(ps)->blocks[1].aimNode, nullptr);
}

TEST_F(LvCapitalRecords, OldTurretRecordsLoadWithTheClassDefaults) {
    Held capitol(Loaded(OldUnit(71, ClassId::CapitolShip, [](platform::BufferWriter&) {})));
    ASSERT_NE(capitol, nullptr) << "no turret blocks before version 72";
    const CapitolShip* cs = As<CapitolShip>(capitol);
    EXPECT_EQ(cs->blocks[0].yawMin, -0.5f * kPi);
    EXPECT_EQ(cs->blocks[3].yawMin, 0.3490659f);
    EXPECT_EQ(cs->blocks[5].pitchMax, 17.435841f);

    Held patrol(Loaded(OldUnit(42, ClassId::PatrolBoat, [](platform::BufferWriter& f) {
        for (int block = 0; block < 2; ++block) {
            f.WriteF32(block == 0 ? 1.5f : -1.5f); // yaw
            f.WriteF32(0.25f);                     // pitch
            f.WriteI32(3000 + block);              // next fire
            f.WriteI32(0);
            WriteVec3(f, {1, 2, 3});
        }
    })));
    ASSERT_NE(patrol, nullptr);
    const PatrolBoat* pb = As<PatrolBoat>(patrol);
    EXPECT_EQ(pb->blocks[0].yaw, 1.5f);
    EXPECT_EQ(pb->blocks[1].yaw, -1.5f);
    EXPECT_EQ(pb->blocks[1].pitch, 0.25f);
    EXPECT_EQ(pb->blocks[1].nextFireTime, 3001);
    EXPECT_EQ(pb->blocks[0].wanderPoint, Vec3(1, 2, 3));
    EXPECT_EQ(pb->blocks[0].yawMax, 2.1991148f) << "the ranges are the class's own";
    EXPECT_EQ(pb->blocks[1].yawMin, -2.1991148f);

    // A block short of its 28 bytes is refused.
    Held cut(Loaded(OldUnit(42, ClassId::PatrolBoat, [](platform::BufferWriter& f) {
        for (int i = 0; i < 13; ++i)
            f.WriteI32(0);
    })));
    EXPECT_EQ(cut, nullptr);
}

} // namespace
} // namespace lumivane::test
