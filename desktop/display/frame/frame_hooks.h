// What the frame asks of the parts drawn over and among the scene that are
// not the display's own: the head-up display (its visibility with its fade,
// its layers), the command interface (its markers and the entity under
// inspection) and the particle systems (a particle node's update runs in
// place of drawing it). Each does nothing here until its part fills it; the
// head-up display's visibility is kept so the frame knows whether to draw
// the overlay nodes.
#pragma once

#include <span>

namespace lumivane {

class Display;
class Entity;
struct QueuedNode;

class FrameHooks {
public:
    virtual ~FrameHooks() = default;

    // The head-up display is shown or hidden, with or without its fade;
    // answers `visible`.
    virtual bool SetHudVisible(bool visible, bool fade) {
        (void)fade;
        hudOn_ = visible;
        return visible;
    }
    // Whether the head-up display draws now (it stays on while fading out).
    virtual bool HudOn() const { return hudOn_; }
    // Its layers over the opaque scene: unit overlays, height bars, squad
    // numbers.
    virtual void DrawHud(Display& display, std::span<Entity* const> hudList, int highlighted,
                         std::span<Entity* const> infoList) {
        (void)display;
        (void)hudList;
        (void)highlighted;
        (void)infoList;
    }

    // The command interface's markers (main display only).
    virtual void DrawCommandMarkers(Display& display) { (void)display; }
    // The entity the command interface inspects (or remembers for a while),
    // and whether it is in one of the modes that show no inset picture.
    virtual Entity* InspectedEntity() { return nullptr; }

    // A particle node (the queued item's node, with its entity and world
    // matrix): simulates, writes and draws its particles.
    virtual void DrawParticles(Display& display, const QueuedNode& item) {
        (void)display;
        (void)item;
    }

private:
    bool hudOn_ = true;
};

} // namespace lumivane
