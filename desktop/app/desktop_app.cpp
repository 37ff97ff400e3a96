// The application object's life: the mode and its named objects, the main
// body with its runs and failure paths, the message pump and the clean-up.
#include "desktop/app/desktop_app.h"

#include "desktop/app/app_scene_application.h"
#include "desktop/app/exit_signal.h"
#include "desktop/app/input_feed.h"
#include "desktop/shell/active_desktop.h"
#include "desktop/shell/crash/crash_handler.h"
#include "desktop/shell/desktop_objects.h"
#include "desktop/shell/language_table.h"
#include "desktop/shell/log.h"
#include "desktop/shell/message_boxes.h"
#include "desktop/shell/registry.h"
#include "desktop/app/app_display_host.h"
#include "desktop/app/program_scene_engine.h"
#include "desktop/display/device/power_save_check.h"
#include "desktop/display/program_display.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/script_config.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/scene/world/scene_services.h"
#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/message_box.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace lumivane {

DesktopApp* gpDesktopApp = nullptr;

namespace {

constexpr int kDisplayCreateTries = 4;
constexpr uint32_t kRetryPauseMs = 1000;
constexpr uint32_t kEventWaitStepMs = 50;
constexpr const char* kPauseOverlay = "Pause";

} // namespace

std::unique_ptr<SceneEngine> MakeProgramSceneEngine() {
    ProgramSceneEngine::Sources sources;
    sources.dataRoot = [] {
        return gpDesktopApp ? gpDesktopApp->DataRoot() : std::filesystem::path();
    };
    sources.script = []() -> const ScriptConfig* {
        return gpDesktopApp ? gpDesktopApp->Script() : nullptr;
    };
    sources.display = []() -> Display* {
        AppDisplay* display = gpDesktopApp ? gpDesktopApp->Display() : nullptr;
        return display ? display->DrawingDisplay() : nullptr;
    };
    sources.textAndLogo = [] {
        ProgramSceneEngine::Sources::TextAndLogo settings;
        if (gpDesktopApp) {
            settings.unicode = gpDesktopApp->UnicodeLanguageFile();
            settings.codePage = gpDesktopApp->CodePage();
            settings.logo = gpDesktopApp->LogoShown();
            settings.screensaver = gpDesktopApp->ScreensaverMode();
        }
        return settings;
    };
    return std::make_unique<ProgramSceneEngine>(std::move(sources));
}

std::unique_ptr<AppDisplay> MakeProgramDisplay() {
    ProgramDisplayOptions options;
    if (gpDesktopApp) {
        options.display.dataRoot = gpDesktopApp->DataRoot();
        options.script = gpDesktopApp->Script();
        options.vertexBuffers = !gpDesktopApp->VertexBuffersOff();
    }
    auto display = std::make_unique<ProgramDisplay>(std::make_unique<AppDisplayHost>(), options);
    if (!display->GetDisplay()) return nullptr;
    display->GetDisplay()->SetPowerSchemes(&ProgramMonitorPower());
    return display;
}

AppServices DefaultAppServices() {
    AppServices services;
    services.windows = CreateSystemWindows();
    // Made by the first run, once start-up found the data root and read the
    // script configuration.
    services.makeDisplay = MakeProgramDisplay;
    services.scene = MakeProgramSceneEngine();
    services.processEndsAfter = true;
    return services;
}

DesktopApp::DesktopApp(AppServices services) : services_(std::move(services)) {
    if (!services_.windows) services_.windows = CreateSystemWindows();
    if (!services_.scene) services_.scene = std::make_unique<SceneEngine>();
    keyboard_ = std::make_unique<Keyboard>();
    mouse_ = std::make_unique<Mouse>();
    inputFeed_ = std::make_unique<InputFeed>(*keyboard_, *mouse_);
    // What the scene engine asks of the program: its answers, the key and
    // mouse holders and the pacing yield.
    sceneApplication_ = std::make_unique<AppSceneApplication>(*this);
    SetSceneApplication(sceneApplication_.get());
    SetInputHolders(keyboard_.get(), mouse_.get());
    GetLoopHooks().yield = [this] { YieldTimeSlice(); };
}

