// JTEdit: typing, the text on show and the blinking caret.
#include "JTControls/JTEdit.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "Jentra/JTEffects.h"
#include "Jentra/JTFont.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTMessages.h"
#include "JTControls/control_parts.h"

namespace {

constexpr signed char kBackspace = 8;
constexpr signed char kLineFeed = 10;
// One full blink a second of game time: 2 pi / 1000 ms.
constexpr float kBlinkPerMs = 0.0062831854f;

} // namespace

JTEdit::JTEdit() {
    text.Add('\0');
}

JTEdit::~JTEdit() = default;

const char* JTEdit::GetClassNameA() const {
    return "JTControls:JTEdit";
}

const char* JTEdit::GetText() const {
    return text.GetCount() > 0 ? text.GetData() : "";
}

void JTEdit::SetText(const char* newText) {
    comm.Send(GetID(), JTMSG_SETTEXT, const_cast<char*>(newText ? newText : ""));
}

void JTEdit::Redraw() {
    Message(&GetID(), &GetID(), JTMSG_SETTEXT, nullptr);
}

void JTEdit::TypeCharacter(unsigned char c) {
    const auto typed = static_cast<signed char>(c);
    if (typed == kBackspace) {
        text.RemoveLast(); // the NUL
        text.RemoveLast(); // the last character, when there is one
        text.Add('\0');
        jtcontrols::PlayBeep(jtcontrols::kAlertBeep);
        Redraw();
    } else if (typed == kLineFeed) {
        Notify(nullptr);
        jtcontrols::PlayBeep(jtcontrols::kAlertBeep);
    } else if (typed >= 0 && typed < 32) {
        // Other control characters (a carriage return among them) are not text.
    } else {
        // The NUL stays in place should the array not grow.
        if (text.GetCount() == 0 && text.Add('\0') < 0) return;
        if (text.Add('\0') < 0) return;
        text[text.GetCount() - 2] = static_cast<char>(c);
        jtcontrols::PlayBeep(jtcontrols::kAlertBeep);
        Redraw();
    }
}

unsigned JTEdit::Message(JTID* from, JTID* to, unsigned msg, void* data) {
    switch (msg) {
    case JTMSG_CHAR:
        TypeCharacter(static_cast<unsigned char>(reinterpret_cast<uintptr_t>(data)));
        break;
    case JTMSG_SETTEXT: {
        if (data) {
            const char* source = static_cast<const char*>(data);
            const size_t length = std::strlen(source);
            JTArray<char> copy(text.GetGrowStep());
            bool whole = copy.Reserve(int(length) + 1);
            for (size_t i = 0; whole && i < length; ++i)
                copy.Add(source[i]);
            // A text that does not fit in memory leaves the old one.
            if (whole && copy.Add('\0') >= 0) text = copy;
        }
        jtcontrols::RemoveText(this);
        jtcontrols::HangText(this, jtcontrols::MakeControlText(GetText(), MIDDLE_CENTER, false));
        break;
    }
    case JTMSG_SETFOCUS:
        focused = true;
        break;
    case JTMSG_KILLFOCUS:
        focused = false;
        break;
    default:
        break;
    }
    return JTControl::Message(from, to, msg, data);
}

void JTEdit::Update(JTSequencer* sequencer) {
    JTEntity::Update(sequencer);
    UpdateCaret();
}

void JTEdit::UpdateCaret() {
    JTNode* node = FindChildRecursive("caret");
    if (!node || node == this || !node->IsDerived(JTTransNode::nType)) return;
    auto* caret = static_cast<JTTransNode*>(node);
    if (!focused) {
        caret->SetOpacity(0.0f);
        return;
    }
    caret->SetOpacity((std::sin(float(gdwTime) * kBlinkPerMs) + 1.0f) * 0.25f + 0.5f);

    // After the last letter: half the centred text's width.
    const float x =
        gpFont1 ? gpFont1->GetTextWidth(GetText(), 0.0f) * (jtcontrols::kTextSize / 2) : 0.0f;
    JTNode* base = caret->GetBase();
    const JTMatrix rest = base && base->IsDerived(JTTransNode::nType)
                              ? static_cast<JTTransNode*>(base)->GetMatrix()
                              : JTMatrix();
    caret->SetMatrix(rest * JTMatrixTranslation(x, 0.0f, 0.0f));

    // The caret draws over the text; only a fixed-function material has
    // that switch.
    JTNode* shape = caret->GetChild(0);
    if (shape && shape->IsDerived(JTGeoNode::nType)) {
        JTEffect* effect = static_cast<JTGeoNode*>(shape)->GetEffect();
        if (effect && effect->IsDerived(JTEffect_Simple::nType))
            static_cast<JTEffect_Simple*>(effect)->depthTest = false;
    }
}
