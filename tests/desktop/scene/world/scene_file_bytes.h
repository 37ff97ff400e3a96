// Scene files as bytes for the scene-file tests of the scene engine and of
// the unit library: a file read whole, old versions written field by field,
// and bytes loaded into a fixture's scene.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "desktop/scene/world/scene_file_format.h"
#include "platform/binary_io.h"
#include "tests/desktop/scene/world/scene_fixture.h"

namespace lumivane::test {

inline std::vector<uint8_t> ReadFile(const std::filesystem::path& path) {
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(platform::ReadWholeFile(path, bytes)) << path;
    return bytes;
}

// The bytes of a scene file of version v, written field by field as that
// version stored them, with no triggers, an empty world and six players.
inline std::vector<uint8_t> OldScene(uint32_t v, uint32_t objectVersion = scene_file::kVersion,
                                     uint32_t playerCount = 6, size_t* playersAt = nullptr) {
    platform::BufferWriter file;
    file.WriteBytes("MISS", 4);
    file.WriteU32(v);
    if (v > 119) file.WriteU8(0);
    if (v >= 102) {
        file.WriteU32(99);
        file.WriteBytes("Old\0", 4);
        file.WriteU32(5);
        scene_file::WriteCountedText(file, "Old scene");
        if (v >= 104) scene_file::WriteCountedText(file, "Second");
        if (v >= 105) scene_file::WriteCountedText(file, "scenes\\source.mis");
        scene_file::WriteCountedText(file, "four");
        if (v > 102) scene_file::WriteCountedText(file, "five");
        file.WriteU32(0);
        if (v > 110) {
            file.WriteU32(2);
            for (const char* name : {"first", "second"}) {
                file.WriteFixedString(name, 32);
                for (int i = 0; i < 5; ++i)
                    file.WriteI32(i);
                if (v >= 118) file.WriteI32(77);
            }
        }
    }
    if (v > 100) {
        file.WriteU32(0x20);
        file.WriteU32(0x10);
    }
    if (v > 27) file.WriteU32(500);
    if (v > 4) {
        file.WriteF32(33.0f);
        file.WriteF32(700.0f);
    }
    if (v > 5) file.WriteI32(1);
    if (v > 24) file.WriteI32(40);
    file.WriteU32(0); // triggers
    if (v > 118) {
        for (int i = 0; i < 20; ++i)
            file.WriteFixedString("", 70);
        for (int i = 0; i < 20; ++i)
            file.WriteI32(1);
        file.WriteU32(0);
        file.WriteU32(0);
    }
    if (v > 29) {
        DisplayBlock block;
        for (int32_t word : block.modes)
            file.WriteI32(word);
        if (v >= 100)
            for (int i = 0; i < 6; ++i)
                file.WriteU32(0);
        block.camera.Save(file);
    }
    file.WriteBytes("VRNM", 4);
    file.WriteU32(objectVersion);
    ObjectTable table;
    if (v < scene_file::kWorldSectionFrom) {
        // The oldest files hold the world as its root node alone.
        Node root;
        root.AddRef();
        root.Save(file, table);
    } else {
        World empty;
        empty.Init();
        empty.Save(file, table);
    }
    file.WriteU32(playerCount);
    if (playersAt) *playersAt = size_t(file.Position());
    for (uint32_t i = 0; i < playerCount; ++i)
        Player(int(i % 6)).Save(file, table);
    return file.Take();
}

inline int LoadBytes(SceneFixture& fixture, const std::vector<uint8_t>& bytes) {
    platform::MemoryReader reader(bytes.data(), bytes.size());
    return fixture.scene->LoadFrom(reader);
}

} // namespace lumivane::test