DesktopApp::~DesktopApp() {
    // The scene engine goes first: its scene still asks the program.
    services_.scene.reset();
    if (&GetSceneApplication() == sceneApplication_.get()) SetSceneApplication(nullptr);
    if (GetKeyboardHolder() == keyboard_.get()) SetInputHolders(nullptr, nullptr);
    GetLoopHooks().yield = nullptr;
    if (gpDesktopApp == this) gpDesktopApp = nullptr;
    if (gpDesktopObjects == objects_.get()) gpDesktopObjects = nullptr;
    if (gpRegistry == registry_.get()) gpRegistry = nullptr;
    if (gpLanguageTable == languageTable_.get()) gpLanguageTable = nullptr;
    SetBoxesHeldBack(false);
    platform::SetMessageBoxCloseCheck(nullptr);
}

std::string DesktopApp::Text(int entry) const {
    const unsigned codePage = languageTable_ ? languageTable_->CodePage() : 1252;
    return platform::CodePageConverter(codePage).ToUtf8(LanguageText(entry));
}

int DesktopApp::InitInstance(const std::vector<std::string>& args) {
    InstallExitSignals();
    // A box that waits for the user closes when the program is told to end.
    platform::SetMessageBoxCloseCheck([] { return ExitSignalPending(); });
    if (!SetUpMode(args)) return setUpExitCode_;
    InstallCrashReporter(CrashReportSettings{}, "main thread");

    const StartupResult started = Startup();
    if (started != StartupResult::Ready) {
        if (started != StartupResult::Ended) RestoreDesktop();
        Term();
        return started == StartupResult::Failed ? 1 : 0;
    }
    Log("Starting hwnd=%llx", static_cast<unsigned long long>(host_ ? host_->Handle() : 0));
    while (true) {
        BeginRun();
        if (!firstRunDone_) {
            const FirstRunResult first = FirstRun();
            if (first == FirstRunResult::WindowGone) {
                // The host went away before anything was shown: nothing to
                // report, nothing to put back.
                if (objects_) objects_->Event(DesktopEvent::Exit).Reset();
                return 0;
            }
        }
        if (!createFailed_) {
            ReadyToLoop();
            while (PumpEvents())
                MainLoopPass();
            Log("Terminating");
        }
        if (badColourDepth_) {
            Log("BadBPP, waiting for exit");
            if (quitting_ || ExitRequested()) break;
            SleepUnlessExitSignal(kRetryPauseMs);
            Log("BadBPP, retrying");
            // The colour depth, not the display, was at fault: no box.
            badColourDepth_ = createFailed_ = false;
            quitting_ = quitPosted_ = false;
            continue;
        }
        EndRunCleanUp();
        break;
    }
    Term();
    return 0;
}

