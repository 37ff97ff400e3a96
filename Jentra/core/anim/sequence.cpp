// JTSequence: one named animation clock. The record (name, length, start)
// is shared by clones with their prototype; time and flags are their own.
#include "Jentra/JTSequencer.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "Jentra/JTFile.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/core/scene/load_owned.h"

JT_CLASS_IMPL(JTSequence)

JTSequence::JTSequence() {
    record = static_cast<JTSequenceRecord*>(std::calloc(1, sizeof(JTSequenceRecord)));
}

JTSequence::~JTSequence() {
    if (ownsRecord) std::free(record);
}

void JTSequence::PreClone() {
    // The clone takes the prototype's record in the copy that follows.
    if (ownsRecord) std::free(record);
    record = nullptr;
    ownsRecord = 0;
}

void JTSequence::InitClone(JTUnknown*) {
    ownsRecord = 0;
}

void JTSequence::SetName(const char* name) {
    std::memset(record->name, 0, sizeof record->name);
    if (name) std::strncpy(record->name, name, sizeof record->name - 1);
}

void JTSequence::Update() {
    if (!playing) return;
    // A looping sequence without length has nothing to wrap around; it
    // runs as a non-looping one instead of spinning forever.
    if (looping && record->length > 0.0f) {
        time += dt;
        // The remainder, as repeated subtraction of the length would give;
        // subtracting one length at a time never ends once time is so much
        // larger than the length that the subtraction no longer changes it
        // (a clock read from a file, or a huge frame step). An endless time
        // has no remainder; the loop starts over.
        if (time >= record->length)
            time = std::isfinite(time) ? std::fmod(time, record->length) : 0.0f;
        return;
    }
    if (time >= record->length) {
        playing = 0;
        return;
    }
    time += speed * dt;
    if (time > record->length) time = record->length;
}

bool JTSequence::SaveLoad(JTFile& f) {
    if (!JTUnknown::SaveLoad(f)) return false;
    uint16_t version = 1;
    if (!SaveLoadField(f, version)) return false;
    if (!SaveLoadField(f, time) || !SaveLoadField(f, speed)) return false;
    if (!SaveLoadField(f, active) || !SaveLoadField(f, playing) || !SaveLoadField(f, looping))
        return false;
    if (!f.SaveLoad(record->name, sizeof record->name)) return false;
    record->name[sizeof record->name - 1] = '\0';
    return SaveLoadField(f, record->length) && SaveLoadField(f, record->start);
}
