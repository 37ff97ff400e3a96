// JTGame's message loop and frame: events to the input devices, the frame
// clock, the frame's steps in order, the global keys and the scene list.
#include <cstdio>

#include "Jentra/JTAudio.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTNetwork.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTScene.h"
#include "Jentra/core/app/app_clock.h"
#include "Jentra/core/app/app_events.h"
#include "Jentra/core/app/frame_hooks.h"
#include "platform/events.h"
#include "platform/scancodes.h"

namespace {
JTFrameRenderHooks gRenderHooks;

// How long the loop sleeps at most while it has nothing to do.
constexpr uint32_t kIdleWaitMs = 100;

// The characters a key types by itself: Backspace, Tab, Return, Escape.
int ControlCharacter(int scancode) {
    switch (scancode) {
    case platform::ScanBackspace:
        return 8;
    case platform::ScanTab:
        return 9;
    case platform::ScanReturn:
    case platform::ScanKpEnter:
        return 13;
    case platform::ScanEscape:
        return 27;
    default:
        return 0;
    }
}

// Typed text arrives as UTF-8; the engine's texts are single bytes. Code
// points above 255 have no byte and are dropped. Returns the byte count.
int Utf8ToLatin1(const char* text, char* out, int size) {
    int n = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p && n < size) {
        unsigned c = *p;
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0) { // a stray continuation byte
            ++p;
            continue;
        }
        unsigned code = extra == 0 ? c : c & (0x3F >> extra);
        ++p;
        bool ok = true;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            code = (code << 6) | (*p & 0x3F);
        }
        if (ok && code >= 32 && code <= 255 && code != 127) out[n++] = static_cast<char>(code);
    }
    return n;
}

// Window-layer button numbers to the engine's: 0 left, 1 right, 2 middle,
// 3 the first extra button.
int EngineButton(int windowButton) {
    switch (windowButton) {
    case 1:
        return 0;
    case 3:
        return 1;
    case 2:
        return 2;
    case 4:
        return 3;
    default:
        return -1;
    }
}
} // namespace

void JTSetFrameRenderHooks(const JTFrameRenderHooks& hooks) {
    gRenderHooks = hooks;
}
const JTFrameRenderHooks& JTGetFrameRenderHooks() {
    return gRenderHooks;
}

void JTGame::Main() {
    platform::EventQueue& queue = JTEventQueue();
    for (;;) {
        platform::Event event;
        if (!queue.Poll(event)) {
            if (!Idle()) continue;
            // Nothing to do (the window is inactive): sleep until an event.
            if (!queue.Wait(event, kIdleWaitMs)) continue;
        }
        // The quit event ends the loop before any dialog sees it.
        if (event.type == platform::EventType::Quit) return;
        bool taken = false;
        for (int i = 0; i < m_modeless.GetCount() && !taken; ++i)
            taken = m_modeless[i]->TakeEvent(event);
        if (!taken) DispatchEvent(event);
    }
}

void JTGame::DispatchEvent(const platform::Event& event) {
    using platform::EventType;
    switch (event.type) {
    case EventType::KeyDown:
    case EventType::KeyUp: {
        bool down = event.type == EventType::KeyDown;
        if (gpJTKeyboard) {
            gpJTKeyboard->OnScancode(event.key.scancode, down);
            // Control characters come with the key (and its repeats), not as text.
            int c = down ? ControlCharacter(event.key.scancode) : 0;
            if (c) gpJTKeyboard->ProcessChar(static_cast<unsigned char>(c));
        }
        break;
    }
    case EventType::TextInput:
        if (gpJTKeyboard) {
            char latin[sizeof event.text];
            int n = Utf8ToLatin1(event.text, latin, sizeof latin);
            for (int i = 0; i < n; ++i)
                gpJTKeyboard->ProcessChar(static_cast<unsigned char>(latin[i]));
        }
        break;
    case EventType::MouseMove:
        if (gpJTMouse) gpJTMouse->OnMotion(event.motion.dx, event.motion.dy);
        break;
    case EventType::MouseWheel:
        if (gpJTMouse) gpJTMouse->OnWheel(event.wheel.dy);
        break;
    case EventType::MouseButtonDown:
    case EventType::MouseButtonUp:
        if (gpJTMouse)
            gpJTMouse->OnButton(EngineButton(event.button.button),
                                event.type == EventType::MouseButtonDown);
        break;
    case EventType::FocusLost:
    case EventType::FocusGained: {
        bool lost = event.type == EventType::FocusLost;
        SetAppActive(!lost);
        if (gpJTMouse) gpJTMouse->SyncAcquire(lost);
        if (gpJTKeyboard) gpJTKeyboard->SyncAcquire(lost);
        break;
    }
    case EventType::WindowClose:
        // Closing the main window ends the program like the quit key.
        JTPostQuit();
        break;
    default:
        break;
    }
}

