// Creation and teardown of the engine's services by the game object, each
// published in its global. Services whose layer is not part of the engine
// yet stay null, and every user of a global checks it.
#include "Jentra/JTGame.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/core/app/app_events.h"
#include "platform/events.h"
#include "platform/window.h"

void JTGame::CreateServices() {
    // In the engine's order: sound, music and its thread, renderer, mouse,
    // keyboard, font, console, router, identifier map, prototypes, network.
    gpJTMouse = new JTMouse();
    gpJTKeyboard = new JTKeyboard();
    gpRouter = new JTRouter();
    gpJTIDMap = new JTIDMap();
    gpJTIDMap->Add(&m_communicator.id, this);
    JTRouter::SetFallbackReceiver(this);
}

void JTGame::DestroyServices() {
    if (m_mainWindow) {
        JTEventQueue().StopTextInput();
        m_mainWindow->Hide();
        m_mainWindow.reset();
    }
    if (gpJTMouse) {
        gpJTMouse->Term();
        delete gpJTMouse;
        gpJTMouse = nullptr;
    }
    if (gpJTKeyboard) {
        gpJTKeyboard->Term();
        delete gpJTKeyboard;
        gpJTKeyboard = nullptr;
    }
    delete gpRouter;
    gpRouter = nullptr;
    if (JTRouter::GetFallbackReceiver() == this) JTRouter::SetFallbackReceiver(nullptr);
    delete gpJTIDMap;
    gpJTIDMap = nullptr;
    m_ownsServices = false;
}
