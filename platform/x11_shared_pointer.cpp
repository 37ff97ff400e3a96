// The shared pointer on its own Xlib connection, which selects nothing on
// the window itself. Errors on that connection (the window went away) are
// taken quietly by the process's X error handler.
#include "platform/x11_shared_pointer.h"

#include "platform/clock.h"
#include "platform/x11_foreign_connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <cstdlib>

namespace platform {

namespace {

// Two presses of one button this near in time and place are a double click.
constexpr uint32_t kDoubleClickMs = 500;
constexpr int kDoubleClickPixels = 4;
// No window tree is deeper than this; a deeper walk is a tree changing
// under us.
constexpr int kMaxDepth = 64;
constexpr int kButtonCount = 5; // left, middle, right, the two wheel buttons

// The event's button for an X button number; 0 for the wheel and the rest.
uint8_t ButtonOf(unsigned x) {
    switch (x) {
    case Button1:
        return MouseLeft;
    case Button2:
        return MouseMiddle;
    case Button3:
        return MouseRight;
    case 8:
        return MouseX1;
    case 9:
        return MouseX2;
    default:
        return 0;
    }
}

} // namespace

struct SharedPointer::Impl : ForeignXConnection {
    ::Window root = 0;
    SharedButtons buttons = SharedButtons::HeldState;
    int xiOpcode = -1;

    bool over = false;
    bool known = false; // a position was given
    int x = 0, y = 0;
    unsigned heldMask = 0;  // the held buttons of the last poll (HeldState)
    uint32_t given = 0;     // MouseButtonBit of presses given without release
    uint8_t lastButton = 0; // the last press, for double clicks
    uint32_t lastPressMs = 0;
    int lastPressX = 0, lastPressY = 0;

    bool SelectRawButtons();
    bool PointerOver(int& wx, int& wy, unsigned& mask);
    void Press(std::vector<Event>& out, unsigned xButton, int px, int py, uint32_t now);
    void Release(std::vector<Event>& out, unsigned xButton, int px, int py);
    void TakeEvents(std::vector<Event>& out, uint32_t now);
    void PollHeld(std::vector<Event>& out, unsigned mask, uint32_t now);
};

bool SharedPointer::Impl::SelectRawButtons() {
    int event = 0, error = 0;
    if (!XQueryExtension(display, "XInputExtension", &xiOpcode, &event, &error)) return false;
    // Asked as version 2.0, the server also reports the wheel as buttons.
    int major = 2, minor = 0;
    if (XIQueryVersion(display, &major, &minor) != Success) return false;
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    // Every device's: servers differ in whether they send raw events for the
    // master pointer too, so only the physical devices' are counted.
    XIEventMask mask{XIAllDevices, int(sizeof bits), bits};
    XISelectEvents(display, root, &mask, 1);
    XSync(display, False);
    return true;
}

bool SharedPointer::Impl::PointerOver(int& wx, int& wy, unsigned& mask) {
    ::Window rootReturn = 0, child = 0;
    int rx = 0, ry = 0;
    // False: the pointer is on another screen (or the window is gone).
    if (!XQueryPointer(display, window, &rootReturn, &child, &rx, &ry, &wx, &wy, &mask))
        return false;
    // Over it only when it lies on the path down to the deepest window
    // under the pointer: a window stacked above it hides it there.
    ::Window at = root;
    for (int depth = 0; depth < kMaxDepth; ++depth) {
        int cx = 0, cy = 0;
        unsigned m = 0;
        if (!XQueryPointer(display, at, &rootReturn, &child, &rx, &ry, &cx, &cy, &m)) return false;
        if (child == None) return false;
        if (child == window) return true;
        at = child;
    }
    return false;
}

void SharedPointer::Impl::Press(std::vector<Event>& out, unsigned xButton, int px, int py,
                                uint32_t now) {
    if (xButton == Button4 || xButton == Button5) {
        Event wheel;
        wheel.type = EventType::MouseWheel;
        wheel.timestamp = now;
        wheel.wheel.dy = xButton == Button4 ? 1 : -1;
        out.push_back(wheel);
        return;
    }
    const uint8_t button = ButtonOf(xButton);
    if (!button) return;
    Event press;
    press.type = EventType::MouseButtonDown;
    press.timestamp = now;
    press.button.button = button;
    press.button.x = px;
    press.button.y = py;
    const bool twice = button == lastButton && now - lastPressMs <= kDoubleClickMs &&
                       std::abs(px - lastPressX) <= kDoubleClickPixels &&
                       std::abs(py - lastPressY) <= kDoubleClickPixels;
    press.button.clicks = twice ? 2 : 1;
    // A third press starts over.
    lastButton = twice ? 0 : button;
    lastPressMs = now;
    lastPressX = px;
    lastPressY = py;
    given |= MouseButtonBit(button);
    out.push_back(press);
}

void SharedPointer::Impl::Release(std::vector<Event>& out, unsigned xButton, int px, int py) {
    const uint8_t button = ButtonOf(xButton);
    if (!button || !(given & MouseButtonBit(button))) return;
    given &= ~MouseButtonBit(button);
    Event release;
    release.type = EventType::MouseButtonUp;
    release.timestamp = TickCount();
    release.button.button = button;
    release.button.x = px;
    release.button.y = py;
    release.button.clicks = 1;
    out.push_back(release);
}

void SharedPointer::Impl::TakeEvents(std::vector<Event>& out, uint32_t now) {
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == GenericEvent && event.xcookie.extension == xiOpcode &&
            XGetEventData(display, &event.xcookie)) {
            const auto* raw = static_cast<const XIRawEvent*>(event.xcookie.data);
            if (raw->deviceid != raw->sourceid) { // a master's copy
                XFreeEventData(display, &event.xcookie);
                continue;
            }
            // Raw events are the whole screen's: a press counts only over
            // the window; the release of a press given always comes.
            if (event.xcookie.evtype == XI_RawButtonPress && over)
                Press(out, unsigned(raw->detail), x, y, now);
            else if (event.xcookie.evtype == XI_RawButtonRelease)
                Release(out, unsigned(raw->detail), x, y);
            XFreeEventData(display, &event.xcookie);
        }
    }
}

