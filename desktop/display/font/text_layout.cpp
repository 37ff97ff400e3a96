// The word wrap and block layout of text nodes.
#include "desktop/display/font/text_layout.h"

#include <algorithm>
#include <cstddef>

namespace lumivane {

namespace {

constexpr uint32_t kLineFeed = 0x0A;
constexpr uint32_t kCarriageReturn = 0x0D;
constexpr uint32_t kSpace = 0x20;

bool IsLeftAnchor(int anchor) {
    return anchor % 3 == 0;
}

bool IsCentredAnchor(int anchor) {
    return anchor % 3 == 1;
}

} // namespace

void WrapText(std::vector<uint32_t>& units, int maxChars) {
    if (maxChars < 1) return;
    size_t lineStart = 0;
    int column = 0;
    for (size_t i = 0; i < units.size(); ++i) {
        const uint32_t c = units[i];
        if (c == kLineFeed) {
            lineStart = i + 1;
            column = 0;
            continue;
        }
        if (c == kCarriageReturn) continue;
        if (column < maxChars) {
            ++column;
            continue;
        }
        // This character does not fit: break at the line's last space up
        // to it, else before it.
        size_t space = i + 1;
        while (space > lineStart && units[space - 1] != kSpace)
            --space;
        if (space > lineStart) {
            units[space - 1] = kLineFeed;
            i = space - 1;
        } else {
            units.insert(units.begin() + std::ptrdiff_t(i), kLineFeed);
            if (units.size() > size_t(kMaxTextUnits)) units.resize(size_t(kMaxTextUnits));
        }
        lineStart = i + 1;
        column = 0;
    }
}

TextBlock LayOutText(const std::vector<uint32_t>& units, int anchor) {
    anchor = std::clamp(anchor, 0, 8);
    // Lines and their lengths; carriage returns count nowhere.
    std::vector<std::vector<uint32_t>> lines(1);
    for (uint32_t c : units) {
        if (c == kCarriageReturn) continue;
        if (c == kLineFeed) {
            if (int(lines.size()) == kMaxTextLines) break;
            lines.emplace_back();
            continue;
        }
        lines.back().push_back(c);
    }
    TextBlock block;
    block.lineCount = int(lines.size());
    for (const auto& line : lines)
        block.longestLine = std::max(block.longestLine, int(line.size()));
    if (IsLeftAnchor(anchor))
        for (auto& line : lines)
            line.resize(size_t(block.longestLine), kSpace);

    const float width = float(block.longestLine), height = float(block.lineCount);
    const int column = anchor % 3, row = anchor / 3;
    block.offsetX = column == 0 ? 0.0f : column == 1 ? -width / 2.0f : -width;
    block.offsetY = row == 0 ? 0.0f : row == 1 ? height / 2.0f : height;

    for (int l = 0; l < block.lineCount; ++l) {
        const auto& line = lines[size_t(l)];
        float c =
            IsCentredAnchor(anchor) ? float(block.longestLine - int(line.size())) / 2.0f : 0.0f;
        for (uint32_t code : line) {
            if (int(block.glyphs.size()) == kMaxTextGlyphs) return block;
            block.glyphs.push_back({code, l, c});
            c += 1.0f;
        }
    }
    return block;
}

} // namespace lumivane
