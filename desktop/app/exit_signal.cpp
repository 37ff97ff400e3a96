// The exit signals.
#include "desktop/app/exit_signal.h"

#include <atomic>
#include <csignal>

namespace lumivane {

namespace {

std::atomic<int> gExitSignalled{0};
static_assert(std::atomic<int>::is_always_lock_free, "the flag is set in a signal handler");

void OnExitSignal(int) {
    gExitSignalled.store(1);
}

} // namespace

void InstallExitSignals() {
    struct sigaction action {};
    action.sa_handler = OnExitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

bool TakeExitSignal() {
    return gExitSignalled.exchange(0) != 0;
}

void RaiseExitSignal() {
    gExitSignalled.store(1);
}

} // namespace lumivane
