// Removing the named objects of a process that ends without closing them:
// a fatal error box, the exit watchdog, a crash. Each name this process
// still holds open loses this process as a user, and a name no one else
// uses is removed, as closing it would have done. The objects' memory stays
// mapped (the process is about to end), so a thread still using one reads
// on safely. Safe to call from any thread, also while another thread is
// stuck; it waits at most a moment for each object's lock.
#pragma once

namespace platform {

void ReleaseNamedObjectsAtExit();

} // namespace platform
