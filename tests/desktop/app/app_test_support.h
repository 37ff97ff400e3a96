// Shared set-up of the Lumivane program tests: a data root of the test's
// own named by the machine value "WorkingDir", scripted windows and a
// scripted display, a scene engine that records what it is asked, and a
// recorder of message boxes.
#pragma once

#include "desktop/app/desktop_app.h"
#include "desktop/shell/desktop_objects.h"
#include "desktop/shell/registry.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "tests/desktop/shell/shell_test_support.h"

#include <atomic>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace app_test {

class FakeHost : public lumivane::HostWindow {
public:
    explicit FakeHost(uint64_t id, bool exists = true) : id(id), exists(exists) {}
    uint64_t Handle() const override { return id; }
    bool Exists() override { return exists; }
    bool ClientSize(int& w, int& h) override {
        w = width;
        h = height;
        return exists;
    }
    bool IsCovered() override { return covered; }
    void SharedPointerEvents(std::vector<platform::Event>& out) override {
        ++sharedPolls;
        out.insert(out.end(), shared.begin(), shared.end());
        shared.clear();
    }

    uint64_t id;
    bool exists;
    bool covered = false;
    int width = 1280, height = 1024;
    // What the window's shared pointer gives at the next poll.
    std::vector<platform::Event> shared;
    int sharedPolls = 0;
};

// What the scripted windows were asked, shared with the test.
struct WindowLog {
    std::vector<uint64_t> foreign;
    int screensaverWindows = 0;
    int standInHosts = 0;
    bool foreignExists = true;
    bool graphicsPresent = true;
    bool displayOpens = true;
    int desktopWidth = 1280;
    FakeHost* lastHost = nullptr;
};

class FakeWindows : public lumivane::WindowSystem {
public:
    explicit FakeWindows(WindowLog& log) : log_(log) {}
    bool OpenDisplay(std::string* error) override {
        if (!log_.displayOpens && error) *error = "cannot open the X display \":99\"";
        return log_.displayOpens;
    }
    std::unique_ptr<lumivane::HostWindow> Foreign(uint64_t id) override {
        log_.foreign.push_back(id);
        return Keep(std::make_unique<FakeHost>(id, log_.foreignExists));
    }
    std::unique_ptr<lumivane::HostWindow> OpenScreensaverWindows(const std::string&) override {
        ++log_.screensaverWindows;
        return Keep(std::make_unique<FakeHost>(0x5000 + uint64_t(log_.screensaverWindows)));
    }
    std::unique_ptr<lumivane::HostWindow> OpenStandInHost(const std::string&, int w,
                                                          int h) override {
        ++log_.standInHosts;
        auto host = std::make_unique<FakeHost>(0x7000);
        host->width = w;
        host->height = h;
        return Keep(std::move(host));
    }
    bool DesktopSize(int& w, int& h) override {
        w = log_.desktopWidth;
        h = 768;
        return true;
    }
    bool ProbeGraphics(std::string* error) override {
        if (!log_.graphicsPresent && error) *error = "no OpenGL 3.3";
        return log_.graphicsPresent;
    }

private:
    std::unique_ptr<lumivane::HostWindow> Keep(std::unique_ptr<FakeHost> host) {
        log_.lastHost = host.get();
        return host;
    }
    WindowLog& log_;
};

// What the scripted display was asked, and how it answers.
struct DisplayLog {
    int creates = 0, recreates = 0, releases = 0, captures = 0, stills = 0;
    std::atomic<int> presents{0}; // watched by other threads
    std::vector<int> skips;
    std::vector<uint64_t> createdFor;
    // Answers of the next Create/Recreate calls (true when the list is empty).
    std::deque<bool> answers;
    bool loseDevice = false;
    std::function<void()> onCreate; // runs in every Create, before it answers
    int destroyed = 0;
};

class ScriptedDisplay : public lumivane::AppDisplay {
public:
    explicit ScriptedDisplay(DisplayLog& log) : log_(log) {}
    ~ScriptedDisplay() override { ++log_.destroyed; }
    bool Create(lumivane::HostWindow& window, int, int) override {
        ++log_.creates;
        log_.createdFor.push_back(window.Handle());
        if (log_.onCreate) log_.onCreate();
        return has_ = Answer();
    }
    bool Recreate() override {
        ++log_.recreates;
        return has_ = Answer();
    }
    void ReleaseDevice() override {
        ++log_.releases;
        has_ = false;
    }
    bool HasDevice() const override { return has_; }
    void PresentFrame() override { ++log_.presents; }
    void SkipFrames(int count) override { log_.skips.push_back(count); }
    platform::image::Image CaptureFrame() override {
        ++log_.captures;
        return platform::image::MakeImage(platform::image::PixelFormat::R8G8B8, 4, 4);
    }
    void PaintStill(const platform::image::Image&) override { ++log_.stills; }
    void ShowLoadScreen() override {}
    void DrawProgress(float) override {}
    bool TakeDeviceLost() override {
        const bool lost = log_.loseDevice;
        log_.loseDevice = false;
        return lost;
    }
    bool HandleEvent(const platform::Event&) override { return false; }

private:
    bool Answer() {
        if (log_.answers.empty()) return true;
        const bool answer = log_.answers.front();
        log_.answers.pop_front();
        return answer;
    }
    DisplayLog& log_;
    bool has_ = false;
};

