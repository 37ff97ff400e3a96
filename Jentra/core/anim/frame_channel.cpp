// JTFrameChannel and JTVisChannel: sampling matrix and opacity keys.
#include "Jentra/JTChannel.h"

#include <cstring>

#include "Jentra/JTSequencer.h"
#include "Jentra/JTTransNode.h"

JT_CLASS_IMPL(JTFrameChannel)
JT_CLASS_IMPL(JTVisChannel)

void JTFrameChannel::Update(JTNode* node, JTSequencer* sequencer) {
    if (!node || !node->IsDerived(JTTransNode::nType)) return;
    auto* trans = static_cast<JTTransNode*>(node);
    int s = GetFirstActiveSeq(sequencer);
    if (s < 0) {
        // No active sequence: back to the rest pose of the model.
        trans->ResetMatrix();
        return;
    }
    float frac = 0.0f;
    int k = FindPrecedingKey(s, sequencer->GetSequence(s)->GetTime(), frac);
    const JTChannelKey* key = GetKey(s, k);
    if (!key) return;
    JTMatrix pose;
    std::memcpy(&pose.m[0][0], key->data, sizeof pose.m);
    const JTChannelKey* next = GetKey(s, k + 1);
    if (frac > 0.0f && next) {
        // Element-wise blend: no decomposition into rotation and translation.
        JTMatrix to;
        std::memcpy(&to.m[0][0], next->data, sizeof to.m);
        for (int r = 0; r < 4; r++)
            for (int c = 0; c < 4; c++)
                pose.m[r][c] = pose.m[r][c] * (1.0f - frac) + to.m[r][c] * frac;
    }
    trans->SetMatrix(pose);
}

void JTVisChannel::Update(JTNode* node, JTSequencer* sequencer) {
    if (!node) return;
    float value = 1.0f;
    int s = GetFirstActiveSeq(sequencer);
    if (s >= 0) {
        float frac = 0.0f;
        int k = FindPrecedingKey(s, sequencer->GetSequence(s)->GetTime(), frac);
        const JTChannelKey* key = GetKey(s, k);
        const JTChannelKey* next = GetKey(s, k + 1);
        if (key) {
            std::memcpy(&value, key->data, sizeof value);
            if (frac > 0.0f && !boolType && next) {
                float to;
                std::memcpy(&to, next->data, sizeof to);
                value = value * (1.0f - frac) + to * frac;
            }
        }
    }
    node->SetOpacity(value);
}
