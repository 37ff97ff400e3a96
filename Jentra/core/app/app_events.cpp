// The window event queue shared by the message loop, the engine and tests.
#include "Jentra/core/app/app_events.h"

#include "Jentra/core/app/app_clock.h"
#include "platform/events.h"

platform::EventQueue& JTEventQueue() {
    static platform::EventQueue queue;
    return queue;
}

void JTPostQuit() {
    platform::Event quit;
    quit.type = platform::EventType::Quit;
    quit.timestamp = JTTickMs();
    JTEventQueue().Push(quit);
}