void SharedPointer::Impl::PollHeld(std::vector<Event>& out, unsigned mask, uint32_t now) {
    static constexpr unsigned kMasks[3] = {Button1Mask, Button2Mask, Button3Mask};
    for (unsigned i = 0; i < 3; ++i) {
        const bool held = mask & kMasks[i], was = heldMask & kMasks[i];
        if (held && !was && over) Press(out, i + 1, x, y, now);
        if (!held && was) Release(out, i + 1, x, y);
    }
    heldMask = mask;
}

SharedPointer::SharedPointer(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SharedPointer::~SharedPointer() = default;

std::unique_ptr<SharedPointer> SharedPointer::Open(uint64_t window) {
    auto impl = std::make_unique<Impl>();
    if (!impl->Open(window)) return nullptr;
    impl->root = impl->attributes.root;
    if (impl->SelectRawButtons()) impl->buttons = SharedButtons::RawEvents;
    return std::unique_ptr<SharedPointer>(new SharedPointer(std::move(impl)));
}

SharedButtons SharedPointer::Buttons() const {
    return impl_->buttons;
}

void SharedPointer::Poll(std::vector<Event>& out) {
    Impl& p = *impl_;
    const uint32_t now = TickCount();
    int wx = 0, wy = 0;
    unsigned mask = 0;
    const bool over = p.PointerOver(wx, wy, mask);
    if (over != p.over) {
        Event crossing;
        crossing.type = over ? EventType::PointerEnter : EventType::PointerLeave;
        crossing.timestamp = now;
        out.push_back(crossing);
        p.over = over;
    }
    // Every poll over the window says where the pointer is, moved or not:
    // whoever forgot it (a new picture size) knows it again at once.
    if (over) {
        Event move;
        move.type = EventType::MouseMove;
        move.timestamp = now;
        move.motion.x = wx;
        move.motion.y = wy;
        move.motion.dx = p.known ? wx - p.x : 0;
        move.motion.dy = p.known ? wy - p.y : 0;
        out.push_back(move);
        p.x = wx;
        p.y = wy;
        p.known = true;
    }
    if (p.buttons == SharedButtons::HeldState) {
        p.PollHeld(out, mask, now);
    } else {
        p.TakeEvents(out, now);
    }
}

} // namespace platform
