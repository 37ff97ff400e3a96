// JTGame start-up and shut-down: WinMain, Init with its steps in order, the
// program paths, and the destructor that tears the services down again.
#include "Jentra/JTGame.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>

#include "Jentra/JTAudio.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTMusic.h"
#include "Jentra/JTDataFolder.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTErrors.h"
#include "Jentra/JTFont.h"
#include "Jentra/JTNetwork.h"
#include "Jentra/JTRandom.h"
#include "Jentra/JTRenderer.h"
#include "Jentra/JTRegistry.h"
#include "Jentra/JTTexture.h"
#include "Jentra/JTTransMap.h"
#include "Jentra/JTEventQueue.h"
#include "Jentra/render/screen_mode.h"
#include "platform/events.h"
#include "platform/gl_context.h"
#include "platform/instance_beacon.h"
#include "platform/message_box.h"
#include "platform/open_url.h"
#include "platform/paths.h"
#include "platform/settings_store.h"
#include "platform/window.h"

JT_CLASS_IMPL(JTGame)

namespace {

void CopyText(char* out, size_t size, const char* text, size_t length) {
    if (size == 0) return;
    if (length >= size) length = size - 1;
    std::memcpy(out, text, length);
    out[length] = 0;
}

bool EndsWithIgnoreCase(const char* text, size_t length, const char* ending) {
    size_t n = std::strlen(ending);
    if (length < n) return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[length - n + i])) !=
            std::tolower(static_cast<unsigned char>(ending[i])))
            return false;
    return true;
}

// Where the player gets the graphics drivers the engine needs.
constexpr const char* kGraphicsDriverPage = "https://www.mesa3d.org/";

// A user-visible text of the translation table, or the given wording while
// no table is loaded.
const char* GameText(int id, const char* fallback) {
    const char* text = JTTranslate(id);
    return text && *text ? text : fallback;
}

// The window title: text 5058 and six blanks.
std::string WindowTitle() {
    return std::string(GameText(5058, "Jentra")) + "      ";
}

} // namespace

JTGame::JTGame() : m_communicator(this) {}

JTGame::~JTGame() {
    if (m_ownsServices) DestroyServices();
    if (m_instanceLock >= 0) close(m_instanceLock);
}

bool JTGame::CheckKillMusicThread() const {
    return JTMusicKillFlag().load();
}

void JTGame::SetKillMusicThread(bool on) {
    JTMusicKillFlag().store(on);
}

unsigned JTGame::Message(JTID*, JTID*, unsigned, void*) {
    return 0;
}

JTScene* JTGame::GetMainScene() {
    return nullptr;
}
JTCamera* JTGame::GetMainCamera() {
    return nullptr;
}
const char* JTGame::GetRegKey() {
    return "Quellmar\\Jentra";
}
const char* JTGame::GetAppName() {
    return "Jentra";
}
const JTGuid& JTGame::GetGUID() {
    static const JTGuid engineGuid = {};
    return engineGuid;
}
bool JTGame::UseFalcon() {
    return true;
}
void JTGame::InitialScene() {}
void JTGame::Update() {}

int JTGame::WinMain(void* instance, char* cmdline) {
    m_instance = instance;
    m_cmdLine = cmdline;
    const char* words = cmdline ? cmdline : "";
    if (std::strstr(words, "patched")) m_patched = true;
    if (std::strstr(words, "nosplash")) m_noSplash = true;
    if (!Init()) return 1;
    Main();
    return 0;
}

void JTGame::SplitProgramPath(const char* fullName, char* exeName, char* exePath, char* workingDir,
                              size_t size) {
    const char* slash = std::strrchr(fullName, '/');
    const char* backslash = std::strrchr(fullName, '\\');
    if (!slash || (backslash && backslash > slash)) slash = backslash;
    if (!slash) {
        CopyText(exeName, size, fullName, std::strlen(fullName));
        CopyText(exePath, size, "", 0);
        CopyText(workingDir, size, "", 0);
        return;
    }
    CopyText(exeName, size, slash + 1, std::strlen(slash + 1));
    size_t folderLength = static_cast<size_t>(slash - fullName);
    CopyText(exePath, size, fullName, folderLength);
    // Programs built into a debug or release folder work from its parent.
    if (EndsWithIgnoreCase(fullName, folderLength, "/debug") ||
        EndsWithIgnoreCase(fullName, folderLength, "\\debug"))
        folderLength -= 6;
    else if (EndsWithIgnoreCase(fullName, folderLength, "/release") ||
             EndsWithIgnoreCase(fullName, folderLength, "\\release"))
        folderLength -= 8;
    CopyText(workingDir, size, fullName, folderLength);
}

