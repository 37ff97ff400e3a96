// JTButton: a push button in the 3D scene. A left click beeps and notifies
// the owner (message 19); a disabled button only gives the refusing beep. It
// shows a text (message 11), lights up while the cursor is over it (21 / 22)
// and plays its model's "select_on" / "select_off" sequences when it is
// selected or deselected (23 / 24).
//
// Its model may hold a node "textattach" (where the text hangs; the button
// itself otherwise) and a sequencer with "select_on" and "select_off".
#pragma once

#include "JTControls/JTControl.h"

class JTButton : public JTControl {
public:
    JTButton();
    ~JTButton() override;

    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    const char* GetClassNameA() const override;

    // The owner's switch; a disabled button shows its next text dark.
    void SetEnabled(bool on) { enabled = on; }
    bool GetEnabled() const { return enabled; }
    // Whether the button shows itself selected (messages 23 and 24).
    bool GetShownSelected() const { return shownSelected; }

protected:
    bool enabled = true;
    bool shownSelected = false;
};
