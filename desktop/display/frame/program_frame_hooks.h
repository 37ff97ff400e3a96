// ProgramFrameHooks: what the program's frame draws besides the scene: the
// head-up display (its visibility and fade are the Hud's own, its layers
// over the opaque scene, the hover label), the command interface's markers
// and cursor and the unit it inspects (for the inset picture), and the
// particle systems, each drawn into the display.
#pragma once

#include "desktop/display/frame/frame_hooks.h"

namespace lumivane {

class ProgramFrameHooks : public FrameHooks {
public:
    bool SetHudVisible(bool visible, bool fade) override;
    bool HudOn() const override;
    void DrawHud(Display& display, std::span<Entity* const> hudList, int highlighted,
                 std::span<Entity* const> infoList) override;
    void DrawCommandMarkers(Display& display) override;
    Entity* InspectedEntity() override;
    void DrawParticles(Display& display, const QueuedNode& item) override;
};

} // namespace lumivane
