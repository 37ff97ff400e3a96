// JTSequencer: the named sequences of one transform node and their update.
#include "Jentra/JTSequencer.h"

#include <strings.h>

#include "Jentra/JTFile.h"
#include "Jentra/core/scene/load_owned.h"

JT_CLASS_IMPL(JTSequencer)

JTSequencer::JTSequencer() = default;

JTSequencer::~JTSequencer() {
    for (int i = 0; i < sequences.GetCount(); i++)
        delete sequences[i];
}

void JTSequencer::InitClone(JTUnknown*) {
    // The copy took the prototype's pointers; each becomes a clone that
    // shares the prototype sequence's record.
    for (int i = 0; i < sequences.GetCount(); i++)
        sequences[i] = static_cast<JTSequence*>(sequences[i]->Clone());
}

JTSequence* JTSequencer::AddSequence(const char* name, float length, float start) {
    auto* sequence = new JTSequence;
    sequence->SetName(name);
    sequence->SetLength(length);
    sequence->SetStart(start);
    sequences.Add(sequence);
    return sequence;
}

int JTSequencer::FindSequence(const char* name) const {
    if (!name) return -1;
    for (int i = 0; i < sequences.GetCount(); i++)
        if (strcasecmp(sequences[i]->GetName(), name) == 0) return i;
    return -1;
}

JTSequence* JTSequencer::GetSequence(int i) const {
    if (i < 0 || i >= sequences.GetCount()) return nullptr;
    return sequences[i];
}

int JTSequencer::LocateTime(float t) const {
    for (int i = 0; i < sequences.GetCount(); i++) {
        const JTSequence* s = sequences[i];
        if (s->GetStart() <= t && t < s->GetStart() + s->GetLength()) return i;
    }
    return -1;
}

void JTSequencer::Update() {
    bool anyPlaying = false;
    for (int i = 0; i < sequences.GetCount(); i++) {
        sequences[i]->Update();
        if (sequences[i]->IsPlaying()) anyPlaying = true;
    }
    if (!anyPlaying) return;
    for (int i = 0; i < sequences.GetCount(); i++)
        if (sequences[i]->IsActive() && !sequences[i]->IsPlaying()) sequences[i]->SetActive(false);
}

bool JTSequencer::SaveLoad(JTFile& f) {
    if (!JTUnknown::SaveLoad(f)) return false;
    uint16_t version = 1;
    if (!SaveLoadField(f, version)) return false;
    int32_t count = sequences.GetCount();
    if (!SaveLoadField(f, count)) return false;
    if (f.Saving()) {
        for (int i = 0; i < sequences.GetCount(); i++)
            if (!sequences[i]->SaveLoad(f)) return false;
        return true;
    }
    if (count < 0 || count > kMaxLoadedSequences) return false;
    for (int i = 0; i < count; i++) {
        JTSequence* sequence = LoadOwned<JTSequence>(f);
        if (!sequence) return false;
        sequences.Add(sequence);
    }
    return true;
}