bool DesktopApp::SetUpMode(const std::vector<std::string>& args) {
    gpDesktopApp = this;
    options_ = ParseCommandLine(args, std::getenv("XSCREENSAVER_WINDOW"));
    if (options_.help) {
        std::fputs(UsageText(), stdout);
        setUpExitCode_ = 0;
        return false;
    }
    if (!options_.unknownOption.empty()) {
        std::fprintf(stderr, "Lumivane: unknown option %s\n%s", options_.unknownOption.c_str(),
                     UsageText());
        setUpExitCode_ = kExitUsage;
        return false;
    }
    setUpExitCode_ = 1;
    if (!options_.refusal.empty()) {
        std::fprintf(stderr, "Lumivane: %s\n", options_.refusal.c_str());
        return false;
    }
    if (!options_.notice.empty()) std::fprintf(stderr, "Lumivane: %s\n", options_.notice.c_str());
    std::string error;
    // Without its display the program has nowhere to draw, nor a box to
    // say so in: it says which display on stderr and makes nothing.
    if (!services_.windows->OpenDisplay(&error)) {
        std::fprintf(stderr, "Lumivane: %s\n", error.c_str());
        return false;
    }
    SetBoxesHeldBack(ScreensaverMode());
    // A screen saver shows no pointer: its mouse only ends it.
    inputFeed_->SetPointerShown(!ScreensaverMode());
    if (DesktopMode()) {
        objects_ = DesktopObjects::Create(&error);
        if (!objects_) {
            std::fprintf(stderr, "Lumivane: the named objects cannot be made: %s\n", error.c_str());
            return false;
        }
        gpDesktopObjects = objects_.get();
    } else if (ScreensaverMode()) {
        screensaverRunning_ = CreateScreensaverRunningEvent(&error);
        if (!screensaverRunning_) {
            std::fprintf(stderr, "Lumivane: the named event cannot be made: %s\n", error.c_str());
            return false;
        }
    }
    if (options_.hostWindow != 0) host_ = services_.windows->Foreign(options_.hostWindow);
    return true;
}

uint32_t DesktopApp::FrameNumber() const {
    return GetSceneClock().frame;
}

void DesktopApp::BeginRun() {
    GetSceneClock().frame = 0;
    clock_.Restart();
    services_.scene->ResetRun();
    loadRequest_ = saveRequest_ = restoreRequest_ = false;

    // Keys typed before the run are not commands for it.
    events_.Pump();
    std::vector<platform::Event> kept;
    platform::Event event;
    while (events_.Poll(event))
        if (event.type != platform::EventType::KeyDown &&
            event.type != platform::EventType::KeyUp &&
            event.type != platform::EventType::TextInput)
            kept.push_back(event);
    for (const platform::Event& e : kept)
        events_.Push(e);
    keyboard_->ClearKeyTables();

    if (randomStartup_) {
        PickRandomScene();
    } else {
        currentScene_ = registry_ ? registry_->Read(values::kScene) : kDefaultScene;
        nextScenePath_ = "scenes\\" + currentScene_;
        randomTimerMs_ = 0;
        loadRequest_ = true;
    }
    firstLoadOfRun_ = true;
    services_.scene->CreateScene();
}

bool DesktopApp::CreateDisplayWithRetries(int width, int height) {
    for (int attempt = 1; attempt <= kDisplayCreateTries; ++attempt) {
        if (display_->Create(*host_, width, height)) return true;
        if (attempt == kDisplayCreateTries || EndRequested()) break;
        SleepUnlessExitSignal(kRetryPauseMs);
        // The host signals Paint once it can be drawn on. Waiting for it has
        // no time limit, but Exit (or an exit signal) ends the wait.
        if (!objects_) continue;
        InvalidateHost();
        while (!Poll(DesktopEvent::Paint)) {
            if (ExitRequested()) {
                Log("Exit event signaled");
                quitting_ = true;
                return false;
            }
            SleepUnlessExitSignal(kEventWaitStepMs);
        }
    }
    return false;
}

DesktopApp::FirstRunResult DesktopApp::FirstRun() {
    display_ = services_.makeDisplay ? services_.makeDisplay() : nullptr;
    if (!display_) ShowFatalError(LanguageText(kEntryNoDisplay), nullptr);

    int width = 0, height = 0;
    if (!host_ || !host_->Exists() || !host_->ClientSize(width, height)) {
        Log("Window Gone! Exitting!  hwnd=%llx",
            static_cast<unsigned long long>(host_ ? host_->Handle() : 0));
        return FirstRunResult::WindowGone;
    }
    const bool created = CreateDisplayWithRetries(width, height);
    // Exit while the display was made: end without a box, load nothing.
    if (EndRequested()) return FirstRunResult::Ready;
    if (!created) {
        Log("ChooseMode failed");
        createFailed_ = true;
        return FirstRunResult::CreateFailed;
    }
    if (!services_.scene->LoadModels([this] { return ShouldAbortLoad(); },
                                     [this](float fraction) {
                                         if (display_) display_->DrawProgress(fraction);
                                     })) {
        Log("Protobase Init failed");
        quitting_ = true;
        PostQuit();
        // The program ends with this pump: the rest of the first run would
        // only keep it from ending.
        return FirstRunResult::Ready;
    }
    services_.scene->SetUpFirstRun();
    if (logo_) services_.scene->ShowLogo(true, ScreensaverMode());
    if (!services_.scene->CreateTextureSlots()) {
        Log("CreateSlots failed");
        createFailed_ = true;
        return FirstRunResult::CreateFailed;
    }
    firstRunDone_ = true;
    return FirstRunResult::Ready;
}

