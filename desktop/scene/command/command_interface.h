// CommandInterface: the user's hand in the scene. It keeps the units the
// user selected and those under the cursor (by handle, so a unit that leaves
// the world leaves both lists), the mouse cursors and their animations, the
// look of the selection box and of the order beacon, and turns points on the
// screen into rays, ground points and units. Once per frame Update reads the
// mouse and keyboard holders, changes the selection and queues orders; the
// display's frame draws what it shows.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "desktop/scene/object/vec3.h"
#include "desktop/scene/world/entity_handle.h"

namespace lumivane {

class Entity;
class Node;
class OverlayCanvas;
struct OverlayLook;
class ScriptConfig;
class ScriptBlock;
class Unit;
class TextureSet;
struct PickRecord;

// Input modes.
inline constexpr int kModeIdle = 1;
inline constexpr int kModeOrderPending = 2; // pressed on the ground
inline constexpr int kModeBoxSelect = 3;

inline constexpr int kCursorCount = 14;
inline constexpr int kCursorFrames = 20;
inline constexpr int kMaxCommandUnits = 5100;

// Cursor ids.
inline constexpr int kCursorNone = 0;
inline constexpr int kCursorDefault = 1;
inline constexpr int kCursorScrollUp = 5;
inline constexpr int kCursorScrollDown = 6;
inline constexpr int kCursorScrollLeft = 7;
inline constexpr int kCursorScrollRight = 8;
inline constexpr int kCursorTrackball = 12;
inline constexpr int kCursorScrollForward = 13;
inline constexpr int kCursorScrollBack = 14;

// Bits of the two user-input permission words.
inline constexpr uint32_t kAllowSelect = 0x100000;       // first word
inline constexpr uint32_t kAllowCursorShape = 0x1000000; // first word
inline constexpr uint32_t kAllowEdgeScroll = 0x10000;    // first word
inline constexpr uint32_t kAllowOrders = 0x1;            // second word
inline constexpr uint32_t kAllowOrderHeight = 0x2;       // second word

// Bits of the two user event words.
inline constexpr uint32_t kEventSelected = 0x100000;   // first word
inline constexpr uint32_t kEventMoveLow = 0x1;         // second word
inline constexpr uint32_t kEventMoveHigh = 0x2;        // second word
inline constexpr uint32_t kEventAttack = 0x4;          // second word
inline constexpr uint32_t kEventFirstSquadBox = 0x400; // second word

// What overlay entities are told through Acknowledge.
inline constexpr int32_t kOverlayLeftPress = 1;
inline constexpr int32_t kOverlayDoubleClick = 2;
inline constexpr int32_t kOverlayRightPress = 4;
inline constexpr int32_t kOverlayHover = 7;

// How long the inset picture keeps showing a unit after it was last under
// inspection (real clock, ms).
inline constexpr uint32_t kInspectionMemoryMs = 500;

// A press and release closer than this (screen diagonal) is a click.
inline constexpr float kClickSize = 0.00625f;
// A box side of no length is widened to this.
inline constexpr float kMinimumBoxSide = 0.01f;

struct CursorFrame {
    int32_t frame = 0;     // -1: the animation ended with the entry before
    float duration = 0.0f; // seconds
};

struct Cursor {
    TextureSet* texture = nullptr;
    float hotspot[2] = {0.0f, 0.0f};
    std::array<CursorFrame, kCursorFrames> frames{};
};

// A list of units by handle, at most kMaxCommandUnits long.
class UnitList {
public:
    bool Add(const Entity* unit); // false when full or held already
    void Clear() { handles.clear(); }
    bool Contains(const Entity* unit) const;
    // The units that still live, in order; handles that no longer resolve
    // are dropped.
    std::vector<Entity*> Resolve();
    void Keep(const std::vector<Entity*>& units); // replaces the list
    int Count() const { return int(handles.size()); }
    std::span<const EntityHandle> Handles() const { return handles; }

private:
    std::vector<EntityHandle> handles;
};

class CommandInterface {
public:
    CommandInterface();

    // --- Settings (section "Cursors" and "Game"/"settings") -----------------
    void LoadSettings(const ScriptConfig& config);
    void LoadCursor(const ScriptConfig& config, int id, std::string_view block);

    // --- Picking -------------------------------------------------------------
    // A ray from the camera through a screen point (the cursor when null).
    void MakeScreenRay(const float* point, Vec3& origin, Vec3& direction) const;
    // The nearest pickable entity of the overlay node under the screen point.
    Entity* PickOverlay(const float* point, PickRecord& hit) const;
    // The nearest pickable unit on the ray: the local player's, or any
    // top-level entity with the display's free pick.
    Entity* PickUnit(const Vec3& origin, const Vec3& direction, PickRecord& hit);
    // The entities of the tree inside the box planes; they join `candidates`.
    int CountInBox(Node* node);
    // The point of the ray on the ground plane y = 0; false when it lies
    // behind the origin or outside the scene's radius.
    static bool GroundPoint(const Vec3& origin, const Vec3& direction, Vec3& point);

