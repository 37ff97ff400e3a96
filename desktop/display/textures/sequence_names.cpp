// Numbered sequence names.
#include "desktop/display/textures/sequence_names.h"

#include "desktop/display/textures/texture_set.h"

#include <cstdio>

namespace lumivane {

SequenceName ParseSequenceName(std::string_view path) {
    SequenceName name;
    size_t at = path.find("001.");
    name.firstNumber = 1;
    if (at == std::string_view::npos) {
        at = path.find("000.");
        name.firstNumber = 0;
    }
    if (at == std::string_view::npos) return {};
    name.isSequence = true;
    name.digitsAt = at;
    return name;
}

std::string SequenceFramePath(std::string_view path, const SequenceName& sequence, int number) {
    if (!sequence.isSequence || number < 0 || number > kLastSequenceNumber ||
        sequence.digitsAt + 3 > path.size())
        return {};
    const size_t dot = path.find('.', sequence.digitsAt + 3);
    const std::string_view rest =
        dot == std::string_view::npos ? std::string_view{} : path.substr(dot);
    char digits[8];
    std::snprintf(digits, sizeof digits, "%03d", number);
    std::string result(path.substr(0, sequence.digitsAt));
    result += digits;
    result += rest;
    if (result.size() > size_t(kMaxPathLength)) return {};
    return result;
}

} // namespace lumivane
