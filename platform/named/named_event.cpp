// Named events over a shared segment. Waiters sleep on a futex word that
// every Set bumps. A futex rather than a process-shared condition variable:
// a waiter killed inside the condition's wait can leave the condition's
// internal counts raised and block later signallers, while a futex keeps no
// state for its waiters and the kernel forgets a dead one.
#include "platform/named/named_event.h"

#include "platform/named/named_segment.h"

#include <linux/futex.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <ctime>

namespace platform {

using named_detail::Segment;
using named_detail::SegmentHandle;
using named_detail::SegmentKind;
using named_detail::SegmentLock;

namespace {

// Sleeps while the word still holds `expected`, at most `timeout`.
void FutexWait(std::atomic<uint32_t>& word, uint32_t expected, std::chrono::nanoseconds timeout) {
    timespec relative{};
    relative.tv_sec = time_t(timeout.count() / 1000000000);
    relative.tv_nsec = long(timeout.count() % 1000000000);
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAIT, expected, &relative, nullptr,
            0);
}

void FutexWakeAll(std::atomic<uint32_t>& word) {
    syscall(SYS_futex, reinterpret_cast<uint32_t*>(&word), FUTEX_WAKE, INT_MAX, nullptr, nullptr,
            0);
}

} // namespace

NamedEvent::NamedEvent(std::string name, std::unique_ptr<SegmentHandle> segment)
    : name_(std::move(name)), segment_(std::move(segment)) {}

NamedEvent::~NamedEvent() = default;

std::unique_ptr<NamedEvent> NamedEvent::Create(std::string_view name, bool manualReset,
                                               bool initialState, std::string* error) {
    auto segment = SegmentHandle::Attach(
        name, SegmentKind::Event,
        [&](Segment& s) {
            s.manualReset = manualReset ? 1 : 0;
            s.signalled = initialState ? 1 : 0;
        },
        error);
    if (!segment) return nullptr;
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::string(name), std::move(segment)));
}

std::unique_ptr<NamedEvent> NamedEvent::Open(std::string_view name, std::string* error) {
    // Set up afresh only when every user has died: then as a plain
    // auto-reset event, clear.
    auto segment = SegmentHandle::Attach(
        name, SegmentKind::Event,
        [](Segment& s) {
            s.manualReset = 0;
            s.signalled = 0;
        },
        error, named_detail::AttachMode::OpenExisting);
    if (!segment) return nullptr;
    return std::unique_ptr<NamedEvent>(new NamedEvent(std::string(name), std::move(segment)));
}

void NamedEvent::Set() {
    Segment& s = segment_->Get();
    {
        SegmentLock lock(s);
        s.signalled = 1;
        s.wakeSequence.fetch_add(1);
    }
    FutexWakeAll(s.wakeSequence);
}

void NamedEvent::Reset() {
    Segment& s = segment_->Get();
    SegmentLock lock(s);
    s.signalled = 0;
}

bool NamedEvent::TryTake() {
    Segment& s = segment_->Get();
    SegmentLock lock(s);
    if (!s.signalled) return false;
    if (!s.manualReset) s.signalled = 0;
    return true;
}

bool NamedEvent::Poll() {
    return TryTake();
}

bool NamedEvent::Wait(uint32_t timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const bool forever = timeoutMs == kInfinite;
    const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
    Segment& s = segment_->Get();
    for (;;) {
        // Read the sequence before testing the state: a Set between the two
        // changes the sequence, and the futex then does not sleep.
        const uint32_t sequence = s.wakeSequence.load();
        if (TryTake()) return true;
        std::chrono::nanoseconds left = std::chrono::seconds(1);
        if (!forever) {
            left = deadline - Clock::now();
            if (left <= std::chrono::nanoseconds(0)) return false;
        }
        // Sleeps are capped so that a wait without limit still looks again
        // now and then; nothing depends on it.
        FutexWait(s.wakeSequence, sequence,
                  std::min<std::chrono::nanoseconds>(left, std::chrono::seconds(1)));
    }
}

} // namespace platform
