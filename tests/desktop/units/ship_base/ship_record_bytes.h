// Ship records of old versions built by hand for the record tests of the
// Ship and its classes: the entity part, then the ship's part as files of
// that version lay it out (a unit ordered to move to (5, 0, 7), no lists,
// no squad). A class of its own appends its fields after it.
#pragma once

#include <cstdint>
#include <vector>

#include "desktop/units/ship_base/ship.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/entity/entity_record_bytes.h"

namespace lumivane::test {

inline void WriteOldShipPart(platform::BufferWriter& f, uint32_t version) {
    for (int i = 0; i < 10; ++i)
        f.WriteI32(0); // queued counts
    f.WriteI32(0);     // no items
    for (int32_t w : {-1, -1, 0, 0, 0, 0, 0, 0, 0, 0, kOrderMove})
        f.WriteI32(w);       // build words, fade, state
    f.WriteI32(kOrderIdle);  // saved state
    f.WriteI32(-1);          // target
    WriteVec3(f, {5, 0, 7}); // move point
    f.WriteF32(0.0f);
    WriteVec3(f, {});
    f.WriteFixedString("", 32); // node name
    if (version < 55) f.WriteFixedString("old", 32);
    if (version >= 64) f.WriteI32(0); // orbiting
    if (version > 64) {
        f.WriteI32(0); // formation kind and spacing
        f.WriteF32(16.0f);
    }
    if (version > 66)
        for (int i = 0; i < 3; ++i)
            f.WriteI32(0); // no targets, no waypoints, the first waypoint
    if (version >= 64) {
        f.WriteI32(-1); // the saved order: target, point, distance, offset, node
        WriteVec3(f, {});
        f.WriteF32(0.0f);
        WriteVec3(f, {});
        f.WriteFixedString("", 32);
        WriteVec3(f, {}); // return point
    }
    f.WriteI32(1); // fire request
    f.WriteI32(0);
    f.WriteI32(250);                    // last fire
    if (version >= 48) f.WriteI32(900); // next fire
    f.WriteF32(1.0f);
    if (version > 55) f.WriteI32(4000); // tow lock
    for (int i = 0; i < 6; ++i)
        f.WriteF32(0.5f); // thrusters
    for (int i = 0; i < 14; ++i)
        f.WriteI32(i == 1 ? -10000 : 0); // the player's record
    if (version > 48) f.WriteF32(33.0f); // sensor range
    if (version < 54) f.WriteI32(2);     // owner
    f.WriteI32(-1);
    f.WriteI32(-1);
    for (int i = 0; i < 4; ++i)
        f.WriteI32(0);
    if (version > 115)
        for (int i = 0; i < 3; ++i)
            f.WriteI32(1); // auto attack, repair, pursue
}

// A whole old record of the class: the entity and ship parts, then `own`.
inline std::vector<uint8_t> OldShip(uint32_t version, uint8_t classNumber = uint8_t(ClassId::Ship),
                                    const std::vector<uint8_t>& own = {}) {
    std::vector<uint8_t> bytes = OldRecord(version, 1, classNumber);
    platform::BufferWriter f;
    WriteOldShipPart(f, version);
    const std::vector<uint8_t> shipPart = f.Take();
    bytes.insert(bytes.end(), shipPart.begin(), shipPart.end());
    bytes.insert(bytes.end(), own.begin(), own.end());
    return bytes;
}

} // namespace lumivane::test
