// The music thread: steps the two music pieces every 33 ms so fades and
// stream refills go on while the main thread is busy, and ends when told.
#include "Jentra/JTAudio.h"
#include "Jentra/JTMusic.h"

#include <chrono>

namespace {
constexpr auto kStepTime = std::chrono::milliseconds(33);
constexpr float kStepSeconds = 1.0f / 30.0f;
// Once told to end, the pieces get this long to fade out before they are cut.
constexpr auto kLongestGoodbye = std::chrono::seconds(8);
} // namespace

std::atomic<bool>& JTMusicKillFlag() {
    static std::atomic<bool> kill{false};
    return kill;
}

unsigned MusicThreadProc(void*) {
    std::chrono::steady_clock::time_point killedAt{};
    bool killSeen = false;
    for (;;) {
        const bool kill = JTMusicKillFlag().load();
        if (kill && !killSeen) {
            killSeen = true;
            killedAt = std::chrono::steady_clock::now();
        }
        if (kill && (!gpMusic || !gpMusic->IsPlaying())) {
            JTMusicKillFlag().store(false);
            return 0;
        }
        if (gpMusic) {
            const JTSoundOptions& options = JTGetSoundOptions();
            // While ending, step even before the first frame or with sound
            // off, or the pieces would never empty.
            if (kill || (options.sound.load() && options.framesRunning.load()))
                gpMusic->StepPieces(kStepSeconds);
            if (kill && std::chrono::steady_clock::now() - killedAt > kLongestGoodbye)
                gpMusic->Term();
        }
        std::this_thread::sleep_for(kStepTime);
    }
}

std::thread JTStartMusicThread() {
    JTMusicKillFlag().store(false);
    return std::thread([] { MusicThreadProc(nullptr); });
}

void JTEndMusicThread(std::thread& thread) {
    if (!thread.joinable()) return;
    JTMusicKillFlag().store(true);
    thread.join();
}
