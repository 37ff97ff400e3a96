// The program's scene engine loads the shipped models with the load
// screen's bar moving forward, their textures through the texture manager
// without a missing file, and builds the slot pool afterwards.
#include "desktop/app/program_scene_engine.h"
#include "desktop/display/host_window.h"
#include "desktop/display/program_display.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/world/model_library.h"
#include "platform/paths.h"
#include "platform/window.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

using namespace lumivane;

namespace {

class HiddenHost : public HostWindow {
public:
    HiddenHost() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        platform::WindowDesc desc;
        desc.width = 320;
        desc.height = 240;
        desc.hidden = true;
        window = platform::Window::Create(desc);
    }
    uint64_t Handle() const override { return 1; }
    bool Exists() override { return true; }
    bool ClientSize(int& w, int& h) override {
        w = 320;
        h = 240;
        return true;
    }
    bool IsCovered() override { return false; }
    platform::Window* OwnWindow() override { return window.get(); }
    std::unique_ptr<platform::Window> window;
};

} // namespace

TEST(LvSceneEngineModels, ShippedModelsLoadWithTheirTexturesAndAMovingBar) {
    const std::filesystem::path root = platform::ProgramFolder() / "LumivaneData";
    ProgramDisplayOptions options;
    options.display.deviceKind = platform::render::DeviceKind::Recording;
    options.display.dataRoot = root;
    ProgramDisplay display(std::make_unique<DisplayHost>(), options);
    HiddenHost host;
    ASSERT_TRUE(host.window);
    ASSERT_TRUE(display.Create(host, 320, 240));

    ProgramSceneEngine::Sources sources;
    sources.dataRoot = [root] { return root; };
    ProgramSceneEngine scene(std::move(sources));
    scene.CreateServices();
    ASSERT_EQ(GetModelLibrary(), scene.Library());
    std::vector<float> bar;
    int asked = 0;
    ASSERT_TRUE(scene.LoadModels([&] { return ++asked < 0; }, [&](float f) { bar.push_back(f); }));
    EXPECT_GT(asked, 0);
    ASSERT_GE(bar.size(), 2u);
    EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()));
    EXPECT_GE(bar.back(), 0.5f);
    ModelLibrary& library = *scene.Library();
    EXPECT_NE(library.FindPrototype("Sun"), nullptr);
    EXPECT_TRUE(library.MissingFiles().empty());
    ASSERT_NE(gpTextureManager->Find("models\\textures\\sun.dds"), nullptr);
    // The models' vertices went into the display's shared buffer.
    EXPECT_NE(display.GetDisplay()->SharedVertices(), nullptr);

    EXPECT_TRUE(scene.CreateTextureSlots());
    scene.Term();
    EXPECT_EQ(GetModelLibrary(), nullptr);
}
