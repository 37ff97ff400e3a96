// The converter's two threads. The worker converts one file at a time and
// then waits for the main thread's word to go on; the main thread repaints,
// runs the abort test and gives that word. So the abort test runs after
// every file, as it always did, while the window stays on the thread that
// owns the program's windows.
#include "desktop/display/texture_cache/texture_cache.h"

#include "desktop/display/texture_cache/image_codec_table.h"
#include "desktop/display/texture_cache/refused_sources.h"
#include "desktop/display/texture_cache/texture_conversion.h"
#include "platform/paths.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

namespace lumivane {

namespace {

// How often the main thread looks at the abort test while a file converts,
// and how many looks pass between repaints of an unchanged window.
constexpr auto kPollInterval = std::chrono::milliseconds(30);
constexpr int kLooksPerRepaint = 10;

std::vector<std::filesystem::path> FindSources(const std::filesystem::path& dataRoot,
                                               const char* folder, const RefusedSources& refused) {
    std::vector<std::filesystem::path> files;
    const auto resolved = platform::ResolvePath(dataRoot, folder);
    std::error_code error;
    if (!resolved || !std::filesystem::is_directory(*resolved, error)) return files;
    for (std::filesystem::directory_iterator it(*resolved, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code kindError;
        if (!it->is_regular_file(kindError)) continue;
        if (platform::EqualsIgnoreCase(it->path().extension().string(), ".tex") &&
            !refused.Holds(it->path()))
            files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

struct Job {
    std::filesystem::path file;
    bool loadScreen;
};

struct Failure {
    std::filesystem::path file;
    std::string why;
    bool refused; // the source does not decode
};

// What the two threads share, under one mutex.
class Handshake {
public:
    // Worker: one file is done; waits for the word to go on. False: stop.
    bool FileConverted(Failure* failure) {
        std::unique_lock lock(mutex_);
        ++done_;
        if (failure) failures_.push_back(std::move(*failure));
        awaiting_ = true;
        changed_.notify_all();
        changed_.wait(lock, [&] { return goAhead_ || stop_; });
        goAhead_ = false;
        return !stop_;
    }
    void Finished() {
        std::lock_guard lock(mutex_);
        finished_ = true;
        changed_.notify_all();
    }
    bool StopRequested() {
        std::lock_guard lock(mutex_);
        return stop_;
    }

    struct View {
        int done;
        bool awaiting;
        bool finished;
        std::vector<Failure> failures;
    };
    // Main thread: waits a little for news and takes it.
    View Look() {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, kPollInterval, [&] { return awaiting_ || finished_; });
        View view{done_, awaiting_, finished_, std::move(failures_)};
        failures_.clear();
        return view;
    }
    void GoAhead() {
        std::lock_guard lock(mutex_);
        awaiting_ = false;
        goAhead_ = true;
        changed_.notify_all();
    }
    void Stop() {
        std::lock_guard lock(mutex_);
        stop_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int done_ = 0;
    bool awaiting_ = false;
    bool goAhead_ = false;
    bool stop_ = false;
    bool finished_ = false;
    std::vector<Failure> failures_;
};

void ConvertAll(const std::vector<Job>& jobs, Handshake& handshake) {
    ImageCodecTable codecs;
    codecs.Init();
    for (const Job& job : jobs) {
        if (handshake.StopRequested()) break;
        std::string why;
        bool refused = false;
        bool ok = false;
        try {
            ok = job.loadScreen ? ConvertLoadScreen(codecs, job.file, &why, &refused)
                                : ConvertTexture(codecs, job.file, &why, &refused);
        } catch (const std::bad_alloc&) { // this file's pictures, not the next one's
            why = job.file.string() + ": not enough memory to convert it";
        }
        Failure failure{job.file, why, refused};
        if (!handshake.FileConverted(ok ? nullptr : &failure)) break;
    }
    handshake.Finished();
}

} // namespace

TextureCacheWork FindTextureCacheWork(const std::filesystem::path& dataRoot) {
    const RefusedSources refused(dataRoot);
    return {FindSources(dataRoot, "Models\\Textures", refused),
            FindSources(dataRoot, "LoadScreens", refused)};
}

int BuildTextureCache(const std::filesystem::path& dataRoot, TextureCacheHost& host) {
    const TextureCacheWork work = FindTextureCacheWork(dataRoot);
    const int total = work.Total();
    if (total == 0) return 1;

    std::vector<Job> jobs;
    for (const auto& file : work.textures)
        jobs.push_back({file, false});
    for (const auto& file : work.loadScreens)
        jobs.push_back({file, true});

    std::unique_ptr<ProgressView> view = host.OpenProgress(total);
    Handshake handshake;
    std::thread worker;
    try {
        worker = std::thread(ConvertAll, std::cref(jobs), std::ref(handshake));
    } catch (const std::system_error&) {
        view.reset();
        host.ReportStartFailure();
        return 0;
    }

    // Sources that do not decode are remembered, aborted or not, so later
    // starts pass them over.
    RefusedSources refused(dataRoot);
    int shown = -1, looksSincePaint = 0;
    while (true) {
        Handshake::View news = handshake.Look();
        for (const Failure& failure : news.failures) {
            host.FileFailed(failure.file, failure.why);
            if (failure.refused) refused.Remember(failure.file);
        }
        if (view && (news.done != shown || ++looksSincePaint >= kLooksPerRepaint)) {
            view->Show(news.done, total);
            looksSincePaint = 0;
        }
        shown = news.done;
        if (news.finished) break;
        if (news.awaiting) host.FileDone();
        if (host.ShouldAbort()) {
            handshake.Stop();
            worker.join();
            refused.Save();
            return 0;
        }
        if (news.awaiting) handshake.GoAhead();
    }
    worker.join();
    refused.Save();
    return 1;
}

} // namespace lumivane
