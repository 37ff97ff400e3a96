// MusicPlayer: the music service the start-up makes beside the sound
// manager. This program plays no music: the player keeps its switch and its
// two channels, and every operation (playing a path, the hooks of the scene's
// music actions and of a restored state's music block) does nothing.
#pragma once

#include <cstdint>
#include <string_view>

namespace lumivane {

class MusicPlayer {
public:
    static constexpr int kChannels = 2;

    struct Channel {
        int32_t state = 0;
        char path[260] = {};
        int32_t values[5] = {};
    };

    void Play(std::string_view path) { (void)path; }
    void Stop() {}
    // The current path: always none.
    const char* CurrentPath() const { return nullptr; }

    int32_t enabled = 1;
    Channel channels[kChannels];
    uint8_t reserved[16] = {};
};

} // namespace lumivane
