// SDL events turned into our own event records.
#include "platform/events.h"

#include "platform/clock.h"
#include "platform/scancodes.h"

#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

namespace platform {

// Our modifier and button numbers are SDL's, so they pass through unchanged.
static_assert(int(KeyModLeftShift) == KMOD_LSHIFT && int(KeyModRightShift) == KMOD_RSHIFT);
static_assert(int(KeyModLeftCtrl) == KMOD_LCTRL && int(KeyModRightCtrl) == KMOD_RCTRL);
static_assert(int(KeyModLeftAlt) == KMOD_LALT && int(KeyModRightAlt) == KMOD_RALT);
static_assert(int(KeyModLeftGui) == KMOD_LGUI && int(KeyModRightGui) == KMOD_RGUI);
static_assert(int(KeyModNumLock) == KMOD_NUM && int(KeyModCapsLock) == KMOD_CAPS);
static_assert(int(MouseLeft) == SDL_BUTTON_LEFT && int(MouseMiddle) == SDL_BUTTON_MIDDLE &&
              int(MouseRight) == SDL_BUTTON_RIGHT && int(MouseX1) == SDL_BUTTON_X1 &&
              int(MouseX2) == SDL_BUTTON_X2);
static_assert(MouseButtonBit(MouseRight) == SDL_BUTTON_RMASK);
static_assert(int(ScanA) == SDL_SCANCODE_A && int(Scan0) == SDL_SCANCODE_0 &&
              int(ScanF12) == SDL_SCANCODE_F12);
static_assert(int(ScanKp0) == SDL_SCANCODE_KP_0 && int(ScanKpPeriod) == SDL_SCANCODE_KP_PERIOD);
static_assert(int(ScanF24) == SDL_SCANCODE_F24 && int(ScanRightGui) == SDL_SCANCODE_RGUI);

namespace {

constexpr uint16_t kModifierMask = KeyModShift | KeyModCtrl | KeyModAlt | KeyModLeftGui |
                                   KeyModRightGui | KeyModNumLock | KeyModCapsLock;

bool EventsRunning() {
    return SDL_WasInit(SDL_INIT_EVENTS) != 0;
}

// False for SDL events that have no counterpart here.
bool Translate(const SDL_Event& e, Event& out) {
    out = Event{};
    out.timestamp = TickCount();
    switch (e.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        out.type = e.type == SDL_KEYDOWN ? EventType::KeyDown : EventType::KeyUp;
        out.windowId = e.key.windowID;
        out.key.scancode = int32_t(e.key.keysym.scancode);
        out.key.modifiers = uint16_t(e.key.keysym.mod & kModifierMask);
        out.key.repeat = e.key.repeat != 0;
        return true;
    case SDL_TEXTINPUT:
        out.type = EventType::TextInput;
        out.windowId = e.text.windowID;
        static_assert(sizeof out.text == sizeof e.text.text);
        std::memcpy(out.text, e.text.text, sizeof out.text);
        out.text[sizeof out.text - 1] = '\0';
        return true;
    case SDL_MOUSEMOTION:
        out.type = EventType::MouseMove;
        out.windowId = e.motion.windowID;
        out.motion = {e.motion.x, e.motion.y, e.motion.xrel, e.motion.yrel, e.motion.state};
        return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        out.type =
            e.type == SDL_MOUSEBUTTONDOWN ? EventType::MouseButtonDown : EventType::MouseButtonUp;
        out.windowId = e.button.windowID;
        out.button = {e.button.x, e.button.y, e.button.button, e.button.clicks};
        return true;
    case SDL_MOUSEWHEEL: {
        out.type = EventType::MouseWheel;
        out.windowId = e.wheel.windowID;
        int sign = e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -1 : 1;
        out.wheel = {e.wheel.x * sign, e.wheel.y * sign};
        return true;
    }
    case SDL_QUIT:
        out.type = EventType::Quit;
        return true;
    case SDL_WINDOWEVENT:
        out.windowId = e.window.windowID;
        switch (e.window.event) {
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            out.type = EventType::FocusGained;
            return true;
        case SDL_WINDOWEVENT_FOCUS_LOST:
            out.type = EventType::FocusLost;
            return true;
        case SDL_WINDOWEVENT_MINIMIZED:
            out.type = EventType::Minimized;
            return true;
        case SDL_WINDOWEVENT_RESTORED:
            out.type = EventType::Restored;
            return true;
        case SDL_WINDOWEVENT_CLOSE:
            out.type = EventType::WindowClose;
            return true;
        case SDL_WINDOWEVENT_ENTER:
            out.type = EventType::PointerEnter;
            return true;
        case SDL_WINDOWEVENT_LEAVE:
            out.type = EventType::PointerLeave;
            return true;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            out.type = EventType::Resized;
            out.size = {e.window.data1, e.window.data2};
            return true;
        default:
            return false;
        }
    default:
        return false;
    }
}

} // namespace

struct EventQueue::Impl {
    mutable std::mutex mutex;
    std::deque<Event> events;
};

EventQueue::EventQueue() : impl_(std::make_unique<Impl>()) {}
EventQueue::~EventQueue() = default;

void EventQueue::Pump() {
    if (!EventsRunning()) return;
    SDL_PumpEvents();
    SDL_Event batch[64];
    for (;;) {
        int n = SDL_PeepEvents(batch, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
        if (n <= 0) break;
        std::lock_guard lock(impl_->mutex);
        for (int i = 0; i < n; ++i) {
            Event ev;
            if (Translate(batch[i], ev)) impl_->events.push_back(ev);
        }
    }
}

bool EventQueue::Poll(Event& out) {
    Pump();
    std::lock_guard lock(impl_->mutex);
    if (impl_->events.empty()) return false;
    out = impl_->events.front();
    impl_->events.pop_front();
    return true;
}

bool EventQueue::Wait(Event& out, uint32_t timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (Poll(out)) return true;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        // Short slices so events pushed from other threads are seen soon.
        int slice = int(std::min<int64_t>(left.count(), 10));
        if (EventsRunning())
            SDL_WaitEventTimeout(nullptr, slice);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(slice));
    }
}

void EventQueue::Push(const Event& event) {
    std::lock_guard lock(impl_->mutex);
    impl_->events.push_back(event);
}

size_t EventQueue::Size() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->events.size();
}

void EventQueue::Clear() {
    std::lock_guard lock(impl_->mutex);
    impl_->events.clear();
}

void EventQueue::StartTextInput() {
    if (EventsRunning()) SDL_StartTextInput();
}

void EventQueue::StopTextInput() {
    if (EventsRunning()) SDL_StopTextInput();
}

} // namespace platform
