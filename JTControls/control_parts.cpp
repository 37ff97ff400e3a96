// What several controls do alike: beeps, text geometry, sequences.
#include "JTControls/control_parts.h"

#include "Jentra/JTAudio.h"
#include "Jentra/JTEntity.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTSequencer.h"

namespace jtcontrols {

namespace {

constexpr unsigned long kWhite = 0xFFFFFFFFul;

} // namespace

void PlayBeep(const char* sound) {
    if (gpJTAudio) gpJTAudio->PlaySoundA(sound, 0, false);
}

JTGeoNode* MakeControlText(const char* text, center align, bool dynamic) {
    if (!gpFont1) return nullptr;
    return gpFont1->MakeText(text ? text : "", kTextSize, align, JTVec3(0, 0, 0), 1.0f, kWhite,
                             0.0f, dynamic);
}

void RemoveText(JTEntity* control) {
    JTNode* old = control->FindChildRecursive("text");
    // The control itself is never its own text.
    if (old && old != control) old->RemoveFromParent();
}

void HangText(JTEntity* control, JTGeoNode* text) {
    if (!text) return;
    JTNode* attach = control->FindChildRecursive("textattach");
    (attach ? attach : control)->AddChild(text);
    text->SetName("text");
    control->RecomputeBound();
}

bool StartSequence(JTEntity* control, const char* name, bool looping, bool keepLooping) {
    JTSequencer* sequencer = control->GetSequencer();
    JTSequence* sequence = sequencer ? sequencer->GetSequence(name) : nullptr;
    if (!sequence) return false;
    sequence->SetTime(0.0f);
    sequence->SetActive(true);
    sequence->SetPlaying(true);
    if (!keepLooping) sequence->SetLooping(looping);
    return true;
}

} // namespace jtcontrols
