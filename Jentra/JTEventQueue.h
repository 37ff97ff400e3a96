// The engine's one window event queue: the window layer's events, plus what
// the game, its tests and the engine itself push (the quit request).
#pragma once

namespace platform {
class EventQueue;
}

platform::EventQueue& JTEventQueue();
// Asks the message loop to end once the events before it are handled.
void JTPostQuit();
