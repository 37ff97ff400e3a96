// What a scene takes it gives back: the program's own scene change (the
// main loop's load request, the scene engine's load and StartScene) run
// again and again between two shipped scenes leaves the heap where the
// first round left it, within a small bound.
#include "desktop/app/app_scene_application.h"
#include "desktop/display/textures/texture_manager.h"
#include "desktop/scene/world/scene.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/world.h"
#include "platform/paths.h"
#include "tests/desktop/app/app_test_support.h"

#include <malloc.h>

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator keeps its own count; gcc ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

using namespace lumivane;
using namespace app_test;

namespace {

// Bytes the allocator has handed out and not had back.
double HeapInUseMiB() {
#if defined(__SANITIZE_ADDRESS__)
    const double bytes = double(__sanitizer_get_current_allocated_bytes());
#else
    const struct mallinfo2 info = mallinfo2();
    const double bytes = double(info.uordblks + info.hblkhd);
#endif
    return bytes / (1024.0 * 1024.0);
}

class LvSceneMemory : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        // The shipped prototypes, scenes and sounds; no textures (nothing
        // here draws).
        const auto shipped = platform::ProgramFolder() / "LumivaneData";
        for (const char* folder : {"models", "properties", "scenes", "sounds"})
            std::filesystem::copy(shipped / folder, dataRoot_ / folder,
                                  std::filesystem::copy_options::recursive);
        SetSceneDisplay(&sceneDisplay_);
        gpTextureManager = &textures_;
        useClock_ = std::make_unique<platform::ScopedClock>(clock_);
    }
    void TearDown() override {
        useClock_.reset();
        gpTextureManager = nullptr;
        SetSceneDisplay(nullptr);
        AppTest::TearDown();
    }

    std::unique_ptr<DesktopApp> RunningDesktop(const std::string& scene) {
        SetUser(values::kRandomStartup, uint8_t(0));
        SetUser(values::kRandomPeriod, 0u);
        SetUser(values::kScene, scene);
        lumivane::AppServices services = Services();
        services.scene = MakeProgramSceneEngine();
        auto app = std::make_unique<DesktopApp>(std::move(services));
        EXPECT_TRUE(app->SetUpMode({"1a2b"}));
        EXPECT_EQ(app->Startup(), DesktopApp::StartupResult::Ready);
        app->BeginRun();
        EXPECT_EQ(app->FirstRun(), DesktopApp::FirstRunResult::Ready);
        app->ReadyToLoop();
        return app;
    }
    void Pass(DesktopApp& app, int count) {
        for (int i = 0; i < count; ++i) {
            clock_.AdvanceMilliseconds(33);
            app.MainLoopPass();
        }
    }
    // Another process chooses the scene; it plays for a few seconds.
    void Play(DesktopApp& app, const std::string& scene) {
        SetUser(values::kScene, scene);
        Pass(app, kFramesAScene);
        ASSERT_EQ(app.CurrentScene(), scene);
    }

    static constexpr int kFramesAScene = 150; // 5 s: ships fire, parts spawn and die

    SceneDisplay sceneDisplay_;
    TextureManager textures_;
    platform::TestClock clock_{1000};
    std::unique_ptr<platform::ScopedClock> useClock_;
};

} // namespace

TEST_F(LvSceneMemory, LoadingAndUnloadingScenesGivesTheHeapBack) {
    auto app = RunningDesktop("battle.mis");
    Pass(*app, kFramesAScene);
    ASSERT_NE(GetScene(), nullptr);
    ASSERT_GT(GetWorld()->EntityCount(), 10);

    // The first round settles what lives for the program's life (sounds
    // registered once, grown tables); every later round must give back what
    // its scenes took.
    Play(*app, "armada.mis");
    Play(*app, "battle.mis");
    const double settled = HeapInUseMiB();
    double highest = settled;
    for (int round = 0; round < 4; ++round) {
        Play(*app, "armada.mis");
        Play(*app, "battle.mis");
        highest = std::max(highest, HeapInUseMiB());
    }
    const double last = HeapInUseMiB();
    EXPECT_LT(last - settled, 1.0) << "settled " << settled << " MiB, after four rounds " << last;
    EXPECT_LT(highest - settled, 2.0) << "settled " << settled << " MiB, highest " << highest;
    app->Term();
}
