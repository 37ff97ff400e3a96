// The greedy single-strip builder with lookahead (see greedy_strip.h).
#include "Jentra/render/greedy_strip.h"

#include <algorithm>

namespace jentra::strips {

namespace {

constexpr int kCacheSize = 16;
constexpr int kCandidates = 5;
constexpr int kLookahead = 2;

bool Holds(const JTFace& f, int v) {
    return f.vertex[0] == v || f.vertex[1] == v || f.vertex[2] == v;
}

int Shared(const JTFace& a, const JTFace& b) {
    int n = 0;
    for (uint16_t v : a.vertex)
        n += Holds(b, v) ? 1 : 0;
    return n;
}

float Score(const JTFace& f, const VertexCache& cache, int last, int secondLast) {
    float score = 0.0f;
    if (Holds(f, last) && Holds(f, secondLast) && last != secondLast)
        score = 2.0f;
    else if (Holds(f, last))
        score = 1.0f;
    for (uint16_t v : f.vertex)
        if (cache.Contains(v)) score += 2.1f;
    return score;
}

// How stranded the undone faces are: those with no undone neighbour weigh
// most.
float Loneliness(const std::vector<JTFace>& faces) {
    int counts[3] = {0, 0, 0};
    int undone = 0;
    for (const JTFace& f : faces) {
        if (f.done) continue;
        ++undone;
        int open = 0;
        for (int16_t n : f.neighbour)
            if (n >= 0 && !faces[size_t(n)].done) ++open;
        if (open < 3) ++counts[open];
    }
    if (undone == 0) return 0.0f;
    const float m = float(undone);
    return 4.0f * float(counts[0]) / m + 2.0f * float(counts[1]) / m + float(counts[2]) / m;
}

} // namespace

std::vector<JTFace> BuildFaces(const uint16_t* indices, int numIndices) {
    std::vector<JTFace> faces;
    for (int i = 0; i + 2 < numIndices; i += 3)
        faces.push_back({{indices[i], indices[i + 1], indices[i + 2]}, {-1, -1, -1}, false});
    for (size_t a = 0; a < faces.size(); ++a) {
        int found = 0;
        for (size_t b = 0; b < faces.size() && found < 3; ++b)
            if (a != b && Shared(faces[a], faces[b]) >= 2) faces[a].neighbour[found++] = int16_t(b);
    }
    return faces;
}

void FindBestFace(const std::vector<JTFace>& faces, const VertexCache& cache, int last,
                  int secondLast, int* best, float* scores, int n) {
    for (int i = 0; i < n; ++i) {
        best[i] = -1;
        scores[i] = -1.0f;
    }
    for (size_t f = 0; f < faces.size(); ++f) {
        if (faces[f].done) continue;
        float score = Score(faces[f], cache, last, secondLast);
        for (int slot = 0; slot < n; ++slot) {
            if (score <= scores[slot]) continue;
            for (int k = n - 1; k > slot; --k) {
                best[k] = best[k - 1];
                scores[k] = scores[k - 1];
            }
            best[slot] = int(f);
            scores[slot] = score;
            break;
        }
    }
}

void DoFace(std::vector<JTFace>& faces, int f, std::vector<uint16_t>& strip, VertexCache& cache,
            int& misses) {
    JTFace& face = faces[size_t(f)];
    const int f0 = face.vertex[0], f1 = face.vertex[1], f2 = face.vertex[2];
    const int a = strip.empty() ? -1 : strip.back();
    const int b = strip.size() < 2 ? -1 : strip[strip.size() - 2];
    const bool even = strip.size() % 2 == 0;
    auto put = [&](std::initializer_list<int> vs) {
        for (int v : vs)
            strip.push_back(uint16_t(v));
    };
    auto pair = [](int p, int q, int x, int y) { return (p == x && q == y) || (p == y && q == x); };
    if (pair(f0, f1, a, b)) {
        put({f2});
    } else if (pair(f1, f2, a, b)) {
        put({f0});
    } else if ((f2 == a && f0 == b) || (f0 == a && f2 == b)) {
        put({f1});
    } else if (f0 == a) {
        even ? put({f0, f1, f2}) : put({f0, f2, f1});
    } else if (f1 == a) {
        even ? put({f1, f2, f0}) : put({f1, f0, f2});
    } else if (f2 == a) {
        even ? put({f2, f0, f1}) : put({f2, f1, f0});
    } else {
        // A jump: the last index again, then the face with a repeat that
        // keeps its winding.
        put({a});
        if (strip.size() % 2 == 0)
            put({f2, f2, f1, f0});
        else
            put({f0, f0, f1, f2});
    }
    face.done = true;
    for (int v : {f0, f1, f2}) {
        if (v == a) continue;
        if (!cache.Contains(v)) ++misses;
        cache.Add(v);
    }
}

float FindBestNextRecurse(int depth, std::vector<JTFace>& faces, std::vector<uint16_t>& strip,
                          VertexCache& cache, int& misses) {
    const int last = strip.empty() ? -1 : strip.back();
    const int secondLast = strip.size() < 2 ? -1 : strip[strip.size() - 2];
    int best[kCandidates];
    float scores[kCandidates];
    if (depth == kLookahead) {
        FindBestFace(faces, cache, last, secondLast, best, scores, 1);
        return best[0] >= 0 ? scores[0] : 0.0f;
    }
    FindBestFace(faces, cache, last, secondLast, best, scores, kCandidates);
    int chosen = -1;
    float chosenValue = 0.0f;
    for (int c = 0; c < kCandidates && best[c] >= 0; ++c) {
        const size_t length = strip.size();
        VertexCache saved(kCacheSize);
        cache.CopyTo(saved);
        const int savedMisses = misses;
        DoFace(faces, best[c], strip, cache, misses);
        const float lonely = Loneliness(faces);
        const float value = 0.75f * FindBestNextRecurse(depth + 1, faces, strip, cache, misses) +
                            float(depth) * lonely + scores[c];
        faces[size_t(best[c])].done = false;
        strip.resize(length);
        saved.CopyTo(cache);
        misses = savedMisses;
        if (chosen < 0 || value > chosenValue) {
            chosen = best[c];
            chosenValue = value;
        }
    }
    if (depth > 0) return chosenValue;
    if (chosen >= 0) DoFace(faces, chosen, strip, cache, misses);
    return 0.0f;
}

std::vector<uint16_t> GreedyStrip(const uint16_t* indices, int numIndices) {
    std::vector<JTFace> faces = BuildFaces(indices, numIndices);
    std::vector<uint16_t> strip;
    if (faces.empty()) return strip;
    VertexCache cache(kCacheSize);
    int misses = 0;
    // The first face as it stands.
    for (uint16_t v : faces[0].vertex) {
        strip.push_back(v);
        cache.Add(v);
    }
    faces[0].done = true;
    size_t remaining = faces.size() - 1;
    while (remaining > 0) {
        const size_t before = strip.size();
        FindBestNextRecurse(0, faces, strip, cache, misses);
        if (strip.size() == before) break;
        --remaining;
    }
    return strip;
}

} // namespace jentra::strips
