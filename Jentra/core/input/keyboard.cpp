// JTKeyboard: turns the window's key events into the per-frame key state the
// game reads, with the modifier rules, capture and focus-change settling.
#include <cstring>

#include "Jentra/JTKeyboard.h"
#include "Jentra/core/input/key_table.h"

JT_CLASS_IMPL(JTKeyboard)

JTKeyboard::JTKeyboard() : m_communicator(this) {
    std::memset(m_keyState, 0, sizeof m_keyState);
    std::memset(m_pressed, 0, sizeof m_pressed);
    std::memset(m_released, 0, sizeof m_released);
    std::memset(m_keySequence, 0, sizeof m_keySequence);
    std::memset(m_liveState, 0, sizeof m_liveState);
    std::memset(m_pendingPressed, 0, sizeof m_pendingPressed);
    std::memset(m_pendingReleased, 0, sizeof m_pendingReleased);
    std::memset(m_pendingSequence, 0, sizeof m_pendingSequence);
}

JTKeyboard::~JTKeyboard() {
    Term();
}

int32_t JTKeyboard::Init() {
    m_initialised = true;
    m_acquired = true;
    m_settle = kSettlePolls;
    return 0;
}

void JTKeyboard::Term() {
    m_initialised = false;
    SyncAcquire(true);
}

void JTKeyboard::OnScancode(int scancode, bool down) {
    int dik = JTDikFromScancode(scancode);
    if (dik != 0) OnKey(dik, down);
}

void JTKeyboard::OnKey(int dik, bool down) {
    if (!m_acquired || dik <= 0 || dik > 255) return;
    if (down) {
        if (m_liveState[dik] & 0x80) return; // auto-repeat of a held key
        m_liveState[dik] = 0x80;
        m_pendingPressed[dik] = 1;
        if (m_pendingSequenceCount < kMaxKeySequence)
            m_pendingSequence[m_pendingSequenceCount++] = dik;
    } else {
        if (!(m_liveState[dik] & 0x80)) return;
        m_liveState[dik] = 0;
        m_pendingReleased[dik] = 1;
    }
}

bool JTKeyboard::Poll() {
    m_keySequenceCount = 0;
    if (m_initialised) {
        std::memcpy(m_pressed, m_pendingPressed, sizeof m_pressed);
        std::memcpy(m_released, m_pendingReleased, sizeof m_released);
        std::memcpy(m_keyState, m_liveState, sizeof m_keyState);
        std::memcpy(m_keySequence, m_pendingSequence, sizeof m_keySequence);
        m_keySequenceCount = m_pendingSequenceCount;
    }
    std::memset(m_pendingPressed, 0, sizeof m_pendingPressed);
    std::memset(m_pendingReleased, 0, sizeof m_pendingReleased);
    m_pendingSequenceCount = 0;

    // Right after the window regains focus the key that brought it back is
    // not taken as input, not even through the key sequence.
    if (m_settle > 0) {
        std::memset(m_pressed, 0, sizeof m_pressed);
        std::memset(m_released, 0, sizeof m_released);
        std::memset(m_keyState, 0, sizeof m_keyState);
        m_keySequenceCount = 0;
        --m_settle;
    }

    if (FocusHolderAlive()) {
        // The focus holder gets typed characters; the game sees no keys.
        std::memset(m_pressed, 0, sizeof m_pressed);
        std::memset(m_released, 0, sizeof m_released);
        std::memset(m_keyState, 0, sizeof m_keyState);
    }

    m_modifiers = (Shift() ? JTMOD_SHIFT : 0) | (Ctrl() ? JTMOD_CTRL : 0) | (Alt() ? JTMOD_ALT : 0);
    return false;
}

bool JTKeyboard::Matches(int modifiers) const {
    return modifiers == JTMOD_ANY || modifiers == m_modifiers;
}

bool JTKeyboard::SetArrowMode(int mode) {
    if (mode < 0 || mode >= kNumArrowModes) return false;
    m_arrowMode = mode;
    return true;
}

bool JTKeyboard::KeyDown(int key, int modifiers) const {
    return !m_captured && KeyDownCaptured(key, modifiers);
}

bool JTKeyboard::KeyPress(int key, int modifiers) const {
    return !m_captured && KeyPressCaptured(key, modifiers);
}

bool JTKeyboard::KeyDownCaptured(int key, int modifiers) const {
    if (key < 0 || key > 255) return false;
    return (m_keyState[key] & 0x80) && Matches(modifiers);
}

bool JTKeyboard::KeyPressCaptured(int key, int modifiers) const {
    if (key < 0 || key > 255) return false;
    return m_pressed[key] && Matches(modifiers);
}

bool JTKeyboard::KeyPressAny() const {
    for (uint8_t p : m_pressed)
        if (p) return true;
    return false;
}

void JTKeyboard::UnsetKeyPress(int key) {
    if (key >= 0 && key <= 255) m_pressed[key] = 0;
}

void JTKeyboard::UnpressAll() {
    std::memset(m_pressed, 0, sizeof m_pressed);
    std::memset(m_released, 0, sizeof m_released);
}

bool JTKeyboard::Shift() const {
    return (m_keyState[DIK_LSHIFT] | m_keyState[DIK_RSHIFT]) & 0x80;
}

bool JTKeyboard::Ctrl() const {
    return (m_keyState[DIK_LCONTROL] | m_keyState[DIK_RCONTROL]) & 0x80;
}

bool JTKeyboard::Alt() const {
    return (m_keyState[DIK_LMENU] | m_keyState[DIK_RMENU]) & 0x80;
}

int JTKeyboard::GetKeySequence(int i) const {
    return i >= 0 && i < m_keySequenceCount ? m_keySequence[i] : 0;
}

void JTKeyboard::SyncAcquire(bool release) {
    if (release) {
        // Key-up events of keys let go elsewhere never arrive: forget them all.
        m_acquired = false;
        std::memset(m_keyState, 0, sizeof m_keyState);
        std::memset(m_liveState, 0, sizeof m_liveState);
        std::memset(m_pendingPressed, 0, sizeof m_pendingPressed);
        std::memset(m_pendingReleased, 0, sizeof m_pendingReleased);
        m_pendingSequenceCount = 0;
    } else if (m_initialised) {
        m_acquired = true;
        m_settle = kSettlePolls;
    }
}
