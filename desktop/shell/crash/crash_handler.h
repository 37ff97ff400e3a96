// Catching the faults that end the desktop program (SIGSEGV, SIGBUS, SIGFPE,
// SIGILL) and reporting them. The handler runs on an alternate stack, so a
// stack overflow is caught too, and does only what is safe inside a signal
// handler: it copies the registers and the bytes at the faulting address
// into a block made beforehand and wakes the reporter thread through a pipe.
// The reporter thread writes the report, sends the request and puts the
// desktop back (crash_report.h) while the handler waits a few seconds at
// most; then the signal is raised again with its default action, so the
// process ends as it would have without the reporter.
#pragma once

#include "desktop/shell/crash/crash_report.h"

namespace lumivane {

// Installs the handlers and starts the reporter thread; the calling thread
// gets an alternate signal stack and the label (the report names the thread
// that faulted). Settings are fixed from here on. Installing twice only
// updates the settings and the label.
void InstallCrashReporter(const CrashReportSettings& settings,
                          const char* threadLabel = "main thread");

// Names the calling thread in reports (at most 31 characters).
void NameCrashThread(const char* label);

} // namespace lumivane
