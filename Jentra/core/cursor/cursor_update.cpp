// The cursor's per-frame work: moving with the mouse, the hit test through
// its views, the button, enter, leave and hover messages, the look, and its
// place as a screen overlay.
#include "Jentra/JTCursor.h"

#include <cfloat>
#include <cstdint>

#include "Jentra/JTMessages.h"
#include "Jentra/JTScene.h"

namespace {

// Screen motion per mouse count.
constexpr float kMouseScale = 0.001f;
// The overlay placement in front of the first view's camera.
constexpr float kOverlayExtent = 0.9f;
constexpr float kOverlayDepth = 0.9f;
constexpr float kOverlayScale = 0.036f;

void* ButtonData(int button) {
    return reinterpret_cast<void*>(static_cast<uintptr_t>(button));
}

float Clamp01(float v) {
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

} // namespace

void JTCursor::HitTest(HTInfo* info) {
    if (!info) return;
    *info = HTInfo{};
    info->distance = FLT_MAX;
    info->centerDistance = FLT_MAX;
    info->unused = FLT_MAX;
    JTCursorServices* services = GetServices();
    for (int i = 0; i < views.GetCount(); ++i) {
        JTView* view = views[i];
        JTScene* scene = services->GetViewScene(view);
        if (!scene) return;
        JTVec3 origin, dir;
        if (!ComputeRay(view, origin, dir)) continue;
        for (int k = 0; k < scene->GetNumChildren(); ++k) {
            JTEntity* entity = scene->GetChild(k);
            if (entity) entity->Intersect(origin, dir, info, true);
        }
        // The first view in the list that hits something wins.
        if (info->node) return;
    }
}

void JTCursor::SendButtons(JTID& target, const JTCursorInput& input, JTEntity* hit) {
    if (input.pressed[0] || input.doubleClicked[0]) {
        comm.Send(target, input.doubleClicked[0] ? JTMSG_DOUBLECLICK : JTMSG_BUTTONDOWN,
                  ButtonData(0));
        JTScene* main = GetServices()->GetMainScene();
        if (hit && main && hit->GetScene() == main) {
            if (!input.shift) ClearSelection();
            AddSelection(hit);
        }
    }
    if (input.pressed[1] || input.doubleClicked[1])
        comm.Send(target, input.doubleClicked[1] ? JTMSG_DOUBLECLICK : JTMSG_BUTTONDOWN,
                  ButtonData(1));
    if (input.released[0]) comm.Send(target, JTMSG_BUTTONUP, ButtonData(0));
    if (input.released[1]) comm.Send(target, JTMSG_BUTTONUP, ButtonData(1));
}

void JTCursor::ChooseLook(JTEntity* hit) {
    if (x <= 0.0f)
        look = LOOK_LEFT;
    else if (x >= 1.0f)
        look = LOOK_RIGHT;
    else if (y >= 1.0f)
        look = (x < 0.25f || x > 0.75f) ? LOOK_TOP_OUTER : LOOK_TOP;
    else if (y <= 0.0f)
        look = (x < 0.25f || x > 0.75f) ? LOOK_BOTTOM_OUTER : LOOK_BOTTOM;
    else if (hit) {
        // Also when a button handler captured the cursor earlier this frame:
        // the entity is still under it.
        AddHilight(hit);
        look = LOOK_PICKABLE;
    } else
        look = LOOK_NORMAL;
}

void JTCursor::PlaceOnScreen() {
    float aspect = 1.0f;
    JTCursorServices* services = GetServices();
    if (views.GetCount() > 0) {
        if (JTCamera* camera = services->GetViewCamera(views[0])) {
            float a = services->GetCameraAspect(camera);
            if (a > 0.0f) aspect = a;
        }
    }
    SetPos(JTVec3((2.0f * x - 1.0f) * kOverlayExtent, (2.0f * y - 1.0f) / aspect * kOverlayExtent,
                  kOverlayDepth));
    SetScale(kOverlayScale);
}

void JTCursor::Update(JTSequencer* sequencer) {
    JTCursorInput input;
    GetServices()->ReadInput(input);
    bool visible = GetOpacity() > 0.0f;

    if (visible) {
        RemoveHilights();
        x = Clamp01(x + float(input.relX) * kMouseScale);
        y = Clamp01(y - float(input.relY) * kMouseScale);
    }

    if (mode == CM_NORMAL) {
        HTInfo info;
        HitTest(&info);
        JTEntity* hit = info.node ? info.entity : nullptr;
        // Over empty space the messages go to an identifier nobody owns,
        // which delivers them to the game object.
        JTID target;
        if (hit) target = hit->GetID();
        if (visible) {
            SendButtons(target, input, hit);
            if (target != lastId) {
                comm.Send(lastId, JTMSG_CURSORLEAVE, nullptr);
                comm.Send(target, JTMSG_CURSORENTER, nullptr);
                lastId = target;
            }
            comm.Send(target, JTMSG_CURSOROVER, nullptr);
            ChooseLook(hit);
        }
    } else if (mode == CM_CAPTURED && capture) {
        // The capturer hears the buttons and the hover even while the cursor
        // is hidden: a drag handle hides it and waits for the release.
        JTID target = capture->GetID();
        SendButtons(target, input, nullptr);
        comm.Send(target, JTMSG_CURSOROVER, nullptr);
        if (visible) ChooseLook(nullptr);
    }

    selectionChanged = 0;
    PlaceOnScreen();
    JTEntity::Update(sequencer);
}
