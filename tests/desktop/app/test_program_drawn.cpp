// The desktop program with its own scene engine and display, drawing the
// shipped data into hidden windows on a test clock: the logo drifts while
// the desktop plays the screen saver and slides back in after, and
// "NoVertexBuffers" keeps the models out of a shared vertex buffer.
#include "desktop/display/device/display.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/sequencer.h"
#include "desktop/scene/world/model_library.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "platform/paths.h"
#include "platform/window.h"
#include "tests/desktop/app/app_test_support.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace lumivane;
using namespace app_test;

namespace {

constexpr int kWidth = 320, kHeight = 240;

// A window of the test's own for every window the program is handed or
// makes, drawn into by the real display.
class HiddenHost : public HostWindow {
public:
    explicit HiddenHost(uint64_t id) : id_(id) {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        platform::WindowDesc desc;
        desc.width = kWidth;
        desc.height = kHeight;
        desc.hidden = true;
        window_ = platform::Window::Create(desc);
    }
    uint64_t Handle() const override { return id_; }
    bool Exists() override { return window_ != nullptr; }
    bool ClientSize(int& w, int& h) override {
        w = kWidth;
        h = kHeight;
        return window_ != nullptr;
    }
    bool IsCovered() override { return false; }
    platform::Window* OwnWindow() override { return window_.get(); }

private:
    uint64_t id_;
    std::unique_ptr<platform::Window> window_;
};

class HiddenWindows : public WindowSystem {
public:
    bool OpenDisplay(std::string*) override { return true; }
    std::unique_ptr<HostWindow> Foreign(uint64_t id) override {
        return std::make_unique<HiddenHost>(id);
    }
    std::unique_ptr<HostWindow> OpenScreensaverWindows(const std::string&) override {
        return std::make_unique<HiddenHost>(0x5001);
    }
    std::unique_ptr<HostWindow> OpenStandInHost(const std::string&, int, int) override {
        return std::make_unique<HiddenHost>(0x7000);
    }
    bool DesktopSize(int& w, int& h) override {
        w = kWidth;
        h = kHeight;
        return true;
    }
    bool ProbeGraphics(std::string*) override { return true; }
};

class LvProgramDrawn : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        SetMachine("WorkingDir", (platform::ProgramFolder() / "LumivaneData").string());
        SetUser(values::kRandomStartup, uint8_t(0));
        SetUser(values::kScene, std::string("fleet.mis"));
        useClock_ = std::make_unique<platform::ScopedClock>(clock_);
    }
    void TearDown() override {
        app_.reset();
        useClock_.reset();
        AppTest::TearDown();
    }

    DesktopApp& RunningDesktop() {
        AppServices services;
        services.windows = std::make_unique<HiddenWindows>();
        services.makeDisplay = MakeProgramDisplay;
        services.scene = MakeProgramSceneEngine();
        app_ = std::make_unique<DesktopApp>(std::move(services));
        EXPECT_TRUE(app_->SetUpMode({"1a2b"}));
        EXPECT_EQ(app_->Startup(), DesktopApp::StartupResult::Ready);
        app_->BeginRun();
        EXPECT_EQ(app_->FirstRun(), DesktopApp::FirstRunResult::Ready);
        app_->ReadyToLoop();
        Pass();
        return *app_;
    }
    void Pass(int count = 1) {
        for (int i = 0; i < count; ++i) {
            clock_.AdvanceMilliseconds(33);
            app_->MainLoopPass();
        }
    }
    static int SharedGeoNodes(int* all = nullptr) {
        int shared = 0, count = 0;
        std::vector<Node*> pending{GetModelLibrary()->Root()};
        while (!pending.empty()) {
            Node* node = pending.back();
            pending.pop_back();
            if (IsA(node, ClassId::GeoNode)) {
                ++count;
                shared += static_cast<GeoNode*>(node)->inSharedBuffer != 0;
            }
            for (int i = 0; i < node->ChildCount(); ++i)
                pending.push_back(node->ChildAt(i));
        }
        if (all) *all = count;
        return shared;
    }

    platform::TestClock clock_{1000};
    std::unique_ptr<platform::ScopedClock> useClock_;
    std::unique_ptr<DesktopApp> app_;
};