bool JTGame::Idle() {
    if (!m_appActive && m_waitWhenInactive) return true;

    UpdateTime();
    if (gpJTMouse) gpJTMouse->Poll();
    if (gpJTKeyboard) gpJTKeyboard->Poll();
    // Network data, departures and the session's end reach the game here,
    // on the main thread.
    if (gpJTNetwork) gpJTNetwork->Update();

    Update();

    // The game may add or remove scenes while they update: walk by index
    // against the current count.
    for (int i = 0; i < m_scenes.GetCount(); ++i)
        if (m_scenes[i]->GetUpdating()) m_scenes[i]->Update();

    if (gpJTAudio) gpJTAudio->Update();

    if (gbShadow && gRenderHooks.shadowPass) gRenderHooks.shadowPass(this);
    if (gRenderHooks.render) gRenderHooks.render(this);

    for (int i = 0; i < m_scenes.GetCount(); ++i)
        if (m_scenes[i]->GetUpdating()) m_scenes[i]->PostFrameUpdate();

    ++gnFrame;
    CheckUserActions();
    return false;
}

float JTGame::GameSpeed() const {
    return m_userOptions.GameSpeed;
}

void JTGame::UpdateTime() {
    JTAdvanceFrameClock(m_clock, JTTickMs(), GameSpeed());
}

void JTGame::Pause(bool on) {
    gfPause = on;
}

void JTGame::CheckUserActions() {
    JTKeyboard* kb = gpJTKeyboard;
    if (!kb) return;
    if (kb->KeyPressCaptured(DIK_ESCAPE, JTMOD_SHIFT)) JTPostQuit();
    if (kb->KeyPress(DIK_P, 0) || kb->KeyPress(DIK_PAUSE, JTMOD_ANY)) {
        if (gfNetwork) {
            if (gpJTAudio) gpJTAudio->PlaySoundA("JTBeep_Invalid.wav", 0, false);
        } else {
            gfPause = !gfPause;
            if (gpJTAudio) gpJTAudio->PlaySoundA("JTBeep_Alert.wav", 0, false);
        }
    }
    if (m_screenshotCountdown != 0) {
        if (--m_screenshotCountdown == 0 && gRenderHooks.screenshot) gRenderHooks.screenshot(this);
    }
    if (kb->KeyPress(DIK_SYSRQ, 0)) m_screenshotCountdown = 2;
}

void JTGame::AddScene(JTScene* scene) {
    m_scenes.Add(scene);
}

void JTGame::InsertScene(int index, JTScene* scene) {
    m_scenes.Insert(index, scene);
}

void JTGame::RemoveScene(JTScene* scene) {
    m_scenes.Remove(scene);
}

JTScene* JTGame::GetScene(int i) const {
    return i >= 0 && i < m_scenes.GetCount() ? m_scenes[i] : nullptr;
}

void JTGame::AddModeless(JTModeless* dialog) {
    m_modeless.Add(dialog);
}

void JTGame::RemoveModeless(JTModeless* dialog) {
    m_modeless.Remove(dialog);
}
