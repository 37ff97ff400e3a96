// What the display asks of the program around it: the start mode, the named
// events it signals, the volume levels it mutes when its surfaces are lost,
// the model library's shared vertex buffer, the quality setting and the
// way the program ends. Every call has a quiet default, so tools and tests
// make a display with the parts they care about.
#pragma once

#include <cstdint>

namespace lumivane {

class DisplayHost {
public:
    virtual ~DisplayHost() = default;

    // Start mode: the screen saver (no window handle), "/w" window mode,
    // and the desktop instance showing itself as the screen saver.
    virtual bool ScreensaverMode() const { return false; }
    virtual bool WindowMode() const { return false; }
    virtual bool PlayingScreensaver() const { return false; }
    // Whether user input ends the show: in the screen saver this program
    // started itself (a screen-saver host watches input on its own), and
    // while the desktop plays the screen saver.
    virtual bool InputEndsScreensaver() const { return ScreensaverMode() || PlayingScreensaver(); }

    // "Lumivane: Paint": whether it was signalled (taking the signal), and
    // resetting it; "Lumivane: Preload": setting and resetting it.
    virtual bool TakePaint() { return false; }
    virtual void ResetPaint() {}
    virtual void SetPreload(bool /*signalled*/) {}

    // The three volume levels (master, music, effects) at once; reading the
    // "Volume" and "Mute" settings into them again; the sound manager's
    // update step (when sound is on).
    virtual void SetVolumes(float /*level*/) {}
    virtual void RestoreVolumes() {}
    virtual void UpdateSound() {}

    // The program's device-lost flag and whether it counts as active.
    virtual void SetDeviceLost(bool /*lost*/) {}
    virtual void SetActive(bool /*active*/) {}
    // The program's idle priority (the display asks for it while loading).
    virtual void IdlePriority() {}
    virtual void PostQuit() {}
    // The desktop instance's screen-saver show is over.
    virtual void EndDesktopScreensaver() {}
    // The screen-saver password check; false when the password was not
    // confirmed. Absent on this system (none is set).
    virtual bool HasPasswordCheck() const { return false; }
    virtual bool CheckPassword() { return true; }

    // The mouse holders learn the output size.
    virtual void SetMouseRange(int /*width*/, int /*height*/) {}
    // The model library hands its vertices to the display's shared buffer
    // again (after the device was made anew).
    virtual void RebuildSharedVertices();
    // Whether the model library holds its prototypes.
    virtual bool ModelsLoaded() const;

    // The size to make the display again at after a device reset: the
    // window's client area in window mode, else the desktop's (the window
    // is moved over it). False: the window's present size.
    virtual bool ResetSize(int& /*width*/, int& /*height*/) { return false; }

    // The quality switch for an output of that width: high quality (render
    // at the output size) by default on desktops at most 1024 wide, the
    // stored "HighQualityMode" wins, window mode always.
    virtual bool HighQualityMode(int outputWidth) const;

    // Pauses the main thread (tests answer at once).
    virtual void Sleep(uint32_t milliseconds);
};

} // namespace lumivane
