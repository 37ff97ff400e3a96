// Decoding a picked item's offset against the offsets of the menu built.
#include "desktop_menu/module/menu_layout.h"

namespace lumivane::menu {

namespace {

bool InRange(int first, int count, int offset, int& index) {
    if (first == CommandOffsets::kNone || offset < first || offset >= first + count) return false;
    index = offset - first;
    return true;
}

} // namespace

PickedItem DecodeOffset(const CommandOffsets& offsets, int sceneCount, int offset) {
    PickedItem picked;
    if (offset < 0) return picked;
    if (InRange(offsets.volumeFirst, kVolumeItemCount, offset, picked.index)) {
        picked.kind = PickedItem::Kind::Volume;
    } else if (InRange(offsets.sceneFirst, sceneCount, offset, picked.index)) {
        picked.kind = PickedItem::Kind::Scene;
    } else if (InRange(offsets.periodFirst, int(kRandomPeriods.size()), offset, picked.index)) {
        picked.kind = PickedItem::Kind::RandomPeriod;
    } else {
        for (size_t i = 0; i < kCommandCount; ++i) {
            if (offsets.command[i] == offset) {
                picked.kind = PickedItem::Kind::Single;
                picked.command = Command(i);
                break;
            }
        }
    }
    return picked;
}

} // namespace lumivane::menu
