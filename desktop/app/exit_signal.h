// SIGTERM (how a screensaver host stops its hacks) and SIGINT act as the
// Exit event: the handler only raises a flag that the main loop takes.
#pragma once

namespace lumivane {

void InstallExitSignals();
// True once for each arrival of the signal since the last call.
bool TakeExitSignal();
// Raises the flag as a signal would (tests).
void RaiseExitSignal();

} // namespace lumivane
