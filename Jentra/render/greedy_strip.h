// The mesh's own single-strip builder: greedy, with a two-level lookahead
// that weighs how well each candidate face reuses the vertex cache and how
// many faces it would leave stranded. JTMesh::Stripify runs it; the strip
// builder of stripify.h is what meshes use for their strips.
#pragma once

#include <cstdint>
#include <vector>

#include "Jentra/render/vertex_cache.h"

namespace jentra::strips {

struct JTFace {
    uint16_t vertex[3];
    int16_t neighbour[3]; // faces sharing an edge; -1 none
    bool done;
};

// The faces of an index list with up to three neighbours each (faces
// sharing two or more vertices).
std::vector<JTFace> BuildFaces(const uint16_t* indices, int numIndices);

// The n best undone faces by score, highest first, ties in face order;
// empty slots hold -1 and score -1. A face scores 2 when it holds both
// last and secondLast, else 1 when it holds last, plus 2.1 for each of its
// vertices in the cache.
void FindBestFace(const std::vector<JTFace>& faces, const VertexCache& cache, int last,
                  int secondLast, int* best, float* scores, int n);

// Appends face f to the strip, turned to continue it, marks it done and
// caches its vertices other than the strip's last; misses counts the
// vertices that were not cached.
void DoFace(std::vector<JTFace>& faces, int f, std::vector<uint16_t>& strip, VertexCache& cache,
            int& misses);

// At depth 0 appends the best next face (its value looks two faces ahead)
// and returns 0; deeper, returns the best value found.
float FindBestNextRecurse(int depth, std::vector<JTFace>& faces, std::vector<uint16_t>& strip,
                          VertexCache& cache, int& misses);

// The whole strip over the faces of the list (empty for no faces).
std::vector<uint16_t> GreedyStrip(const uint16_t* indices, int numIndices);

} // namespace jentra::strips
