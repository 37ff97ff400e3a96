// Input and window events as our own timestamped records, gathered from the
// system into one queue. Tests (and replays) push events of their own into
// the same queue.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

enum class EventType : uint8_t {
    None,
    KeyDown,
    KeyUp,
    TextInput,
    MouseMove,
    MouseButtonDown,
    MouseButtonUp,
    MouseWheel,
    FocusGained,
    FocusLost,
    Minimized,
    Restored,
    Resized,
    WindowClose,  // the user asked to close a window
    Quit,         // the program is asked to end
    PointerEnter, // the pointer came over a window
    PointerLeave, // the pointer left it
};

// Key modifier bits (Event::key.modifiers).
enum KeyModifier : uint16_t {
    KeyModLeftShift = 0x0001,
    KeyModRightShift = 0x0002,
    KeyModLeftCtrl = 0x0040,
    KeyModRightCtrl = 0x0080,
    KeyModLeftAlt = 0x0100,
    KeyModRightAlt = 0x0200,
    KeyModLeftGui = 0x0400,
    KeyModRightGui = 0x0800,
    KeyModNumLock = 0x1000,
    KeyModCapsLock = 0x2000,
    KeyModShift = KeyModLeftShift | KeyModRightShift,
    KeyModCtrl = KeyModLeftCtrl | KeyModRightCtrl,
    KeyModAlt = KeyModLeftAlt | KeyModRightAlt,
};

// Mouse buttons (Event::button.button) and their bits in Event::motion.buttons.
enum MouseButton : uint8_t {
    MouseLeft = 1,
    MouseMiddle = 2,
    MouseRight = 3,
    MouseX1 = 4,
    MouseX2 = 5,
};
constexpr uint32_t MouseButtonBit(int button) {
    return 1u << (button - 1);
}

struct Event {
    EventType type = EventType::None;
    uint32_t timestamp = 0; // milliseconds of the current clock (clock.h)
    uint32_t windowId = 0;  // Window::Id, 0 when none
    struct {
        int32_t scancode = 0; // physical key, USB usage numbers (scancodes.h)
        uint16_t modifiers = 0;
        bool repeat = false;
    } key;
    char text[32] = {}; // TextInput: UTF-8, zero-terminated
    struct {
        int32_t x = 0, y = 0;   // window coordinates
        int32_t dx = 0, dy = 0; // motion since the last move
        uint32_t buttons = 0;   // MouseButtonBit of each held button
    } motion;
    struct {
        int32_t x = 0, y = 0;
        uint8_t button = 0;
        uint8_t clicks = 0;
    } button;
    struct {
        int32_t dx = 0, dy = 0; // positive dy: away from the user
    } wheel;
    struct {
        int32_t width = 0, height = 0;
    } size;
};

// The program's event queue. Make one: system events are taken from the
// window system by whichever queue pumps. Push may be called from any thread.
class EventQueue {
public:
    EventQueue();
    ~EventQueue();
    EventQueue(const EventQueue&) = delete;
    EventQueue& operator=(const EventQueue&) = delete;

    // Moves waiting system events into the queue, stamped with the clock.
    void Pump();
    // Takes the oldest event after a pump; false when there is none.
    bool Poll(Event& out);
    // Like Poll, but waits up to timeoutMs for an event to arrive.
    bool Wait(Event& out, uint32_t timeoutMs);
    // Appends an event as given (its timestamp is kept).
    void Push(const Event& event);
    size_t Size() const;
    void Clear();

    // Text input events are delivered only between these calls.
    void StartTextInput();
    void StopTextInput();

    struct Impl;

private:
    std::unique_ptr<Impl> impl_;
};

} // namespace platform
