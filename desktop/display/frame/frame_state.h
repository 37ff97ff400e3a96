// What the display keeps while it makes a frame: the draw queues with each
// node's world matrix and entity, the lists handed to the head-up display,
// the entity being queued, the light slots, the shared material, the
// program's frame switches and the statistics since the last report.
#pragma once

#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/vec3.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lumivane {

class Entity;
class GeoNode;

inline constexpr int kLightSlots = 8;
inline constexpr size_t kQueueGrowth = 10000;

// A node waiting to be drawn.
struct QueuedNode {
    GeoNode* node = nullptr;
    Entity* entity = nullptr; // the entity that owns it, if any
    Matrix world;
    int order = 0;             // its place in the queue when it came
    bool cameraInside = false; // the camera is within its entity: drawn two-sided
};

// Program-wide switches the frame reads; their setters lie with the
// scene, the main loop and the developer's tools.
struct FrameSwitches {
    bool statistics = false;   // the statistics line in the top-left corner
    bool lighting = true;      // lights and lit materials
    bool bump = true;          // the bump passes
    bool backdropOff = false;  // the backdrop body hidden, the target cleared
    bool debugOverlay = false; // the overlay nodes even without the head-up display
    bool slowMotion = false;   // animation slowed near the origin
    bool wireframe = false;    // triangles drawn as their edges
};

struct FrameStatistics {
    uint32_t vertices = 0;
    uint32_t indices = 0;
    uint32_t textureChanges = 0;
    uint32_t stateChanges = 0;
    uint32_t frames = 0;     // frames drawn, counted from the display's making
    uint32_t lastReport = 0; // ms of the last report
    bool reported = false;   // a report was made since the switch came on
    std::string line;        // the last report
};

struct FrameState {
    std::vector<QueuedNode> opaque;
    std::vector<QueuedNode> transparent;
    std::vector<Entity*> hudList;
    int highlighted = 0;
    std::vector<Entity*> infoList;

    Entity* lightSlots[kLightSlots] = {};
    bool saturationLight = false; // a chosen light has "Saturation"

    int defaultLevel = 2;      // texture level of the nodes queued next
    Entity* current = nullptr; // the entity being queued
    float currentScreenSize = 0.0f;
    int currentLevel = 2;       // its screen-size level
    bool currentInside = false; // the camera is within it
    bool drawNow = false;       // queued nodes are drawn at once
    bool overlayLighting = false;

    Vec3 cameraPosition;
    Vec3 focus;
    // The active view and projection (the scene's, or the overlay's) and
    // where that view looks from.
    Matrix view;
    Matrix projection;
    Vec3 eye;
    float frameTime = 0.0f;

    FrameSwitches switches;
    FrameStatistics statistics;
    // The millisecond clock of the statistics (the system's when empty).
    std::function<uint32_t()> clock;
};

} // namespace lumivane
