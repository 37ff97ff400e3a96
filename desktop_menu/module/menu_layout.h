// How the desktop popup numbers its items: the three ranges (volume, scenes,
// random period) and the single commands, as offsets from the first
// identifier the shell gives. The offsets of the last menu built are what a
// picked item is decoded against.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace lumivane::menu {

enum class Command {
    TurnOff,
    TurnOn,
    FreezeOn,
    FreezeOff,
    Mute,
    RandomStartup,
    RandomNow,
    HomePage,
    Help,
    Logo,
    HighQuality,
    DisplayProperties,
    SetScreenSaver,
    RemoveScreenSaver,
};
inline constexpr size_t kCommandCount = 14;

// Volume items "10" down to "0".
inline constexpr int kVolumeItemCount = 11;
inline constexpr uint32_t kMaxVolume = 10;

// Seconds between random scene changes, in menu order (0: never).
inline constexpr std::array<uint32_t, 9> kRandomPeriods{0,    60,    600,   1800, 3600,
                                                        7200, 14400, 28800, 86400};

struct CommandOffsets {
    static constexpr int kNone = -1;

    std::array<int, kCommandCount> command;
    int volumeFirst = kNone;
    int sceneFirst = kNone;
    int periodFirst = kNone;

    CommandOffsets() { Reset(); }
    void Reset() {
        command.fill(kNone);
        volumeFirst = sceneFirst = periodFirst = kNone;
    }
    int& operator[](Command c) { return command[size_t(c)]; }
    int operator[](Command c) const { return command[size_t(c)]; }
};

// A picked offset, decoded.
struct PickedItem {
    enum class Kind { Nothing, Volume, Scene, RandomPeriod, Single };
    Kind kind = Kind::Nothing;
    int index = 0;                      // within its range
    Command command = Command::TurnOff; // Single only
};

PickedItem DecodeOffset(const CommandOffsets& offsets, int sceneCount, int offset);

} // namespace lumivane::menu
