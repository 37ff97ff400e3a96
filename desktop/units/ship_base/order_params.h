// The parameters of an order record as the order handler reads them: the
// words that follow the record's header and handle list in its packed form,
// whatever its kind. A word past the record's end reads as 0, so a record of
// the wrong kind for its code gives zeros, never bytes of something else.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "desktop/scene/object/vec3.h"

namespace lumivane {

class Message;

class OrderParams {
public:
    explicit OrderParams(Message& message);

    int32_t Word(int index) const;
    float Float(int index) const;
    Vec3 Point(int firstIndex) const;
    // The text from word `firstIndex` on: at most `maxChars` characters,
    // ending at a zero byte or the record's end.
    std::string Text(int firstIndex, size_t maxChars) const;

private:
    std::vector<uint8_t> bytes;
    size_t start = 0;
};

} // namespace lumivane