uint64_t JTGame::QueryPhysicalMemory() {
    long pages = sysconf(_SC_PHYS_PAGES);
    long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize);
}

void JTGame::SetPaths() {
    // The working folder is where data paths are resolved from; the process's
    // current folder is never changed, as other threads open files too.
    // The program's folder comes from the platform (tests point it at the
    // runtime folder); the file name from the running program itself.
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return;
    self[n] = 0;
    const char* fileName = std::strrchr(self, '/');
    fileName = fileName ? fileName + 1 : self;
    std::string fullName = platform::ProgramFolder().string() + "/" + fileName;
    SplitProgramPath(fullName.c_str(), m_exeName, m_exePath, m_workingDir, sizeof m_exeName);
    // Every relative data name of the engine is found below this folder.
    JTSetDataFolder(m_workingDir);
}

std::string JTGame::InstanceLockPath() {
    // One instance per game key: a lock file beside the settings the game
    // would share, which the system releases when the process ends, however
    // it ends. Two programs with separate settings folders never collide.
    std::string path = platform::SettingsStore::DefaultFolder();
    std::error_code ignored;
    std::filesystem::create_directories(path, ignored);
    path += "/jentra-";
    for (const char* c = GetRegKey(); *c; ++c)
        path += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
    return path + ".lock";
}

bool JTGame::TakeSingleInstanceLock() {
    const std::string path = InstanceLockPath();
    int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return true; // no lock possible: do not refuse to start
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        close(fd);
        // The running instance comes forward instead of a second one.
        platform::InstanceBeacon::Send(path);
        return false;
    }
    m_instanceLock = fd;
    m_raiseRequests = platform::InstanceBeacon::Listen(path);
    return true;
}

bool JTGame::AnswerRaiseRequests() {
    if (!m_raiseRequests || !m_raiseRequests->TakeRequest() || !m_mainWindow) return false;
    m_mainWindow->Raise();
    return true;
}

bool JTGame::CreateFullscreenWindow() {
    std::string error;
    // Without a display there is nowhere to show a box either: the fatal
    // box is printed, one line naming the display, and the program ends.
    if (!platform::StartVideo(&error)) {
        platform::PrintMessageBox(GameText(1, "Fatal Error"),
                                  std::string(GetAppName()) + " " + error + ".");
        return false;
    }
    platform::WindowDesc desc;
    desc.title = WindowTitle();
    m_mainWindow = platform::Window::Create(desc, &error);
    if (!m_mainWindow) {
        // Worded like the fatal box, but returned from: the caller then tears
        // down what Init made and the program exits non-zero.
        platform::ShowMouseCursor(true);
        platform::ShowMessageBox(
            GameText(1, "Fatal Error"),
            std::string(GameText(29, "The main window could not be created.")) + "\n" + error);
        return false;
    }
    JTEventQueue().StartTextInput();
    return true;
}

bool JTGame::GraphicsPresent() {
    // The engine draws through OpenGL 3.3: a context of that version on the
    // main window is the check.
    std::string error;
    auto context = platform::GlContext::Create(*m_mainWindow, &error);
    if (context) return true;
    platform::ShowMouseCursor(true);
    if (platform::ShowMessageBox(
            GameText(1054, "Graphics"),
            std::string(GameText(1053, "OpenGL 3.3 is required. Open the driver download page?")) +
                "\n" + error,
            platform::MessageBoxKind::Warning,
            platform::MessageBoxButtons::YesNo) == platform::MessageBoxResult::Yes) {
        // A failure needs nothing more: the box already said what is missing.
        platform::OpenInBrowser(kGraphicsDriverPage);
    }
    return false;
}

