// The exit signals and the watchdog that holds the program to them.
#include "desktop/app/exit_signal.h"

#include "platform/clock.h"
#include "platform/named/exit_release.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <mutex>
#include <system_error>
#include <thread>

namespace lumivane {

namespace {

constexpr uint32_t kSleepStepMs = 20;

std::atomic<int> gExitSignalled{0};
std::atomic<int> gHolds{0};
static_assert(std::atomic<int>::is_always_lock_free, "the flag is set in a signal handler");

// The handler wakes the watchdog through this pipe: writing is one of the
// few things a signal handler may do.
int gWakeRead = -1;
int gWakeWrite = -1;

void OnExitSignal(int) {
    const int savedErrno = errno;
    gExitSignalled.store(1);
    if (gWakeWrite >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = write(gWakeWrite, &byte, 1);
    }
    errno = savedErrno;
}

// Never blocks: a host that stopped reading the program's output (a full
// pipe) must not keep the process alive.
void WriteStderr(const char* text, size_t size) {
    while (size > 0) {
        pollfd out{STDERR_FILENO, POLLOUT, 0};
        if (poll(&out, 1, 0) != 1 || !(out.revents & POLLOUT)) return;
        const ssize_t n = write(STDERR_FILENO, text, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        text += n;
        size -= size_t(n);
    }
}

// Waits for the first signal, gives the orderly end its time, then ends the
// process. Nothing here takes a lock another thread may hold: the thread
// that should be ending may be stuck holding any of them.
void Watchdog() {
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    char byte;
    while (read(gWakeRead, &byte, 1) != 1)
        if (errno != EINTR) return;
    // Wall time, whatever clock the program runs on.
    std::this_thread::sleep_for(std::chrono::milliseconds(kExitGraceMs));
    // A write under way is let finish, for a while.
    constexpr uint32_t kHoldStepMs = 10;
    for (uint32_t waited = 0; gHolds.load() > 0 && waited < kExitHoldLimitMs; waited += kHoldStepMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(kHoldStepMs));
    static const char kNotice[] = "Lumivane: still running after the exit signal; ending now\n";
    WriteStderr(kNotice, sizeof kNotice - 1);
    // What the program made for other processes goes with it.
    platform::ReleaseNamedObjectsAtExit();
    _exit(0);
}

} // namespace

void InstallExitSignals() {
    static std::once_flag once;
    std::call_once(once, [] {
        int wake[2];
        if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) == 0) {
            // Only the writing end may not block: the watchdog waits on the other.
            fcntl(wake[0], F_SETFL, fcntl(wake[0], F_GETFL) & ~O_NONBLOCK);
            gWakeRead = wake[0];
            try {
                std::thread(Watchdog).detach();
                gWakeWrite = wake[1];
            } catch (const std::system_error&) {
                // No watchdog: the orderly end is all there is.
                close(wake[0]);
                close(wake[1]);
                gWakeRead = -1;
            }
        }
    });
    struct sigaction action {};
    action.sa_handler = OnExitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    // Started to outlive its terminal (nohup), it keeps doing so.
    struct sigaction hangUp {};
    if (sigaction(SIGHUP, nullptr, &hangUp) == 0 && hangUp.sa_handler != SIG_IGN)
        sigaction(SIGHUP, &action, nullptr);
}

bool TakeExitSignal() {
    return gExitSignalled.exchange(0) != 0;
}

bool ExitSignalPending() {
    return gExitSignalled.load() != 0;
}

void RaiseExitSignal() {
    gExitSignalled.store(1);
}

void SleepUnlessExitSignal(uint32_t ms) {
    while (ms > 0 && !ExitSignalPending()) {
        const uint32_t step = std::min(ms, kSleepStepMs);
        platform::SleepMilliseconds(step);
        ms -= step;
    }
}

ExitWatchdogHold::ExitWatchdogHold() {
    gHolds.fetch_add(1);
}

ExitWatchdogHold::~ExitWatchdogHold() {
    gHolds.fetch_sub(1);
}

} // namespace lumivane
