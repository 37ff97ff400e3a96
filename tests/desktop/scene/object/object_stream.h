// Object streams written by hand in any version's layout, and read and
// written through the engine, for the object-file tests of the scene engine
// and of the unit library.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/unknown.h"
#include "platform/binary_io.h"

namespace lumivane::test {

using Bytes = std::vector<uint8_t>;

// Writes object streams by hand, in any version's layout.
class Stream {
public:
    explicit Stream(uint32_t streamVersion, bool header = true) : version(streamVersion) {
        if (header) {
            out.WriteBytes("VRNM", 4);
            out.WriteU32(version);
        }
    }
    Stream& New(int32_t place, uint32_t classNumber) {
        out.WriteI32(place + 1);
        if (version < kFirstCompactVersion)
            out.WriteU32(classNumber);
        else
            out.WriteU8(uint8_t(classNumber));
        return *this;
    }
    Stream& Back(int32_t place) {
        out.WriteI32(~place);
        return *this;
    }
    Stream& Name(const char* text) {
        out.WriteFixedString(text, 32);
        return *this;
    }
    Stream& ChannelCount(int count) {
        if (version < kFirstCompactVersion) {
            out.WriteI32(count);
        } else {
            out.WriteU32(count > 0);
            if (count > 0) out.WriteU8(uint8_t(count));
        }
        return *this;
    }
    Stream& ChildCount(int count) {
        if (version < kFirstCompactVersion)
            out.WriteI32(count);
        else
            out.WriteI16(int16_t(count));
        return *this;
    }
    Stream& Identity() {
        WriteMatrix(out, Matrix());
        return *this;
    }
    Stream& U32(uint32_t v) {
        out.WriteU32(v);
        return *this;
    }
    Stream& F32(float v) {
        out.WriteF32(v);
        return *this;
    }
    Bytes Take() { return out.Take(); }

    uint32_t version;
    platform::BufferWriter out;
};

inline Unknown* Read(const Bytes& bytes, const char* name = "test.vrn") {
    platform::MemoryReader reader(bytes.data(), bytes.size());
    return ReadObject(reader, nullptr, name, 0);
}

inline Bytes Write(Unknown* object) {
    platform::BufferWriter out;
    EXPECT_TRUE(WriteObject(out, object));
    return out.Take();
}

} // namespace lumivane::test
