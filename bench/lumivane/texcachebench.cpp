// texcachebench <data root>: runs Lumivane's texture cache converter once
// over the data root's "Models\Textures\" and "LoadScreens\" sources, as the
// first start after installation does (no window, never aborted), and
// reports the wall time, the files converted and those that stay. Run it
// again on the same folder for what a later start pays. It converts in
// place: give it a copy of a data folder.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "desktop/display/texture_cache/texture_cache.h"

namespace {

class QuietHost : public lumivane::TextureCacheHost {
public:
    bool ShouldAbort() override { return false; }
    void FileDone() override { ++done; }
    void FileFailed(const std::filesystem::path& file, const std::string& why) override {
        ++failed;
        std::printf("stays: %s: %s\n", file.filename().c_str(), why.c_str());
    }
    std::unique_ptr<lumivane::ProgressView> OpenProgress(int total) override {
        found = total;
        return nullptr;
    }
    void ReportStartFailure() override { std::fprintf(stderr, "converter cannot start\n"); }

    int found = 0, done = 0, failed = 0;
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: texcachebench <data root>\n");
        return 2;
    }
    QuietHost host;
    const auto begin = std::chrono::steady_clock::now();
    const int result = lumivane::BuildTextureCache(argv[1], host);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    std::printf("texture cache: %d files waiting, %d converted, %d stay, %.3f s (result %d)\n",
                host.found, host.done - host.failed, host.failed, seconds, result);
    return result == 1 ? 0 : 1;
}
