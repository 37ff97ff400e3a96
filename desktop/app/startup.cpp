// Start-up: the machine's settings and the data root, the language table,
// the mode's windows, the settings key, the graphics check, the script
// configuration, sound, the texture cache and the services, then the
// settings of the first run.
#include "desktop/app/desktop_app.h"

#include "desktop/app/exit_signal.h"
#include "desktop/app/scene_message_sink.h"
#include "desktop/shell/active_desktop.h"
#include "desktop/shell/crash/crash_handler.h"
#include "desktop/shell/language_table.h"
#include "desktop/shell/log.h"
#include "desktop/shell/message_boxes.h"
#include "desktop/shell/registry.h"
#include "desktop/display/texture_cache/texture_cache.h"
#include "desktop/scene/object/script_config.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/open_url.h"
#include "platform/paths.h"
#include "platform/process_priority.h"
#include "platform/window.h"

#include <unistd.h>

#include <ctime>
#include <system_error>

namespace lumivane {

namespace {

// What shows that a folder is the data folder.
constexpr const char* kScriptConfigFile = "script.dat";
constexpr uint64_t kLowMemoryBytes = 68157440; // 65 MiB
constexpr uint32_t kScreensaverSettleMs = 500;
constexpr int kStandInWidth = 1280;
constexpr int kStandInHeight = 720;
constexpr int kEntryCannotStart = 11002;
constexpr const char* kGraphicsDriverPage = "https://www.mesa3d.org/";

ShellMessageSink gShellMessageSink;

uint64_t PhysicalMemory() {
    const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && pageSize > 0 ? uint64_t(pages) * uint64_t(pageSize) : UINT64_MAX;
}

// The converter's view of the program: its abort rule, its priority, its
// log and its boxes.
class ConverterHost : public TextureCacheHost {
public:
    ConverterHost(DesktopApp& app, std::string title, std::string message, std::string failure,
                  std::string caption)
        : app_(app), title_(std::move(title)), message_(std::move(message)),
          failure_(std::move(failure)), caption_(std::move(caption)) {}

