// Window events as the application frame sees them, and the queue they come
// through. Tests push events here to drive a game without a user.
#pragma once

#include <cstdint>

enum class JTWindowEventType {
    Quit,
    KeyDown,
    KeyUp,
    MouseMotion,
    MouseButtonDown,
    MouseButtonUp,
    MouseWheel,
    Text,
    FocusGained,
    FocusLost,
};

struct JTWindowEvent {
    JTWindowEventType type = JTWindowEventType::Quit;
    uint32_t time = 0;  // milliseconds of the engine tick
    int scancode = 0;   // keys: USB usage number
    int button = 0;     // mouse buttons: 1 left, 2 middle, 3 right, 4 and 5 extra
    int dx = 0, dy = 0; // motion
    int wheel = 0;      // notches, away from the user positive
    char text[8] = {};  // typed text, UTF-8
};

// Takes the oldest waiting event; false when none waits.
bool JTPollWindowEvent(JTWindowEvent& event);
// Blocks until an event waits.
void JTWaitWindowEvent();
// Appends an event (stamped with the engine tick when its time is 0).
void JTPushWindowEvent(const JTWindowEvent& event);
// Drops every waiting event.
void JTFlushWindowEvents();
