// The command interface's frame: a state machine over the input mode (idle,
// pressed on the ground, box selection) that reads the mouse and keyboard
// holders, tells overlay entities of mouse events, picks the cursor shape
// and hands selections and orders on.
#include <algorithm>
#include <cmath>

#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/entity/unit.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/scene/world/player.h"
#include "desktop/scene/world/scene_hooks.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

constexpr int kLeft = 0;
constexpr int kRight = 1;
// How far the cursor moves from the press before a pending order turns into
// a box, and how near it must come back to turn the box into an order.
constexpr float kBoxStartDistance = 0.1f;
constexpr float kBoxReturnDistance = 0.025f;
constexpr float kEdgeScrollMiddle = 0.5f;
constexpr float kScreenRight = 1.0f;
constexpr float kScreenBottom = 0.75f;
constexpr float kBoxSelectionShare = 0.75f;

bool Button(const Mouse& mouse, int group, int button) {
    return mouse.buttons[group][button] != 0;
}

// Where no pointer is known over the window (none came yet, it left, or a
// screen saver's mouse only ends it) the cursor's position says nothing:
// no unit and no overlay entity lies under it.
bool PointerKnown(const Mouse& mouse) {
    return mouse.overWindow != 0;
}

void SetDragging(bool dragging) {
    if (CameraLink* camera = GetCameraLink()) camera->SetDragging(dragging);
}

bool OwnShip(const Entity* unit, const Player* local) {
    const Unit* ship = AsUnit(unit);
    return ship && local && ship->owner == local;
}

bool EnemyShip(const Entity* unit, const Player* local) {
    const Unit* ship = AsUnit(unit);
    return ship && local && ship->owner && local->CountsAsEnemy(ship->owner->index);
}

void PlayCue(InterfaceCue cue, float share = 1.0f) {
    GetSceneSounds().PlayInterfaceCue(cue, share);
}

} // namespace

void CommandInterface::Update() {
    const Mouse* mouse = GetMouseHolder();
    if (!mouse) return;
    cursorX = mouse->x;
    cursorY = mouse->y;
    // A run at most hands the frame over twice (2 -> 3 -> 2 stops there).
    for (int pass = 0; pass < 3; ++pass) {
        const int before = mode;
        switch (mode) {
        case kModeOrderPending:
            UpdateOrderPending();
            break;
        case kModeBoxSelect:
            UpdateBoxSelect();
            break;
        default:
            mode = kModeIdle;
            UpdateIdle();
            break;
        }
        if (!rerun || mode == before) break;
        rerun = false;
    }
    rerun = false;
    MarkSelection();
    UpdateInspection();
}

void CommandInterface::UpdateInspection() {
    Entity* unit = nullptr;
    if (mode != kModeBoxSelect)
        if (const std::vector<Entity*> under = candidates.Resolve(); under.size() == 1)
            unit = under.front();
    if (!unit)
        if (const std::vector<Entity*> chosen = selection.Resolve(); chosen.size() == 1)
            unit = chosen.front();
    if (!unit) return;
    inspected = unit->handle;
    inspectedSeen = GetSceneClock().realTime;
}

Entity* CommandInterface::InspectedEntity() const {
    const World* world = GetWorld();
    Entity* unit = world ? world->GetEntity(inspected) : nullptr;
    if (!unit || world->IsQueuedForRemoval(unit)) return nullptr;
    // Unsigned: a clock that went back (a new run) forgets the unit too.
    const uint32_t since = GetSceneClock().realTime - inspectedSeen;
    return since <= kInspectionMemoryMs ? unit : nullptr;
}

void CommandInterface::MarkSelection() {
    for (Entity* unit : marked.Resolve())
        unit->selected = 0;
    const std::vector<Entity*> units = selection.Resolve();
    for (Entity* unit : units)
        unit->selected = 1;
    marked.Keep(units);
}

Entity* CommandInterface::UnitUnderCursor() {
    Vec3 origin, direction;
    MakeScreenRay(nullptr, origin, direction);
    PickRecord hit;
    const int chain = waypointChain;
    Entity* unit = PickUnit(origin, direction, hit);
    waypointChain = chain; // only the press's pick ends a chain
    return unit;
}

void CommandInterface::TellOverlay(int32_t code) {
    PickRecord hit;
    Entity* entity = PickOverlay(nullptr, hit);
    if (entity) entity->Acknowledge(&code);
    if (code == kOverlayHover) overlayUnderCursor = entity ? 1 : 0;
}

