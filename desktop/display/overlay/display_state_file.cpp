// The display's block of the scene-state file: the sixteen mode words, the
// texts of slots 1..4 (slot 5 has never been kept: the block has room for
// four), two spare words and the camera's block.
#include "desktop/display/device/display.h"

#include "desktop/display/font/text_layout.h"
#include "desktop/scene/object/anim_text.h"
#include "desktop/scene/object/class_table.h"

#include <algorithm>
#include <string>

namespace lumivane {

namespace {

std::string TextName(int number) {
    return "text" + std::to_string(number);
}

} // namespace

void Display::SaveState(platform::BinaryWriter& file) const {
    DisplayBlock block;
    block.modes = overlay_.modes;
    block.spare = overlay_.spare;
    for (int i = 0; i < kSavedTextSlots; ++i) {
        const Node* node = overlay_.Find(TextName(i + 1));
        if (!node || !IsA(node, ClassId::AnimText)) continue;
        block.textPresent[size_t(i)] = true;
        block.texts[size_t(i)] = static_cast<const AnimText*>(node)->text;
    }
    block.SaveDisplayPart(file);
    camera_->Save(file);
}

bool Display::LoadState(platform::BinaryReader& file, uint32_t version) {
    DisplayBlock block;
    if (!block.LoadDisplayPart(file, version) || !camera_->Load(file, version)) return false;
    overlay_.modes = block.modes;
    if (version >= kFirstSavedTextVersion) {
        overlay_.spare = block.spare;
        for (int i = 1; i <= kSavedTextSlots; ++i)
            for (const char* suffix : {"", "-shadow", "X", "-shadowX"})
                overlay_.Remove(TextName(i) + suffix);
        for (int i = 0; i < kSavedTextSlots; ++i) {
            if (!block.textPresent[size_t(i)]) continue;
            // The stored text need not end inside its buffer: it ends at its
            // first zero or where the text builder's buffer does.
            std::string text = block.texts[size_t(i)];
            text.resize(std::min(text.find('\0'), size_t(kMaxTextUnits)));
            ShowText(i, text, false);
        }
    }
    // The saved visibility of the head-up display, at once.
    hooks_->SetHudVisible(overlay_.modes[kModeHudVisible] > 0, false);
    return true;
}

} // namespace lumivane