void DesktopApp::ReadyToLoop() {
    std::srand(unsigned(std::time(nullptr)));
    Signal(DesktopEvent::Loading, false);
    Signal(DesktopEvent::NewProcess, false);
    startTimeMs_ = platform::TickCount();
    lastFiveMinuteMark_ = startTimeMs_;
}

void DesktopApp::EndRunCleanUp() {
    services_.scene->StopAllSounds();
    if (display_ && !LeaveDriversToProcessEnd()) {
        display_->ReleaseDevice();
        // A run that ended paused must not start the next one paused.
        GetSceneDisplay().RemoveOverlay(kPauseOverlay);
    }
    quitting_ = false;
    if (createFailed_) {
        Log("CreateFail, turning off");
        createFailed_ = false;
        ShowProgramBox(Text(kEntryFatalCaption), Text(kEntryDisplayFailed));
        RestoreDesktop();
        Log("CreateFail, turning off done");
    }
}

void DesktopApp::Term() {
    Log("Term entered");
    if (objects_) objects_->PublishProcessId();
    AnswerRandomNowAtEnd();
    stillPicture_ = {};
    // Ended by a signal, with the process ending right after: the sound
    // device and the graphics are not closed (that waits on their threads),
    // nor is the settings store (that folds its journal into the file and
    // waits on the disk; every value is in the store since its write, and
    // the next opening folds the journal in).
    const bool leave = LeaveDriversToProcessEnd();
    if (!leave) {
        services_.scene->Term();
        display_.reset();
    }
    keyboard_->Shutdown();
    mouse_->Shutdown();
    if (gpRegistry == registry_.get()) gpRegistry = nullptr;
    if (registry_ && !leave) {
        registry_->Close();
        registry_.reset();
    }
    scriptConfig_.reset();
    if (gpLanguageTable == languageTable_.get()) gpLanguageTable = nullptr;
    languageTable_.reset();
    if (objects_) objects_->Event(DesktopEvent::Exit).Reset();
    Log("Term done");
}

bool DesktopApp::LeaveDriversToProcessEnd() const {
    return services_.processEndsAfter && endedBySignal_;
}

void DesktopApp::EndProcess(int code) {
    // The named objects are files of the system's shared memory: they go
    // with their owner, not with the process.
    objects_.reset();
    if (gpDesktopObjects) gpDesktopObjects = nullptr;
    screensaverRunning_.reset();
    std::fflush(nullptr);
    _exit(code);
}

void DesktopApp::EndForGoneHost() {
    Log("Window Gone! Exitting!  hwnd=%llx",
        static_cast<unsigned long long>(host_ ? host_->Handle() : 0));
    hostGone_ = true;
    quitting_ = true;
    createFailed_ = false;
    PostQuit();
}

// ---- events

bool DesktopApp::Poll(DesktopEvent event) {
    return objects_ && objects_->Event(event).Poll();
}

void DesktopApp::Signal(DesktopEvent event, bool on) {
    if (!objects_) return;
    if (on) {
        objects_->Event(event).Set();
    } else {
        objects_->Event(event).Reset();
    }
}

