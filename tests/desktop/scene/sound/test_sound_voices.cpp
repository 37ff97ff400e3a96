// Voice choice: the loudest entity sounds by level over distance, at most
// three on one sound and sixteen in all.
#include <gtest/gtest.h>

#include <algorithm>

#include "desktop/scene/sound/voice_choice.h"
#include "tests/desktop/scene/sound/sound_fixture.h"

namespace lumivane::test {

TEST_F(LvSound, VoiceChoiceTakesTheLoudestWithThreePerSound) {
    EXPECT_FLOAT_EQ(VoicePriority(1.0f, 20.0f, 1.0f, 5.0f), 0.0625f); // r = 4
    EXPECT_FLOAT_EQ(VoicePriority(0.5f, 0.0f, 1.0f, 5.0f), 0.5f) << "r = 1 at the centre";
    EXPECT_EQ(VoicePriority(0.5f, 10.0f, 0.0f, 5.0f), 0.0f) << "no minimum distance: silent";

    std::vector<VoiceCandidate> candidates;
    // Sound 7 on five entities (priorities 5, 4, 3, 2, 1), then twenty
    // quieter ones on sounds of their own.
    for (int i = 0; i < 5; ++i)
        candidates.push_back({EntityHandle(100 + i), 0, 7, float(5 - i)});
    for (int i = 0; i < 20; ++i)
        candidates.push_back({EntityHandle(200 + i), 1, 20 + i, 0.5f - i * 0.01f});
    const auto chosen = ChooseVoices(candidates, 16, 3);
    ASSERT_EQ(chosen.size(), 16u);
    EXPECT_EQ(chosen[0].owner, 100);
    EXPECT_EQ(chosen[1].owner, 101);
    EXPECT_EQ(chosen[2].owner, 102);
    EXPECT_EQ(chosen[3].owner, 200) << "the fourth on sound 7 is passed over";
    EXPECT_EQ(chosen[15].owner, 212);

    // A louder fourth pushes the quietest of the three out.
    candidates.push_back({EntityHandle(999), 2, 7, 10.0f});
    const auto again = ChooseVoices(candidates, 16, 3);
    EXPECT_EQ(again[0].owner, 999);
    EXPECT_EQ(again[2].owner, 101);
    EXPECT_EQ(again[3].owner, 200);
}

} // namespace lumivane::test
