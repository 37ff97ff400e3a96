// Helper program for the platform tests, run as a child process:
//   settings-write <folder> <key> <prefix> <count>   writes <count> DWORDs
//   settings-watch <folder> <key> <timeout ms>       prints "ready", exits 0 on a change
//   list-fds                                         prints every inherited descriptor
//                                                    above 2, one a line
//   settings-hold <folder> <ms>                      holds the write lock, prints "locked"
//   fatal <title> <text> [code]                      ends through FatalExit, with
//                                                    output pending in stdout and
//                                                    a worker thread still using a
//                                                    static object
#include "platform/message_box.h"
#include "platform/settings_store.h"

#include <dirent.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

using namespace platform;

namespace {

// A static object whose destructor reports that it ran: the fatal exit must
// not tear statics down under threads that still use them.
struct SharedState {
    std::atomic<bool> inUse{false};
    std::atomic<int> uses{0};
    ~SharedState() {
        if (inUse) std::fprintf(stderr, "static destroyed\n");
    }
};
SharedState gShared;

[[noreturn]] void Fatal(const char* title, const char* text, int code) {
    gShared.inUse = true;
    std::thread([] {
        for (;;) {
            gShared.uses.fetch_add(1);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }).detach();
    // Left in the stdout buffer (a pipe is fully buffered): the exit must flush it.
    std::printf("pending output\n");
    FatalExit(title, text, code);
}

} // namespace

static int SettingsWrite(const char* folder, const char* key, const std::string& prefix,
                         int count) {
    std::string error;
    auto store = SettingsStore::OpenFolder(folder, &error);
    if (!store) {
        std::fprintf(stderr, "open failed: %s\n", error.c_str());
        return 2;
    }
    for (int i = 0; i < count; ++i) {
        std::string name = prefix + std::to_string(i);
        SettingsStatus status =
            store->SetDword(SettingsScope::User, key, name, uint32_t(i * 7 + 1));
        if (status != SettingsStatus::Ok) {
            std::fprintf(stderr, "write %s failed: %s\n", name.c_str(), store->LastError().c_str());
            return 3;
        }
    }
    return 0;
}

static int SettingsWatch(const char* folder, const char* key, uint32_t timeoutMs) {
    std::string error;
    auto store = SettingsStore::OpenFolder(folder, &error);
    auto watcher = store ? store->Watch(SettingsScope::User, key, false, &error) : nullptr;
    if (!watcher) {
        std::fprintf(stderr, "watch failed: %s\n", error.c_str());
        return 2;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return watcher->Wait(timeoutMs) ? 0 : 1;
}

static int ListInheritedFds() {
    DIR* dir = opendir("/proc/self/fd");
    if (!dir) return 2;
    const int own = dirfd(dir);
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.') continue;
        const int fd = std::atoi(entry->d_name);
        if (fd <= 2 || fd == own) continue;
        char target[512] = {};
        const std::string link = std::string("/proc/self/fd/") + entry->d_name;
        ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
        std::printf("%d %s\n", fd, n > 0 ? target : "?");
    }
    closedir(dir);
    return 0;
}

// Holds the database's write lock the way another writer would.
static int SettingsHold(const char* folder, int milliseconds) {
    std::string path = std::string(folder) + "/settings.db";
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "lock failed: %s\n", sqlite3_errmsg(db));
        sqlite3_close(db);
        return 2;
    }
    std::printf("locked\n");
    std::fflush(stdout);
    usleep(useconds_t(milliseconds) * 1000);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
}

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "settings-write" && argc == 6)
        return SettingsWrite(argv[2], argv[3], argv[4], std::atoi(argv[5]));
    if (mode == "settings-watch" && argc == 5)
        return SettingsWatch(argv[2], argv[3], uint32_t(std::atoi(argv[4])));
    if (mode == "list-fds") return ListInheritedFds();
    if (mode == "settings-hold" && argc == 4) return SettingsHold(argv[2], std::atoi(argv[3]));
    if (mode == "fatal" && (argc == 4 || argc == 5))
        Fatal(argv[2], argv[3], argc == 5 ? std::atoi(argv[4]) : 1);
    std::fprintf(stderr, "usage: platform_test_helper <mode> ...\n");
    return 64;
}
