// Textures on a display: the manager keeps one texture per name, frames
// load by the engine's rules onto the device, animations take their
// numbered files, saved references are fixed-size and repeatable, and the
// display binds frames and loads particle textures by name.
#include "Jentra/JTFile.h"
#include "Jentra/JTTexture.h"
#include "render_test_support.h"
#include "texture_fixture.h"

#include "platform/image/dds.h"

#include <cstring>

using namespace render_test;
namespace fs = std::filesystem;

namespace {

class TextureManagerTest : public DisplayTest, public TextureFolder {
protected:
    void SetUp() override {
        MakeFolder();
        Open(DeviceKind::Recording);
        manager = std::make_unique<JTTextureMan>(display);
        gpJTTextureMan = manager.get();
    }
    void TearDown() override {
        gpJTTextureMan = nullptr;
        manager.reset();
        DisplayTest::TearDown();
        RemoveFolder();
    }

    void WriteFlat(const std::string& name, uint32_t colour = 0xFF808080u) {
        WriteJpeg(name, Picture(16, 16, [colour](int, int) { return colour; }));
    }

    // The bytes a reference leaves in a saving memory stream.
    std::vector<uint8_t> SavedRef(JTTexture* texture) {
        JTFile file(nullptr, nullptr, 0, true);
        const unsigned before = file.GetCurrentMemBufferUsed();
        JTTexture* ref = texture;
        EXPECT_TRUE(manager->SaveLoadRef(file, &ref));
        const unsigned char* data = file.GetCurrentMemBuffer();
        return std::vector<uint8_t>(data + before, data + file.GetCurrentMemBufferUsed());
    }

    // Reads a reference from `bytes` as if they stood in the model file
    // `model` (a loading stream starts with its version record).
    bool LoadRef(const std::vector<uint8_t>& bytes, const std::string& model, JTTexture** ref) {
        JTFile out(nullptr, nullptr, 0, true);
        std::vector<uint8_t> copy = bytes;
        out.SaveLoad(copy.data(), unsigned(copy.size()));
        const unsigned size = out.GetCurrentMemBufferUsed();
        auto* buffer = static_cast<unsigned char*>(std::malloc(size));
        std::memcpy(buffer, out.GetCurrentMemBuffer(), size);
        JTFile file(model.c_str(), buffer, size, false);
        return manager->SaveLoadRef(file, ref);
    }

    std::unique_ptr<JTTextureMan> manager;
};

} // namespace

TEST_F(TextureManagerTest, OneTexturePerNameAndNothingKeptWhenLoadingFails) {
    WriteFlat("Wood.jpg");
    JTTexture* wood = manager->Load("wood.jpg");
    ASSERT_NE(wood, nullptr);
    EXPECT_EQ(manager->Load("WOOD.JPG"), wood);
    ASSERT_EQ(wood->GetNumFrames(), 1);
    platform::render::Texture* texture = wood->GetD3DTexture(0);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(texture->Format(), D3DFMT_DXT1);
    EXPECT_EQ(texture->LevelCount(), 5);
    EXPECT_FALSE(wood->HasAlpha());

    // A reload makes a second texture but the first stays the one found.
    JTTexture* again = manager->Load("wood.jpg", "", true);
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again, wood);
    EXPECT_EQ(manager->Load("wood.jpg"), wood);
    EXPECT_EQ(manager->GetNumTextures(), 2);

    testing::internal::CaptureStderr();
    EXPECT_EQ(manager->Load("missing.jpg"), nullptr);
    WriteBytes("broken.dds", {'D', 'D', 'S', ' ', 124});
    EXPECT_EQ(manager->Load("broken.dds"), nullptr);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("missing.jpg"), std::string::npos) << said;
    EXPECT_NE(said.find("broken.dds"), std::string::npos) << said;
    EXPECT_EQ(manager->GetNumTextures(), 2);
}

TEST_F(TextureManagerTest, NumberedFilesMakeAnAnimation) {
    for (const char* name : {"fire0000.jpg", "fire0001.jpg", "fire0002.jpg"})
        WriteFlat(name);
    JTTexture* fire = manager->Load("fire0000.jpg");
    ASSERT_NE(fire, nullptr);
    EXPECT_EQ(fire->GetNumFrames(), 3);

    fs::remove(modules / "fire0001.jpg");
    JTTexture* gap = manager->Load("fire0000.jpg", "", true);
    ASSERT_NE(gap, nullptr);
    EXPECT_EQ(gap->GetNumFrames(), 1);
    EXPECT_EQ(manager->Load("smoke0000.jpg"), nullptr); // no first frame: nothing read

    // Saved again, three frames get numbered names.
    ASSERT_TRUE(fire->Save(display, "smoke.dds"));
    for (const char* name : {"smoke0000.dds", "smoke0001.dds", "smoke0002.dds"})
        EXPECT_TRUE(fs::exists(modules / name)) << name;
    EXPECT_FALSE(fs::exists(modules / "smoke0003.dds"));
    JTTexture* smoke = manager->Load("smoke0000.dds");
    ASSERT_NE(smoke, nullptr);
    EXPECT_EQ(smoke->GetNumFrames(), 3);
    EXPECT_EQ(smoke->GetD3DTexture(2)->Format(), D3DFMT_DXT1);
}