    bool ShouldAbort() override { return app_.ShouldAbortLoad(); }
    void FileDone() override {
        if (app_.DesktopMode()) platform::SetProcessPriority(platform::PriorityClass::Idle);
    }
    void FileFailed(const std::filesystem::path& file, const std::string& why) override {
        Log("Texture cache: %s stays: %s", file.c_str(), why.c_str());
    }
    std::unique_ptr<ProgressView> OpenProgress(int) override {
        std::string error;
        auto window = ProgressWindow::Open(
            title_, message_, app_.ScreensaverMode() || app_.DesktopScreensaverActive(), &error);
        if (!window) Log("Texture cache: no progress window: %s", error.c_str());
        return window;
    }
    void ReportStartFailure() override { ShowProgramBox(caption_, failure_); }

private:
    DesktopApp& app_;
    std::string title_, message_, failure_, caption_;
};

} // namespace

bool DesktopApp::ReadMachineSettings() {
    // The machine key is read before the settings key object exists.
    SettingsKey machine;
    std::string workingDir;
    bool workingDirStored = false;
    std::string reportUrl;
    uint32_t logging = 0;
    if (machine.OpenKeys()) {
        machine.GetDword(values::kLogging.name, logging, KeyRoot::Machine);
        machine.GetDword(values::kBuild.name, build_, KeyRoot::Machine);
        machine.GetDword(values::kLanguage.name, language_, KeyRoot::Machine);
        machine.GetDword(values::kUnicode.name, unicode_, KeyRoot::Machine);
        machine.GetDword(values::kCodePage.name, codePage_, KeyRoot::Machine);
        char text[kMaxSettingString] = "";
        if (machine.GetString(values::kWorkingDir.name, text, sizeof text, KeyRoot::Machine)) {
            workingDirStored = true;
            workingDir = text;
        }
        reportUrl = machine.Read(values::kCrashReportUrl);
    }
    std::error_code error;
    const std::filesystem::path current = std::filesystem::current_path(error);
    if (!workingDirStored) {
        dataRoot_ = platform::ProgramFolder() / kDataFolderName;
        dataRootOrigin_ = "beside the program, as the machine setting \"WorkingDir\" is not set";
    } else if (workingDir.empty()) {
        dataRoot_ = current;
        dataRootOrigin_ = "the current folder, as the machine setting \"WorkingDir\" is empty";
    } else {
        dataRoot_ = std::filesystem::absolute(workingDir, error);
        dataRootOrigin_ = "named by the machine setting \"WorkingDir\"";
    }
    // Once, before any thread starts: the log and the crash report are
    // written to the current folder.
    std::filesystem::current_path(dataRoot_, error);
    SetLogEnabled(logging != 0);
    CrashReportSettings crash;
    crash.build = build_;
    crash.reportUrl = reportUrl;
    InstallCrashReporter(crash, "main thread");
    return true;
}

void DesktopApp::CheckDataFolder() {
    std::error_code error;
    std::string missing;
    if (!std::filesystem::is_directory(dataRoot_, error)) {
        missing = "does not exist";
    } else if (!platform::ResolvePath(dataRoot_, kScriptConfigFile)) {
        missing = std::string("holds no ") + kScriptConfigFile;
    } else {
        return;
    }
    // The language table lies in that folder too, so the words are the
    // program's own.
    EndWithError("Lumivane", "Lumivane cannot start: its data folder " + dataRoot_.string() + " (" +
                                 dataRootOrigin_ + ") " + missing + ".");
}

bool DesktopApp::LoadLanguageTable() {
    languageTable_ = std::make_unique<LanguageTable>(codePage_);
    const char* name = unicode_ ? "Langfile.txt" : "Langfile.csv";
    const auto path = platform::ResolvePath(dataRoot_, name);
    languageTable_->Load((path ? *path : dataRoot_ / name).string(), LanguageTable::kColumn1);
    gpLanguageTable = languageTable_.get();
    return true;
}

bool DesktopApp::MakeModeWindows() {
    const std::string title = Text(kEntryWindowTitle) + "      ";
    if (ScreensaverMode() && !options_.hostedScreensaver) {
        host_ = services_.windows->OpenScreensaverWindows(title);
        if (!host_) ShowFatalError(LanguageText(kEntryCannotStart), nullptr);
    } else if (WindowMode() && options_.ownWindow) {
        host_ = services_.windows->OpenStandInHost(title, kStandInWidth, kStandInHeight);
        if (!host_) ShowFatalError(LanguageText(kEntryCannotStart), nullptr);
    }
    return true;
}

bool DesktopApp::CheckGraphics() {
    std::string error;
    if (services_.windows->ProbeGraphics(&error)) return true;
    Log("Graphics check failed: %s", error.c_str());
    RestoreDesktop();
    if (ShowProgramBox(Text(kEntryGraphicsTooOldCaption), Text(kEntryGraphicsTooOld),
                       platform::MessageBoxKind::Warning,
                       platform::MessageBoxButtons::YesNo) == platform::MessageBoxResult::Yes)
        platform::OpenInBrowser(kGraphicsDriverPage);
    return false;
}

void DesktopApp::ReadStartSettings() {
    registry_->Write(values::kFreeze, 0u);
    freeze_ = false;
    randomStartup_ = registry_->Read(values::kRandomStartup) != 0;
    randomPeriod_ = registry_->Read(values::kRandomPeriod);
    randomTimerMs_ = 0;
    SeedSceneChoice(uint32_t(std::time(nullptr)));

    int width = 0, height = 0;
    if (!services_.windows->DesktopSize(width, height) && host_) host_->ClientSize(width, height);
    highQualityMode_ = registry_->Read(values::kHighQualityMode, HighQualityDefault(width)) != 0;
    if (WindowMode()) highQualityMode_ = true;

    logo_ = registry_->Read(values::kLogo) != 0;
    if (ScreensaverMode() || WindowMode()) logo_ = false;
}

DesktopApp::StartupResult DesktopApp::Startup() {
    SetMessageSink(&gShellMessageSink);
    ReadMachineSettings();
    CheckDataFolder();
    plentyOfMemory_ = PhysicalMemory() >= kLowMemoryBytes;
    LoadLanguageTable();
    MakeModeWindows();
    if (ScreensaverMode() && !options_.hostedScreensaver) {
        platform::ShowMouseCursor(false);
        SleepUnlessExitSignal(kScreensaverSettleMs);
    }

    registry_ = std::make_unique<Registry>();
    registry_->Open();
    gpRegistry = registry_.get();
    noVertexBuffers_ = registry_->Read(values::kNoVertexBuffers) != 0;
    if (!CheckGraphics()) return StartupResult::Failed;
    // The graphics check and sound take their time; an exit that came
    // meanwhile ends the start here.
    if (EndRequested()) return StartupResult::Ended;

    scriptConfig_ = std::make_unique<ScriptConfig>();
    if (!scriptConfig_->Load(dataRoot_)) return StartupResult::Failed;
    services_.scene->CreateSound();
    ReadVolume(true);
    if (EndRequested()) return StartupResult::Ended;

    ConverterHost converter(*this, Text(kEntryUnpackingTitle), Text(kEntryUnpackingMessage),
                            Text(kEntryConverterCannotStart), Text(kEntryFatalCaption));
    if (BuildTextureCache(dataRoot_, converter) == 0) return StartupResult::Stopped;

    services_.scene->CreateServices();
    if (EndRequested()) return StartupResult::Ended;
    if (host_ && !host_->Exists()) Log("Window check 1 INVALID");
    ReadStartSettings();
    return StartupResult::Ready;
}

} // namespace lumivane
