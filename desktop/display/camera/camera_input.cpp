// Camera: the first half of the frame's step, the user's input. Dragging
// with the second mouse button turns, tilts and (with the first held)
// zooms; a short click frames the unit under the cursor or the selection,
// or backs out; the cursor resting on a screen edge scrolls; the wheel and
// the arrow keys (in three key modes) zoom, pan, tilt and turn. The
// input feeds smoothed rates, so the camera glides rather than jumps.
#include <algorithm>
#include <cmath>
#include <vector>

#include "desktop/display/camera/camera.h"
#include "desktop/display/camera/view_math.h"
#include "desktop/scene/command/command_interface.h"
#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/world/keyboard.h"
#include "desktop/scene/world/mouse.h"
#include "desktop/scene/world/world.h"

namespace lumivane {

namespace {

// Key codes (DIK numbers) the camera reads.
constexpr int kKeyTab = 0x0F;
constexpr int kKeyUp = 0xC8;
constexpr int kKeyDown = 0xD0;
constexpr int kKeyLeft = 0xCB;
constexpr int kKeyRight = 0xCD;

constexpr int kFirstButton = 0;
constexpr int kSecondButton = 1;
constexpr int kThirdButton = 2;

constexpr float kAltSlowdown = 0.04f;
constexpr float kClickMs = 250.0f;
constexpr int32_t kLongMotion = 4;
constexpr float kTiltPerCount = 0.034906585f; // 2 degrees
constexpr float kYawPerCount = -0.02617994f;  // 1.5 degrees
constexpr float kDragZoom = -8.0f;
constexpr float kWheelZoom = 0.53333336f;
constexpr float kPanSpeed = 75.0f;
constexpr float kKeyZoom = 8.0f;
constexpr float kKeyTurn = 0.20943952f; // 12 degrees a second
constexpr float kEdgeDwell = 0.35f;
constexpr float kEdgeTilt = 0.008f;
constexpr float kCueShare = 0.75f;

// The keyboard as the camera reads it: no key counts while its first
// state word is set; the second is the key mode.
struct Keys {
    const Keyboard* holder;
    bool Live() const { return holder && holder->blocked == 0; }
    bool Down(int code) const { return Live() && (holder->keyState[code] & 0x80) != 0; }
    bool Pressed(int code) const { return Live() && holder->pressed[code] != 0; }
    int Mode() const { return holder ? holder->blockedByCommand : 0; }
};

// The command interface's candidate when it is the one unit under the
// cursor (a box being dragged holds more).
Entity* UnitUnderCursor(CommandInterface& commands) {
    if (commands.candidates.Count() != 1) return nullptr;
    const std::vector<Entity*> under = commands.candidates.Resolve();
    return under.size() == 1 ? under[0] : nullptr;
}

uint32_t Permission() {
    return GetUserInputWords().permission[0];
}

void NoteEvent(uint32_t bit) {
    GetUserInputWords().events[0] |= bit;
}

} // namespace

Camera::Frame Camera::BeginFrame() const {
    Frame frame;
    frame.dt = GetSceneClock().realFrameTime;
    frame.m = kMouseFactor * 0.2f;
    const Keys keys{GetKeyboardHolder()};
    if (keys.Down(0x38) || keys.Down(0xB8)) {
        frame.dt *= kAltSlowdown;
        frame.m *= kAltSlowdown;
    }
    return frame;
}

void Camera::DropUnknownTargets() {
    if (GetDisplayState().revealAll) return;
    World* world = GetWorld();
    if (!world) return;
    std::erase_if(current_.targets, [&](EntityHandle handle) {
        const Entity* entity = world->GetEntity(handle);
        return entity && !Known(*entity);
    });
}

void Camera::ComputeSpeedFactors(Frame& frame) const {
    frame.F =
        std::max((current_.position - targetCentre_).Length() - 0.01f, 0.0f) * 0.00499f + 0.001f;
    frame.S = 1.0f;
    if (resolvedTargets_ == 0) {
        // Free flight: slow down near ships so they can be looked at.
        float nearest = kLargestDistance;
        bool found = false;
        if (const World* world = GetWorld())
            for (int i = 0; i < world->EntityCount(); ++i) {
                const Entity* e = world->EntityAt(i);
                if (!e || !(e->radius < kLargestDistance) || !Known(*e)) continue;
                const bool ship = IsA(e, ClassId::Ship) && !IsA(e, ClassId::Weapon);
                if (!ship && !IsA(e, ClassId::Debris)) continue;
                float d = (e->position - current_.position).Length() - 1.5f * e->radius;
                if (e->radius > 0.0f) d /= e->radius;
                nearest = std::min(nearest, d);
                found = true;
            }
        if (found)
            frame.F = std::clamp((nearest - 2.0f) * (1.0f / 98.0f), 0.0f, 1.0f) * 0.497f + 0.003f;
        frame.S = 0.75f * frame.F;
    }
    const float held = interaction_.inputHeld;
    frame.B = held >= 4.0f ? 10.0f : held * 2.375f + 0.5f;
}

void Camera::ReadDrag(Frame& frame) {
    Mouse* mouse = GetMouseHolder();
    if (!mouse) return;
    const bool held = mouse->buttons[Mouse::kHeld][kSecondButton] != 0;
    const bool pressed = mouse->buttons[Mouse::kPressed][kSecondButton] != 0;
    if (!pressed && !interaction_.dragging) return;
    const uint32_t now = GetSceneClock().realTime;
    if (!interaction_.dragging) {
        interaction_.dragging = 1;
        interaction_.dragStart = now;
        GetCommandInterface().cursorEnabled = 0; // the cursor keeps its shape
        mouse->cameraDrag = 1;
    }
    if (!held) {
        // A press and release within one poll is a click as well.
        interaction_.dragging = 0;
        GetCommandInterface().cursorEnabled = 1;
        mouse->cameraDrag = 0;
        frame.released = true;
        return;
    }

    const int32_t dx = mouse->dx;
    const int32_t dy = mouse->dy;
    const bool firstHeld = mouse->buttons[Mouse::kHeld][kFirstButton] != 0;
    const uint32_t permission = Permission();
    using namespace camera_bits;
    if ((permission & (kRotate | kTilt | kZoom)) && !transition_.moving && !firstHeld &&
        (dx || dy)) {
        const std::vector<Entity*> selection = GetCommandInterface().Selection();
        const bool keepsTarget = selection.size() == 1 && selection[0] &&
                                 current_.targets.size() == 1 &&
                                 current_.targets[0] == selection[0]->handle;
        if (!keepsTarget) DropTargets();
    }
    // A long drag is never taken for a click.
    for (int32_t motion : {dy, dx})
        if (std::abs(motion) > kLongMotion && interaction_.dragStart > uint32_t(kClickMs))
            interaction_.dragStart -= uint32_t(kClickMs);
    if (dy && !firstHeld && (permission & kTilt)) {
        frame.input.pitch += float(dy) * frame.m * kTiltPerCount;
        NoteEvent(kTilt);
        frame.acted = true;
    }
    if (dy && firstHeld && (permission & kZoom)) {
        frame.input.zoom += float(dy) * frame.m * frame.F * kDragZoom;
        NoteEvent(kZoom);
        frame.acted = true;
    }
    if (dx && (permission & kRotate)) {
        frame.input.yaw += float(dx) * frame.m * kYawPerCount;
        NoteEvent(kRotate);
        frame.acted = true;
    }
}

void Camera::ClickFocusStep() {
    const uint32_t now = GetSceneClock().realTime;
    if (!(float(now - interaction_.dragStart) < kClickMs)) return;
    if (!(Permission() & camera_bits::kClickFocus)) return;
    NoteEvent(camera_bits::kClickFocus);

    CommandInterface& commands = GetCommandInterface();
    Entity* under = UnitUnderCursor(commands);
    const std::vector<Entity*> selection = commands.Selection();
    auto frameWithSound = [&](std::span<Entity* const> units) {
        FrameUnits(units);
        GetSceneSounds().PlayInterfaceCue(InterfaceCue::CameraMove, kCueShare);
    };
    CameraInteraction& i = interaction_;
    if (i.clickState == 0) {
        if (under) {
            i.clickState = 1;
            i.clickSubState = 0;
            previous_.Assign(current_);
            frameWithSound({&under, 1});
        } else if (!selection.empty()) {
            i.clickState = 1;
            previous_.Assign(current_);
            frameWithSound(selection);
            clickFocus_ = 1;
        } else {
            BackOut();
        }
        return;
    }
    if (selection.empty()) {
        if (i.clickSubState && under) {
            i.clickSubState = 0;
            frameWithSound({&under, 1});
        } else {
            i.clickState = 0;
            BackOut();
        }
        return;
    }
    // Clicking again on the one selected unit that is framed backs out;
    // otherwise the selection is framed.
    const bool framed = selection.size() == 1 && selection[0] && current_.targets.size() == 1 &&
                        current_.targets[0] == selection[0]->handle;
    if (framed) {
        i.clickState = 0;
        BackOut();
    } else {
        previous_.Assign(current_);
        frameWithSound(selection);
    }
}

void Camera::BackOut() {
    CameraView view = current_;
    Vec3 level{view.right.x, 0.0f, view.right.z};
    if (level.Length() < 1e-6f) level = {1.0f, 0.0f, 0.0f};
    level.Normalize();
    view.direction = Normalized(Turned(kWorldUp, level, 135.0f * kDegree));
    view.right = Normalized(Vec3::Cross(kWorldUp, view.direction));
    view.up = Normalized(Vec3::Cross(view.direction, view.right));
    const float height = view.position.y;
    const bool hasTargets = !view.targets.empty();
    if (hasTargets || height < 10.0f) {
        const float wanted = std::max(height + 10.0f, 10.0f);
        // Backwards along the direction, which falls 45 degrees.
        const float along = (wanted - height) / -view.direction.y;
        view.position = view.position - view.direction * along;
    }
    view.offset = view.position - targetCentre_;
    MoveTo(view, kMoveDuration, true, 1, camera_move::kQuartic, nullptr, nullptr);
    GetSceneSounds().PlayInterfaceCue(InterfaceCue::CameraMove, 1.0f);
}

void Camera::EdgeScroll(Frame& frame) {
    if (!(Permission() & camera_bits::kPan) || interaction_.edgeGate != 0) return;
    const float x = GetCommandInterface().cursorX;
    const float y = GetCommandInterface().cursorY;
    const bool top = y <= -0.75f;
    const bool bottom = y >= 0.75f;
    const bool left = x <= -1.0f;
    const bool right = x >= 1.0f;
    if (!(top || bottom || left || right)) {
        interaction_.edgeDwell = 0.0f;
        return;
    }
    interaction_.edgeDwell += frame.dt;
    if (interaction_.edgeDwell < kEdgeDwell && !current_.targets.empty()) return;

    const float amount = frame.dt * frame.S * frame.B * kPanSpeed;
    const bool corner = std::fabs(x) > 0.5f && std::fabs(x) < 0.99f;
    const float tilt = TiltFromUp(current_.direction);
    if (top) {
        if (corner) {
            frame.input.vertical += amount;
            if (tilt < 135.0f * kDegree) frame.input.pitch += kEdgeTilt * amount;
        } else {
            frame.input.forwardPan += amount;
        }
    }
    if (bottom) {
        if (corner) {
            frame.input.vertical -= amount;
            if (current_.position.y < 2.0f * GetSceneBounds().heightLimit && tilt > 90.0f * kDegree)
                frame.input.pitch -= kEdgeTilt * amount;
        } else {
            frame.input.forwardPan -= amount;
        }
    }
    if (left) frame.input.sidePan -= amount;
    if (right) frame.input.sidePan += amount;
    DropTargets();
    NoteEvent(camera_bits::kPan);
    frame.acted = true;
}

void Camera::ReadWheel(Frame& frame) {
    const Mouse* mouse = GetMouseHolder();
    if (!mouse || mouse->wheel == 0 || mouse->buttons[Mouse::kHeld][kThirdButton]) return;
    if (!(Permission() & camera_bits::kZoom)) return;
    frame.input.zoom = float(mouse->wheel) * frame.F * kWheelZoom;
    NoteEvent(camera_bits::kZoom);
    frame.acted = true;
}

void Camera::ReadKeys(Frame& frame) {
    const Keys keys{GetKeyboardHolder()};
    if (!keys.Live()) return;
    const uint32_t permission = Permission();
    const float up = keys.Down(kKeyUp) ? 1.0f : 0.0f;
    const float down = keys.Down(kKeyDown) ? 1.0f : 0.0f;
    const float left = keys.Down(kKeyLeft) ? 1.0f : 0.0f;
    const float right = keys.Down(kKeyRight) ? 1.0f : 0.0f;
    const bool vertical = up || down;
    const bool sideways = left || right;
    using namespace camera_bits;
    auto use = [&](uint32_t bit) {
        NoteEvent(bit);
        frame.acted = true;
    };
    switch (keys.Mode()) {
    case 0:
        if ((vertical || sideways) && (permission & kPan)) {
            const float amount = frame.dt * frame.S * frame.B * frame.F * kPanSpeed;
            frame.input.forwardPan += (up - down) * amount;
            frame.input.sidePan += (right - left) * amount;
            DropTargets();
            use(kPan);
        }
        if (keys.Pressed(kKeyTab)) ToggleHomeView();
        break;
    case 1:
        if (vertical && (permission & kTilt)) {
            frame.input.pitch += (down - up) * frame.dt * kPi / 4.0f;
            use(kTilt);
        }
        if (sideways && (permission & kRotate)) {
            frame.input.yaw += (left - right) * frame.dt * kKeyTurn;
            use(kRotate);
        }
        break;
    case 2:
        if (vertical && (permission & kZoom)) {
            frame.input.zoom += (up - down) * frame.dt * frame.B * frame.F * kKeyZoom;
            use(kZoom);
        }
        break;
    default:
        break;
    }
}

void Camera::ApplyMomentum(Frame& frame) {
    // Rates decay exponentially with the frame time and gather this frame's
    // input; the turns and the zoom have a top speed.
    const float dt = std::max(frame.dt, 1.0f / 30.0f);
    const float k = kSmoothness * kSmoothness * kSmoothness * kSmoothness;
    auto blend = [&](float& rate, float input, float decay, float limit) {
        rate = rate * std::pow(k * decay, dt) + input;
        if (limit > 0.0f) rate = std::clamp(rate, -limit, limit);
    };
    frame.input.yaw *= std::clamp(1.0f - std::fabs(frame.input.zoom) * 0.8f, 0.2f, 1.0f);
    blend(rates_.yaw, frame.input.yaw, 0.0004f, 0.07f);
    blend(rates_.pitch, frame.input.pitch, 0.0004f, 0.07f);
    blend(rates_.zoom, frame.input.zoom, 0.000008f, 0.8f);
    blend(rates_.sidePan, frame.input.sidePan, 0.0000004f, 0.0f);
    blend(rates_.forwardPan, frame.input.forwardPan, 0.0000004f, 0.0f);
    blend(rates_.vertical, frame.input.vertical, 0.0000004f, 0.0f);
}

} // namespace lumivane
