// JTMover: a drag handle. Pressing a mouse button on it captures the 3D
// cursor, hides it and puts the mouse in relative mode; while captured, the
// mouse's motion moves every selected entity (x and y with the left button
// held, x and z with the right); releasing gives the cursor back. Everything
// else it does as a button.
#pragma once

#include "JTControls/JTButton.h"

class JTMover : public JTButton {
public:
    JTMover();
    ~JTMover() override;

    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    const char* GetClassNameA() const override;

private:
    bool HoldsCapture() const;
    void DragSelection();
};