void CommandInterface::UpdateIdle() {
    const Mouse& mouse = *GetMouseHolder();
    const UserInputWords& words = GetUserInputWords();
    const bool selecting = words.permission[0] & kAllowSelect;
    const bool ordering = words.permission[1] & kAllowOrders;

    candidates.Clear();
    if (!PointerKnown(mouse)) {
        overlayUnderCursor = 0;
        ChooseCursorShape();
        return;
    }
    if (Entity* unit = UnitUnderCursor()) candidates.Add(unit);

    const bool doubleClick = Button(mouse, Mouse::kDoubleClicked, kLeft);
    if (Button(mouse, Mouse::kPressed, kLeft) || doubleClick) {
        PickRecord hit;
        if (Entity* entity = PickOverlay(nullptr, hit)) {
            const int32_t code = doubleClick ? kOverlayDoubleClick : kOverlayLeftPress;
            entity->Acknowledge(&code);
        } else if (selecting || ordering) {
            Vec3 origin, direction;
            MakeScreenRay(nullptr, origin, direction);
            Vec3 ground;
            pressOnGround = GroundPoint(origin, direction, ground) ? 1 : 0;
            dragStart = dragPoint = pressOnGround ? ground : Vec3();
            pressScreen[0] = currentScreen[0] = cursorX;
            pressScreen[1] = currentScreen[1] = cursorY;
            Entity* unit = PickUnit(origin, direction, hit);
            pressedUnit = unit ? unit->handle : kNoEntity;
            orderHeight = 0.0f;
            mode = pressOnGround && !unit && ordering ? kModeOrderPending : kModeBoxSelect;
            SetDragging(true);
        }
    }
    if (Button(mouse, Mouse::kPressed, kRight) || Button(mouse, Mouse::kDoubleClicked, kRight))
        TellOverlay(kOverlayRightPress);
    TellOverlay(kOverlayHover);
    ChooseCursorShape();
}

void CommandInterface::ChooseCursorShape() {
    const UserInputWords& words = GetUserInputWords();
    if (!cursorEnabled || !(words.permission[0] & kAllowCursorShape)) return;
    cursorId = kCursorDefault;
    if (!(words.permission[0] & kAllowEdgeScroll)) return;
    const bool middle = std::fabs(cursorX) <= kEdgeScrollMiddle;
    if (cursorX <= -kScreenRight)
        cursorId = kCursorScrollLeft;
    else if (cursorX >= kScreenRight)
        cursorId = kCursorScrollRight;
    else if (cursorY <= -kScreenBottom)
        cursorId = middle ? kCursorScrollForward : kCursorScrollUp;
    else if (cursorY >= kScreenBottom)
        cursorId = middle ? kCursorScrollBack : kCursorScrollDown;
}

void CommandInterface::EndDrag() {
    mode = kModeIdle;
    SetDragging(false);
}

void CommandInterface::UpdateOrderPending() {
    const Mouse& mouse = *GetMouseHolder();
    const UserInputWords& words = GetUserInputWords();
    const bool selecting = words.permission[0] & kAllowSelect;
    if (!(words.permission[1] & kAllowOrders)) {
        if (selecting) {
            mode = kModeBoxSelect;
            rerun = true;
        } else {
            EndDrag();
        }
        return;
    }
    if (Button(mouse, Mouse::kHeld, kRight)) return EndDrag();

    currentScreen[0] = cursorX;
    currentScreen[1] = cursorY;
    candidates.Clear();
    Entity* unit = PointerKnown(mouse) ? UnitUnderCursor() : nullptr;
    if (unit) candidates.Add(unit);
    if (Button(mouse, Mouse::kHeld, kLeft)) {
        const bool movedAway = std::fabs(cursorX - pressScreen[0]) >= kBoxStartDistance;
        const bool onPressed = unit && unit->handle == pressedUnit;
        if ((movedAway || onPressed) && selecting) {
            mode = kModeBoxSelect;
            cursorId = kCursorNone;
        }
        return;
    }
    // Released (or the button was lost meanwhile, which gives no order).
    if (Button(mouse, Mouse::kReleased, kLeft)) GiveOrder(unit);
    EndDrag();
}

void CommandInterface::UpdateBoxSelect() {
    const Mouse& mouse = *GetMouseHolder();
    const Keyboard* keyboard = GetKeyboardHolder();
    const bool ctrl = keyboard && keyboard->IsCtrlDown();
    const bool shift = keyboard && keyboard->IsShiftDown();
    const UserInputWords& words = GetUserInputWords();
    const bool ordering = words.permission[1] & kAllowOrders;
    if (!(words.permission[0] & kAllowSelect)) {
        if (ordering) {
            mode = kModeOrderPending;
            rerun = true;
        } else {
            EndDrag();
        }
        return;
    }
    if (Button(mouse, Mouse::kHeld, kRight)) {
        candidates.Clear();
        return EndDrag();
    }
    currentScreen[0] = cursorX;
    currentScreen[1] = cursorY;
    if (Button(mouse, Mouse::kHeld, kLeft)) {
        SetOrderedBox();
        candidates.Clear();
        if (World* world = GetWorld()) CountInBox(world->Root());
        FilterCandidates(ctrl, shift);
        if (std::fabs(cursorX - pressScreen[0]) < kBoxReturnDistance && pressOnGround && ordering) {
            Entity* unit = PointerKnown(mouse) ? UnitUnderCursor() : nullptr;
            if (!unit || unit->handle != pressedUnit) mode = kModeOrderPending;
        }
        cursorId = kCursorNone;
        return;
    }
    if (Button(mouse, Mouse::kReleased, kLeft)) EndBoxSelection(ctrl, shift);
    EndDrag();
}

