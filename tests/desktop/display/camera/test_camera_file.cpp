// The camera's block of the scene-state file: it reads back to the same
// bytes, older records lack the chase flag, the fields of view stay the
// camera's own, and damaged blocks are refused whole.
#include <cstring>

#include "desktop/scene/object/object_file.h"
#include "platform/binary_io.h"
#include "tests/desktop/display/camera/camera_fixture.h"

namespace lumivane {
namespace {

constexpr uint32_t kVersion = 120;

class LvCameraFile : public test::CameraTest {
protected:
    std::vector<uint8_t> Saved(const Camera& from) {
        platform::BufferWriter file;
        from.Save(file);
        return file.Take();
    }

    // A camera in the middle of things: following two units, a move
    // running, a sequence step and some interaction.
    void Busy() {
        Entity* a = Unit({10, 0, 0});
        Entity* b = Unit({-10, 5, 0});
        Entity* pair[] = {a, b};
        camera->FocusOnUnits(pair);
        PressSecondButton();
        Frame();
        mouse.dx = 3;
        Frame();
        CameraView chased = camera->Current();
        chased.chase = 1;
        camera->MoveTo(chased, 2.0f, true, 1, camera_move::kSpline, &chased, nullptr);
        Frame();
    }
};

TEST_F(LvCameraFile, ABlockSavesLoadsAndSavesAgainTheSame) {
    Busy();
    const std::vector<uint8_t> first = Saved(*camera);

    Camera other;
    platform::MemoryReader file(first);
    ASSERT_TRUE(other.Load(file, kVersion));
    EXPECT_EQ(file.Remaining(), 0u);
    EXPECT_EQ(Saved(other), first);
    EXPECT_EQ(other.Current().targets, camera->Current().targets);
    EXPECT_EQ(other.Goal().chase, 1);
    EXPECT_EQ(other.Transition().moving, camera->Transition().moving);
}

TEST_F(LvCameraFile, LoadingKeepsTheCamerasOwnFieldsOfView) {
    const std::vector<uint8_t> wide = Saved(*camera);
    Camera other(0.5f);
    const float horizontal = other.HorizontalFov();
    const float vertical = other.VerticalFov();
    ASSERT_NE(vertical, camera->VerticalFov());
    platform::MemoryReader file(wide);
    ASSERT_TRUE(other.Load(file, kVersion));
    EXPECT_EQ(other.HorizontalFov(), horizontal);
    EXPECT_EQ(other.VerticalFov(), vertical);

    // The display's new shape does change them, and the home view with them.
    other.SetAspect(4.0f / 3.0f);
    EXPECT_EQ(other.VerticalFov(), camera->VerticalFov());
    EXPECT_EQ(other.FramingFactor(), camera->FramingFactor());
    EXPECT_EQ(other.Home().position, camera->Home().position);
}

// Writes the block as a version-13 file has it: views without chase flags.
std::vector<uint8_t> OldBlock(const std::vector<uint8_t>& current) {
    platform::MemoryReader in(current);
    platform::BufferWriter out;
    auto copyWords = [&](int count) {
        for (int i = 0; i < count; ++i) {
            uint32_t word = 0;
            in.ReadU32(word);
            out.WriteU32(word);
        }
    };
    auto copyView = [&] {
        copyWords(15);
        int32_t count = 0;
        in.ReadI32(count);
        out.WriteI32(count);
        copyWords(count);
        int32_t chase = 0;
        in.ReadI32(chase); // dropped
    };
    copyWords(3);
    for (int i = 0; i < 5; ++i)
        copyView();
    copyWords(1);
    for (int i = 0; i < 5; ++i)
        copyView();
    std::vector<uint8_t> rest;
    in.ReadBytes(rest, size_t(in.Remaining()));
    out.WriteBytes(rest.data(), rest.size());
    return out.Take();
}

TEST_F(LvCameraFile, AnOldBlockHasNoChaseFlags) {
    Busy();
    const std::vector<uint8_t> current = Saved(*camera);
    const std::vector<uint8_t> old = OldBlock(current);
    ASSERT_EQ(current.size() - old.size(), 10u * 4u);

    Camera other;
    CameraView chasing = other.Current();
    chasing.chase = 1;
    other.SetView(chasing);
    platform::MemoryReader file(old);
    ASSERT_TRUE(other.Load(file, 13));
    EXPECT_EQ(file.Remaining(), 0u);
    EXPECT_EQ(other.Current().position, camera->Current().position);
    EXPECT_EQ(other.Goal().targets, camera->Goal().targets);
    EXPECT_EQ(other.Current().chase, 1); // kept: the record has none
    EXPECT_EQ(other.Interaction().sway, camera->Interaction().sway);
}

TEST_F(LvCameraFile, DamagedBlocksAreRefusedWhole) {
    Busy();
    const std::vector<uint8_t> good = Saved(*camera);
    Camera other;
    const std::vector<uint8_t> untouched = Saved(other);
    for (size_t length = 0; length < good.size(); ++length) {
        std::vector<uint8_t> cut(good.begin(), good.begin() + std::ptrdiff_t(length));
        platform::MemoryReader file(cut);
        ASSERT_FALSE(other.Load(file, kVersion)) << length;
    }
    EXPECT_EQ(Saved(other), untouched);

    // The first view's target count, past its fifteen floats.
    constexpr size_t kFirstCount = 3 * 4 + 15 * 4;
    for (int32_t count : {-1, -2147483647 - 1, 1000000, 2147483647}) {
        std::vector<uint8_t> bad = good;
        std::memcpy(&bad[kFirstCount], &count, 4);
        platform::MemoryReader file(bad);
        EXPECT_FALSE(other.Load(file, kVersion)) << count;
    }
    EXPECT_EQ(Saved(other), untouched);
}

} // namespace
} // namespace lumivane