struct SceneLog {
    std::vector<std::string> loads;
    std::vector<float> volumes;
    std::vector<lumivane::FrameStep> steps;
    int startScenes = 0;
    int firstRunSetUps = 0;
    bool loadSucceeds = true;
    // Runs inside the model load, which then asks whether to stop.
    std::function<void()> duringModelLoad;
    // Runs after each step of a frame's work is recorded.
    std::function<void(lumivane::FrameStep)> onStep;
    int terms = 0; // the scene engine was torn down
};

class RecordingScene : public lumivane::SceneEngine {
public:
    explicit RecordingScene(SceneLog& log) : log_(log) {}
    void SetVolume(float level) override { log_.volumes.push_back(level); }
    bool LoadScene(const std::string& path) override {
        log_.loads.push_back(path);
        return log_.loadSucceeds;
    }
    void StartScene() override { ++log_.startScenes; }
    bool LoadModels(const std::function<bool()>& shouldAbort,
                    const std::function<void(float)>&) override {
        if (!log_.duringModelLoad) return true;
        log_.duringModelLoad();
        return !shouldAbort();
    }
    void SetUpFirstRun() override { ++log_.firstRunSetUps; }
    void Step(lumivane::FrameStep step) override {
        log_.steps.push_back(step);
        if (log_.onStep) log_.onStep(step);
    }
    void Term() override { ++log_.terms; }

private:
    SceneLog& log_;
};

// Each test: its own settings, named objects and data root (with the
// language file and script configuration of the build), message boxes
// recorded instead of shown.
class AppTest : public shell_test::ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        dataRoot_ = Dir() / "data";
        std::filesystem::create_directories(dataRoot_ / "scenes");
        shell_test::WriteFile(dataRoot_ / "script.dat", "[Game]\n<settings>\n");
        shell_test::WriteFile(dataRoot_ / "Langfile.csv",
                              "Lumivane language table\nId,Context,English\n1,caption,Error\n"
                              "5058,title,Lumivane\n9290,display failed,Display failed\n"
                              "1053,graphics,Too old\n");
        startDir_ = std::filesystem::current_path();
        SetMachine("WorkingDir", dataRoot_.string());
        previousHook_ = platform::SetMessageBoxHook([this](const platform::MessageBoxRequest& r) {
            boxes_.push_back(r.text);
            return r.buttons == platform::MessageBoxButtons::YesNo ? platform::MessageBoxResult::No
                                                                   : platform::MessageBoxResult::Ok;
        });
    }
    void TearDown() override {
        platform::SetMessageBoxHook(previousHook_);
        std::error_code ignored;
        std::filesystem::current_path(startDir_, ignored);
        ShellTest::TearDown();
    }

    void SetMachine(const char* name, const std::string& text) {
        lumivane::SettingsKey key;
        ASSERT_TRUE(key.OpenKeys());
        key.SetString(name, text, lumivane::KeyRoot::Machine);
    }
    void SetMachine(const char* name, uint32_t value) {
        lumivane::SettingsKey key;
        ASSERT_TRUE(key.OpenKeys());
        key.SetDword(name, value, lumivane::KeyRoot::Machine);
    }
    template <typename Value, typename Data> void SetUser(const Value& value, Data data) {
        lumivane::SettingsKey key;
        ASSERT_TRUE(key.OpenKeys());
        key.Write(value, data);
    }

    lumivane::AppServices Services() {
        lumivane::AppServices services;
        services.windows = std::make_unique<FakeWindows>(windows_);
        services.makeDisplay = [this] { return std::make_unique<ScriptedDisplay>(display_); };
        services.scene = std::make_unique<RecordingScene>(scene_);
        return services;
    }

    // An application made ready to run passes of its main loop.
    std::unique_ptr<lumivane::DesktopApp> ReadyApp(const std::vector<std::string>& args) {
        auto app = std::make_unique<lumivane::DesktopApp>(Services());
        EXPECT_TRUE(app->SetUpMode(args));
        EXPECT_EQ(app->Startup(), lumivane::DesktopApp::StartupResult::Ready);
        app->BeginRun();
        EXPECT_EQ(app->FirstRun(), lumivane::DesktopApp::FirstRunResult::Ready);
        app->ReadyToLoop();
        return app;
    }

    // An event of the running program, opened by name as another process would.
    std::unique_ptr<platform::NamedEvent> OpenEvent(lumivane::DesktopEvent event) {
        const auto& desc = lumivane::kDesktopEvents[size_t(event)];
        return platform::NamedEvent::Create(desc.name, desc.manualReset, desc.initialState);
    }

    std::string LogText() const { return shell_test::ReadFile(dataRoot_ / "log.txt"); }

    std::filesystem::path dataRoot_;
    std::filesystem::path startDir_;
    WindowLog windows_;
    DisplayLog display_;
    SceneLog scene_;
    std::vector<std::string> boxes_;
    platform::MessageBoxHook previousHook_;
};

} // namespace app_test
