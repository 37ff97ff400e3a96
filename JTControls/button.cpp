// JTButton: clicks, text, hilight and selection.
#include "JTControls/JTButton.h"

#include <cstdint>

#include "Jentra/JTEffects.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMessages.h"
#include "JTControls/control_parts.h"

namespace {

constexpr uintptr_t kLeftButton = 0;

// The effect of the button's "text" node when it is a tintable one.
JTEffect_FireKnightAlpha* TintableText(JTEntity* button) {
    JTNode* text = button->FindChildRecursive("text");
    if (!text || text == button || !text->IsDerived(JTGeoNode::nType)) return nullptr;
    JTEffect* effect = static_cast<JTGeoNode*>(text)->GetEffect();
    if (!effect || !effect->IsDerived(JTEffect_FireKnightAlpha::nType)) return nullptr;
    return static_cast<JTEffect_FireKnightAlpha*>(effect);
}

} // namespace

JTButton::JTButton() = default;
JTButton::~JTButton() = default;

const char* JTButton::GetClassNameA() const {
    return "JTControls:JTButton";
}

unsigned JTButton::Message(JTID* from, JTID* to, unsigned msg, void* data) {
    switch (msg) {
    case JTMSG_BUTTONDOWN:
    case JTMSG_DOUBLECLICK:
        if (reinterpret_cast<uintptr_t>(data) != kLeftButton) break;
        if (enabled) {
            jtcontrols::PlayBeep(jtcontrols::kAlertBeep);
            Notify(nullptr);
        } else {
            jtcontrols::PlayBeep(jtcontrols::kInvalidBeep);
        }
        break;
    case JTMSG_SETTEXT: {
        jtcontrols::RemoveText(this);
        JTGeoNode* text =
            jtcontrols::MakeControlText(static_cast<const char*>(data), MIDDLE_CENTER, false);
        if (text && !enabled) {
            JTEffect* effect = text->GetEffect();
            if (effect && effect->IsDerived(JTEffect_StreamingLight::nType))
                static_cast<JTEffect_StreamingLight*>(effect)->darkFinalPass = true;
        }
        jtcontrols::HangText(this, text);
        break;
    }
    case JTMSG_HILIGHTON:
        if (JTEffect_FireKnightAlpha* effect = TintableText(this))
            effect->SetColor(0.5f, 1.0f, 0.5f, 1.0f);
        break;
    case JTMSG_HILIGHTOFF:
        if (JTEffect_FireKnightAlpha* effect = TintableText(this))
            effect->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        break;
    case JTMSG_SELECT:
        if (!shownSelected) {
            shownSelected = true;
            jtcontrols::StartSequence(this, "select_on", false);
        }
        break;
    case JTMSG_DESELECT:
        if (shownSelected) {
            shownSelected = false;
            jtcontrols::StartSequence(this, "select_off", false);
        }
        break;
    default:
        break;
    }
    return JTControl::Message(from, to, msg, data);
}