bool DesktopApp::ExitRequested() {
    // Both are taken: a signal and an event each count once.
    const bool signalled = TakeExitSignal();
    if (signalled) endedBySignal_ = true;
    return Poll(DesktopEvent::Exit) || signalled;
}

bool DesktopApp::EndRequested() {
    if (quitting_) return true;
    if (!ExitRequested()) return false;
    Log("Exit event signaled");
    quitting_ = true;
    PostQuit();
    return true;
}

bool DesktopApp::ShouldAbortLoad() {
    if (ExitRequested()) {
        Log("Protobase: Exit event signaled");
        return true;
    }
    const bool watchInput = ScreensaverMode() && !options_.hostedScreensaver;
    if (!watchInput && !WindowMode()) return false;
    events_.Pump();
    std::vector<platform::Event> kept;
    bool abort = false;
    platform::Event event;
    using platform::EventType;
    while (events_.Poll(event)) {
        if (watchInput && event.type == EventType::MouseMove) {
            // Moves are taken off the queue and counted; the first three
            // are the mouse settling, not the user.
            if (++abortMouseMoves_ >= 4) abort = true;
            continue;
        }
        if (watchInput &&
            (event.type == EventType::KeyDown || event.type == EventType::KeyUp ||
             event.type == EventType::MouseButtonDown || event.type == EventType::MouseButtonUp))
            abort = true;
        if (WindowMode() && (event.type == EventType::WindowClose || event.type == EventType::Quit))
            abort = true;
        kept.push_back(event);
    }
    for (const platform::Event& e : kept)
        events_.Push(e);
    return abort;
}

bool DesktopApp::PumpEvents() {
    inputFeed_->BeginPoll();
    events_.Pump();
    // Nobody sends us the input of a window another program handed over:
    // its pointer is read where X shares it. A screen saver's mouse only
    // ends it, and its host watches that itself.
    // Over a window of our own the scene's arrow is the pointer (the
    // system's is hidden there); over another program's the system's is.
    mouse_->systemPointer = host_ && !host_->OwnWindow() ? 1 : 0;
    if (host_ && !ScreensaverMode() && !desktopScreensaverActive_) {
        sharedPointer_.clear();
        host_->SharedPointerEvents(sharedPointer_);
        for (const platform::Event& e : sharedPointer_)
            events_.Push(e);
    }
    platform::Event event;
    while (!quitPosted_ && events_.Poll(event)) {
        if (event.type == platform::EventType::Quit) {
            quitting_ = true;
            PostQuit();
            break;
        }
        HandleEvent(event);
    }
    return !quitPosted_;
}

void DesktopApp::HandleEvent(const platform::Event& event) {
    // The display takes what is its own: the screen saver's input rules,
    // activation.
    if (display_ && display_->HandleEvent(event)) return;
    inputFeed_->Apply(event);
    if (event.type == platform::EventType::WindowClose && host_ && host_->OwnWindow()) {
        // One of our own windows was closed: as its destruction always did.
        quitting_ = true;
        PostQuit();
    }
}

// ---- pacing and settings

void DesktopApp::YieldTimeSlice() {
    if (quitting_ || ScreensaverMode() || WindowMode()) return;
    const uint32_t now = platform::TickCount();
    if (now - lastYieldMs_ > 50) {
        platform::SleepMilliseconds(1);
        lastYieldMs_ = platform::TickCount();
    }
}

void DesktopApp::SetVolumes(float level) {
    volume_ = level;
    services_.scene->SetVolume(level);
}

void DesktopApp::UpdateSound() {
    services_.scene->UpdateSound();
}

void DesktopApp::ReadVolume(bool windowModeMutes) {
    if (!registry_) return;
    const uint32_t volume = registry_->Read(values::kVolume);
    const bool mute = registry_->Read(values::kMute) != 0;
    SetVolumes(mute || (windowModeMutes && WindowMode()) ? 0.0f : float(volume) * 0.1f);
    volumeMuted_ = false;
}

} // namespace lumivane
