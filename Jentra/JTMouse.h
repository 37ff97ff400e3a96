// The mouse: per frame, which of four buttons are held, went down, went up or
// were double-clicked, and the relative motion (X, Y, wheel) in mouse counts.
// Fed by the window's mouse events; read by the game each frame.
#pragma once

#include <cstdint>

class JTMouse {
public:
    static constexpr int kButtons = 4; // 0 left, 1 right, 2 middle, 3 extra
    static constexpr uint32_t kDoubleClickMs = 500;
    static constexpr int kSettlePolls = 2;
    static constexpr int kWheelCountsPerNotch = 120;

    JTMouse();
    ~JTMouse();
    JTMouse(const JTMouse&) = delete;
    JTMouse& operator=(const JTMouse&) = delete;

    int32_t Init();
    void Term();
    // Takes the mouse events since the last poll into this frame's state.
    bool Poll();
    void SyncAcquire(bool release);
    void UnpressAll();

    int GetRelX() const { return m_relX; }
    int GetRelY() const { return m_relY; }
    int GetRelZ() const { return m_relZ; }
    // Set while a drag reads the raw motion (a mover, the camera); the 3D
    // cursor clears it when it takes the pointer back.
    void SetRelative(bool on) { m_relative = on; }
    bool IsRelative() const { return m_relative; }
    // Whether the game holds the mouse (its window is active).
    bool IsAcquired() const { return m_acquired; }
    void ResetCrane();

    // This frame's button state, by button number 0..3.
    bool Down(int button) const { return Valid(button) && m_down[button]; }
    bool Pressed(int button) const { return Valid(button) && m_pressed[button]; }
    bool Released(int button) const { return Valid(button) && m_released[button]; }
    bool DoubleClicked(int button) const { return Valid(button) && m_doubleClicked[button]; }
    float GetCraneX(int device) const { return device >= 0 && device < 3 ? m_crane[device][0] : 0; }
    float GetCraneY(int device) const { return device >= 0 && device < 3 ? m_crane[device][1] : 0; }
    bool HasExtraDevices() const { return false; }

    // Mouse events of the window layer. Buttons by the engine's numbering.
    void OnMotion(int dx, int dy);
    void OnWheel(int notches);
    void OnButton(int button, bool down);

private:
    static bool Valid(int button) { return button >= 0 && button < kButtons; }
    void ClearButtons();

    bool m_down[kButtons] = {};
    bool m_pressed[kButtons] = {};
    bool m_released[kButtons] = {};
    bool m_doubleClicked[kButtons] = {};
    float m_crane[3][2] = {};
    int m_relX = 0, m_relY = 0, m_relZ = 0;
    uint32_t m_lastPress[kButtons] = {};
    bool m_hasPressed[kButtons] = {}; // a previous press exists to measure from
    bool m_relative = false;
    int m_settle = 0;

    // What the events said since the last poll.
    bool m_initialised = false;
    bool m_acquired = false;
    bool m_liveDown[kButtons] = {};
    bool m_wentDown[kButtons] = {};
    bool m_wentUp[kButtons] = {};
    int m_pendingX = 0, m_pendingY = 0, m_pendingZ = 0;
};
