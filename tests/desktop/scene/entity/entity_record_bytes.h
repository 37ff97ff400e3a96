// Object-file bytes for the entity tests: an object saved to bytes and read
// back, where two byte strings part, and entity records of old versions
// built by hand.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"

namespace lumivane::test {

inline std::vector<uint8_t> Saved(Unknown* object) {
    platform::BufferWriter file;
    EXPECT_TRUE(WriteObject(file, object));
    return file.Take();
}

// Where two byte strings first differ (their common length when one is a prefix).
inline size_t FirstDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i])
        ++i;
    return i;
}

inline Unknown* Loaded(const std::vector<uint8_t>& bytes) {
    platform::MemoryReader file(bytes.data(), bytes.size());
    return ReadObject(file, nullptr, "test.vrn", 0);
}

// Writes an object file of `version` holding one entity record of the
// class (5, Entity, by default) the way that version holds it: no prototype,
// no channels or children, an empty sequencer of `sequences`. A class of its
// own goes on with its fields after it.
inline std::vector<uint8_t> OldRecord(uint32_t version, int sequences, uint8_t classNumber = 5) {
    platform::BufferWriter f;
    const bool compact = version >= 75;
    f.WriteBytes("VRNM", 4);
    f.WriteU32(version);
    f.WriteI32(1);
    compact ? f.WriteU8(classNumber) : f.WriteU32(classNumber);
    f.WriteFixedString("", 32);
    f.WriteFixedString("relic", 32);
    if (compact) {
        f.WriteU32(0);
        f.WriteI16(0);
    } else {
        f.WriteI32(0);
        f.WriteI32(0);
    }
    WriteMatrix(f, Matrix());
    for (int i = 0; i < 4; ++i) // no LOD nodes, legacy lists or thresholds
        f.WriteU32(0);
    f.WriteI32(-1);                     // handle
    f.WriteF32(2.0f);                   // scale (from 30)
    if (version > 75) f.WriteF32(9.0f); // size factor
    for (int i = 0; i < 3 + 3 + 4 + 4 + 3; ++i)
        f.WriteF32(i == 0 ? 8.0f : 0.0f); // position x 8, the rest zero
    f.WriteI32(7);                        // gravity parent from 61
    f.WriteU32(1);                        // can collide
    if (version > 36) {
        f.WriteF32(3.0f);
        f.WriteF32(4.0f);
    }
    f.WriteI32(0);
    f.WriteI32(-1);
    if (version <= 35) {
        f.WriteFixedString("", 32);
        f.WriteFixedString("", 32);
    } else {
        f.WriteU32(0);
        f.WriteU32(0);
    }
    f.WriteF32(0);
    f.WriteF32(0);
    f.WriteF32(0);
    f.WriteF32(0.0f); // bound radius 0 reads as 1
    if (version > 75) f.WriteF32(0.0f);
    for (int i = 0; i < 3 + 1 + 1 + 16; ++i)
        f.WriteU32(0);
    f.WriteF32(5.0f); // health
    if (version > 59) {
        f.WriteF32(1.0f);
        f.WriteU32(0);
    }
    for (int i = 0; i < 4; ++i)
        f.WriteI32(-1);
    f.WriteI32(0);
    f.WriteI32(-1);
    f.WriteI32(-1);
    f.WriteU32(0);
    const int states = version > 67 ? 5 : 4;
    for (int s = 0; s < states; ++s) {
        if (version >= 59) {
            f.WriteI32(3);
            f.WriteF32(0.5f);
            f.WriteI32(100 + s);
            f.WriteI32(0);
        } else if (version == 58) {
            f.WriteI32(100 + s);
            f.WriteI32(0);
        } else {
            for (int w : {3, 100 + s, 0, 0, 0})
                f.WriteI32(w);
        }
    }
    for (int i = 0; i < 4; ++i) // owns block and the three words
        f.WriteU32(0);
    f.WriteU32(7); // seven players: the seventh is skipped
    for (int p = 0; p < 7; ++p)
        f.WriteI32(2);
    f.WriteU32(0);
    if (version > 44) f.WriteU32(0);
    if (version > 52) f.WriteI32(-1);
    f.WriteI32(2); // the sequencer
    compact ? f.WriteU8(33) : f.WriteU32(33);
    for (int i = 0; i < 8; ++i)
        f.WriteU32(0);
    f.WriteU32(0);
    f.WriteU32(uint32_t(sequences));
    for (int s = 0; s < sequences; ++s) {
        f.WriteFixedString("seq", 64);
        f.WriteI32(s);
        f.WriteF32(0.0f);
        f.WriteF32(1.0f);
        f.WriteU32(0);
    }
    f.WriteI32(0);
    const int arrays = version > 112 ? 4 : version > 40 ? 3 : 2;
    for (int a = 0; a < arrays; ++a)
        for (int i = 0; i < 50; ++i) {
            const float time = 0.25f;
            int32_t word = 1;
            if (a == 0) std::memcpy(&word, &time, 4);
            f.WriteI32(word);
        }
    if (version > 38) {
        f.WriteU32(1);
        if (version >= 76) f.WriteU32(0); // no spawned parts
    } else if (version >= 32) {
        for (int i = 0; i < (version == 32 ? 4 : 8); ++i)
            f.WriteU32(0);
        if (version > 33) f.WriteU32(1);
    }
    return f.Take();
}

} // namespace lumivane::test
