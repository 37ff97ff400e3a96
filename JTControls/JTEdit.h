// JTEdit: a one-line text entry field. While it holds the keyboard focus
// (messages 25 and 26 from JTKeyboard::SetFocus) it takes typed characters
// (message 7), shows them as 3D text with a blinking caret after them, and
// tells its owner (message 19) when Enter is typed; the owner then reads
// GetText.
//
// Its model may hold "textattach" (where the text hangs) and "caret", a
// transform node whose first child is the caret's geometry.
#pragma once

#include "Jentra/JTArray.h"
#include "JTControls/JTControl.h"

class JTEdit : public JTControl {
public:
    JTEdit();
    ~JTEdit() override;

    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    void Update(JTSequencer* sequencer) override;
    const char* GetClassNameA() const override;

    // The text typed so far.
    const char* GetText() const;
    // Replaces the text (null empties it) through message 11.
    void SetText(const char* text);
    bool IsFocused() const { return focused; }

protected:
    // Shows the caret blinking after the text while focused, hides it
    // otherwise.
    void UpdateCaret();

private:
    void TypeCharacter(unsigned char c);
    void Redraw();

    // The characters and a terminating NUL, which the count includes.
    JTArray<char> text{16};
    bool focused = false;
};
