// JTDialog: a control that holds other controls. The controls are separate
// entities of the same scene linked to the dialog, so they move and die with
// it. A dialog is visible and cannot be picked itself; games derive their
// menus from it.
#pragma once

#include "JTControls/JTControl.h"

class JTDialog : public JTControl {
public:
    JTDialog();
    ~JTDialog() override;

    const char* GetClassNameA() const override;
};
