// Keyframe animation clocks: a JTSequencer belongs to a transform node and
// holds named JTSequence objects (idle, walk, ...), each with its own time.
// Channels on the nodes below ask the sequencer which sequence is active and
// sample their keys at that sequence's time.
#pragma once

#include "Jentra/JTUnknown.h"
#include "Jentra/JTArray.h"

// The part of a sequence that clones share with their prototype; laid out
// as the stream stores it.
struct JTSequenceRecord {
    char name[32]; // at most 31 characters and a NUL
    float length;  // seconds
    float start;   // seconds on a common time line (LocateTime)
};

class JTSequence : public JTUnknown {
    JT_CLASS(JTSequence, JTUnknown)
public:
    JTSequence();
    ~JTSequence() override;
    JTSequence(const JTSequence&) = default;
    JTSequence& operator=(const JTSequence&) = default;

    void PreClone() override;
    void InitClone(JTUnknown* source) override;
    bool SaveLoad(JTFile& f) override;

    void SetName(const char* name);
    const char* GetName() const { return record->name; }
    float GetLength() const { return record->length; }
    void SetLength(float length) { record->length = length; }
    float GetStart() const { return record->start; }
    void SetStart(float start) { record->start = start; }
    float GetSpeed() const { return speed; }
    void SetSpeed(float s) { speed = s; }
    float GetTime() const { return time; }
    void SetTime(float t) { time = t; }
    bool IsActive() const { return active != 0; }
    void SetActive(bool on) { active = on ? 1 : 0; }
    bool IsPlaying() const { return playing != 0; }
    void SetPlaying(bool on) { playing = on ? 1 : 0; }
    void Stop() { playing = 0; }
    bool IsLooping() const { return looping != 0; }
    void SetLooping(bool on) { looping = on ? 1 : 0; }
    JTSequenceRecord* GetRecord() const { return record; }
    bool OwnsRecord() const { return ownsRecord != 0; }

    // Advances the clock by the frame's game time step.
    void Update();

private:
    float time = 0.0f;
    float speed = 1.0f;
    unsigned char active = 0;
    unsigned char playing = 0;
    unsigned char looping = 0;
    unsigned char ownsRecord = 1;
    JTSequenceRecord* record = nullptr;
};

class JTSequencer : public JTUnknown {
    JT_CLASS(JTSequencer, JTUnknown)
public:
    JTSequencer();
    ~JTSequencer() override;
    JTSequencer(const JTSequencer&) = default;
    JTSequencer& operator=(const JTSequencer&) = default;

    void InitClone(JTUnknown* source) override;
    bool SaveLoad(JTFile& f) override;

    // Appends a new sequence; duplicate names are allowed.
    JTSequence* AddSequence(const char* name, float length, float start);
    // Index of the first sequence of that name, ignoring case; -1 when none.
    int FindSequence(const char* name) const;
    // Null for an index outside the list.
    JTSequence* GetSequence(int i) const;
    JTSequence* GetSequence(const char* name) const { return GetSequence(FindSequence(name)); }
    int GetNumSequences() const { return sequences.GetCount(); }
    // Index of the first sequence with start <= t < start + length; -1 when none.
    int LocateTime(float t) const;
    // Advances every sequence; while one plays, stopped sequences lose
    // their active flag.
    void Update();

private:
    JTArray<JTSequence*> sequences{16};
};
