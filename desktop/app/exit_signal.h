// SIGTERM (how a screensaver host stops its hacks), SIGINT and SIGHUP (the
// terminal it was started from went away; unless started to ignore it, as
// nohup does) act as the Exit event: the handler only raises a flag that
// the main loop takes.
//
// A host lets go of its hack the moment it sends the signal, so the program
// must not outlive it by long, whatever it is doing: loading, waiting for a
// frame the rasteriser is slow to finish, or stuck in a call that never
// returns. The orderly end gets kExitGraceMs; a watchdog thread ends the
// process at once (exit code 0, as the orderly end) if it has not come by
// then.
#pragma once

#include <cstdint>

namespace lumivane {

inline constexpr uint32_t kExitGraceMs = 300;

// Installs the handlers and starts the watchdog (once per process).
void InstallExitSignals();
// True once for each arrival of the signal since the last call.
bool TakeExitSignal();
// Whether a signal waits to be taken, without taking it.
bool ExitSignalPending();
// Raises the flag as a signal would (tests); the watchdog is not started.
void RaiseExitSignal();
// Sleeps `ms` on the current clock, in short steps, and returns early once
// an exit signal waits.
void SleepUnlessExitSignal(uint32_t ms);

// Held while the program writes what must not be lost half way (settings
// it takes back or hands on). The watchdog lets a write under way finish
// before it ends the process, waiting at most kExitHoldLimitMs beyond the
// grace.
inline constexpr uint32_t kExitHoldLimitMs = 2000;
class ExitWatchdogHold {
public:
    ExitWatchdogHold();
    ~ExitWatchdogHold();
    ExitWatchdogHold(const ExitWatchdogHold&) = delete;
    ExitWatchdogHold& operator=(const ExitWatchdogHold&) = delete;
};

} // namespace lumivane
