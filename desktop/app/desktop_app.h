// The Lumivane program: one application object that lives from the command
// line to the end. It chooses the start mode and makes the mode's named
// objects, runs the start-up, then one or more runs of the main loop (a new
// run only after a bad colour depth), and cleans up. The windows, the
// display and the scene engine come in as services, so tests run the whole
// program with scripted ones.
#pragma once

#include "desktop/app/command_line.h"
#include "desktop/app/frame_clock.h"
#include "desktop/app/scene_engine.h"
#include "desktop/app/window_system.h"
#include "desktop/display/seam/app_display.h"
#include "desktop/scene/object/random_generator.h"
#include "platform/events.h"
#include "platform/image/image.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {
class NamedEvent;
}

namespace lumivane {

class AppSceneApplication;
class DesktopObjects;
class InputFeed;
class Keyboard;
class LanguageTable;
class Mouse;
class Registry;
class ScriptConfig;
enum class DesktopEvent;

struct AppServices {
    std::unique_ptr<WindowSystem> windows;
    // The display of the chosen adapter; null means there is none.
    std::function<std::unique_ptr<AppDisplay>()> makeDisplay;
    std::unique_ptr<SceneEngine> scene;
    // The process ends as soon as the program's life does (the program's
    // own, not a test's): an end by exit signal then leaves the drivers'
    // clean-up (sound device, graphics) and the settings store's to the end
    // of the process, which takes them back at once, where closing them
    // waits on their threads and on the disk.
    bool processEndsAfter = false;
};

// The program's own: SDL and X11 windows, the real display, and the
// program's scene engine.
AppServices DefaultAppServices();
// The program's display for the chosen adapter (null when there is none),
// asking the X server's DPMS in its monitor power-save check.
std::unique_ptr<AppDisplay> MakeProgramDisplay();
// The program's scene engine, reading its data root and script
// configuration from the running application.
std::unique_ptr<SceneEngine> MakeProgramSceneEngine();

// Language entries the application shows.
inline constexpr int kEntryFatalCaption = 1;
inline constexpr int kEntryNoDisplay = 19;
inline constexpr int kEntryGraphicsTooOld = 1053;
inline constexpr int kEntryGraphicsTooOldCaption = 1054;
inline constexpr int kEntryWindowTitle = 5058;
inline constexpr int kEntryDisplayFailed = 9290;

inline constexpr const char* kDefaultScene = "Hell's Heart.mis";
// The exit code of a command line the program cannot take (an unknown
// option), as command-line programs give it.
inline constexpr int kExitUsage = 2;

class DesktopApp {
public:
    explicit DesktopApp(AppServices services);
    ~DesktopApp();
    DesktopApp(const DesktopApp&) = delete;
    DesktopApp& operator=(const DesktopApp&) = delete;

    // The whole life of the program (without the program name in `args`);
    // answers the process's exit code.
    int InitInstance(const std::vector<std::string>& args);

    // ---- the steps, in order; public so tests can drive them one by one

    // The command line and the mode's named objects. False when the
    // program is not to run: the usage was asked for (printed on stdout),
    // the command line is refused, the display cannot be opened or the
    // named objects cannot be made (said on stderr); SetUpExitCode() then
    // tells the process's exit code.
    bool SetUpMode(const std::vector<std::string>& args);
    int SetUpExitCode() const { return setUpExitCode_; }
    // Stopped: the texture cache was not built (the desktop is put back);
    // Ended: Exit came while starting (nothing is put back).
    enum class StartupResult { Ready, Stopped, Ended, Failed };
    StartupResult Startup();
    // A run begins: per-run state, keys, the first scene, the Scene.
    void BeginRun();
    enum class FirstRunResult { Ready, CreateFailed, WindowGone };
    // The first run's display, models and players (later runs keep them).
    FirstRunResult FirstRun();
    // The local player, the events of a ready program, the start time.
    void ReadyToLoop();
    // One pass of the main loop; always 0 (the pump never waits).
    int MainLoopPass();
    // Takes the waiting events and feeds them on; false once the quit
    // message came (or was posted).
    bool PumpEvents();
    void Term();
    // Ends the process with `code` once InitInstance has returned: the
    // named objects are removed and the output flushed; the libraries'
    // clean-up at exit, which only delays the end a screensaver host waits
    // for, is skipped.
    [[noreturn]] void EndProcess(int code);

    // ---- services other parts call

