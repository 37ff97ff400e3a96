// Shared pieces of the command interface's tests: a camera 50 above the
// origin looking straight down (north up), and a canvas that records what
// is drawn.
#pragma once

#include <span>
#include <vector>

#include "desktop/scene/command/overlay_canvas.h"
#include "desktop/scene/world/scene_services.h"

namespace lumivane::test {

class TopCamera : public CameraLink {
public:
    CameraPose Pose() const override {
        CameraPose pose;
        pose.position = {0, 50, 0};
        pose.forward = {0, -1, 0};
        pose.up = {0, 0, 1};
        pose.right = {1, 0, 0};
        return pose;
    }
    void ReplaceTarget(Entity*, Entity*) override {}
    Entity* GetSingleTarget() const override { return single; }
    Entity* single = nullptr;
};

class RecordingOverlay : public OverlayCanvas {
public:
    struct Shape {
        std::vector<Vertex> vertices;
        std::vector<uint16_t> indices; // empty for a fan
        TextureSet* texture;
        int frame;
        bool overlaySpace;
    };
    void Fan(std::span<const Vertex> vertices, TextureSet* texture, int frame,
             bool overlaySpace) override {
        shapes.push_back({{vertices.begin(), vertices.end()}, {}, texture, frame, overlaySpace});
    }
    void Triangles(std::span<const Vertex> vertices, std::span<const uint16_t> indices,
                   TextureSet* texture, int frame) override {
        shapes.push_back({{vertices.begin(), vertices.end()},
                          {indices.begin(), indices.end()},
                          texture,
                          frame,
                          false});
    }
    int Count(bool overlaySpace) const {
        int n = 0;
        for (const Shape& shape : shapes)
            n += shape.overlaySpace == overlaySpace;
        return n;
    }
    std::vector<Shape> shapes;
};

} // namespace lumivane::test
