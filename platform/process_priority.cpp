// Logical priority class, with idle applied to every thread through
// setpriority (nice values belong to threads on Linux), and whether a
// process still runs.
#include "platform/process_priority.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>

namespace platform {

namespace {

constexpr int kIdleNice = 19;

std::mutex gMutex;
PriorityClass gPriority = PriorityClass::Normal;
bool gStartNiceKnown = false;
int gStartNice = 0;

// Gives every thread of the process the nice value; answers whether all took it.
bool SetNiceOfAllThreads(int nice) {
    bool all = true;
    std::error_code ec;
    for (std::filesystem::directory_iterator it("/proc/self/task", ec), end; !ec && it != end;
         it.increment(ec)) {
        const id_t tid = id_t(std::strtoul(it->path().filename().c_str(), nullptr, 10));
        if (tid != 0 && setpriority(PRIO_PROCESS, tid, nice) != 0) all = false;
    }
    if (ec) all = setpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)), nice) == 0;
    return all;
}

} // namespace

PriorityClass GetProcessPriority() {
    std::lock_guard lock(gMutex);
    return gPriority;
}

void SetProcessPriority(PriorityClass priority) {
    std::lock_guard lock(gMutex);
    if (!gStartNiceKnown) {
        gStartNice = CurrentNiceValue();
        gStartNiceKnown = true;
    }
    if (priority == PriorityClass::Idle) {
        if (gPriority != PriorityClass::Idle) SetNiceOfAllThreads(kIdleNice);
    } else if (gPriority == PriorityClass::Idle) {
        // Going back needs a privilege most users lack; the class still
        // changes, and the program's own pacing keeps it polite.
        SetNiceOfAllThreads(gStartNice);
    }
    gPriority = priority;
}

int CurrentNiceValue() {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, id_t(syscall(SYS_gettid)));
    return errno == 0 ? nice : 0;
}

bool IsProcessRunning(pid_t pid) {
    if (pid <= 0) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    // The command name may hold blanks and parentheses: the state follows
    // the last ')'.
    const size_t close = line.rfind(')');
    if (close == std::string::npos || close + 2 >= line.size()) return false;
    const char state = line[close + 2];
    return state != 'Z' && state != 'X' && state != 'x';
}

} // namespace platform
