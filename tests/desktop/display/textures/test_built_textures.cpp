// The textures the data builder wrote load through the texture manager
// without a warning: every kind it writes, the numbered sequence, and the
// limits of the "Textures" blocks of the built script configuration.
#include "tests/desktop/display/display_test_support.h"

#include "desktop/scene/object/script_config.h"
#include "platform/paths.h"

using namespace display_test;

TEST(BuiltTextures, EveryShippedTextureLoads) {
    const std::filesystem::path root = platform::ProgramFolder() / "LumivaneData";
    const std::filesystem::path folder = root / "models" / "textures";
    ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
    CapturedMessages messages;
    DeviceTextureHost host;
    host.width = 1280;
    host.height = 1024;
    ScriptConfig config;
    ASSERT_TRUE(config.Load(root));
    TextureManager manager;
    manager.SetDataRoot(root);
    manager.SetScriptConfig(&config);
    manager.SetPhysicalMemory(8ull << 30);
    ASSERT_TRUE(manager.Init(host));

    int loaded = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".dds") continue;
        TextureSet* set = manager.GetTexture("models\\textures\\" + name, "test", 1, 0);
        ASSERT_TRUE(set) << name;
        ++loaded;
    }
    EXPECT_GE(loaded, 13);
    EXPECT_TRUE(messages.warnings.empty());

    TextureSet* explosion = manager.GetTexture("models\\textures\\explosion000.dds", "test", 0, 1);
    ASSERT_TRUE(explosion);
    EXPECT_EQ(explosion->FrameCount(), 8);
    EXPECT_EQ(explosion->GetPixelKind(), kPixelKindAlpha);
    host.dot3 = false;
    host.envBump = true;
    TextureSet* bump = manager.GetTexture("models\\textures\\asteroid_bump.dds", "test", 0, 0);
    ASSERT_TRUE(bump);
    EXPECT_EQ(bump->GetPixelKind(), kPixelKindBump);
    // At 1280 x 1024 the stars keep levels up to 6 in slots of their own.
    TextureSet* stars = manager.Find("models\\textures\\stars.dds");
    ASSERT_TRUE(stars);
    TextureFrame* frame = stars->GetFrame(0);
    ASSERT_EQ(frame->LevelCount(), 7);
    EXPECT_NE(frame->Level(6)->slot, nullptr);
}
