// The triangle-strip builder: turns an indexed triangle list into strips
// sized for the display adapter's vertex cache, plus the faces left over for
// plain list drawing, and joins strips into one strip index sequence.
#pragma once

#include <cstdint>
#include <vector>

namespace jentra::strips {

// One triangle: its three vertex indices in its own order.
struct StripFace {
    int a;
    int b;
    int c;
};

struct StripifyResult {
    std::vector<std::vector<StripFace>> strips; // each strip's faces in strip order
    std::vector<StripFace> leftovers;           // faces for list drawing, in cache order
};

// Covers the triangles of `indices` (every three indices one triangle; one
// or two trailing indices are ignored) with strips of at most cacheSize - 4
// faces. The cache size is kept within 5..32. Strips shorter than
// minStripLength faces are dissolved into the leftovers. A triangle repeated
// with the same indices in the same order is dropped. Three triangles on one
// edge print a diagnostic line on standard output and the build goes on.
// The result depends only on the input.
void Stripify(const uint16_t* indices, int numIndices, int cacheSize, int minStripLength,
              StripifyResult& out);

// The vertex of `face` that continues a strip whose last two indices end
// `indices`: the first of its vertices that is neither; -1 when it has none
// (a duplicate triangle). Prints a diagnostic when the face lacks one of the
// two.
int GetNextIndex(const std::vector<int>& indices, const StripFace& face);

// The strips as one strip index sequence that draws every strip face with
// its own winding (odd triangles of a strip read backwards), joined by
// repeated indices that make degenerate triangles.
std::vector<uint16_t> JoinStrips(const std::vector<std::vector<StripFace>>& strips);

} // namespace jentra::strips
