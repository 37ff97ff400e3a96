// Choosing the entity sounds that play on the positional voices.
#include "desktop/scene/sound/voice_choice.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace lumivane {

float VoicePriority(float level, float distance, float minDistance, float radius) {
    float r = distance / (minDistance * radius);
    if (!(r > 0.0f)) r = 1.0f;
    const float priority = level / (r * r);
    return std::isfinite(priority) ? priority : 0.0f;
}

std::vector<VoiceCandidate> ChooseVoices(std::vector<VoiceCandidate> candidates, int voices,
                                         int perSound) {
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const VoiceCandidate& a, const VoiceCandidate& b) { return a.priority > b.priority; });
    std::vector<VoiceCandidate> chosen;
    std::map<int32_t, int> onSound;
    for (const VoiceCandidate& candidate : candidates) {
        if (int(chosen.size()) >= voices) break;
        int& count = onSound[candidate.sound];
        if (count >= perSound) continue;
        ++count;
        chosen.push_back(candidate);
    }
    return chosen;
}

} // namespace lumivane
