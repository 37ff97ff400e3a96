// JTMouse: turns the window's mouse events into the per-frame button state
// and relative motion the game reads, with double clicks and the settling
// after the window regains focus.
#include "Jentra/JTMouse.h"

#include "Jentra/core/frame/app_clock.h"
#include "platform/window.h"

JTMouse::JTMouse() = default;

JTMouse::~JTMouse() {
    Term();
}

int32_t JTMouse::Init() {
    m_initialised = true;
    SyncAcquire(false);
    return 0;
}

void JTMouse::Term() {
    SyncAcquire(true);
    m_initialised = false;
}

void JTMouse::SyncAcquire(bool release) {
    if (release) {
        // The pointer belongs to the desktop again.
        if (m_acquired) platform::SetRelativeMouseMode(false);
        // Button-up events of a release elsewhere never arrive: forget them.
        m_acquired = false;
        for (int b = 0; b < kButtons; ++b)
            m_liveDown[b] = m_wentDown[b] = m_wentUp[b] = false;
        m_pendingX = m_pendingY = m_pendingZ = 0;
    } else if (m_initialised) {
        // While the window is active the mouse is the game's alone: the
        // pointer is held and hidden and only its motion counts, so the
        // engine's own cursor never stalls at the window's edge and no click
        // lands on another window.
        if (!m_acquired) platform::SetRelativeMouseMode(true);
        m_acquired = true;
        m_settle = kSettlePolls;
    }
}

void JTMouse::OnMotion(int dx, int dy) {
    if (!m_acquired) return;
    m_pendingX += dx;
    m_pendingY += dy;
}

void JTMouse::OnWheel(int notches) {
    if (!m_acquired) return;
    m_pendingZ += notches * kWheelCountsPerNotch;
}

void JTMouse::OnButton(int button, bool down) {
    if (!m_acquired || !Valid(button)) return;
    if (down == m_liveDown[button]) return;
    m_liveDown[button] = down;
    (down ? m_wentDown : m_wentUp)[button] = true;
}

void JTMouse::ClearButtons() {
    for (int b = 0; b < kButtons; ++b)
        m_down[b] = m_pressed[b] = m_released[b] = m_doubleClicked[b] = false;
}

bool JTMouse::Poll() {
    const uint32_t now = JTTickMs();
    if (!m_initialised) return true;

    // Motion from before (or during) the settling belongs to the click that
    // brought the window back, not to the game.
    if (m_settle > 1) {
        --m_settle;
        ClearButtons();
        for (int b = 0; b < kButtons; ++b)
            m_wentDown[b] = m_wentUp[b] = false;
        m_relX = m_relY = m_relZ = 0;
        m_pendingX = m_pendingY = m_pendingZ = 0;
        return true;
    }
    if (m_settle == 1) {
        bool anyHeld = false;
        for (bool held : m_liveDown)
            anyHeld = anyHeld || held;
        if (!m_liveDown[1] && anyHeld) {
            // Wait until the buttons come up (a held right button drags on).
            m_relX = m_relY = m_relZ = 0;
            m_pendingX = m_pendingY = m_pendingZ = 0;
            return true;
        }
        m_settle = 0;
        for (int b = 0; b < kButtons; ++b)
            m_wentDown[b] = m_wentUp[b] = false;
    }

    for (int b = 0; b < kButtons; ++b) {
        m_pressed[b] = m_released[b] = m_doubleClicked[b] = false;
        // A click that went down and up between two polls still counts.
        bool wentDown = m_wentDown[b] || (m_liveDown[b] && !m_down[b]);
        bool wentUp = m_wentUp[b] || (!m_liveDown[b] && m_down[b]);
        if (wentDown) {
            if (m_hasPressed[b] && now - m_lastPress[b] < kDoubleClickMs)
                m_doubleClicked[b] = true;
            else
                m_pressed[b] = true;
            m_lastPress[b] = now;
            m_hasPressed[b] = true;
        }
        if (wentUp && (m_down[b] || wentDown)) m_released[b] = true;
        m_down[b] = m_liveDown[b];
        m_wentDown[b] = m_wentUp[b] = false;
    }
    m_relX = m_pendingX;
    m_relY = m_pendingY;
    m_relZ = m_pendingZ;
    m_pendingX = m_pendingY = m_pendingZ = 0;
    return true;
}

void JTMouse::UnpressAll() {
    for (bool& p : m_pressed)
        p = false;
}

void JTMouse::ResetCrane() {
    for (auto& pair : m_crane)
        pair[0] = pair[1] = 0.0f;
}
