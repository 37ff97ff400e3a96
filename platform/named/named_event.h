// Named events shared between processes, in place of the system's named
// kernel events: "Lumivane: Exit" and its siblings, which an outside
// component signals to steer the running desktop program. Creating an event
// that already exists opens it with its own reset mode and state, as the
// system did. Names are the session's own: an event of one X display is
// not the same-named event of another (named_segment.h).
// $JENTRA_NAMED_PREFIX is put before every name, so tests that run side by
// side never share an object.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace platform {

namespace named_detail {
class SegmentHandle;
}

class NamedEvent {
public:
    static constexpr uint32_t kInfinite = UINT32_MAX;

    // Creates the event or opens the one that exists. A new event (or one
    // whose every user has died) starts with the given reset mode and state.
    // Null with *error set when the system refuses.
    static std::unique_ptr<NamedEvent> Create(std::string_view name, bool manualReset,
                                              bool initialState, std::string* error = nullptr);
    // Opens the event only when it exists (some process holds it open);
    // null with *error set otherwise. Never makes one, so signalling an
    // event of a program that does not run leaves nothing behind.
    static std::unique_ptr<NamedEvent> Open(std::string_view name, std::string* error = nullptr);
    ~NamedEvent();
    NamedEvent(const NamedEvent&) = delete;
    NamedEvent& operator=(const NamedEvent&) = delete;

    void Set();
    void Reset();
    // Answers whether the event is signalled without waiting. An auto-reset
    // event is cleared by the answer true, so one Set is seen once.
    bool Poll();
    // Waits up to timeoutMs (kInfinite: without limit) for the event; clears
    // an auto-reset event it takes. False on time-out.
    bool Wait(uint32_t timeoutMs);

    const std::string& Name() const { return name_; }

private:
    NamedEvent(std::string name, std::unique_ptr<named_detail::SegmentHandle> segment);
    bool TryTake();

    std::string name_;
    std::unique_ptr<named_detail::SegmentHandle> segment_;
};

} // namespace platform
