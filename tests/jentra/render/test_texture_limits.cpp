// Pictures too large for the device or for the memory there is: refused
// from their headers before their pixels take memory, refused cleanly when
// memory runs short at any step of the loader, and such a refusal
// remembered so that the next start does not pay for it again.
#include "Jentra/JTTexture.h"
#include "Jentra/render/texture_refusal.h"
#include "Jentra/render/texture_source.h"
#include "Jentra/render/texture_upload.h"
#include "render_test_support.h"
#include "texture_fixture.h"

#include "platform/image/dds.h"
#include "tests/address_space.h"
#include "tests/picture_bombs.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace jentra::textures;
using platform::image::PixelFormat;
namespace fs = std::filesystem;

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

constexpr const char* kTooLarge = "larger than the device's largest texture";

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

// An 18-byte Targa header of 24 bits a pixel and no pixels after it.
std::vector<uint8_t> TgaHeaderOnly(int width, int height) {
    std::vector<uint8_t> b = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    PutLe(b, uint32_t(width), 2);
    PutLe(b, uint32_t(height), 2);
    b.push_back(24);
    b.push_back(0);
    return b;
}

// A bitmap's two headers (24 bits a pixel) and no pixels after them.
std::vector<uint8_t> BmpHeadersOnly(int width, int height) {
    std::vector<uint8_t> b = {'B', 'M'};
    PutLe(b, 54, 4);
    PutLe(b, 0, 4);
    PutLe(b, 54, 4);
    PutLe(b, 40, 4);
    PutLe(b, uint32_t(width), 4);
    PutLe(b, uint32_t(height), 4);
    PutLe(b, 1, 2);
    PutLe(b, 24, 2);
    for (int i = 0; i < 6; ++i)
        PutLe(b, 0, 4);
    return b;
}

// A DDS description of a DXT1 texture and no blocks after it.
std::vector<uint8_t> DdsHeaderOnly(int width, int height) {
    platform::image::TextureImage small;
    small.format = PixelFormat::DXT1;
    small.width = small.height = 4;
    small.levels.push_back(platform::image::MakeImage(PixelFormat::DXT1, 4, 4));
    std::vector<uint8_t> b;
    EXPECT_TRUE(platform::image::EncodeDds(small, b));
    b.resize(platform::image::kDdsHeaderSize);
    auto put = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + size_t(i)] = uint8_t(v >> (8 * i));
    };
    put(4 + 8, uint32_t(height));
    put(4 + 12, uint32_t(width));
    return b;
}

std::vector<std::string> Markers(const fs::path& folder) {
    std::vector<std::string> found;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.path().extension() == ".refused")
            found.push_back(entry.path().filename().string());
    return found;
}

using test_support::AddressSpaceBytes;
using test_support::ArithmeticFlatJpeg;

// Runs `body` in a child process whose address space may grow by `room`
// bytes beyond what it holds; returns the child's exit code (-1 when it died
// of a signal, as an uncaught exception would make it).
int InLimitedChild(uint64_t room, const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        // Free memory kept at the top of the heap would be room that the
        // limit does not see.
        malloc_trim(0);
        const rlim_t limit = AddressSpaceBytes() + room;
        const rlimit both{limit, limit};
        setrlimit(RLIMIT_AS, &both);
        _exit(body());
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return -2;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class TextureLimitsTest : public render_test::DisplayTest, public TextureFolder {
protected:
    void SetUp() override {
        MakeFolder();
        Open(render_test::DeviceKind::Recording);
        manager = std::make_unique<JTTextureMan>(display);
    }
    void TearDown() override {
        manager.reset();
        DisplayTest::TearDown();
        RemoveFolder();
    }
    std::unique_ptr<JTTextureMan> manager;
};

} // namespace