    // The abort rule of long loads: the Exit event (or an exit signal); in
    // the screen saver user input; in window mode a close request.
    bool ShouldAbortLoad();
    // The 1 ms pause of every 50 ms that keeps the desktop responsive.
    void YieldTimeSlice();
    void RequestScene(std::string_view path, bool resetTimer);
    void PickRandomScene();
    // Start-up seeds the scene choice with the time, so a random first
    // scene differs from start to start; tests seed it themselves.
    void SeedSceneChoice(uint32_t seed) { sceneChoice_.Seed(seed); }
    void StartScene();
    // The desktop ends (turned off, its window gone) with a random scene
    // asked for that no pass took yet: the request is answered in the
    // settings, "RandomNow" back to 0 and the pick stored as "Scene", so
    // the next start shows it and does not take the request again.
    void AnswerRandomNowAtEnd();
    void RequestSaveState() { saveRequest_ = true; }
    void RequestRestoreState() { restoreRequest_ = true; }
    // Ends the pump after the current pass.
    void PostQuit() { quitPosted_ = true; }
    // The program closes: a scene ended it.
    void Quit() {
        quitting_ = true;
        PostQuit();
    }
    // The game-time scale (a cinematic scene slows time down).
    void SetTimeScale(float scale) { clock_.SetTimeScale(scale); }
    void SetStateWord(int32_t value) { stateWord_ = value; }
    // The display found the desktop's colour depth unusable: the main body
    // runs again (unless Exit is signalled).
    void SetBadColourDepth() { badColourDepth_ = true; }
    // The display's message handling: the desktop's screen-saver show ends.
    void EndDesktopScreensaver() { desktopScreensaverEnded_ = true; }
    // The display's message handling: the screen saver ends on input.
    void QuitOnInput() {
        quitting_ = true;
        PostQuit();
    }
    // The three volume levels at once (the display silences them when its
    // surfaces are lost), reading "Volume" and "Mute" into them again, and
    // letting a change reach the playing sounds.
    void SetVolumes(float level);
    void RestoreVolumes() { ReadVolume(true); }
    void UpdateSound();

    // ---- state, for the display, the scene engine and tests

    const StartOptions& Options() const { return options_; }
    bool ScreensaverMode() const { return options_.mode == StartMode::Screensaver; }
    bool WindowMode() const { return options_.mode == StartMode::Window; }
    bool DesktopMode() const { return options_.mode == StartMode::Desktop; }
    bool Quitting() const { return quitting_; }
    bool QuitPosted() const { return quitPosted_; }
    // The host window went away while the program ran: it ends quietly.
    bool HostGone() const { return hostGone_; }
    bool CreateFailed() const { return createFailed_; }
    bool DesktopScreensaverActive() const { return desktopScreensaverActive_; }
    bool ResumePending() const { return resumePending_; }
    bool Paused() const { return pausedBefore_; }
    const std::filesystem::path& DataRoot() const { return dataRoot_; }
    const ScriptConfig* Script() const { return scriptConfig_.get(); }
    // The machine's "Language", whether the language file is the UTF-16
    // ".txt" kind, and the code page its texts convert to.
    uint32_t LanguageNumber() const { return language_; }
    bool UnicodeLanguageFile() const { return unicode_ != 0; }
    unsigned CodePage() const { return codePage_; }
    int32_t StateWord() const { return stateWord_; }
    // The number of the frame being made, counted from the scene's start
    // (the scene engine's frame clock holds it).
    uint32_t FrameNumber() const;
    const FrameClock& Clock() const { return clock_; }
    float Volume() const { return volume_; }
    bool HighQualityMode() const { return highQualityMode_; }
    bool LogoShown() const { return logo_; }
    uint32_t RandomPeriod() const { return randomPeriod_; }
    uint32_t RandomSceneTimerMs() const { return randomTimerMs_; }
    const std::string& CurrentScene() const { return currentScene_; }
    const std::string& NextScenePath() const { return nextScenePath_; }
    bool LoadRequested() const { return loadRequest_; }
    bool PlentyOfMemory() const { return plentyOfMemory_; }
    bool VertexBuffersOff() const { return noVertexBuffers_; }
    HostWindow* Host() const { return host_.get(); }
    AppDisplay* Display() const { return display_.get(); }
    Keyboard& Keys() const { return *keyboard_; }
    Mouse& MouseState() const { return *mouse_; }
    platform::EventQueue& Events() { return events_; }

private:
    // Start-up pieces.
    bool ReadMachineSettings();
    // Ends the program with a message naming the folder when the data root
    // is missing or holds no script configuration.
    void CheckDataFolder();
    bool LoadLanguageTable();
    bool MakeModeWindows();
    bool CheckGraphics();
    void ReadStartSettings();
    // Main-loop pieces.
    void EnterDesktopScreensaver();
    void LeaveDesktopScreensaver();
    void ReadChangedSettings();
    void ApplyQualityChange();
    void Pause(uint32_t now);
    bool Resume();
    void RunningPass(bool paintSignalled);
    void TrackNewProcess(uint32_t now);
    // Sleeps what is left of the target frame time since the last frame.
    void PaceFrame();
    void GiveBackHeapNowAndThen();
    void RunRequests();
    void FrameWork();
    // Helpers.
    bool Poll(DesktopEvent event);
    void Signal(DesktopEvent event, bool on);
    bool ExitRequested();
    // The host window no longer exists: log it and end like Exit, quietly.
    void EndForGoneHost();
    // The end came by exit signal in a process that ends right after.
    bool LeaveDriversToProcessEnd() const;
    // Exit (or an exit signal) came while starting: marks the program as
    // quitting, so nothing more is loaded. True also once quitting.
    bool EndRequested();
    void ReadVolume(bool windowModeMutes);
    void LowerPriority();
    void HandleEvent(const platform::Event& event);
    bool CreateDisplayWithRetries(int width, int height);
    // Asks the host window to repaint, which brings Paint.
    void InvalidateHost();
    // Makes the display for the host window at its size; false on failure.
    bool CreateDisplayForHost();
    void EndRunCleanUp();
    std::string Text(int entry) const;

