// One pass of the main loop: the named events, settings changes, the
// desktop playing the screen saver, pausing on a still picture and resuming,
// the process priority, then the scene requests, the frame clock and one
// frame of work.
#include "desktop/app/desktop_app.h"
#include "desktop/display/surfaces/heap_return.h"

#include "desktop/app/exit_signal.h"
#include "desktop/app/input_feed.h"
#include "desktop/shell/desktop_objects.h"
#include "desktop/shell/log.h"
#include "desktop/shell/message_boxes.h"
#include "desktop/shell/registry.h"
#include "desktop/scene/object/engine_services.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "platform/process_priority.h"

namespace lumivane {

namespace {

constexpr uint32_t kPausedSleepMs = 100;
constexpr uint32_t kWaitForPaintSleepMs = 200;
constexpr uint32_t kRetrySleepMs = 1000;
constexpr uint32_t kNewProcessPauseMs = 3000;
constexpr uint32_t kForcedRecreatePeriodMs = 300000;
constexpr int kFramesSkippedAfterSceneChange = 2;
// The frame rate the loop keeps to (about 30 a second): a machine that
// draws faster sleeps out the rest of each frame instead of drawing frames
// no one sees.
constexpr uint32_t kTargetFrameMs = 33;
// How often the free room of the heap goes back to the system.
constexpr uint32_t kHeapReturnPeriodMs = 5000;

} // namespace

void DesktopApp::LowerPriority() {
    if (DesktopMode() && platform::GetProcessPriority() != platform::PriorityClass::Idle)
        platform::SetProcessPriority(platform::PriorityClass::Idle);
}

void DesktopApp::InvalidateHost() {
    // On the desktop page the host's control answered a repaint of its
    // window with Paint. No Linux host does, so the program answers for it:
    // the next pass (or wait) sees Paint and makes the display again.
    Signal(DesktopEvent::Paint, true);
}

void DesktopApp::TrackNewProcess(uint32_t now) {
    if (Poll(DesktopEvent::NewProcess)) {
        newProcessNoted_ = true;
        newProcessTime_ = now;
    }
    if (newProcessNoted_ && now - newProcessTime_ > kNewProcessPauseMs) newProcessNoted_ = false;
    // Every five minutes the running desktop lets go of its display for one
    // pass and makes it again, as a fresh start would.
    if (now - lastFiveMinuteMark_ >= kForcedRecreatePeriodMs) {
        lastFiveMinuteMark_ = now;
        if (!newProcessNoted_) {
            newProcessNoted_ = true;
            newProcessTime_ = now - kNewProcessPauseMs;
        }
    }
}

int DesktopApp::MainLoopPass() {
    // The window drawn into belongs to another program, which may destroy
    // it at any time: then there is nothing left to draw for.
    if (host_ && !host_->Exists()) {
        EndForGoneHost();
        return 0;
    }
    const bool redraw = Poll(DesktopEvent::Redraw);
    const bool exitSignalled = ExitRequested();
    // Without named events nobody could signal Paint: it always holds.
    const bool paint = objects_ ? Poll(DesktopEvent::Paint) : true;
    if (objects_ && TakeRaiseRequest(objects_->Mapping()))
        platform::SetProcessPriority(platform::PriorityClass::High);

    if (DesktopMode() && Poll(DesktopEvent::Screensaver) && !desktopScreensaverActive_)
        EnterDesktopScreensaver();
    if (desktopScreensaverEnded_ && desktopScreensaverActive_) LeaveDesktopScreensaver();

    if (redraw && !stillPicture_.Empty() && display_) {
        display_->PaintStill(stillPicture_);
        LowerPriority();
    }
    if (exitSignalled) {
        quitting_ = true;
        createFailed_ = false;
        Log("Exit event signaled");
        PostQuit();
        return 0;
    }

    pausedBefore_ = freeze_ || covered_ || newProcessNoted_;
    if (DesktopMode() && registry_ && registry_->HasChanged()) ReadChangedSettings();
    if (DesktopMode() && host_) covered_ = host_->IsCovered();
    const uint32_t now = platform::TickCount();
    TrackNewProcess(now);

    if (freeze_ || covered_ || newProcessNoted_) {
        Pause(now);
        return 0;
    }
    if (pausedBefore_ && !Resume()) return 0;
    RunningPass(paint);
    return 0;
}

void DesktopApp::Pause(uint32_t now) {
    if (!volumeMuted_) {
        SetVolumes(0.0f);
        services_.scene->UpdateSound();
        volumeMuted_ = true;
    }
    if (!pausedBefore_ && display_) {
        stillPicture_ = display_->CaptureFrame();
        display_->ReleaseDevice();
        lastFiveMinuteMark_ = now;
    }
    LowerPriority();
    SleepUnlessExitSignal(kPausedSleepMs);
}

bool DesktopApp::Resume() {
    stillPicture_ = {};
    Signal(DesktopEvent::Loading, true);
    if (!display_ || !display_->Recreate()) {
        resumePending_ = true;
        LowerPriority();
        SleepUnlessExitSignal(kRetrySleepMs);
        return false;
    }
    Signal(DesktopEvent::Loading, false);
    ReadVolume(true);
    return true;
}

void DesktopApp::ReadChangedSettings() {
    const std::string scene = registry_->Read(values::kScene);
    if (!platform::EqualsIgnoreCase(scene, currentScene_)) {
        currentScene_ = scene;
        nextScenePath_ = "scenes\\" + scene;
        randomTimerMs_ = 0;
        loadRequest_ = true;
        if (display_) display_->SkipFrames(kFramesSkippedAfterSceneChange);
    }
    freeze_ = registry_->Read(values::kFreeze) != 0;
    ReadVolume(false);
    randomPeriod_ = registry_->Read(values::kRandomPeriod);
    if (registry_->Read(values::kRandomNow) != 0) {
        {
            const ExitWatchdogHold hold; // the write, not the scene's choice
            registry_->Write(values::kRandomNow, uint8_t(0));
        }
        PickRandomScene();
        randomTimerMs_ = 0;
    }
    const bool logo = registry_->Read(values::kLogo) != 0;
    if (logo != logo_) {
        services_.scene->ShowLogo(logo, ScreensaverMode());
        logo_ = logo;
    }
    const bool highQuality =
        registry_->Read(values::kHighQualityMode, uint8_t(highQualityMode_)) != 0;
    if (highQuality != highQualityMode_) {
        highQualityMode_ = highQuality;
        ApplyQualityChange();
    }
}

// The display is made again in the new quality. One try per pass: when it
// fails, the resume path retries on later passes, which still see Exit.
void DesktopApp::ApplyQualityChange() {
    if (!display_) return;
    display_->ReleaseDevice();
    Signal(DesktopEvent::Loading, true);
    if (!display_->Recreate()) {
        resumePending_ = true;
        return;
    }
    resumePending_ = false;
    Signal(DesktopEvent::Loading, false);
    ReadVolume(false);
}

bool DesktopApp::CreateDisplayForHost() {
    int width = 0, height = 0;
    return display_ && host_ && host_->ClientSize(width, height) &&
           display_->Create(*host_, width, height);
}

void DesktopApp::EnterDesktopScreensaver() {
    desktopScreensaverActive_ = true;
    SetBoxesHeldBack(true);
    inputFeed_->SetPointerShown(false);
    if (logo_) services_.scene->SwitchLogoSequence(true);
    registry_->Write(values::kFreeze, 0u);
    freeze_ = false;
    stillPicture_ = {};
    ReadVolume(true);
    if (display_) display_->ReleaseDevice();
    auto windows = services_.windows->OpenScreensaverWindows(Text(kEntryWindowTitle) + "      ");
    if (windows) {
        desktopHost_ = std::move(host_);
        host_ = std::move(windows);
    }
    if (!CreateDisplayForHost()) resumePending_ = true;
    // Input that came before the windows were up does not end the show.
    events_.Pump();
    events_.Clear();
}

void DesktopApp::LeaveDesktopScreensaver() {
    desktopScreensaverEnded_ = false;
    desktopScreensaverActive_ = false;
    SetBoxesHeldBack(false);
    inputFeed_->SetPointerShown(true);
    if (display_) display_->ReleaseDevice();
    if (desktopHost_) host_ = std::move(desktopHost_); // closes the screen saver's windows
    quitting_ = false;
    if (CreateDisplayForHost()) {
        ReadVolume(false);
    } else {
        resumePending_ = true;
    }
    if (logo_) services_.scene->SwitchLogoSequence(false);
}

void DesktopApp::RunningPass(bool paintSignalled) {
    if (resumePending_) {
        Signal(DesktopEvent::Loading, true);
        if (!paintSignalled) {
            InvalidateHost();
            LowerPriority();
            SleepUnlessExitSignal(kWaitForPaintSleepMs);
            return;
        }
        if (!display_ || !display_->Recreate()) {
            SleepUnlessExitSignal(kRetrySleepMs);
            return;
        }
        resumePending_ = false;
        Signal(DesktopEvent::Loading, false);
        Signal(DesktopEvent::Preload, false);
        ReadVolume(true);
    }
    Signal(DesktopEvent::Paint, false);

    if (platform::GetProcessPriority() == platform::PriorityClass::High) {
        platform::SetProcessPriority(platform::PriorityClass::Normal);
    } else {
        LowerPriority();
    }
    YieldTimeSlice();

    if (randomPeriod_ != 0) {
        if (randomTimerMs_ >= randomPeriod_ * 1000u) {
            PickRandomScene();
            randomTimerMs_ = 0;
        }
        randomTimerMs_ += uint32_t(clock_.PreviousFrameTime() * 1000.0f);
    } else {
        randomTimerMs_ = 0;
    }
    // A host that sends the exit signal waits only briefly for the program
    // to end: no scene is loaded, and no frame drawn, that no one will see.
    if (ExitSignalPending()) return;
    RunRequests();

    PaceFrame();
    clock_.Advance(platform::TickCount(), services_.scene->Paused());
    SceneClock& sceneClock = GetSceneClock();
    sceneClock.gameTime = clock_.GameTimeMs();
    sceneClock.realTime = clock_.RealTimeMs();
    sceneClock.frameTime = clock_.GameStep();
    sceneClock.realFrameTime = clock_.FrameTime();
    FrameWork();
    GiveBackHeapNowAndThen();
}

void DesktopApp::GiveBackHeapNowAndThen() {
    // The GL driver takes and frees tens of megabytes in a busy frame (its
    // binning of a screen full of particles, the texels of levels coming and
    // going), in blocks among ones that stay; the allocator keeps what they
    // leave free for good unless asked. Asked every few seconds, resident
    // memory follows what is in use instead of the highest it ever was, for
    // a millisecond now and then.
    const uint32_t now = platform::TickCount();
    if (now - lastHeapReturnMs_ < kHeapReturnPeriodMs) return;
    lastHeapReturnMs_ = now;
    GiveBackFreeMemory();
}

void DesktopApp::PaceFrame() {
    const uint32_t sinceLastFrame = platform::TickCount() - lastFrameStartMs_;
    if (sinceLastFrame < kTargetFrameMs) SleepUnlessExitSignal(kTargetFrameMs - sinceLastFrame);
    lastFrameStartMs_ = platform::TickCount();
}

void DesktopApp::RunRequests() {
    SceneEngine& scene = *services_.scene;
    if (loadRequest_) {
        loadRequest_ = false;
        bool loaded = scene.LoadScene(nextScenePath_);
        if (!loaded) {
            Log("Scene failed to load: %s", nextScenePath_.c_str());
            nextScenePath_ = std::string("scenes\\") + kDefaultScene;
            loaded = scene.LoadScene(nextScenePath_);
        }
        if (loaded) {
            Log("Scene loaded: %s", nextScenePath_.c_str());
            StartScene();
        } else {
            Log("Scene failed to load: %s", nextScenePath_.c_str());
        }
        scene.AfterLoadRequest(firstLoadOfRun_);
        firstLoadOfRun_ = false;
    }
    if (saveRequest_) {
        saveRequest_ = false;
        scene.SaveState(nextScenePath_);
    }
    if (restoreRequest_) {
        restoreRequest_ = false;
        StartScene();
        scene.LoadState(nextScenePath_);
        scene.AfterStateRestore();
    }
}

void DesktopApp::FrameWork() {
    SceneEngine& scene = *services_.scene;
    scene.Step(FrameStep::DeliverMessages);
    scene.Step(FrameStep::ForgetTextureRequests);
    YieldTimeSlice();
    scene.Step(FrameStep::Triggers);
    YieldTimeSlice();
    scene.Step(FrameStep::CommandInterface);
    YieldTimeSlice();
    scene.Step(FrameStep::Players);
    scene.Step(FrameStep::World);
    YieldTimeSlice();
    scene.Step(FrameStep::Camera);
    scene.Step(FrameStep::Sound);
    YieldTimeSlice();
    // The exit signal came during the frame: its picture is not drawn.
    if (ExitSignalPending()) return;
    if (display_) {
        display_->PresentFrame();
        // A device lost while presenting is made again by the resume path,
        // which also brings back the sound the display silenced.
        if (display_->TakeDeviceLost()) resumePending_ = true;
    }
    ++GetSceneClock().frame;
    scene.Step(FrameStep::FlushRemovals);
    YieldTimeSlice();
}

} // namespace lumivane
