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
#include "tests/desktop/units/arms_fixture.h"

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

    // Saved, loaded and saved again to the same bytes; `check` looks at the
    // copy. A record cut short in the class's own part is refused.
    template <class T> void RoundTrip(T* unit, const std::function<void(const T&)>& check) {
        const std::vector<uint8_t> bytes = ExpectRecordReadsBack(unit, [&](Unknown& read) {
            ASSERT_EQ(read.classId, unit->classId);
            check(static_cast<const T&>(static_cast<Node&>(read)));
        });
        for (size_t cut : {size_t(4), size_t(17)}) {
            std::vector<uint8_t> shorter(bytes.begin(), bytes.end() - long(cut));
            Held refused(Loaded(shorter));
            EXPECT_EQ(refused, nullptr) << "cut by " << cut;
        }
    }
};

TEST_F(LvCapitalRecords, EveryClassRoundTripsWithItsFieldsAndNodes) {
    auto* carrier = Spawn<Carrier>("carrier");
    carrier->slots[3] = {carrier->slots[3].unit, 4321, 0, 1};
    RoundTrip<Carrier>(carrier, [&](const Carrier& c) {
        EXPECT_EQ(c.slots[3].launchTime, 4321);
        EXPECT_EQ(c.slots[3].unit, carrier->slots[3].unit);
        EXPECT_EQ(c.slots[3].aboard, 0);
    });

    auto* atr = Spawn<ATR>("atr");
    atr->slots[7].launched = 1;
    RoundTrip<ATR>(atr, [](const ATR& a) { EXPECT_EQ(a.slots[7].launched, 1); });

    auto* fighter = Spawn<CarrierFighter>("fighter");
    fighter->gunIndex = 1;
    fighter->launchTime = 777;
    fighter->carrier = carrier->handle;
    RoundTrip<CarrierFighter>(fighter, [&](const CarrierFighter& f) {
        EXPECT_EQ(f.gunIndex, 1);
        EXPECT_EQ(f.launchTime, 777);
        EXPECT_EQ(f.carrier, carrier->handle);
        EXPECT_NE(f.gunNodes[0], nullptr) << "gun1 bound after load";
    });

    auto* marine = Spawn<SpaceMarine>("marine");
    marine->slotNumber = 5;
    marine->armed = 1;
    RoundTrip<SpaceMarine>(marine, [](const SpaceMarine& m) {
        EXPECT_EQ(m.slotNumber, 5);
        EXPECT_EQ(m.armed, 1);
        EXPECT_STREQ(m.SideNode(), "dummyside2");
    });

    auto* capitol = Spawn<CapitolShip>("capitol");
    capitol->blocks[2].yaw = -1.0f;
    capitol->blocks[5].target = 99;
    RoundTrip<CapitolShip>(capitol, [](const CapitolShip& c) {
        EXPECT_EQ(c.blocks[2].yaw, -1.0f);
        EXPECT_EQ(c.blocks[5].target, 99);
        EXPECT_NE(c.blocks[2].yawNode, nullptr);
    });

    RoundTrip<Cruiser>(Spawn<Cruiser>("cruiser"), [](const Cruiser& c) {
        EXPECT_NE(c.blocks[1].aimNode, nullptr);
        EXPECT_EQ(c.blocks[4].yawMin, 1.0471976f);
    });

    auto* patrol = Spawn<PatrolBoat>("patrol");
    patrol->blocks[1].nextFireTime = 5000;
    RoundTrip<PatrolBoat>(patrol, [](const PatrolBoat& p) {
        EXPECT_EQ(p.blocks[1].nextFireTime, 5000);
        EXPECT_NE(p.blocks[1].aimNode, nullptr);
    });

    auto* station = Spawn<PerimeterStation>("station");
    station->riseStart = 1234;
    RoundTrip<PerimeterStation>(station, [](const PerimeterStation& p) {
        EXPECT_EQ(p.riseStart, 1234);
        EXPECT_NE(p.blocks[1].aimNode, nullptr);
    });
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
