// The texture cache: on the first start after installation (and whenever
// new ones appear) every compressed ".tex" file under "Models\Textures\" and
// "LoadScreens\" is converted once into what the display reads. A worker
// thread converts; the calling (main) thread keeps the progress window
// painted and runs the program's abort test after every file and while a
// file takes long.
#pragma once

#include "desktop/display/texture_cache/progress_window.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace lumivane {

// Language entries the converter uses.
inline constexpr int kEntryUnpackingTitle = 10111;
inline constexpr int kEntryUnpackingMessage = 10110;
inline constexpr int kEntryConverterCannotStart = 10119;

// What the program around the converter provides. Every call comes on the
// thread that called BuildTextureCache.
class TextureCacheHost {
public:
    virtual ~TextureCacheHost() = default;
    // The program's abort rule (the Exit event; user input in screensaver
    // mode; a close request in window mode).
    virtual bool ShouldAbort() = 0;
    // After each converted file (the animated desktop drops to idle
    // priority here).
    virtual void FileDone() {}
    // A file that could not be converted and stays for the next start.
    virtual void FileFailed(const std::filesystem::path& /*file*/, const std::string& /*why*/) {}
    // The progress window for that many files; null runs without one.
    virtual std::unique_ptr<ProgressView> OpenProgress(int total) = 0;
    // The converter could not start: the box with language entry 10119.
    virtual void ReportStartFailure() = 0;
};

// The files waiting under the data root: textures first, then load
// screens, each group in name order. Folders are passed over, and so are
// sources refused before and unchanged since (RefusedSources).
struct TextureCacheWork {
    std::vector<std::filesystem::path> textures;
    std::vector<std::filesystem::path> loadScreens;
    int Total() const { return int(textures.size() + loadScreens.size()); }
};
TextureCacheWork FindTextureCacheWork(const std::filesystem::path& dataRoot);

// 1 when everything was converted or there was nothing to do (then no
// window is made and the host is never asked), 0 when the abort test
// stopped it or the converter could not start. Files that fail stay where
// they are and do not stop the others; those that do not decode are
// remembered. No thread is left running.
int BuildTextureCache(const std::filesystem::path& dataRoot, TextureCacheHost& host);

} // namespace lumivane