    AppServices services_;
    StartOptions options_;
    std::unique_ptr<DesktopObjects> objects_;
    std::unique_ptr<platform::NamedEvent> screensaverRunning_;
    platform::EventQueue events_;

    // Services made at start-up.
    std::unique_ptr<LanguageTable> languageTable_;
    std::unique_ptr<Registry> registry_;
    std::unique_ptr<ScriptConfig> scriptConfig_;
    std::unique_ptr<Keyboard> keyboard_;
    std::unique_ptr<Mouse> mouse_;
    std::unique_ptr<InputFeed> inputFeed_;
    std::vector<platform::Event> sharedPointer_; // one pass's shared pointer events
    std::unique_ptr<HostWindow> host_;
    std::unique_ptr<HostWindow> desktopHost_; // kept while the desktop plays the screen saver
    std::unique_ptr<AppDisplay> display_;
    std::unique_ptr<AppSceneApplication> sceneApplication_;

    // Machine values and settings.
    std::filesystem::path dataRoot_;
    std::string dataRootOrigin_; // where dataRoot_ came from, in words
    uint32_t build_ = 0;
    uint32_t language_ = 1;
    uint32_t unicode_ = 0;
    uint32_t codePage_ = 0;
    bool plentyOfMemory_ = true;
    bool noVertexBuffers_ = false;
    bool highQualityMode_ = false;
    bool logo_ = false;
    bool randomStartup_ = true;
    uint32_t randomPeriod_ = 600;
    bool freeze_ = false;
    float volume_ = 0.0f;
    bool volumeMuted_ = false; // the levels were set to 0 by a pause

    // Flags.
    bool quitting_ = false;
    bool quitPosted_ = false;
    bool createFailed_ = false;
    bool badColourDepth_ = false;
    bool desktopScreensaverActive_ = false;
    bool desktopScreensaverEnded_ = false;
    bool firstRunDone_ = false;
    bool firstLoadOfRun_ = false;
    bool endedBySignal_ = false; // an exit signal was taken
    bool hostGone_ = false;
    int abortMouseMoves_ = 0;
    int setUpExitCode_ = 1;

    // Main-loop state.
    platform::image::Image stillPicture_;
    bool pausedBefore_ = false;
    bool covered_ = false;
    bool newProcessNoted_ = false;
    uint32_t newProcessTime_ = 0;
    uint32_t lastFiveMinuteMark_ = 0;
    uint32_t lastHeapReturnMs_ = 0;
    bool resumePending_ = false;
    FrameClock clock_;
    int32_t stateWord_ = 0;
    uint32_t randomTimerMs_ = 0;
    // Draws the random scenes. The scene engine's main generator is left
    // alone so that a scene plays the same every time it runs.
    RandomGenerator sceneChoice_;
    std::string currentScene_;
    std::string nextScenePath_;
    bool loadRequest_ = false;
    bool saveRequest_ = false;
    bool restoreRequest_ = false;
    uint32_t lastYieldMs_ = 0;
    uint32_t lastFrameStartMs_ = 0; // when the last running pass started its frame
    uint32_t startTimeMs_ = 0;
};

// The running program's application object (null outside its life).
extern DesktopApp* gpDesktopApp;

} // namespace lumivane
