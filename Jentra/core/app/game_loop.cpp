// JTGame's message loop and frame: events to the input devices, the frame
// clock, the frame's steps in order, the global keys and the scene list.
#include <cstdio>

#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGame.h"
#include "Jentra/JTKeyboard.h"
#include "Jentra/JTMouse.h"
#include "Jentra/core/app/app_clock.h"
#include "Jentra/core/app/app_events.h"
#include "Jentra/core/app/frame_hooks.h"

namespace {
JTFrameRenderHooks gRenderHooks;

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
    for (;;) {
        JTWindowEvent event;
        if (JTPollWindowEvent(event)) {
            // The quit event ends the loop before any dialog sees it.
            if (event.type == JTWindowEventType::Quit) return;
            bool taken = false;
            for (int i = 0; i < m_modeless.GetCount() && !taken; ++i)
                taken = m_modeless[i]->TakeEvent(event);
            if (!taken) DispatchEvent(event);
            continue;
        }
        if (Idle()) JTWaitWindowEvent();
    }
}

void JTGame::DispatchEvent(const JTWindowEvent& event) {
    switch (event.type) {
    case JTWindowEventType::KeyDown:
    case JTWindowEventType::KeyUp:
        if (gpJTKeyboard)
            gpJTKeyboard->OnScancode(event.scancode, event.type == JTWindowEventType::KeyDown);
        break;
    case JTWindowEventType::MouseMotion:
        if (gpJTMouse) gpJTMouse->OnMotion(event.dx, event.dy);
        break;
    case JTWindowEventType::MouseWheel:
        if (gpJTMouse) gpJTMouse->OnWheel(event.wheel);
        break;
    case JTWindowEventType::MouseButtonDown:
    case JTWindowEventType::MouseButtonUp:
        if (gpJTMouse)
            gpJTMouse->OnButton(EngineButton(event.button),
                                event.type == JTWindowEventType::MouseButtonDown);
        break;
    case JTWindowEventType::FocusLost:
    case JTWindowEventType::FocusGained: {
        bool lost = event.type == JTWindowEventType::FocusLost;
        SetAppActive(!lost);
        if (gpJTMouse) gpJTMouse->SyncAcquire(lost);
        if (gpJTKeyboard) gpJTKeyboard->SyncAcquire(lost);
        break;
    }
    case JTWindowEventType::Text:
    case JTWindowEventType::Quit:
        break;
    }
}

bool JTGame::Idle() {
    if (!m_appActive && m_waitWhenInactive) return true;

    UpdateTime();
    if (gpJTMouse) gpJTMouse->Poll();
    if (gpJTKeyboard) gpJTKeyboard->Poll();

    Update();

    if (gbShadow && gRenderHooks.shadowPass) gRenderHooks.shadowPass(this);
    if (gRenderHooks.render) gRenderHooks.render(this);

    ++gnFrame;
    CheckUserActions();
    return false;
}

float JTGame::GameSpeed() const {
    return 1.0f;
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
    if (kb->KeyPressCaptured(DIK_ESCAPE, JTMOD_SHIFT)) {
        JTWindowEvent quit;
        quit.type = JTWindowEventType::Quit;
        JTPushWindowEvent(quit);
    }
    if (kb->KeyPress(DIK_P, 0) || kb->KeyPress(DIK_PAUSE, JTMOD_ANY)) {
        if (!gfNetwork) gfPause = !gfPause;
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
