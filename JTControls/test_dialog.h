// JTTestDialog: the module's self-test. Entering a scene it builds four
// buttons that scroll a list and change how many entries it shows, a list of
// six entries in two slots, and a button that names the last entry chosen.
// Only the factory makes it.
#pragma once

#include "JTControls/JTDialog.h"

class JTList;

class JTTestDialog : public JTDialog {
public:
    JTTestDialog();
    ~JTTestDialog() override;

    unsigned Message(JTID* from, JTID* to, unsigned msg, void* data) override;
    const char* GetClassNameA() const override;

private:
    enum Button { UP, DOWN, LESS, MORE, DISPLAY, NUM_BUTTONS };

    void Build();
    void Answer(const JTID& from, void* data);
    // The list while it lives.
    JTList* FindList() const;

    JTID buttons[NUM_BUTTONS];
    JTID list;
};
