// The window event queue shared by the message loop, the engine and tests.
#include "Jentra/JTEventQueue.h"

#include "Jentra/core/frame/app_clock.h"
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
