// JTMover: dragging the selected entities with the captured mouse.
#include "JTControls/JTMover.h"

#include "Jentra/JTCursor.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTMessages.h"
#include "Jentra/JTMouse.h"

namespace {

constexpr int kLeftButton = 0;
constexpr int kRightButton = 1;

} // namespace

JTMover::JTMover() = default;
JTMover::~JTMover() = default;

const char* JTMover::GetClassNameA() const {
    return "JTControls:JTMover";
}

bool JTMover::HoldsCapture() const {
    return gpCursor && gpCursor->GetCapture() == this;
}

void JTMover::DragSelection() {
    if (!gpJTMouse || gpCursor->GetNumSelected() <= 0) return;
    const float rx = float(gpJTMouse->GetRelX());
    const float ry = float(gpJTMouse->GetRelY());
    JTVec3 offset;
    if (gpJTMouse->Down(kLeftButton))
        offset = JTVec3(rx, -ry, 0.0f); // screen up is +y
    else if (gpJTMouse->Down(kRightButton))
        offset = JTVec3(rx, 0.0f, -ry); // screen up is away, +z
    else
        return;
    for (int i = 0; i < gpCursor->GetNumSelected(); ++i)
        if (JTEntity* entity = gpCursor->GetSelected(i)) entity->SetPos(entity->GetPos() + offset);
}

unsigned JTMover::Message(JTID* from, JTID* to, unsigned msg, void* data) {
    switch (msg) {
    case JTMSG_BUTTONDOWN:
    case JTMSG_DOUBLECLICK:
        if (gpCursor) {
            gpCursor->Capture(this);
            gpCursor->ShowCursor(false);
        }
        if (gpJTMouse) gpJTMouse->SetRelative(true);
        return 0;
    case JTMSG_BUTTONUP:
        if (HoldsCapture()) {
            gpCursor->Uncapture();
            gpCursor->ShowCursor(true);
            if (gpJTMouse) gpJTMouse->SetRelative(false);
        }
        return 0;
    case JTMSG_CURSOROVER:
        if (HoldsCapture()) DragSelection();
        return 0;
    default:
        return JTButton::Message(from, to, msg, data);
    }
}
