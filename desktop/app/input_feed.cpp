// Input events into the holders.
#include "desktop/app/input_feed.h"

#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/mouse.h"
#include "platform/dik_codes.h"

#include <algorithm>
#include <cstring>

namespace lumivane {

namespace {

constexpr uint8_t kKeyDown = 0x80;
// The holder counts wheel motion as the system's mice report it: 120 a notch.
constexpr int32_t kWheelNotch = 120;

// The holder's button slots: left, right, middle, then the first extra one.
int ButtonSlot(uint8_t button) {
    switch (button) {
    case platform::MouseLeft:
        return 0;
    case platform::MouseRight:
        return 1;
    case platform::MouseMiddle:
        return 2;
    case platform::MouseX1:
        return 3;
    default:
        return -1;
    }
}

} // namespace

void InputFeed::BeginPoll() {
    std::memset(keyboard_.pressed, 0, sizeof keyboard_.pressed);
    std::memset(keyboard_.released, 0, sizeof keyboard_.released);
    for (int group : {Mouse::kPressed, Mouse::kReleased, Mouse::kDoubleClicked})
        std::fill(std::begin(mouse_.buttons[group]), std::end(mouse_.buttons[group]), 0);
    mouse_.dx = mouse_.dy = 0;
    mouse_.wheel = 0;
    // A click within one pass was held through it; it is let go now.
    for (int slot = 0; slot < 4; ++slot) {
        if (!releaseNext_[slot]) continue;
        releaseNext_[slot] = false;
        mouse_.buttons[Mouse::kHeld][slot] = 0;
        mouse_.buttons[Mouse::kReleased][slot] = 1;
    }
}

void InputFeed::Suspend(bool suspended) {
    suspended_ = suspended;
    keyboard_.SetSuspended(suspended);
    mouse_.SetSuspended(suspended);
    if (suspended) {
        // Keys and buttons held while the focus leaves are never seen
        // released: let go of them now.
        std::memset(keyboard_.keyState, 0, sizeof keyboard_.keyState);
        mouse_.ClearButtons();
        std::fill(std::begin(releaseNext_), std::end(releaseNext_), false);
    } else {
        keyboard_.resumeState = 3;
        mouse_.resumeState = 2;
    }
}

void InputFeed::SetPointerShown(bool shown) {
    pointerShown_ = shown;
    if (!shown) mouse_.overWindow = 0;
}

void InputFeed::Apply(const platform::Event& event) {
    using platform::EventType;
    switch (event.type) {
    case EventType::FocusLost:
        Suspend(true);
        return;
    case EventType::FocusGained:
        Suspend(false);
        return;
    case EventType::PointerEnter:
        mouse_.overWindow = pointerShown_ ? 1 : 0;
        return;
    case EventType::PointerLeave:
        mouse_.overWindow = 0;
        return;
    default:
        break;
    }
    if (suspended_) return;
    switch (event.type) {
    case EventType::KeyDown:
    case EventType::KeyUp: {
        const int dik = platform::DikFromScancode(event.key.scancode);
        if (dik <= 0 || dik > 255 || event.key.repeat) return;
        const bool down = event.type == EventType::KeyDown;
        keyboard_.keyState[dik] = down ? kKeyDown : 0;
        (down ? keyboard_.pressed : keyboard_.released)[dik] = 1;
        return;
    }
    case EventType::MouseMove: {
        const float width = float(std::max(1, mouse_.width));
        const float height = float(std::max(1, mouse_.height));
        mouse_.x = std::clamp(float(event.motion.x) / width * 2.0f - 1.0f, -1.0f, 1.0f);
        mouse_.y =
            std::clamp((float(event.motion.y) / height * 2.0f - 1.0f) * 0.75f, -0.75f, 0.75f);
        mouse_.dx += event.motion.dx;
        mouse_.dy += event.motion.dy;
        if (pointerShown_) mouse_.overWindow = 1;
        return;
    }
    case EventType::MouseWheel:
        mouse_.wheel += event.wheel.dy * kWheelNotch;
        return;
    case EventType::MouseButtonDown:
    case EventType::MouseButtonUp: {
        const int slot = ButtonSlot(event.button.button);
        if (slot < 0) return;
        if (event.type == EventType::MouseButtonDown) {
            releaseNext_[slot] = false;
            mouse_.buttons[Mouse::kHeld][slot] = 1;
            mouse_.buttons[Mouse::kPressed][slot] = 1;
            if (event.button.clicks >= 2) mouse_.buttons[Mouse::kDoubleClicked][slot] = 1;
        } else if (mouse_.buttons[Mouse::kPressed][slot]) {
            // Pressed and released within one pass (a quick click, a slow
            // frame): the readers see a press come and go over two passes,
            // never a release without the button having been down.
            releaseNext_[slot] = true;
        } else {
            mouse_.buttons[Mouse::kHeld][slot] = 0;
            mouse_.buttons[Mouse::kReleased][slot] = 1;
        }
        return;
    }
    default:
        return;
    }
}

} // namespace lumivane
