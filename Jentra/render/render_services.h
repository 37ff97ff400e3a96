// What the renderer plugs into the engine core when the game makes it: the
// frame's drawing and screenshot steps, and the cursor's questions about
// views and cameras.
#pragma once

#include "Jentra/JTCursor.h"

// The cursor's answers about views and cameras, from the views themselves.
// The cursor's y grows upwards; a view's from the top.
class JTRenderCursorServices : public JTEngineCursorServices {
public:
    JTScene* GetViewScene(JTView* view) override;
    JTCamera* GetViewCamera(JTView* view) override;
    bool GetRayView(JTView* view, jentra::cursor::RayView& out) override;
    float GetCameraAspect(JTCamera* camera) override;
};

// Installs the frame hooks (render, screenshot) and the cursor services;
// Uninstall takes them out again.
void JTInstallRenderServices();
void JTUninstallRenderServices();
