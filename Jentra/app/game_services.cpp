// Creation and teardown of the engine's services by the game object, each
// published in its global. A service that could not be made stays null, and
// every user of a global checks it.
#include "Jentra/JTGame.h"
#include "Jentra/JTAudio.h"
#include "Jentra/JTConsole.h"
#include "Jentra/JTFont.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTMusic.h"
#include "Jentra/JTNetwork.h"
#include "Jentra/JTProtobase.h"
#include "Jentra/JTRegistry.h"
#include "Jentra/JTTexture.h"
#include "Jentra/JTRenderer.h"
#include "Jentra/JTTransMap.h"
#include "Jentra/JTEventQueue.h"
#include "Jentra/render/render_parts.h"
#include "Jentra/render/render_services.h"
#include "platform/events.h"
#include "platform/window.h"

#include <cstring>

namespace {

// Ends a service that has a Term step, deletes it and clears its global.
template <typename Service> void TermAndDelete(Service*& service) {
    if (!service) return;
    service->Term();
    delete service;
    service = nullptr;
}

} // namespace

void JTGame::CreateServices() {
    // In the engine's order: sound, music and its thread, renderer, mouse,
    // keyboard, font, console, router, identifier map, prototypes, network.
    // The renderer makes the displays later, once the mode is known.
    gpJTAudio = new JTAudio();
    gpMusic = new JTMusic();
    gpMusic->Init();
    m_musicThread = JTStartMusicThread();
    gpJTRenderer = new JTRenderer();
    JTInstallRenderServices();
    // Meshes and effects before any model loads; the font is made ready
    // once the display and its textures are there.
    JTInstallRenderParts();
    gpJTMouse = new JTMouse();
    gpJTKeyboard = new JTKeyboard();
    gpFont1 = new JTFont();
    gpJTConsole = new JTConsole();
    gpRouter = new JTRouter();
    gpJTIDMap = new JTIDMap();
    gpJTIDMap->Add(&m_communicator.id, this);
    JTRouter::SetFallbackReceiver(this);
    gpJTProtobase = new JTProtobase();
    gpJTNetwork = new JTNetwork();
    // Only sessions of this game are found and joined.
    JTID application;
    static_assert(sizeof application.bytes == sizeof GetGUID().bytes);
    std::memcpy(application.bytes, GetGUID().bytes, sizeof application.bytes);
    gpJTNetwork->SetApplicationGUID(application);
}

void JTGame::CentrePointerForExit() {
    if (!m_mainWindow) return;
    // Cover the screen, so its middle lies in the window, and put the
    // pointer there.
    int width = m_mainWindow->Width(), height = m_mainWindow->Height();
    if (gpJTRenderer) {
        const D3DDISPLAYMODE desktop = gpJTRenderer->GetAdapterDisplayMode(0);
        if (desktop.Width > 0 && desktop.Height > 0) {
            width = int(desktop.Width);
            height = int(desktop.Height);
        }
    }
    if (m_mainWindow->Mode() == platform::WindowMode::Windowed)
        m_mainWindow->SetSize(width, height);
    m_mainWindow->WarpPointer(width / 2, height / 2);
}

void JTGame::DestroyServices() {
    // Sound stops and the music fades out before the window goes, so the
    // player hears the program end rather than cut off.
    if (gpJTAudio) gpJTAudio->StopSounds();
    CentrePointerForExit();
    if (gpMusic) {
        MusicAction fadeOut;
        fadeOut.fadeExponent = 1.0f;
        fadeOut.fadeOutCurrent = m_userOptions.MusicVolume > 0.0f ? 2.0f : 0.0f;
        fadeOut.crossFade = true;
        gpMusic->PlayMusic(&fadeOut);
    }
    // The music thread ends once the fade has emptied both pieces; nothing
    // below may go while it still steps them.
    if (m_musicThread.joinable()) JTEndMusicThread(m_musicThread);

    // What holds GPU objects goes while their device does: the models the
    // prototypes keep, then the textures, then the displays with their
    // devices, all before the window the devices draw into.
    delete gpJTNetwork;
    gpJTNetwork = nullptr;
    delete gpJTProtobase;
    gpJTProtobase = nullptr;
    JTUninstallRenderParts();
    delete gpJTTextureMan;
    gpJTTextureMan = nullptr;
    JTUninstallRenderServices();
    delete gpJTRenderer;
    gpJTRenderer = nullptr;
    gpJTDisplay = nullptr;
    if (m_mainWindow) {
        JTEventQueue().StopTextInput();
        m_mainWindow->Hide();
        m_mainWindow.reset();
    }

    // The other services, in the engine's order. The game's scenes and
    // their entities are gone by now.
    TermAndDelete(gpMusic);
    delete gpJTAudio;
    gpJTAudio = nullptr;
    TermAndDelete(gpJTMouse);
    TermAndDelete(gpJTKeyboard);
    TermAndDelete(gpRegistry);
    TermAndDelete(gpFont1);
    delete gpTransMap;
    gpTransMap = nullptr;
    delete gpJTConsole;
    gpJTConsole = nullptr;
    delete gpRouter;
    gpRouter = nullptr;
    if (JTRouter::GetFallbackReceiver() == this) JTRouter::SetFallbackReceiver(nullptr);
    delete gpJTIDMap;
    gpJTIDMap = nullptr;
    m_ownsServices = false;
}
