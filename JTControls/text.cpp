// JTText: a label's text, glowing or flat.
#include "JTControls/JTText.h"

#include "Jentra/JTEffects.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTMessages.h"
#include "JTControls/control_parts.h"

namespace {

// Draws the letters with the font's texture alone, over whatever lies
// behind them.
void UsePlainTexture(JTGeoNode* text) {
    auto* plain = new JTEffect_Simple;
    plain->texture = gpFont1 ? gpFont1->GetTexture() : nullptr;
    plain->depthTest = false;
    plain->depthWrite = false;
    if (text->OwnsEffect()) delete text->GetEffect();
    text->SetEffect(plain, true);
}

} // namespace

JTText::JTText() = default;
JTText::~JTText() = default;

const char* JTText::GetClassNameA() const {
    return "JTControls:JTText";
}

unsigned JTText::Message(JTID* from, JTID* to, unsigned msg, void* data) {
    if (msg == JTMSG_SETTEXT) {
        jtcontrols::RemoveText(this);
        JTGeoNode* text =
            jtcontrols::MakeControlText(static_cast<const char*>(data), alignment, true);
        if (text && plainTexture) UsePlainTexture(text);
        jtcontrols::HangText(this, text);
    }
    return JTControl::Message(from, to, msg, data);
}