bool JTGame::Init() {
    m_appActive = true;
    m_waitWhenInactive = true;
    m_mainWindow.reset();
    m_lowMemory = false;
    m_build = 0;
    m_language = 1;
    SetKillMusicThread(false);
    m_clock = JTFrameStepState();
    m_screenshotCountdown = 0;

    // The engine's rand-compatible generator (RandomInt and the game draw
    // from it) starts from the time, as a fresh game should.
    JTSRand(static_cast<uint32_t>(std::time(nullptr)));
    platform::ShowMouseCursor(false);
    SetPaths();
    // Only one instance per game runs; a refused one touches none of the
    // running one's services.
    if (!TakeSingleInstanceLock()) {
        platform::ShowMouseCursor(true);
        std::fprintf(stderr, "%s is already running.\n", GetAppName());
        return false;
    }
    // From here on what Init made is this game's to tear down, even when a
    // later step fails.
    m_ownsServices = true;
    m_totalPhysMem = QueryPhysicalMemory();
    m_lowMemory = IsLowMemory(m_totalPhysMem);

    gpTransMap = new JTTransMap();
    gpTransMap->OpenTransFile(JTResolveDataPath("Langfile.csv").c_str(), 2);

    if (!CreateFullscreenWindow()) return false;

    gpRegistry = new JTRegistry(GetRegKey());
    gpRegistry->Init();
    gpRegistry->QueryValue("Build", &m_build, HKEY_LOCAL_MACHINE);
    gpRegistry->QueryValue("Language", &m_language, HKEY_LOCAL_MACHINE);
    m_userOptions.SetMemoryInfo(m_totalPhysMem, m_lowMemory);
    m_userOptions.Load();
    JTSoundOptions& sound = JTGetSoundOptions();
    sound.sound = m_userOptions.Sound;
    sound.musicVolume = m_userOptions.MusicVolume;
    sound.lowRAM = m_lowMemory;

    if (!GraphicsPresent()) return false;

    CreateServices();
    CreateDisplay();
    if (gpFont1) gpFont1->Init("font1");
    if (gpJTMouse) gpJTMouse->Init();
    if (gpJTKeyboard) gpJTKeyboard->Init();
    if (gpJTNetwork) gpJTNetwork->InitDirectPlay(m_cmdLine);
    gpJTDisplay->GetHwnd()->Raise();
    // The engine draws its own cursor.
    platform::ShowMouseCursor(false);

    InitialScene();
    return true;
}

void JTGame::CreateDisplay() {
    // The saved mode on the first adapter; without it the adapter is
    // forgotten and the first mode taken.
    const JTModeDesc& saved = m_userOptions.ModeDesc;
    const D3DDISPLAYMODE wanted = {saved.Width, saved.Height, saved.RefreshRate,
                                   D3DFORMAT(saved.Format)};
    int mode = 0;
    if (FAILED(gpJTRenderer->FindMode(0, wanted, &mode))) {
        std::memset(m_userOptions.AdapterID, 0, sizeof m_userOptions.AdapterID);
        m_userOptions.Save();
        mode = 0;
    }
    platform::ShowMouseCursor(true);
    if (m_userOptions.FullScreen) {
        gpJTDisplay = gpJTRenderer->CreateDisplayFullScreen(0, mode, m_mainWindow.get());
    } else {
        // A window with a title bar whose drawing area has the size the
        // player chose (a window need not be one of the screen's modes),
        // inside the screen: stepped down until it fits, and centred.
        int width = int(saved.Width), height = int(saved.Height);
        if (width <= 0 || height <= 0) {
            const D3DDISPLAYMODE size = gpJTRenderer->GetModeDesc(0, mode);
            width = int(size.Width);
            height = int(size.Height);
        }
        jentra::render::PlaceWindow(*m_mainWindow, width, height);
        m_mainWindow->Show();
        gpJTDisplay = gpJTRenderer->CreateDisplayWindowed(0, m_mainWindow.get());
    }
    // Nothing can be drawn without the device: the program cannot go on.
    if (!gpJTDisplay || !gpJTDisplay->GetDevice())
        FatalErrorBox(GameText(1053, "The graphics device could not be started."), nullptr);
    gpJTTextureMan = new JTTextureMan(gpJTDisplay);
}
