// JTGame's message loop and frame: the frame clock, the frame's steps in
// order, the global keys and the scene list.
#include "Jentra/JTAudio.h"
#include "Jentra/JTConsole.h"
#include "Jentra/JTDisplay.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTNetwork.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/JTScene.h"
#include "Jentra/core/frame/app_clock.h"
#include "Jentra/JTEventQueue.h"
#include "Jentra/core/frame/frame_hooks.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/window.h"

namespace {
JTFrameRenderHooks gRenderHooks;

// How long one wait lasts at most while the game has nothing to do. Any
// event ends it early; when it runs out the loop finds the game still idle
// and waits again, so the bound changes nothing the player sees.
constexpr uint32_t kIdleWaitMs = 100;

// Frames a second where the screen does not say how often it refreshes, and
// the range of refresh rates taken as they are.
constexpr int kDefaultRefreshRate = 60;
constexpr int kSlowestRefreshRate = 24;
constexpr int kFastestRefreshRate = 500;
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
            // A frame sooner than the screen can show it would be drawn for
            // nothing: sleep out the rest, then take what came meanwhile.
            if (const uint32_t wait = FrameWaitMs()) {
                platform::SleepMilliseconds(wait);
                continue;
            }
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

bool JTGame::Idle() {
    AnswerRaiseRequests();
    if (!m_appActive && m_waitWhenInactive) return true;

    UpdateTime();
    if (gpJTMouse) gpJTMouse->Poll();
    if (gpJTKeyboard) gpJTKeyboard->Poll();
    if (gpJTConsole) gpJTConsole->Update();
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

uint32_t JTGame::GetFrameIntervalMs() const {
    int rate = m_mainWindow ? m_mainWindow->RefreshRate() : 0;
    if (rate < kSlowestRefreshRate || rate > kFastestRefreshRate) rate = kDefaultRefreshRate;
    // Whole milliseconds, as the frame clock counts.
    return uint32_t(1000 / rate);
}

uint32_t JTGame::FrameWaitMs() const {
    // The frame clock's last tick is when the last frame began.
    if (!m_framePacing || m_clock.lastTick == 0) return 0;
    if (!m_appActive && m_waitWhenInactive) return 0;
    const uint32_t since = JTTickMs() - m_clock.lastTick;
    const uint32_t interval = GetFrameIntervalMs();
    return since < interval ? interval - since : 0;
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
    if (ghwndEditor && kb->KeyPress(DIK_SPACE, JTMOD_ALT)) {
        // The editor comes to the front; the pointer goes to the middle of
        // the display, where the editor's work shows.
        ghwndEditor->Show();
        ghwndEditor->Raise();
        if (platform::Window* display = gpJTDisplay ? gpJTDisplay->GetHwnd() : nullptr)
            display->WarpPointer(display->Width() / 2, display->Height() / 2);
    }
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
