// Animation channels: per sequence of the owning node's sequencer, a list of
// keys in strictly ascending time. A frame channel's keys are matrices that
// pose a transform node; a visibility channel's keys are opacities.
#pragma once

#include <cstdio>

#include "Jentra/JTUnknown.h"
#include "Jentra/JTArray.h"

class JTNode;
class JTSequencer;

struct JTChannelKey {
    float time;
    void* data; // GetKeyDataSize bytes owned by the channel
};

class JTChannel : public JTUnknown {
    JT_CLASS(JTChannel, JTUnknown)
public:
    JTChannel();
    ~JTChannel() override;
    // Copies are deep: every key list and key block is duplicated.
    JTChannel(const JTChannel& other);
    JTChannel& operator=(const JTChannel& other);

    bool SaveLoad(JTFile& f) override;

    virtual int GetKeyDataSize() const { return 0; }
    // True when the node samples this channel during render preparation
    // rather than during its update pass.
    virtual bool UpdateDuringRender() const { return true; }
    virtual void Update(JTNode* node, JTSequencer* sequencer);
    virtual void Prune(int, int) {}
    virtual void SaveKey(FILE*, void*) {}
    virtual void LoadKey(FILE*, void** data) {
        if (data) *data = nullptr;
    }

    // Inserts {time, data} into list seq in time order and takes the data
    // block (malloc'd, GetKeyDataSize bytes). A key at an existing time, or
    // a list index out of range, is refused: false, and the caller keeps
    // the data.
    bool AddKey(int seq, float time, void* data);
    // Key at or before t in list seq and the fraction towards the next one;
    // -1 for an empty or missing list.
    int FindPrecedingKey(int seq, float t, float& frac) const;
    // Appends n empty key lists.
    void SetNumSequences(int n);
    int GetNumSequences() const { return lists.GetCount(); }
    int GetNumKeys(int seq) const;
    const JTChannelKey* GetKey(int seq, int key) const;
    // Smallest list index with keys whose sequence is active; -1 when none.
    int GetFirstActiveSeq(const JTSequencer* sequencer) const;

private:
    using KeyList = JTArray<JTChannelKey>;
    void FreeLists();
    void CopyLists(const JTChannel& other);
    bool LoadLists(JTFile& f);
    JTArray<KeyList*> lists{16};
};

class JTFrameChannel : public JTChannel {
    JT_CLASS(JTFrameChannel, JTChannel)
public:
    int GetKeyDataSize() const override { return 64; }
    bool UpdateDuringRender() const override { return false; }
    // Poses a transform node's local matrix from the active sequence, or
    // puts the rest pose of its base node back when nothing is active.
    void Update(JTNode* node, JTSequencer* sequencer) override;
};

class JTVisChannel : public JTChannel {
    JT_CLASS(JTVisChannel, JTChannel)
public:
    int GetKeyDataSize() const override { return 4; }
    // Sets the node's opacity from the active sequence, 1.0 when none.
    void Update(JTNode* node, JTSequencer* sequencer) override;
    // Step keys: values are not blended between keys.
    void SetBoolType(bool on) { boolType = on ? 1 : 0; }
    bool GetBoolType() const { return boolType != 0; }

private:
    unsigned char boolType = 0;
};