TEST_F(TextureLimitsTest, PicturesBeyondTheDeviceAreRefusedFromTheirHeaders) {
    // Headers alone: decoding would call them truncated, so the refusal
    // names the size only when it came before decoding.
    WriteBytes("huge.tga", TgaHeaderOnly(4096, 4096));
    WriteBytes("huge.bmp", BmpHeadersOnly(4096, 64));
    WriteBytes("huge.dds", DdsHeaderOnly(64, 4096));
    WriteBytes("arith.jpg", ArithmeticFlatJpeg(12000));
    TextureLimits limits;
    limits.maxSide = 2048;
    const std::pair<const char*, const char*> refusals[] = {
        {"huge.tga", "4096 x 4096"},
        {"huge.bmp", "4096 x 64"},
        {"huge.dds", "64 x 4096"},
        {"arith.jpg", "12000 x 12000 (16384 x 16384 as a texture)"}};
    for (const auto& [name, size] : refusals) {
        SCOPED_TRACE(name);
        LoadedFrame frame;
        std::string error;
        EXPECT_FALSE(LoadFrameImage(name, true, frame, &error, limits));
        EXPECT_NE(error.find(std::string("the picture is ") + size + ", " + kTooLarge),
                  std::string::npos)
            << error;
        EXPECT_TRUE(frame.image.levels.empty());
    }
    // The side counts as stretched to a power of two.
    WriteTga("wide.tga", Picture(33, 8, [](int, int) { return 0xFF204060u; }));
    limits.maxSide = 32;
    LoadedFrame frame;
    std::string error;
    EXPECT_FALSE(LoadFrameImage("wide.tga", false, frame, &error, limits));
    EXPECT_NE(error.find("33 x 8 (64 x 8 as a texture)"), std::string::npos) << error;
    limits.maxSide = 64;
    EXPECT_TRUE(LoadFrameImage("wide.tga", false, frame, &error, limits)) << error;
    EXPECT_EQ(frame.image.width, 64);
    // Refusing from a header costs nothing worth remembering.
    EXPECT_TRUE(Markers(modules).empty());

    // The manager asks the device for its largest side.
    Recorded().caps.MaxTextureWidth = Recorded().caps.MaxTextureHeight = 32;
    EXPECT_EQ(manager->Load("wide.tga"), nullptr);
    Recorded().caps.MaxTextureWidth = Recorded().caps.MaxTextureHeight = 64;
    JTTexture* wide = manager->Load("wide.tga");
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->GetD3DTexture(0)->Width(), 64);
}

TEST_F(TextureLimitsTest, AShortageOfMemoryIsRefusedCleanlyAndRememberedAcrossStarts) {
    if (kSanitized) GTEST_SKIP() << "the sanitizers reserve more address space than a limit leaves";
    fs::create_directories(modules / "Chess" / "Park");
    const fs::path grass = modules / "Chess" / "Park" / "grass.jpg";
    WriteBytes("Chess/Park/grass.jpg", ArithmeticFlatJpeg(4096));
    const char* name = "Chess\\Park\\grass.jpg";
    const fs::path marker = modules / "Chess" / "Park" / "~grass_DXT1.refused";

    // First start: 64 MiB of pixels do not fit in 40; the game's path
    // refuses the picture and goes on. (A picture of less than 64 MiB could
    // fit in a heap that the process's threads have reserved already.)
    EXPECT_EQ(
        InLimitedChild(uint64_t(40) << 20, [&] { return manager->Load(name) == nullptr ? 0 : 1; }),
        0);
    ASSERT_TRUE(fs::exists(marker));
    std::string text;
    ASSERT_TRUE(platform::ReadWholeFile(marker, text));
    EXPECT_NE(text.find("not enough memory for the JPEG picture"), std::string::npos) << text;
    EXPECT_FALSE(fs::exists(modules / "Chess" / "Park" / "~grass_DXT1.dds"));

    // Second start: refused at once from the marker, with its reason; so
    // little room is left that reading the picture would fail another way.
    const int second = InLimitedChild(uint64_t(16) << 20, [&] {
        LoadedFrame frame;
        std::string error;
        if (LoadFrameImage(name, true, frame, &error, {})) return 1;
        if (error.rfind("refused at an earlier load: not enough memory", 0) != 0) return 2;
        return manager->Load(name) == nullptr ? 0 : 3;
    });
    EXPECT_EQ(second, 0);
    std::string reason;
    EXPECT_TRUE(RememberedRefusal(RefusalName(name, "DXT1"), name, 16384, reason));
    EXPECT_FALSE(RememberedRefusal(RefusalName(name, "DXT1"), name, 8192, reason));

    // A changed picture is tried again. With more room it decodes, and the
    // steps after the decoder run short: the texture's levels.
    WriteBytes("Chess/Park/grass.jpg", ArithmeticFlatJpeg(4096));
    fs::last_write_time(grass, fs::last_write_time(marker) + std::chrono::seconds(2));
    const int third = InLimitedChild(uint64_t(100) << 20, [&] {
        LoadedFrame frame;
        std::string error;
        if (LoadFrameImage(name, true, frame, &error, {})) return 1;
        return error.rfind("not enough memory for the texture Chess", 0) == 0 ? 0 : 2;
    });
    EXPECT_EQ(third, 0);
    ASSERT_TRUE(platform::ReadWholeFile(marker, text));
    EXPECT_NE(text.find("not enough memory for the texture"), std::string::npos) << text;
}

