// JTText: a text label. Message 11 sets its text, laid out with the label's
// alignment; a plain-texture label draws its letters flat with the font's
// texture instead of the glowing text material.
#pragma once

#include "Jentra/JTFont.h"
#include "JTControls/JTControl.h"

class JTText : public JTControl {
public:
    JTText();
    ~JTText() override;

    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    const char* GetClassNameA() const override;

    // Both take effect with the next text.
    void SetAlignment(center align) { alignment = align; }
    center GetAlignment() const { return alignment; }
    void SetPlainTexture(bool on) { plainTexture = on; }
    bool GetPlainTexture() const { return plainTexture; }

protected:
    center alignment = MIDDLE_CENTER;
    bool plainTexture = false;
};