struct LogoPlay {
    bool on, onLoops, saver, saverLoops;
    float saverTime;
};

LogoPlay Play(const Entity& logo) {
    const Sequencer& sequencer = *logo.sequencer;
    const SequenceState& on = logo.sequenceStates.at(size_t(sequencer.FindSequence("on")));
    const SequenceState& saver =
        logo.sequenceStates.at(size_t(sequencer.FindSequence("screensaver")));
    return {on.playing != 0, on.loop != 0, saver.playing != 0, saver.loop != 0, saver.time};
}

} // namespace

TEST_F(LvProgramDrawn, TheLogoDriftsWhileTheDesktopIsTheScreenSaverAndSlidesInAfter) {
    DesktopApp& app = RunningDesktop();
    Pass(40); // "on" has slid the logo in
    Entity* logo = GetSceneDisplay().FindOverlay("logo");
    ASSERT_NE(logo, nullptr);
    ASSERT_NE(logo->sequencer, nullptr);
    EXPECT_FALSE(Play(*logo).saver);

    OpenEvent(DesktopEvent::Screensaver)->Set();
    Pass();
    ASSERT_TRUE(app.DesktopScreensaverActive());
    ASSERT_EQ(GetSceneDisplay().FindOverlay("logo"), logo);
    LogoPlay play = Play(*logo);
    EXPECT_FALSE(play.on);
    EXPECT_TRUE(play.saver);
    EXPECT_TRUE(play.saverLoops);
    // It drifts on, round and round: its time grows and starts over.
    float highest = play.saverTime;
    bool wrapped = false;
    for (int i = 0; i < 200; ++i) { // over 6 s, more than one round of 4 s
        const float before = Play(*logo).saverTime;
        Pass();
        play = Play(*logo);
        ASSERT_TRUE(play.saver);
        highest = std::max(highest, play.saverTime);
        wrapped = wrapped || play.saverTime < before;
    }
    EXPECT_GT(highest, 4.0f);
    EXPECT_TRUE(wrapped);

    app.EndDesktopScreensaver();
    Pass();
    EXPECT_FALSE(app.DesktopScreensaverActive());
    play = Play(*logo);
    EXPECT_FALSE(play.saver);
    EXPECT_TRUE(play.on);
    EXPECT_FALSE(play.onLoops);
    // The models shared one vertex buffer all along.
    EXPECT_GT(SharedGeoNodes(), 0);
    EXPECT_NE(app.Display()->DrawingDisplay()->SharedVertices(), nullptr);
}

TEST_F(LvProgramDrawn, NoVertexBuffersKeepsEveryModelOutOfASharedBuffer) {
    SetUser(values::kNoVertexBuffers, 1u);
    DesktopApp& app = RunningDesktop();
    EXPECT_TRUE(app.VertexBuffersOff());
    EXPECT_FALSE(GetDisplayState().vertexBuffer);
    int geoNodes = 0;
    EXPECT_EQ(SharedGeoNodes(&geoNodes), 0);
    EXPECT_GT(geoNodes, 0);
    EXPECT_EQ(app.Display()->DrawingDisplay()->SharedVertices(), nullptr);
    // A device made again (the five-minute renewal, a quality change)
    // builds no buffer either, and the models still draw.
    GetModelLibrary()->BuildVertexBuffer();
    EXPECT_EQ(SharedGeoNodes(), 0);
    const uint32_t frame = app.FrameNumber();
    Pass(3);
    EXPECT_EQ(app.FrameNumber(), frame + 3);
    EXPECT_EQ(app.Display()->DrawingDisplay()->SharedVertices(), nullptr);
}
