// EntityHandle: how every part of the scene engine names an entity without
// holding a pointer. Bits 0-13 are the world slot, bits 14-30 a generation
// that changes each time the slot is freed; a negative value names nothing.
// A handle is valid only while the world stores the same value for its slot.
#pragma once

#include <cstdint>

namespace lumivane {

using EntityHandle = int32_t;

inline constexpr EntityHandle kNoEntity = -1;
// Pending values an entity holds before it is registered: a slot of the
// high band, or no slot at all.
inline constexpr EntityHandle kWantHighHandle = -2;
inline constexpr EntityHandle kWantNoHandle = -3;

inline constexpr int kWorldSlots = 5100;
inline constexpr int kFirstHighSlot = 5000;
inline constexpr int32_t kSlotMask = 0x3fff;
inline constexpr int32_t kGenerationMask = 0x7fffc000;
inline constexpr int kGenerationShift = 14;

inline constexpr int SlotOf(EntityHandle handle) {
    return int(handle & kSlotMask);
}

// The handle a slot stores after it is freed: the next generation.
inline constexpr EntityHandle NextGeneration(EntityHandle handle) {
    return int32_t((uint32_t((handle >> kGenerationShift) + 1) << kGenerationShift) &
                   uint32_t(kGenerationMask)) |
           SlotOf(handle);
}

} // namespace lumivane
