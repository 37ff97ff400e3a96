// Names of numbered texture sequences: "wall001.dds" names the frames
// wall001.dds, wall002.dds, ... and "wall000.dds" starts at wall000.dds.
#pragma once

#include <string>
#include <string_view>

namespace lumivane {

// The highest frame number a sequence can have: three digits.
inline constexpr int kLastSequenceNumber = 999;

struct SequenceName {
    bool isSequence = false;
    int firstNumber = 0; // 1 for "001.", else 0
    size_t digitsAt = 0; // where the three digits stand
};

// Whether the path names a sequence: it contains "001." (first number 1)
// or else "000." (first number 0).
SequenceName ParseSequenceName(std::string_view path);

// The path of one frame: the three digits and everything after them replaced
// by the number in three digits and the rest of the path from the first '.'
// after the digits. Empty for a number outside 0..999 or a name longer than
// a path may be.
std::string SequenceFramePath(std::string_view path, const SequenceName& sequence, int number);

} // namespace lumivane
