// JTMusic: two music pieces and their fade states. Every entry point takes
// the lock, because the music thread steps the pieces while the main thread
// starts and stops them.
#include "Jentra/JTMusic.h"

#include "Jentra/JTAudio.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

JTMusic* gpMusic = nullptr;

JTMusic::JTMusic() = default;

JTMusic::~JTMusic() {
    Term();
}

HRESULT JTMusic::Init() {
    std::lock_guard<std::mutex> guard(lock);
    reserved = 0;
    enabled = 1;
    for (int p = 0; p < 2; ++p) {
        delete sound[p];
        sound[p] = nullptr;
        name[p][0] = 0;
        state[p] = previousState[p] = IDLE;
        awaited[p] = -1;
    }
    nextPiece = 0;
    return 0;
}

void JTMusic::Term() {
    std::lock_guard<std::mutex> guard(lock);
    DeletePiece(0);
    DeletePiece(1);
}

void JTMusic::DeletePiece(int piece) {
    delete sound[piece];
    sound[piece] = nullptr;
}

float JTMusic::MusicLevel() const {
    return JTGetSoundOptions().musicVolume.load() * 0.5f;
}

void JTMusic::PlayMusic(const MusicAction* action) {
    if (!action || !JTGetSoundOptions().sound.load()) return;
    // The file is read before the lock is taken, so the music thread's
    // refills of what plays now never wait for the disk.
    std::unique_ptr<JTSound> loaded;
    if (action->name[0] != 0 && gpJTAudio) {
        const std::string path =
            std::string("music\\") +
            std::string(action->name, strnlen(action->name, sizeof action->name));
        loaded.reset(gpJTAudio->LoadStreamed(path.c_str()));
        // Nothing to play: the piece stays empty rather than "playing" silence.
        if (!loaded->IsLoaded()) loaded.reset();
    }
    std::lock_guard<std::mutex> guard(lock);
    loops = action->loops;
    endFadeOutTime = action->endFadeOutTime;
    fadeExponent = action->fadeExponent;
    DeletePiece(nextPiece);
    state[nextPiece] = previousState[nextPiece] = IDLE;
    int fadingOut = -1;
    for (int p = 0; p < 2; ++p) {
        if (!sound[p]) continue;
        state[p] = FADING_OUT;
        fadeDuration[p] = action->fadeOutCurrent;
        fadingOut = p;
    }
    if (action->name[0] == 0) return;
    const int piece = nextPiece;
    nextPiece = 1 - nextPiece;
    if (!loaded) return;
    sound[piece] = loaded.release();
    std::snprintf(name[piece], sizeof name[piece], "%s", action->name);
    previousState[piece] = IDLE;
    if (action->crossFade) {
        state[piece] = FADING_IN;
    } else {
        state[piece] = WAITING;
        awaited[piece] = fadingOut;
    }
    fadeDuration[piece] = action->fadeInTime;
}

void JTMusic::Update(float dt) {
    const JTSoundOptions& options = JTGetSoundOptions();
    if (options.sound.load() && options.framesRunning.load()) StepPieces(dt);
}

void JTMusic::StepPieces(float dt) {
    std::lock_guard<std::mutex> guard(lock);
    UpdatePiece(0, dt);
    UpdatePiece(1, dt);
}

void JTMusic::UpdatePiece(int piece, float dt) {
    JTSound* s = sound[piece];
    if (!s) return;
    if (!enabled) {
        s->SetVolume(volume[piece] = -10000);
        return;
    }
    const int began = state[piece];
    // A curve needs a positive exponent: zero would divide by zero in the
    // fade-out and a negative one would make the fades run backwards.
    const float exponent = fadeExponent > 0.0f ? fadeExponent : 1.0f;
    // A zero-length fade is complete at once (fraction 1), never 0/0.
    auto fraction = [&] {
        return fadeDuration[piece] > 0.0f ? fadeElapsed[piece] / fadeDuration[piece] : 1.0f;
    };
    auto apply = [&](float level) {
        level = std::clamp(level, 0.0f, 1.0f);
        s->SetVolume(volume[piece] = JTVolumeFromLevel(level));
    };
    switch (state[piece]) {
    case IDLE:
        if (previousState[piece] != IDLE) {
            s->Stop();
            DeletePiece(piece);
            previousState[piece] = IDLE;
            return;
        }
        break;
    case FADING_IN:
        if (previousState[piece] != FADING_IN) {
            s->SetVolume(volume[piece] = -10000);
            s->Rewind();
            s->Play(true);
            fadeElapsed[piece] = 0.0f;
        }
        apply(std::pow(std::clamp(MusicLevel() * fraction(), 0.0f, 1.0f), exponent));
        fadeElapsed[piece] += dt;
        if (fraction() >= 1.0f) state[piece] = PLAYING;
        break;
    case FADING_OUT:
        if (previousState[piece] != FADING_OUT) fadeElapsed[piece] = 0.0f;
        apply(
            std::pow(std::clamp((1.0f - fraction()) * MusicLevel(), 0.0f, 1.0f), 1.0f / exponent));
        fadeElapsed[piece] += dt;
        if (fraction() >= 1.0f) state[piece] = IDLE;
        break;
    case PLAYING:
        apply(MusicLevel());
        if (loops >= 1) {
            if (endFadeOutTime <= 0.0f) {
                if (s->GetLoopCount() >= loops - 1) s->StopLooping();
                if (!s->IsPlaying()) state[piece] = IDLE;
            } else if (s->GetLoopCount() >= loops) {
                state[piece] = FADING_OUT;
                fadeDuration[piece] = endFadeOutTime;
            }
        }
        break;
    case WAITING: {
        const int other = awaited[piece];
        if (other < 0 || state[other] == IDLE) state[piece] = FADING_IN;
        break;
    }
    }
    if (sound[piece]) sound[piece]->Update();
    previousState[piece] = began;
}

void JTMusic::Reset() {
    std::lock_guard<std::mutex> guard(lock);
    reserved = 0;
    for (int p = 0; p < 2; ++p) {
        if (!sound[p]) continue;
        state[p] = FADING_OUT;
        fadeDuration[p] = endFadeOutTime;
    }
}

bool JTMusic::IsPlaying() {
    std::lock_guard<std::mutex> guard(lock);
    return sound[0] || sound[1];
}

const char* JTMusic::GetPlayingMusic() {
    std::lock_guard<std::mutex> guard(lock);
    for (int p = 0; p < 2; ++p)
        if (sound[p] && state[p] != IDLE && state[p] != FADING_OUT) return name[p];
    return nullptr;
}

unsigned JTMusic::GetPlayingPosition() {
    std::lock_guard<std::mutex> guard(lock);
    for (int p = 0; p < 2; ++p)
        if (sound[p] && state[p] != IDLE && state[p] != FADING_OUT)
            return sound[p]->GetSourcePosition();
    return 0;
}

int JTMusic::GetState(int piece) {
    std::lock_guard<std::mutex> guard(lock);
    return piece == 0 || piece == 1 ? state[piece] : IDLE;
}

int JTMusic::GetVolume(int piece) {
    std::lock_guard<std::mutex> guard(lock);
    return piece == 0 || piece == 1 ? volume[piece] : -10000;
}
