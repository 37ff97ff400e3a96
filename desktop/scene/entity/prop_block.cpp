// PropBlock: defaults, typed access, colours kept in step and the
// owned-string store.
#include "desktop/scene/entity/prop_block.h"

#include <algorithm>
#include <cmath>

#include "desktop/scene/entity/prop_container.h"

namespace lumivane {

namespace {

uint8_t ChannelByte(float value) {
    const float scaled = std::round(value * 255.0f);
    return std::isfinite(scaled) ? uint8_t(std::fmin(std::fmax(scaled, 0.0f), 255.0f)) : 0;
}

} // namespace

void PropBlock::KeepColourInStep(int32_t field, const size_t (&channels)[3], size_t word) {
    if (field == int32_t(word)) {
        const uint32_t colour = Get<uint32_t>(word);
        for (int c = 0; c < 3; ++c)
            Set<float>(channels[c], float((colour >> (16 - 8 * c)) & 0xFF) / 255.0f);
        return;
    }
    bool changed = field == kAllProps;
    for (size_t offset : channels)
        changed = changed || field == int32_t(offset);
    if (!changed) return;
    uint32_t colour = 0xFF000000u;
    for (int c = 0; c < 3; ++c)
        colour |= uint32_t(ChannelByte(Float(channels[c]))) << (16 - 8 * c);
    Set<uint32_t>(word, colour);
}

PropBlock::PropBlock(const PropDesc* descs) : table(descs), bytes(PropDesc::BlockSize(descs), 0) {
    PropDesc::ForEach(table, [&](const PropDesc& d, size_t offset) {
        switch (d.type) {
        case PropType::Integer:
        case PropType::Choice:
            Set<int32_t>(offset, int32_t(d.defaultValue));
            break;
        case PropType::Float:
        case PropType::Distance:
        case PropType::Time:
        case PropType::Angle:
            Set<float>(offset, d.defaultValue);
            break;
        case PropType::Flag:
            SetFlag(offset, d.defaultValue != 0.0f);
            break;
        case PropType::Colour:
            Set<uint32_t>(offset, ColourWord(d.defaultValue));
            break;
        case PropType::Name:
        case PropType::TextureName:
            SetFixedText(offset, d.defaultText);
            break;
        default: // owned strings start empty
            break;
        }
    });
}

uint32_t PropBlock::ColourWord(double value) {
    // A float cannot hold 0xFFFFFFFF: the next float above is held to it.
    if (!(value > 0.0)) return 0;
    return uint32_t(std::min(value, 4294967295.0));
}

bool PropBlock::SetValue(std::string_view name, double value) {
    size_t offset = 0;
    const PropDesc* d = PropDesc::Find(table, name, offset);
    if (!d) return false;
    switch (d->type) {
    case PropType::Integer:
    case PropType::Choice:
        Set<int32_t>(offset, int32_t(value));
        return true;
    case PropType::Float:
    case PropType::Distance:
    case PropType::Time:
    case PropType::Angle:
        Set<float>(offset, float(value));
        return true;
    case PropType::Flag:
        SetFlag(offset, value != 0.0);
        return true;
    case PropType::Colour:
        Set<uint32_t>(offset, ColourWord(value));
        return true;
    default:
        return false;
    }
}

PropBlock::~PropBlock() {
    ReleaseStrings();
}

std::string_view PropBlock::FixedText(size_t offset) const {
    if (offset + kPropNameSize > bytes.size()) return {};
    const char* text = reinterpret_cast<const char*>(&bytes[offset]);
    return std::string_view(text, strnlen(text, kPropNameSize));
}

void PropBlock::SetFixedText(size_t offset, std::string_view text) {
    if (offset + kPropNameSize > bytes.size()) return;
    size_t length = std::min(text.size(), size_t(kPropNameSize - 1));
    std::memset(&bytes[offset], 0, kPropNameSize);
    std::memcpy(&bytes[offset], text.data(), length);
}

bool PropBlock::SetBytes(size_t offset, const void* data, size_t size) {
    if (offset > bytes.size() || size > bytes.size() - offset) return false;
    std::memcpy(&bytes[offset], data, size);
    return true;
}

const std::string* PropBlock::OwnedString(size_t offset) const {
    uint32_t index = Get<uint32_t>(offset);
    if (index == 0 || index > strings.size()) return nullptr;
    return strings[index - 1].get();
}

void PropBlock::SetOwnedString(size_t offset, std::string_view text) {
    uint32_t index = Get<uint32_t>(offset);
    bool held = index != 0 && index <= strings.size() && strings[index - 1];
    if (text.empty()) {
        if (held) strings[index - 1].reset();
        Set<uint32_t>(offset, 0);
        return;
    }
    if (held) {
        *strings[index - 1] = text;
        return;
    }
    auto free = std::find(strings.begin(), strings.end(), nullptr);
    if (free == strings.end()) free = strings.insert(strings.end(), nullptr);
    *free = std::make_unique<std::string>(text);
    Set<uint32_t>(offset, uint32_t(free - strings.begin()) + 1);
}

void PropBlock::ReleaseStrings() {
    PropDesc::ForEach(table, [&](const PropDesc& d, size_t offset) {
        if (IsOwnedStringType(d.type)) SetOwnedString(offset, {});
    });
    strings.clear();
}

} // namespace lumivane
