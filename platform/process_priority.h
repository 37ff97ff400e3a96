// The process's priority class: idle, normal or high. An unprivileged Linux
// process can lower its own scheduling priority but never raise it again,
// nor raise another process, so the class is kept as a logical state that
// the program reads back; only the step to idle reaches the scheduler (every
// thread of the process gets the weakest nice value). Whoever asks for a
// higher class (the desktop menu) does so by request through shared memory,
// and the program then sets High here itself.
#pragma once

#include <sys/types.h>

namespace platform {

enum class PriorityClass { Idle, Normal, High };

PriorityClass GetProcessPriority();
void SetProcessPriority(PriorityClass priority);

// The nice value the scheduler has for the calling thread (for checks).
int CurrentNiceValue();

// Whether a process with the id exists and has not ended (a zombie, whose
// exit status only waits to be collected, has ended).
bool IsProcessRunning(pid_t pid);

} // namespace platform
