// The keyboard: per frame, which keys are held, went down and went up, the
// keys pressed this frame in order, the Shift/Ctrl/Alt state, capture by one
// user (console, text control) and the keyboard focus that receives typed
// characters. Fed by the window's key events; read by the game each frame.
#pragma once

#include <cstdint>

#include "Jentra/JTID.h"
#include "Jentra/JTKeyCodes.h"
#include "Jentra/JTUnknown.h"

class JTKeyboard : public JTUnknown {
    JT_CLASS(JTKeyboard, JTUnknown)

public:
    static constexpr int kMaxKeySequence = 10;
    static constexpr int kSettlePolls = 3;

    JTKeyboard();
    ~JTKeyboard() override;
    JTKeyboard(const JTKeyboard&) = delete;
    JTKeyboard& operator=(const JTKeyboard&) = delete;

    // Starts taking key events; always succeeds here (0), as the window layer
    // has no device that could be missing.
    int32_t Init();
    void Term();

    // Takes the key events since the last poll into this frame's state.
    // Always answers false.
    bool Poll();

    bool KeyDown(int key, int modifiers) const;
    bool KeyPress(int key, int modifiers) const;
    bool KeyDownCaptured(int key, int modifiers) const;
    bool KeyPressCaptured(int key, int modifiers) const;
    bool KeyPressAny() const;
    void UnsetKeyPress(int key);
    void UnpressAll();

    // What the arrow keys steer in the user camera: 0 move over the ground,
    // 1 tilt and turn, 2 zoom. Starts at 0; a mode outside 0..2 is refused
    // (false) and the mode stays.
    static constexpr int kNumArrowModes = 3;
    bool SetArrowMode(int mode);
    int GetArrowMode() const { return m_arrowMode; }

    void Capture() { m_captured = true; }
    void Uncapture() { m_captured = false; }
    bool IsCaptured() const { return m_captured; }
    // Whether the game holds the keyboard (its window is active).
    bool IsAcquired() const { return m_acquired; }

    bool Shift() const;
    bool Ctrl() const;
    bool Alt() const;
    int GetModifiers() const { return m_modifiers; }

    int GetNumKeySequence() const { return m_keySequenceCount; }
    int GetKeySequence(int i) const;

    // The object that receives typed characters (message 7); while it is a
    // live object the game sees no keys. Null gives the focus to nobody.
    void SetFocus(JTID* id);
    JTID GetFocus() const { return m_focus; }
    // A typed character: offered to the console, else sent to the focus.
    void ProcessChar(unsigned char c);

    // Window focus: true when the application loses it (held keys are
    // forgotten), false when it regains it (input settles for a few polls).
    void SyncAcquire(bool release);

    // Key events of the window layer, by scancode or by DIK code. Repeats of
    // a held key are ignored, as the engine counts only real presses.
    void OnScancode(int scancode, bool down);
    void OnKey(int dik, bool down);

private:
    bool Matches(int modifiers) const;
    bool FocusHolderAlive() const;

    JTCommunicator m_communicator;
    JTID m_focus;

    // This frame's state (what the game reads).
    uint8_t m_keyState[256];
    uint8_t m_pressed[256];
    uint8_t m_released[256];
    int m_keySequenceCount = 0;
    int m_keySequence[kMaxKeySequence];
    bool m_captured = false;
    int m_arrowMode = 0;
    int m_modifiers = 0;
    int m_settle = 0;

    // What the events said since the last poll.
    bool m_initialised = false;
    bool m_acquired = false;
    uint8_t m_liveState[256];
    uint8_t m_pendingPressed[256];
    uint8_t m_pendingReleased[256];
    int m_pendingSequenceCount = 0;
    int m_pendingSequence[kMaxKeySequence];
};