    // --- Per frame -----------------------------------------------------------
    void Update();
    // Draws the order preview, the order beacon, the selection box and the
    // cursor; the preview and beacons only while the head-up display is on.
    void Render(OverlayCanvas& canvas, const OverlayLook& look);
    // A new scene starts: its handles name other units, so both lists and
    // the beacon go and the interface is idle again.
    void ForgetUnits();
    // The squad keys select the squad's members; with `add` (Shift held)
    // they join the selection instead of replacing it.
    void SelectUnits(std::span<Unit* const> units, bool add = false);
    std::vector<Entity*> Selection() { return selection.Resolve(); }
    std::vector<Entity*> Candidates() { return candidates.Resolve(); }
    // The unit the inset picture shows: the one unit under the cursor (not
    // while a box is dragged), else the only selected unit, as the last
    // update found it; a unit no longer inspected is still answered for
    // kInspectionMemoryMs after it was last seen. Null when none, or when
    // that unit has left the world.
    Entity* InspectedEntity() const;
    // The texture frame of the cursor's animation to show at `clock` (ms);
    // it steps on at most one entry per call.
    int CursorFrameAt(int id, uint32_t clock);

    // --- State ---------------------------------------------------------------
    float cursorX = 0.0f, cursorY = 0.0f;
    int mode = kModeIdle;
    Vec3 dragStart, dragPoint;
    int pressOnGround = 0;
    EntityHandle pressedUnit = kNoEntity;
    float pressScreen[2] = {0, 0};
    float currentScreen[2] = {0, 0};
    Vec3 boxRays[4];
    Vec3 boxNormals[4];
    Vec3 boxApex;
    float boxSize[2] = {0, 0}; // width and height of the last box
    int cursorEnabled = 1;
    int waypointChain = 0;
    UnitList selection;
    UnitList candidates;
    // The units whose `selected` flag the interface set (the frame draws
    // their head-up overlays, the squad keys take them).
    UnitList marked;
    Cursor cursors[kCursorCount + 1]; // by id; 0 unused
    int cursorId = kCursorDefault;
    int overlayUnderCursor = 0;
    // The unit under inspection (or the one last inspected) and when it was
    // last seen (real clock, ms).
    EntityHandle inspected = kNoEntity;
    uint32_t inspectedSeen = 0;

    TextureSet* cornerTexture = nullptr;
    TextureSet* fieldTexture = nullptr;
    float fieldRepeat = 1.0f;

    TextureSet* beaconTexture = nullptr;
    float beaconSize = 0.01f;
    float beaconCornerSize = 0.2f;
    float beaconSpeed = 2.0f;
    float beaconExplodeSize = 4.0f;
    float beaconExplodeTime = 0.5f;
    float beaconMaxAngle = 75.0f * 0.017453292f;
    int beaconOn = 0;
    Vec3 beaconPosition;
    uint32_t beaconTime = 0;
    uint32_t beaconColor = 0xffffffffu;

    float orderHeight = 0.0f;
    // The order preview: the last three ground points under the press.
    Vec3 previewRing[3];
    int previewNext = 0;
    int previewCount = 0;
    float beaconAngle = 0.0f; // the preview beacon's spin
    // The display's overlay node, whose pickable entities take mouse events,
    // and its aspect (width / height).
    Node* overlay = nullptr;
    float aspect = 4.0f / 3.0f;

    // The cursor's animation: the entry shown and when it began (ms).
    int animationEntry = 0;
    uint32_t animationStart = 0;
    int animatedCursor = kCursorNone;

private:
    void UpdateIdle();
    void UpdateOrderPending();
    void UpdateBoxSelect();
    void ChooseCursorShape();
    void UpdateInspection();
    void TellOverlay(int32_t code);
    void EndDrag();
    // The selection's units carry the `selected` flag; those that left it
    // lose it.
    void MarkSelection();
    // The left button came up in mode 2 with `unit` under the cursor.
    void GiveOrder(Entity* unit);
    void EndBoxSelection(bool ctrl, bool shift);
    bool MatchesFirstSquad(const std::vector<Entity*>& units) const;
    // The box between the press and the cursor, smaller corner first.
    void SetOrderedBox();
    void SetBox(float x0, float y0, float x1, float y1);
    void FilterCandidates(bool ctrl, bool shift);
    void SetBeacon(const Vec3& position, uint32_t colour);
    // The unit under the cursor now.
    Entity* UnitUnderCursor();
    bool BoxHolds(const Entity& entity) const;

    void DrawPreview(OverlayCanvas& canvas, const OverlayLook& look);
    void DrawBeacon(OverlayCanvas& canvas, const OverlayLook& look, const Vec3& position,
                    bool exploding);
    void DrawBeaconFrame(OverlayCanvas& canvas, const Vec3& centre, const Vec3& a, const Vec3& b,
                         float half, float corner, uint32_t colour);
    void DrawSelectionBox(OverlayCanvas& canvas);
    void DrawCursor(OverlayCanvas& canvas, const OverlayLook& look);
    void DrawCursorQuad(OverlayCanvas& canvas, int id, int frame);

    bool rerun = false; // the mode changed and runs again this frame
};

CommandInterface& GetCommandInterface();

} // namespace lumivane