TEST_F(TextureManagerTest, ReferencesAreFixedSizeRepeatableAndFoundBesideTheModel) {
    EXPECT_EQ(SavedRef(nullptr), (std::vector<uint8_t>{1, 0, 0, 0, 0, 0}));

    WriteFlat("rock.jpg");
    JTTexture* rock = manager->Load("rock.jpg");
    ASSERT_NE(rock, nullptr);
    const auto first = SavedRef(rock);
    ASSERT_EQ(first.size(), 6u + kJTTextureNameSize);
    EXPECT_EQ(first[2], 1); // the presence word is 1
    EXPECT_EQ(std::memcmp(first.data() + 6, "rock.jpg", 9), 0);
    for (size_t i = 6 + 9; i < first.size(); ++i)
        ASSERT_EQ(first[i], 0) << "byte " << i; // zero-filled, never memory
    EXPECT_EQ(SavedRef(rock), first);

    // Loading: a bare name is looked for in the model file's folder below
    // "modules\"; any non-zero presence word means a name follows.
    fs::create_directories(modules / "Chess" / "Park");
    WriteFlat("Chess/Park/grass.jpg");
    std::vector<uint8_t> bytes = {1, 0, 0xEF, 0xBE, 0xAD, 0xDE};
    bytes.resize(6 + kJTTextureNameSize, 0);
    std::memcpy(bytes.data() + 6, "grass.jpg", 9);
    const std::string model = (modules / "Chess" / "Park" / "Park.jtm").string();
    JTTexture* ref = nullptr;
    ASSERT_TRUE(LoadRef(bytes, model, &ref));
    ASSERT_NE(ref, nullptr);
    EXPECT_STREQ(ref->GetName(), "Chess\\Park\\grass.jpg");
    // A name that fills the whole field is cut at its last byte, not read on.
    std::memset(bytes.data() + 6, 'a', kJTTextureNameSize);
    ref = rock;
    EXPECT_TRUE(LoadRef(bytes, model, &ref));
    EXPECT_EQ(ref, nullptr);
    // A stream that ends inside the name fails.
    EXPECT_FALSE(LoadRef(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20), model, &ref));
}

TEST_F(TextureManagerTest, MadeTexturesGetTheirMipLevelsFromTheTop) {
    JTTexture* atlas = manager->Create(8, 8, D3DFMT_A4R4G4B4, true, 0, 1);
    ASSERT_NE(atlas, nullptr);
    EXPECT_TRUE(atlas->HasAlpha());
    EXPECT_STREQ(atlas->GetName(), "");
    platform::render::Texture* texture = atlas->GetD3DTexture(0);
    ASSERT_NE(texture, nullptr);
    ASSERT_EQ(texture->LevelCount(), 4);
    platform::render::D3DLOCKED_RECT rect;
    ASSERT_EQ(texture->LockRect(0, &rect, 0), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) // white and opaque, except a clear left half
            reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(rect.pBits) + y * rect.Pitch)[x] =
                x < 4 ? 0x0FFF : 0xFFFF;
    texture->UnlockRect(0);
    atlas->CreateMIPLevels(display);
    const auto& level1 = texture->LevelData(0, 1);
    EXPECT_EQ(level1[0] | level1[1] << 8, 0x0FFF);
    EXPECT_EQ(level1[6] | level1[7] << 8, 0xFFFF);
    const auto& last = texture->LevelData(0, 3);
    EXPECT_EQ(last[0] | last[1] << 8, 0x8FFF); // half covered
}

TEST_F(TextureManagerTest, DisplayBindsFramesAndLoadsParticleTexturesOnce) {
    WriteTga("spark.tga", Picture(
                              8, 8, [](int, int) { return 0x80FFFFFFu; },
                              platform::image::PixelFormat::A8R8G8B8));
    JTTexture* spark = manager->Load("spark.tga");
    ASSERT_NE(spark, nullptr);
    EXPECT_TRUE(spark->HasAlpha());
    display->SetTextureStage(0, spark->GetFrame(0), 0, D3DTOP_MODULATE, D3DTA_TEXTURE,
                             D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE);
    EXPECT_EQ(display->GetDevice()->GetTexture(0), spark->GetD3DTexture(0));

    // A particle texture is loaded by name the first time only; a name that
    // fails is not tried again every frame.
    EXPECT_EQ(manager->FindFrame("SPARK.TGA"), spark->GetFrame(0));
    testing::internal::CaptureStderr();
    EXPECT_EQ(manager->FindFrame("later.jpg"), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("later.jpg"), std::string::npos);
    WriteFlat("later.jpg");
    EXPECT_EQ(manager->FindFrame("later.jpg"), nullptr);
    EXPECT_EQ(manager->GetNumTextures(), 1);

    JTPartVertex quad[4] = {};
    const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
    JTPartSysDraw draw;
    draw.vertices = quad;
    draw.numVertices = 4;
    draw.indices = indices;
    draw.numIndices = 6;
    draw.texture = "spark.tga";
    Recorded().Forget();
    display->GetDevice()->BeginScene();
    display->DrawParticles(draw);
    display->GetDevice()->EndScene();
    ASSERT_EQ(Recorded().draws.size(), 1u);
    EXPECT_EQ(Recorded().draws[0].state.textures[0], spark->GetD3DTexture(0));
    EXPECT_EQ(manager->GetNumTextures(), 1);
}
