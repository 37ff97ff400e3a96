// JTGame, the application frame every program on the engine derives its game
// from: start-up of the engine's services in a fixed order, the message loop
// and the frame (clock, input, game update, scenes, sound, drawing, global
// keys), and shut-down in the reverse order.
//
// A program makes one game object, stores it in gpJTGame and calls WinMain;
// the return value is the program's exit status.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "Jentra/JTArray.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTID.h"
#include "Jentra/JTUnknown.h"
#include "Jentra/JTUserOptions.h"
#include "Jentra/JTFrameClock.h"

class JTScene;
class JTCamera;
namespace platform {
struct Event;
class Window;
class InstanceBeacon;
} // namespace platform

// The game's 16-byte application identifier (network sessions use it).
struct JTGuid {
    uint8_t bytes[16];
};

// A window-like helper that may take events before the game does (the
// engine's modeless dialogs).
class JTModeless {
public:
    virtual ~JTModeless() = default;
    // True when the dialog took the event.
    virtual bool TakeEvent(const platform::Event& event) = 0;
};

class JTGame : public JTUnknown {
    JT_CLASS(JTGame, JTUnknown)

public:
    // Machines with less physical memory than this are low on memory.
    static constexpr uint64_t kLowMemoryBytes = 0x3F00000;

    JTGame();
    ~JTGame() override;
    // The game owns the engine's services: a copy would tear them down twice.
    JTGame(const JTGame&) = delete;
    JTGame& operator=(const JTGame&) = delete;

    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;

    // The game's queries, in their fixed order.
    virtual JTScene* GetMainScene();
    virtual JTCamera* GetMainCamera();
    virtual const char* GetRegKey();
    virtual const char* GetAppName();
    virtual const JTGuid& GetGUID();
    virtual bool UseFalcon();

    // Runs the program: Init, then Main when Init succeeded. Returns the
    // program's exit status: 0 after a normal quit, non-zero when start-up
    // failed.
    int WinMain(void* instance, char* cmdline);
    bool Init();
    // The message loop: returns when the quit event arrives.
    void Main();

    void Pause(bool on);
    void AddScene(JTScene* scene);
    void InsertScene(int index, JTScene* scene);
    void RemoveScene(JTScene* scene);
    int GetNumScenes() const { return m_scenes.GetCount(); }
    JTScene* GetScene(int i) const;
    void AddModeless(JTModeless* dialog);
    void RemoveModeless(JTModeless* dialog);

    void* GetInstance() const { return m_instance; }
    platform::Window* GetMainHwnd() const { return m_mainWindow.get(); }
    bool IsLowRAM() const { return m_lowMemory; }
    uint32_t GetBuildNumber() const { return m_build; }
    uint32_t GetLanguage() const { return m_language; }
    bool IsPatched() const { return m_patched; }
    void SetPatched(bool on) { m_patched = on; }
    bool IsNoSplash() const { return m_noSplash; }
    uint64_t GetTotalPhysMem() const { return m_totalPhysMem; }
    bool IsAppActive() const { return m_appActive; }
    void SetAppActive(bool on) { m_appActive = on; }
    int GetScreenshotCountdown() const { return m_screenshotCountdown; }
    const char* GetExeName() const { return m_exeName; }
    const char* GetExePath() const { return m_exePath; }
    const char* GetWorkingDir() const { return m_workingDir; }
    const char* GetCmdLine() const { return m_cmdLine; }
    bool CheckKillMusicThread() const;
    void SetKillMusicThread(bool on);
    JTUserOptions* GetUserOptions() { return &m_userOptions; }
    // While pacing (the default) the loop draws no more frames than the
    // screen shows: it sleeps out the rest of a frame that came sooner.
    // Without it, it draws as fast as the machine can (benchmarks).
    void SetFramePacing(bool on) { m_framePacing = on; }
    bool GetFramePacing() const { return m_framePacing; }
    // The shortest time between two paced frames: one refresh of the
    // screen the main window is on (60 a second where it does not say).
    uint32_t GetFrameIntervalMs() const;
    JTCommunicator* GetCommunicator() { return &m_communicator; }

    // Splits the program file's full name into its name and folder; a folder
    // ending in "debug" or "release" (any case) gives its parent as the
    // working folder. Sizes are those of the three buffers.
    static void SplitProgramPath(const char* fullName, char* exeName, char* exePath,
                                 char* workingDir, size_t size);
    static bool IsLowMemory(uint64_t totalBytes) { return totalBytes < kLowMemoryBytes; }
    // Total physical memory of the machine in bytes.
    static uint64_t QueryPhysicalMemory();

protected:
    virtual void InitialScene();
    virtual void Update();

    // One frame; true when nothing was done and the loop may wait.
    bool Idle();
    void UpdateTime();
    void CheckUserActions();
    void SetPaths();
    bool CreateFullscreenWindow();
    // The window procedure's part: hands one event to the input devices.
    void DispatchEvent(const platform::Event& event);

public:
    // Brings the main window forward when a later start of the game, refused
    // because this one runs, asked for it; true when it did. Every frame
    // asks, the frames of an inactive game included.
    bool AnswerRaiseRequests();

private:
    std::string InstanceLockPath();
    bool TakeSingleInstanceLock();
    bool GraphicsPresent();
    void CreateServices();
    // The display on the main window in the saved mode (start-up steps 14
    // to 16); ends the program when it has no device.
    void CreateDisplay();
    void DestroyServices();
    // Puts the pointer in the middle of the screen as the program ends.
    void CentrePointerForExit();
    float GameSpeed() const;
    // How long before the next paced frame is due; 0 when it is.
    uint32_t FrameWaitMs() const;

    JTCommunicator m_communicator;
    uint32_t m_build = 0;
    uint32_t m_language = 1;
    void* m_instance = nullptr;
    std::unique_ptr<platform::Window> m_mainWindow;
    bool m_appActive = false;
    bool m_waitWhenInactive = false;
    bool m_lowMemory = false;
    bool m_patched = false;
    bool m_noSplash = false;
    std::thread m_musicThread;
    JTFrameStepState m_clock;
    bool m_framePacing = true;
    uint64_t m_totalPhysMem = 0;
    JTUserOptions m_userOptions;
    JTArray<JTModeless*> m_modeless{16};
    JTArray<JTScene*> m_scenes{16};
    char m_exeName[4096] = {};
    char m_exePath[4096] = {};
    char m_workingDir[4096] = {};
    char* m_cmdLine = nullptr;
    int m_screenshotCountdown = 0;

    bool m_ownsServices = false; // Init ran: the destructor tears down
    int m_instanceLock = -1;     // descriptor of the single-instance lock
    // Where later starts of the game ask this one to come forward.
    std::unique_ptr<platform::InstanceBeacon> m_raiseRequests;
};
