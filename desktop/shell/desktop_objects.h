// The named objects through which other processes steer the running desktop
// program: eight events, made in animated-desktop mode only, and the 8-byte
// shared block "Lumivane: File Mapping" holding a request word and the
// program's process id. In screen-saver mode only the event "Lumivane:
// Screensaver running" exists. Like every named object they are the
// session's own: a desktop on another X display has its set apart.
//
// The desktop menu cannot raise another process's priority on Linux, so it
// asks: it puts kRaiseRequest into the block's first word, and the program's
// main loop takes the request and counts itself as raised to high priority.
#pragma once

#include "platform/named/named_event.h"
#include "platform/named/shared_block.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace lumivane {

enum class DesktopEvent {
    Exit,
    Paint,
    Redraw,
    Loading,
    Preload,
    ExeTurnOff,
    NewProcess,
    Screensaver
};
inline constexpr int kDesktopEventCount = 8;

struct NamedEventDesc {
    const char* name;
    bool manualReset;
    bool initialState;
    bool setAfterCreate; // signalled again right after creating or opening
};

// In creation order, indexed by DesktopEvent.
inline constexpr std::array<NamedEventDesc, kDesktopEventCount> kDesktopEvents{{
    {"Lumivane: Exit", false, false, false},
    {"Lumivane: Paint", false, false, false},
    {"Lumivane: Redraw", false, false, false},
    {"Lumivane: Loading", true, true, true},
    {"Lumivane: Preload", true, true, true},
    {"Lumivane: Exe Turn Off", false, false, false},
    {"Lumivane: New Process", false, false, false},
    {"Lumivane: Screensaver", false, false, false},
}};

inline constexpr NamedEventDesc kScreensaverRunningEvent{"Lumivane: Screensaver running", true,
                                                         true, false};

inline constexpr const char* kFileMappingName = "Lumivane: File Mapping";
inline constexpr int kRequestWord = 0;   // offset 0
inline constexpr int kProcessIdWord = 1; // offset 4
inline constexpr uint32_t kRaiseRequest = 1;

class DesktopObjects {
public:
    // Creates (or opens) the eight events in table order and the shared
    // block, and writes {0, own process id} into it. Null with *error set
    // when the system refuses any of them.
    static std::unique_ptr<DesktopObjects> Create(std::string* error = nullptr);

    platform::NamedEvent& Event(DesktopEvent event) { return *events_[size_t(event)]; }
    platform::SharedBlock& Mapping() { return *mapping_; }

    // Writes the own process id into the block again (at shut-down).
    void PublishProcessId();

private:
    DesktopObjects() = default;

    std::array<std::unique_ptr<platform::NamedEvent>, kDesktopEventCount> events_;
    std::unique_ptr<platform::SharedBlock> mapping_;
};

// The screen-saver mode's only named object, kept for the process's life.
std::unique_ptr<platform::NamedEvent> CreateScreensaverRunningEvent(std::string* error = nullptr);

// The menu's side: when the block exists and the process whose id it holds
// still runs, asks that program to raise its priority. The block is only
// opened, never made; nothing happens when no program runs.
void RequestRaise();
// The program's side: true (once) when the menu asked since the last call.
bool TakeRaiseRequest(platform::SharedBlock& mapping);

// The desktop program's named objects; null outside animated-desktop mode.
extern DesktopObjects* gpDesktopObjects;

} // namespace lumivane
