// Fills the key and mouse holders from the platform's input events: key
// states, presses and releases by DIK code, the cursor in -1..1 across and
// -0.75..0.75 down, button flags and motion. Each main-loop pass starts a
// new poll (a button pressed and released within one is let go at the
// next, so that every click is seen held once); focus lost suspends the
// holders (everything let go), focus gained resumes them. Whether the pointer is over the window
// follows its motion, entering and leaving.
#pragma once

#include "platform/events.h"

namespace lumivane {

class Keyboard;
class Mouse;

class InputFeed {
public:
    InputFeed(Keyboard& keyboard, Mouse& mouse) : keyboard_(keyboard), mouse_(mouse) {}

    // A new pass: the pressed and released flags and the motion start over.
    void BeginPoll();
    // Takes one event (other kinds are ignored).
    void Apply(const platform::Event& event);
    bool Suspended() const { return suspended_; }
    // Whether the pointer may be shown where the mouse is (not in a screen
    // saver); off, the holder never says the pointer is over the window.
    void SetPointerShown(bool shown);

private:
    void Suspend(bool suspended);

    Keyboard& keyboard_;
    Mouse& mouse_;
    bool suspended_ = false;
    bool pointerShown_ = true;
    // Buttons released in the pass they were pressed in: let go next pass.
    bool releaseNext_[4] = {};
};

} // namespace lumivane
