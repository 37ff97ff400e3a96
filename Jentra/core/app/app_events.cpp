// The window event queue: filled by the window layer and by tests, drained by
// the message loop on the main thread.
#include "Jentra/core/app/app_events.h"

#include <condition_variable>
#include <deque>
#include <mutex>

#include "Jentra/core/app/app_clock.h"

namespace {
std::mutex gQueueMutex;
std::condition_variable gQueueSignal;
std::deque<JTWindowEvent> gQueue;
} // namespace

bool JTPollWindowEvent(JTWindowEvent& event) {
    std::lock_guard<std::mutex> lock(gQueueMutex);
    if (gQueue.empty()) return false;
    event = gQueue.front();
    gQueue.pop_front();
    return true;
}

void JTWaitWindowEvent() {
    std::unique_lock<std::mutex> lock(gQueueMutex);
    gQueueSignal.wait(lock, [] { return !gQueue.empty(); });
}

void JTPushWindowEvent(const JTWindowEvent& event) {
    JTWindowEvent stamped = event;
    if (stamped.time == 0) stamped.time = JTTickMs();
    {
        std::lock_guard<std::mutex> lock(gQueueMutex);
        gQueue.push_back(stamped);
    }
    gQueueSignal.notify_one();
}

void JTFlushWindowEvents() {
    std::lock_guard<std::mutex> lock(gQueueMutex);
    gQueue.clear();
}
