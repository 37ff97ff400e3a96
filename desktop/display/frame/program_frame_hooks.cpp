// The program's frame hooks: the Hud and the CommandInterface draw through
// the display's overlay canvas, particle nodes through a canvas that hands
// their quads to the display with the node's own render states; the inset
// picture shows the unit the CommandInterface inspects.
#include "desktop/display/frame/program_frame_hooks.h"

#include "desktop/display/device/display.h"
#include "desktop/display/frame/display_overlay_canvas.h"
#include "desktop/display/hud/hud.h"
#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/part_node.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/world/scene_services.h"

#include <vector>

namespace lumivane {

namespace {

// Particle quads are written into memory in runs of the dynamic buffer's
// size and drawn with the queued node's placement (the world's own for
// particles let go in world space).
class DisplayParticleCanvas : public ParticleCanvas {
public:
    DisplayParticleCanvas(Display& display, const QueuedNode& item)
        : display_(display), item_(item) {}
    int Capacity() const override { return int(kDynamicVertexCapacity); }
    Vertex* Lock(int count) override {
        if (count <= 0 || count > Capacity()) return nullptr;
        vertices_.assign(size_t(count), Vertex());
        return vertices_.data();
    }
    void DrawQuads(const PartNode& node, int quads, const uint16_t* indices,
                   bool worldSpace) override {
        if (quads <= 0 || size_t(quads) * 4 > vertices_.size() ||
            size_t(quads) * 6 > node.QuadIndices().size())
            return;
        QueuedNode item = item_;
        if (worldSpace) item.world = Matrix::Identity();
        display_.DrawParticleQuads(item, vertices_.data(), quads, indices);
    }

private:
    Display& display_;
    const QueuedNode& item_;
    std::vector<Vertex> vertices_;
};

} // namespace

bool ProgramFrameHooks::SetHudVisible(bool visible, bool fade) {
    return GetHud().SetVisible(visible, fade);
}

bool ProgramFrameHooks::HudOn() const {
    return GetHud().hudOn != 0;
}

void ProgramFrameHooks::DrawHud(Display& display, std::span<Entity* const> hudList, int highlighted,
                                std::span<Entity* const> infoList) {
    (void)highlighted;
    (void)infoList;
    Hud& hud = GetHud();
    hud.ShowHoverName(display.Overlay(), OverlayExtentOf(display.OverlayProjection()));
    DisplayOverlayCanvas canvas(display);
    hud.DrawUnitOverlays(canvas, hudList);
    hud.DrawHeightBars(canvas, hudList);
    hud.DrawSquadNumbers(canvas);
}

void ProgramFrameHooks::DrawCommandMarkers(Display& display) {
    CommandInterface& commands = GetCommandInterface();
    // Picking in the overlay and through the view needs the display's.
    commands.overlay = display.Overlay().overlay;
    commands.aspect = display.Aspect();
    OverlayLook look = GetHud().Look();
    look.paused = GetLoopHooks().paused;
    DisplayOverlayCanvas canvas(display);
    commands.Render(canvas, look);
}

Entity* ProgramFrameHooks::InspectedEntity() {
    return GetCommandInterface().InspectedEntity();
}

void ProgramFrameHooks::DrawParticles(Display& display, const QueuedNode& item) {
    if (!IsA(item.node, ClassId::PartNode)) return;
    DisplayParticleCanvas canvas(display, item);
    static_cast<PartNode*>(item.node)->Update(canvas);
}

} // namespace lumivane