void CommandInterface::SetOrderedBox() {
    float x0 = std::min(pressScreen[0], currentScreen[0]);
    float x1 = std::max(pressScreen[0], currentScreen[0]);
    float y0 = std::min(pressScreen[1], currentScreen[1]);
    float y1 = std::max(pressScreen[1], currentScreen[1]);
    // A box without width or height still has four planes.
    if (x1 - x0 <= 0.0f) x1 = x0 + kMinimumBoxSide;
    if (y1 - y0 <= 0.0f) y1 = y0 + kMinimumBoxSide;
    boxSize[0] = x1 - x0;
    boxSize[1] = y1 - y0;
    SetBox(x0, y0, x1, y1);
}

void CommandInterface::FilterCandidates(bool ctrl, bool shift) {
    const Player* local = GetPlayers().local;
    std::vector<Entity*> units = candidates.Resolve();
    auto keepOnly = [&units](auto test) {
        if (std::any_of(units.begin(), units.end(), test))
            std::erase_if(units, [&](Entity* e) { return !test(e); });
    };
    if (ctrl) {
        std::erase_if(units, [&](Entity* e) { return OwnShip(e, local); });
        keepOnly([&](Entity* e) { return EnemyShip(e, local); });
    } else if (!shift) {
        keepOnly([&](Entity* e) { return OwnShip(e, local); });
    }
    candidates.Keep(units);
}

void CommandInterface::EndBoxSelection(bool ctrl, bool shift) {
    UserInputWords& words = GetUserInputWords();
    const float dx = currentScreen[0] - pressScreen[0];
    const float dy = currentScreen[1] - pressScreen[1];
    if (std::sqrt(dx * dx + dy * dy) < kClickSize) {
        if (ctrl) return;
        Entity* unit = PointerKnown(*GetMouseHolder()) ? UnitUnderCursor() : nullptr;
        if (unit) {
            words.events[0] |= kEventSelected;
            if (!shift) PlayCue(InterfaceCue::UnitSelected);
        }
        if (!shift) selection.Clear();
        if (unit) selection.Add(unit);
        return;
    }
    SetOrderedBox();
    if (ctrl) return;
    candidates.Clear();
    if (World* world = GetWorld()) CountInBox(world->Root());
    FilterCandidates(false, shift);
    std::vector<Entity*> chosen = candidates.Resolve();
    if (shift) {
        std::vector<Entity*> held = selection.Resolve();
        for (Entity* unit : chosen)
            if (std::find(held.begin(), held.end(), unit) == held.end()) held.push_back(unit);
        chosen = std::move(held);
    } else {
        const Player* local = GetPlayers().local;
        if (std::any_of(chosen.begin(), chosen.end(), [&](Entity* e) { return OwnShip(e, local); }))
            std::erase_if(chosen, [&](Entity* e) { return !OwnShip(e, local); });
    }
    selection.Keep(chosen);
    chosen = selection.Resolve();
    words.events[0] |= kEventSelected;
    if (MatchesFirstSquad(chosen)) words.events[1] |= kEventFirstSquadBox;
    const size_t count = chosen.size();
    PlayCue(count > 1    ? InterfaceCue::UnitsSelected
            : count == 1 ? InterfaceCue::UnitSelected
                         : InterfaceCue::OrderRefused,
            kBoxSelectionShare);
}

bool CommandInterface::MatchesFirstSquad(const std::vector<Entity*>& units) const {
    Player* local = GetPlayers().local;
    if (!local) return false;
    for (const Entity* unit : units) {
        const Unit* ship = AsUnit(unit);
        if (!ship || ship->orderState != kOrderIdle) return false;
    }
    return int(units.size()) == local->squads[0].count;
}

void CommandInterface::ForgetUnits() {
    selection.Clear();
    candidates.Clear();
    marked.Clear();
    pressedUnit = kNoEntity;
    inspected = kNoEntity;
    beaconOn = 0;
    if (mode != kModeIdle) EndDrag();
}

void CommandInterface::SelectUnits(std::span<Unit* const> units, bool add) {
    if (!add) selection.Clear();
    for (Unit* unit : units)
        selection.Add(unit);
}

} // namespace lumivane
