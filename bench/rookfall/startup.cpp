// rookfall_startup [runs]: starts Rookfall headless on the software renderer
// (offscreen, a temporary home and settings, the build's data) a few times
// (3 unless given) and reports, for each start and as the best of them, the
// time from exec to the first presented frame and the peak resident memory
// once the main menu shows. Goals: first frame within 0.2 s, under 120 MiB.
// It also counts the converted-texture caches the game wrote itself (the data
// builder writes them, so a start should write none).
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

long long MonotonicNanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

int CountCaches(const std::filesystem::path& folder) {
    int n = 0;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, error);
         !error && it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::string name = it->path().filename().string();
        n += name.size() > 5 && name[0] == '~' && name.ends_with(".dds");
    }
    return n;
}

struct Run {
    double firstFrameSeconds = -1;
    long peakKiB = -1;
};

bool Start(const std::filesystem::path& home, Run& run) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return false;
    std::vector<std::string> env = {"HOME=" + home.string(),
                                    "JENTRA_SETTINGS_DIR=" + (home / "settings").string(),
                                    "SDL_VIDEODRIVER=offscreen",
                                    "SDL_AUDIODRIVER=dummy",
                                    "ALSOFT_DRIVERS=null",
                                    "LIBGL_ALWAYS_SOFTWARE=1",
                                    "JENTRA_DISCOVERY_HOSTS=127.0.0.1"};
    for (const char* keep : {"PATH", "JENTRA_RUNTIME_DIR", "XDG_RUNTIME_DIR"})
        if (const char* value = std::getenv(keep)) env.push_back(std::string(keep) + "=" + value);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char* argv[] = {const_cast<char*>(ROOKFALL_PROBE), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    pid_t pid;
    const long long started = MonotonicNanoseconds();
    const int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (failed) {
        close(pipeFds[0]);
        return false;
    }
    FILE* out = fdopen(pipeFds[0], "r");
    char line[256];
    while (out && std::fgets(line, sizeof line, out)) {
        long long when;
        long kib;
        if (std::sscanf(line, "first-frame %lld", &when) == 1)
            run.firstFrameSeconds = double(when - started) * 1e-9;
        if (std::sscanf(line, "peak-rss %ld", &kib) == 1) run.peakKiB = kib;
    }
    if (out) std::fclose(out);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && run.firstFrameSeconds >= 0 &&
           run.peakKiB > 0;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const char* runtime = std::getenv("JENTRA_RUNTIME_DIR");
    const std::filesystem::path data =
        (runtime ? std::filesystem::path(runtime)
                 : std::filesystem::path(ROOKFALL_PROBE).parent_path()) /
        "modules";
    const int cachesBefore = CountCaches(data);
    double best = 1e9;
    long bestKiB = 1L << 40;
    for (int i = 0; i < runs; ++i) {
        std::string folder =
            (std::filesystem::temp_directory_path() / "rookfall-startup-XXXXXX").string();
        if (!mkdtemp(folder.data())) {
            std::perror("rookfall_startup");
            return 1;
        }
        Run run;
        const bool ok = Start(folder, run);
        std::filesystem::remove_all(folder);
        if (!ok) {
            std::fprintf(stderr, "rookfall_startup: the game did not reach its main menu\n");
            return 1;
        }
        std::printf("start %d: first frame after %.3f s, peak memory %.1f MiB at the main menu\n",
                    i + 1, run.firstFrameSeconds, double(run.peakKiB) / 1024.0);
        best = std::min(best, run.firstFrameSeconds);
        bestKiB = std::min(bestKiB, run.peakKiB);
    }
    std::printf("texture caches written by the game: %d\n", CountCaches(data) - cachesBefore);
    std::printf("best: first frame %.3f s (goal 0.2 s), peak memory %.1f MiB (goal 120 MiB)\n",
                best, double(bestKiB) / 1024.0);
    return 0;
}
