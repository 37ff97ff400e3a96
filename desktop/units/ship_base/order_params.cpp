// OrderParams: the packed record and where its parameters begin.
#include "desktop/units/ship_base/order_params.h"

#include <cstring>

#include "desktop/scene/world/message.h"

namespace lumivane {

OrderParams::OrderParams(Message& message) {
    bytes.resize(message.PackedSize());
    if (message.Serialize(bytes, true) == 0) {
        bytes.clear();
        return;
    }
    start = Message::kHeaderSize + 4 + 4 * size_t(message.units.Count());
}

int32_t OrderParams::Word(int index) const {
    const size_t at = start + 4 * size_t(index);
    if (index < 0 || at + 4 > bytes.size()) return 0;
    int32_t word;
    std::memcpy(&word, &bytes[at], sizeof word);
    return word;
}

float OrderParams::Float(int index) const {
    const int32_t word = Word(index);
    float value;
    std::memcpy(&value, &word, sizeof value);
    return value;
}

Vec3 OrderParams::Point(int firstIndex) const {
    return {Float(firstIndex), Float(firstIndex + 1), Float(firstIndex + 2)};
}

std::string OrderParams::Text(int firstIndex, size_t maxChars) const {
    std::string text;
    const size_t at = start + 4 * size_t(firstIndex);
    for (size_t i = at; firstIndex >= 0 && i < bytes.size() && text.size() < maxChars; ++i) {
        if (bytes[i] == 0) break;
        text += char(bytes[i]);
    }
    return text;
}

} // namespace lumivane
