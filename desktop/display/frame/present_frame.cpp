// Display::PresentFrame: the overlay nodes' updates, the clear (none behind
// a backdrop body), the frame, the statistics line and the presentation.
#include "desktop/display/device/display.h"

#include "desktop/display/font/bitmap_font.h"
#include "desktop/display/frame/frame_math.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/world.h"
#include "platform/clock.h"

#include <cstdio>
#include <vector>

namespace lumivane {

namespace {

constexpr uint32_t kStatisticsEvery = 4; // frames
constexpr float kStatisticsAt = 0.05f;
constexpr float kStatisticsCharWidth = 0.00071094f;
constexpr float kStatisticsCharHeight = 0.001625f;
constexpr uint32_t kStatisticsColour = 0xFF00FF00;

// Calls the update of each node without letting one that leaves its parent
// end the walk early.
void UpdateChildren(Node& parent) {
    std::vector<Node*> children;
    for (int i = 0; i < parent.ChildCount(); ++i)
        if (Node* child = parent.ChildAt(i)) {
            child->AddRef();
            children.push_back(child);
        }
    for (Node* child : children)
        child->Update();
    for (Node* child : children)
        child->Release();
}

} // namespace

void Display::PresentFrame() {
    if (!device3D_) return;
    if (dynamicBuffer_) dynamicBuffer_->DiscardNext();

    overlay_.MakeHudOverlays();
    UpdateChildren(*overlay_.overlay);
    overlay_.hudOverlay->Update();
    overlay_.hudOverlayTransform->Update();
    FlushDeferredRemovals();

    // A backdrop body drawn first covers the whole target: no colour clear.
    World* world = GetWorld();
    Entity* first = world && world->EntityCount() > 0 ? world->EntityAt(0) : nullptr;
    uint32_t clear = D3DCLEAR_ZBUFFER | D3DCLEAR_TARGET;
    if (first && IsA(first, ClassId::Celestial)) {
        first->visible = frame_.switches.backdropOff ? 0 : 1;
        if (!frame_.switches.backdropOff) clear = D3DCLEAR_ZBUFFER;
    }
    device3D_->Clear(clear, 0xFF000000u, 1.0f, 0);

    RenderFrame();
    ++frame_.statistics.frames;
    UpdateStatistics();
    Present();
}

void Display::UpdateStatistics() {
    FrameStatistics& s = frame_.statistics;
    if (!frame_.switches.statistics) {
        overlay_.SetStatisticsText(nullptr);
        s.reported = false;
        return;
    }
    if (s.frames % kStatisticsEvery != 0) return;
    const uint32_t now = frame_.clock ? frame_.clock() : platform::TickCount();
    if (!s.reported) {
        // The first report after the switch came on has nothing to measure.
        s.reported = true;
        s.lastReport = now;
    }
    int selectedVertices = 0, selectedPolygons = 0;
    const World* world = GetWorld();
    for (int i = 0; world && i < world->EntityCount(); ++i)
        if (Entity* entity = world->EntityAt(i); entity && entity->selected)
            entity->CountVertPoly(selectedVertices, selectedPolygons);
    char line[256];
    std::snprintf(line, sizeof line,
                  "FPS:%03u Vert:%u Poly:%u SelVert:%i SelPoly:%i SetTex:%u #Obj:%i %s%s%s",
                  FramesPerSecond(now - s.lastReport), s.vertices / 4, s.indices / 12,
                  selectedVertices, selectedPolygons, s.textureChanges / 4,
                  world ? world->EntityCount() : 0, "", useTnL_ ? "(TnL)" : "",
                  dynamicBuffer_ ? "(VB)" : "");
    s.vertices = s.indices = s.textureChanges = 0;
    s.stateChanges = states_.TakeChanges();
    s.lastReport = now;
    s.line = line;

    BitmapFont* font = GetFont();
    if (!font) return;
    char text[320];
    std::snprintf(text, sizeof text, "Frame:%u %s", GetSceneClock().frame, line);
    AnimText* node = font->MakeText(
        text, 0, 0, -kStatisticsAt * FastTan(camera_->HorizontalFov() / 2.0f),
        kStatisticsAt * FastTan(camera_->VerticalFov() / 2.0f), kStatisticsAt, kStatisticsCharWidth,
        kStatisticsCharHeight, kStatisticsColour, 0.0f, 0, nullptr);
    overlay_.SetStatisticsText(node);
}

} // namespace lumivane