TEST_F(TextureLimitsTest, TheDeviceStepRefusesAShortageToo) {
    if (kSanitized) GTEST_SKIP() << "the sanitizers reserve more address space than a limit leaves";
    // Levels in memory, with too little room left for the device's copy.
    platform::image::TextureImage levels;
    levels.format = PixelFormat::A8R8G8B8;
    levels.width = levels.height = 4096;
    levels.levels.push_back(platform::image::MakeImage(PixelFormat::A8R8G8B8, 4096, 4096));
    const int code = InLimitedChild(uint64_t(4) << 20, [&] {
        std::string error;
        auto texture = CreateDeviceTexture(*display->GetDevice(), levels, &error);
        if (texture) return 1;
        return error.rfind("not enough memory for a 4096 x 4096 A8R8G8B8 texture", 0) == 0 ? 0 : 2;
    });
    EXPECT_EQ(code, 0);
}

TEST_F(TextureLimitsTest, APictureBeyondThePixelBoundCostsLessThanAGigabyteFromFileToDevice) {
    if (kSanitized) GTEST_SKIP() << "the sanitizers reserve more address space than a limit leaves";
    // A few hundred bytes claiming 16384 x 16384, the device's largest
    // texture, as the Park's grass; and 12000 x 12000 named for 32-bit
    // pixels, the costliest texture, which is also stretched. Each is read
    // at a quarter of its size, and the whole way to the device (decoding,
    // stretching, mip levels, DXT, the cache file, the device's copy) fits
    // in a gigabyte more than the process holds.
    fs::create_directories(modules / "Chess" / "Park");
    WriteBytes("Chess/Park/grass.jpg", ArithmeticFlatJpeg(16384));
    WriteBytes("Chess/Park/grass32bit.jpg", ArithmeticFlatJpeg(12000));
    const struct {
        const char* name;
        const char* cache;
        PixelFormat format;
    } cases[] = {
        {"Chess\\Park\\grass.jpg", "~grass_DXT1.dds", PixelFormat::DXT1},
        {"Chess\\Park\\grass32bit.jpg", "~grass32bit_A8R8G8B8.dds", PixelFormat::A8R8G8B8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const int code = InLimitedChild(uint64_t(1) << 30, [&] {
            JTTexture* texture = manager->Load(c.name);
            if (!texture) return 1;
            const auto* frame = texture->GetD3DTexture(0);
            return frame->Width() == 4096 && frame->Height() == 4096 && frame->LevelCount() == 13
                       ? 0
                       : 2;
        });
        EXPECT_EQ(code, 0) << "1: refused, 2: another size";
        // The cache beside it holds the 4096 x 4096 chain, no more.
        uint64_t chain = platform::image::kDdsHeaderSize;
        for (int m = 0; m < 13; ++m)
            chain += platform::image::LevelSize(c.format, 4096 >> m, 4096 >> m);
        std::error_code ec;
        EXPECT_EQ(fs::file_size(modules / "Chess" / "Park" / c.cache, ec), chain);
    }
    EXPECT_TRUE(Markers(modules).empty());

    // The log says when a picture was read smaller than its file says.
    WriteBytes("small.jpg", ArithmeticFlatJpeg(4097, 4096));
    LoadedFrame frame;
    std::string error;
    ASSERT_TRUE(LoadFrameImage("small.jpg", false, frame, &error)) << error;
    EXPECT_EQ(frame.image.width, 4096); // 2049 x 2048, stretched
    EXPECT_NE(frame.note.find("small.jpg is 4097 x 4096 pixels, more than the 16777216 a picture "
                              "may have: read as 2049 x 2048"),
              std::string::npos)
        << frame.note;
    // A picture that cannot be read smaller is refused, naming its file and size.
    WriteBytes("huge.tga", TgaHeaderOnly(4097, 4096));
    EXPECT_FALSE(LoadFrameImage("huge.tga", false, frame, &error));
    EXPECT_NE(error.find("huge.tga: the Targa is 4097 x 4096 pixels, more than the 16777216"),
              std::string::npos)
        << error;
}
