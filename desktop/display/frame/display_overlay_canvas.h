// DisplayOverlayCanvas: the display's side of the overlay canvas. The head-up
// display's batches and the command interface's fans are drawn with
// lighting, depth writes and culling off and alpha blending on; world-space
// geometry with the scene's camera and depth test, overlay-space geometry
// (x -1..1 across, y -0.75..0.75 up the screen, whatever its shape) over
// everything. The scene's transforms are put back when the canvas goes.
#pragma once

#include "desktop/scene/command/overlay_canvas.h"

namespace lumivane {

class Display;

class DisplayOverlayCanvas : public OverlayCanvas {
public:
    explicit DisplayOverlayCanvas(Display& display) : display_(display) {}
    ~DisplayOverlayCanvas() override;
    DisplayOverlayCanvas(const DisplayOverlayCanvas&) = delete;
    DisplayOverlayCanvas& operator=(const DisplayOverlayCanvas&) = delete;

    void Fan(std::span<const Vertex> vertices, TextureSet* texture, int frame,
             bool overlaySpace) override;
    void Triangles(std::span<const Vertex> vertices, std::span<const uint16_t> indices,
                   TextureSet* texture, int frame) override;

private:
    // The states, transforms and texture of one draw; false without a
    // device to draw with.
    bool Prepare(TextureSet* texture, int frame, bool overlaySpace);

    Display& display_;
    bool changedTransforms_ = false;
};

} // namespace lumivane
