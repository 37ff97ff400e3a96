// Background music: two pieces that cross-fade or follow each other, each a
// streamed JTSound from "music\", stepped every 33 ms by the music thread.
#pragma once

#include "Jentra/JTWaveWriter.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>

class JTSound;

struct MusicAction {
    char name[260] = {};         // file inside "music\"; empty: only fade out
    int loops = 0;               // 0 or less: for ever
    float fadeInTime = 0.0f;     // seconds
    float endFadeOutTime = 0.0f; // above 0: fade out after the last loop
    float fadeExponent = 1.0f;   // curve of the fades
    float fadeOutCurrent = 0.0f; // seconds, for every piece playing now
    bool crossFade = false;      // true: fade in at once; false: after the old piece
};

class JTMusic {
public:
    enum State { IDLE = 0, FADING_IN = 1, FADING_OUT = 2, PLAYING = 3, WAITING = 4 };

    JTMusic();
    ~JTMusic();
    JTMusic(const JTMusic&) = delete;
    JTMusic& operator=(const JTMusic&) = delete;

    HRESULT Init();
    void Term();
    void PlayMusic(const MusicAction* action);
    // Steps both pieces when sound is on and frames run.
    void Update(float dt);
    void Reset();
    bool IsPlaying();
    // Name of the first piece that plays or fades in, else null. The text
    // stays valid until the next PlayMusic on the main thread.
    const char* GetPlayingMusic();
    unsigned GetPlayingPosition();
    void ResumeMusic(const char*, unsigned) {}

    // Steps both pieces once, whatever the options say (the music thread).
    void StepPieces(float dt);
    int GetState(int piece);
    int GetVolume(int piece);

protected:
    void UpdatePiece(int piece, float dt);

private:
    float MusicLevel() const;
    void DeletePiece(int piece);

    std::mutex lock; // the music thread steps what the main thread changes
    int reserved = 0;
    int enabled = 0;
    JTSound* sound[2] = {};
    char name[2][260] = {};
    int state[2] = {};
    int previousState[2] = {};
    float fadeElapsed[2] = {};
    float fadeDuration[2] = {};
    int awaited[2] = {-1, -1};
    int volume[2] = {-10000, -10000};
    int nextPiece = 0;
    int loops = 0;
    float endFadeOutTime = 0.0f;
    float fadeExponent = 1.0f;
};

extern JTMusic* gpMusic;

// The music thread: steps gpMusic every 33 ms (1/30 s) while frames run, and
// ends once its kill flag is set and neither piece holds a sound (clearing
// the flag). After the flag is set it steps regardless of frames and the
// Sound option, and gives the pieces at most a few seconds to finish, so a
// shut-down never waits for ever.
unsigned MusicThreadProc(void* unused);
std::atomic<bool>& JTMusicKillFlag();
// Starts the thread; the application keeps it and ends it at exit with
// JTEndMusicThread (which sets the kill flag and waits for the thread).
std::thread JTStartMusicThread();
void JTEndMusicThread(std::thread& thread);
