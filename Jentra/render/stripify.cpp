// The triangle-strip builder. Adjacency is an edge table with one list of
// edges per vertex; the mesh is covered pass by pass, each pass growing six
// trial strips from each of several start faces and committing the trial
// whose strips are longest on average; the committed strips are then cut to
// the vertex cache's size and ordered to reuse cached vertices.
#include "Jentra/render/stripify.h"

#include "Jentra/render/vertex_cache.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>
#include <unordered_set>

namespace jentra::strips {

namespace {

constexpr int kMinCacheSize = 5;
constexpr int kSamplesPerPass = 10;

struct FaceRecord {
    int v[3];
    int index;            // place in the face list
    int stripId = -1;     // committed strip, -1 while in none
    int testStripId = -1; // trial strip that last took the face
    int experimentId = -1;
};

struct EdgeRecord {
    FaceRecord* face0;
    FaceRecord* face1; // null while the edge has one face
    int a, b;
    EdgeRecord* nextAtA; // next edge in a's list
    EdgeRecord* nextAtB; // next edge in b's list
};

struct StartRecord {
    FaceRecord* face = nullptr;
    EdgeRecord* edge = nullptr;
    bool towardsB = false;
};

struct StripRecord {
    StartRecord start;
    std::vector<FaceRecord*> faces;
    int stripId;
    int experimentId; // -1 once committed

    bool IsInStrip(const FaceRecord* f) const {
        return experimentId >= 0 ? f->testStripId == stripId : f->stripId == stripId;
    }
    // Taken already: by a committed strip, or by this strip's trial.
    bool IsMarked(const FaceRecord* f) const {
        return f->stripId >= 0 || (experimentId >= 0 && f->experimentId == experimentId);
    }
    void Mark(FaceRecord* f) const {
        if (experimentId >= 0) {
            f->experimentId = experimentId;
            f->testStripId = stripId;
        } else {
            f->experimentId = -1;
            f->stripId = stripId;
        }
    }
};

using Trial = std::vector<std::unique_ptr<StripRecord>>;

StripFace ToStripFace(const FaceRecord& f) {
    return {f.v[0], f.v[1], f.v[2]};
}

// False when every vertex of `face` already appears among `faces`: a strip
// that would wrap around onto itself.
bool Unique(const std::vector<FaceRecord*>& faces, const FaceRecord* face) {
    bool seen[3] = {false, false, false};
    for (const FaceRecord* f : faces) {
        for (int i = 0; i < 3; ++i)
            if (!seen[i] &&
                (f->v[0] == face->v[i] || f->v[1] == face->v[i] || f->v[2] == face->v[i]))
                seen[i] = true;
        if (seen[0] && seen[1] && seen[2]) return false;
    }
    return true;
}

class StripBuilder {
public:
    StripBuilder(const uint16_t* indices, int numIndices, int cacheSize, int minStripLength)
        : m_indices(indices, indices + numIndices), m_cacheSize(cacheSize),
          m_minStripLength(minStripLength) {}

    void Run(StripifyResult& out) {
        BuildStripifyInfo();
        CoverMesh(kSamplesPerPass);
        SplitAndOrderStrips(out);
    }

private:
    void BuildStripifyInfo();
    EdgeRecord* FindEdge(int v0, int v1) const;
    FaceRecord* OtherFace(int v0, int v1, const FaceRecord* face) const;
    int FirstBoundaryFace() const;
    FaceRecord* NextStartFace();
    void CoverMesh(int samples);
    void Grow(StripRecord& strip) const;
    void Walk(StripRecord& strip, std::vector<int>& indices, FaceRecord* from,
              std::vector<FaceRecord*>& gathered) const;
    bool FindTraversal(const StripRecord& strip, StartRecord& next) const;
    int CountNeighbours(const FaceRecord* face) const;
    void SplitAndOrderStrips(StripifyResult& out) const;

    std::vector<uint16_t> m_indices;
    int m_cacheSize;
    int m_minStripLength;
    float m_meshJump = 0.0f;
    bool m_firstResetPoint = true;
    int m_nextStripId = 0;
    int m_nextExperimentId = 0;

    std::deque<FaceRecord> m_faces; // stable addresses; index = face-list order
    std::deque<EdgeRecord> m_edges;
    std::vector<EdgeRecord*> m_edgeTable;               // list head per vertex index
    std::vector<std::unique_ptr<StripRecord>> m_strips; // committed, in order
};

void StripBuilder::BuildStripifyInfo() {
    int largest = -1;
    for (uint16_t index : m_indices)
        largest = std::max(largest, int(index));
    // One list head per vertex that can occur, whatever the index count.
    m_edgeTable.assign(size_t(largest + 1), nullptr);

    std::unordered_set<uint64_t> seen;
    const size_t triangles = m_indices.size() / 3;
    for (size_t t = 0; t < triangles; ++t) {
        const int v[3] = {m_indices[3 * t], m_indices[3 * t + 1], m_indices[3 * t + 2]};
        const uint64_t key = uint64_t(v[0]) << 32 | uint64_t(v[1]) << 16 | uint64_t(v[2]);
        if (!seen.insert(key).second) continue; // the same triangle again
        FaceRecord& face = m_faces.emplace_back();
        face.v[0] = v[0];
        face.v[1] = v[1];
        face.v[2] = v[2];
        face.index = int(m_faces.size()) - 1;

        for (int e = 0; e < 3; ++e) {
            const int a = v[e], b = v[(e + 1) % 3];
            EdgeRecord* edge = FindEdge(a, b);
            if (!edge) {
                EdgeRecord& made = m_edges.emplace_back(
                    EdgeRecord{&face, nullptr, a, b, m_edgeTable[size_t(a)], nullptr});
                m_edgeTable[size_t(a)] = &made;
                made.nextAtB = m_edgeTable[size_t(b)];
                m_edgeTable[size_t(b)] = &made;
            } else if (!edge->face1) {
                edge->face1 = &face;
            } else {
                std::printf("BuildStripifyInfo: > 2 triangles on an edge... uncertain "
                            "consequences\n");
            }
        }
    }
}

EdgeRecord* StripBuilder::FindEdge(int v0, int v1) const {
    if (v0 < 0 || size_t(v0) >= m_edgeTable.size()) return nullptr;
    for (EdgeRecord* e = m_edgeTable[size_t(v0)]; e; e = e->a == v0 ? e->nextAtA : e->nextAtB)
        if ((e->a == v0 && e->b == v1) || (e->a == v1 && e->b == v0)) return e;
    return nullptr;
}

// The face across edge (v0, v1) from `face`; null when there is none, or
// when `face` is a third face that the edge does not know.
FaceRecord* StripBuilder::OtherFace(int v0, int v1, const FaceRecord* face) const {
    const EdgeRecord* edge = FindEdge(v0, v1);
    if (!edge) return nullptr;
    if (edge->face0 == face) return edge->face1;
    if (edge->face1 == face) return edge->face0;
    return nullptr;
}

int StripBuilder::FirstBoundaryFace() const {
    for (const FaceRecord& f : m_faces) {
        int open = 0;
        for (int e = 0; e < 3; ++e)
            if (!OtherFace(f.v[e], f.v[(e + 1) % 3], &f)) ++open;
        if (open > 1) return f.index;
    }
    return -1;
}

FaceRecord* StripBuilder::NextStartFace() {
    const int count = int(m_faces.size());
    int start = -1;
    if (m_firstResetPoint) {
        start = FirstBoundaryFace();
        m_firstResetPoint = false;
    } else {
        start = int(float(count - 1) * m_meshJump);
    }
    if (start == -1) start = int(float(count - 1) * m_meshJump);

    FaceRecord* found = nullptr;
    if (count > 0) {
        int i = start;
        do {
            if (m_faces[size_t(i)].stripId < 0) {
                found = &m_faces[size_t(i)];
                break;
            }
            i = (i + 1) % count;
        } while (i != start);
    }
    m_meshJump += 0.1f;
    if (m_meshJump > 1.0f) m_meshJump = 0.05f;
    return found;
}

// Takes faces across the edge of the last two indices while they are free.
void StripBuilder::Walk(StripRecord& strip, std::vector<int>& indices, FaceRecord* from,
                        std::vector<FaceRecord*>& gathered) const {
    FaceRecord* next = OtherFace(indices[indices.size() - 2], indices.back(), from);
    while (next && !strip.IsMarked(next) && Unique(gathered, next)) {
        const int index = GetNextIndex(indices, ToStripFace(*next));
        if (index < 0) break; // a duplicate ends the strip
        gathered.push_back(next);
        strip.Mark(next);
        indices.push_back(index);
        next = OtherFace(indices[indices.size() - 2], indices.back(), next);
    }
}

void StripBuilder::Grow(StripRecord& strip) const {
    FaceRecord* first = strip.start.face;
    const EdgeRecord* edge = strip.start.edge;
    const int v0 = strip.start.towardsB ? edge->a : edge->b;
    const int v1 = strip.start.towardsB ? edge->b : edge->a;
    std::vector<int> indices = {v0, v1};
    const int v2 = GetNextIndex(indices, ToStripFace(*first));
    indices.push_back(v2);
    strip.Mark(first);

    std::vector<FaceRecord*> forward = {first};
    Walk(strip, indices, first, forward);

    // Backwards: the same walk across the start edge with the order reversed.
    indices = {v2, v1, v0};
    std::vector<FaceRecord*> backward;
    Walk(strip, indices, first, backward);

    strip.faces.assign(backward.rbegin(), backward.rend());
    strip.faces.insert(strip.faces.end(), forward.begin(), forward.end());
}

// A free face beside the strip at the first vertex of its start edge.
bool StripBuilder::FindTraversal(const StripRecord& strip, StartRecord& next) const {
    const int v = strip.start.edge->a;
    if (v < 0 || size_t(v) >= m_edgeTable.size()) return false;
    for (EdgeRecord* e = m_edgeTable[size_t(v)]; e; e = e->a == v ? e->nextAtA : e->nextAtB) {
        if (!e->face0 || !e->face1) continue;
        FaceRecord* free = nullptr;
        if (strip.IsInStrip(e->face0) && !strip.IsMarked(e->face1))
            free = e->face1;
        else if (strip.IsInStrip(e->face1) && !strip.IsMarked(e->face0))
            free = e->face0;
        if (free) {
            next = {free, e, e->a == v};
            return true;
        }
    }
    return false;
}

void StripBuilder::CoverMesh(int samples) {
    bool lastPass = false;
    while (!lastPass) {
        std::vector<FaceRecord*> chosen;
        std::vector<Trial> trials;
        for (int s = 0; s < samples; ++s) {
            FaceRecord* face = NextStartFace();
            if (!face) {
                lastPass = true;
                break;
            }
            if (std::find(chosen.begin(), chosen.end(), face) != chosen.end()) continue;
            chosen.push_back(face);
            for (int e = 0; e < 3; ++e) {
                EdgeRecord* edge = FindEdge(face->v[e], face->v[(e + 1) % 3]);
                for (bool towardsB : {true, false}) {
                    Trial& trial = trials.emplace_back();
                    trial.push_back(std::make_unique<StripRecord>(StripRecord{
                        {face, edge, towardsB}, {}, m_nextStripId++, m_nextExperimentId++}));
                }
            }
        }

        for (Trial& trial : trials) {
            Grow(*trial.front());
            StartRecord next;
            while (FindTraversal(*trial.back(), next)) {
                const int experiment = trial.back()->experimentId;
                trial.push_back(std::make_unique<StripRecord>(
                    StripRecord{next, {}, m_nextStripId++, experiment}));
                Grow(*trial.back());
            }
        }

        float bestScore = 0.0f;
        Trial* winner = nullptr;
        for (Trial& trial : trials) {
            if (trial.empty()) continue;
            int faces = 0;
            for (const auto& strip : trial)
                faces += int(strip->faces.size());
            const float strips = float(trial.size());
            const float average = float(faces) / strips;
            const float score = average + strips * average;
            if (score > bestScore) {
                bestScore = score;
                winner = &trial;
            }
        }
        if (!winner) continue;
        for (auto& strip : *winner) {
            strip->experimentId = -1;
            for (FaceRecord* face : strip->faces)
                strip->Mark(face);
            m_strips.push_back(std::move(strip));
        }
    }
}

int StripBuilder::CountNeighbours(const FaceRecord* face) const {
    int count = 0;
    for (int e = 0; e < 3; ++e)
        if (OtherFace(face->v[e], face->v[(e + 1) % 3], face)) ++count;
    return count;
}

void StripBuilder::SplitAndOrderStrips(StripifyResult& out) const {
    const int threshold = m_cacheSize - 4;
    std::vector<std::vector<const FaceRecord*>> pieces;
    for (const auto& strip : m_strips)
        for (size_t first = 0; first < strip->faces.size(); first += size_t(threshold))
            pieces.emplace_back(strip->faces.begin() + long(first),
                                strip->faces.begin() +
                                    long(std::min(strip->faces.size(), first + size_t(threshold))));

    std::vector<const FaceRecord*> loose;
    std::vector<std::vector<const FaceRecord*>> kept;
    for (auto& piece : pieces) {
        if (int(piece.size()) < m_minStripLength)
            loose.insert(loose.end(), piece.begin(), piece.end());
        else
            kept.push_back(std::move(piece));
    }

    // Loose faces in cache order: each time the face with most vertices cached.
    out.leftovers.clear();
    VertexCache cache(m_cacheSize);
    std::vector<bool> taken(loose.size(), false);
    for (size_t n = 0; n < loose.size(); ++n) {
        int best = -1, bestHits = -1;
        for (size_t i = 0; i < loose.size(); ++i) {
            if (taken[i]) continue;
            int hits = 0;
            for (int k = 0; k < 3; ++k)
                hits += cache.Contains(loose[i]->v[k]) ? 1 : 0;
            if (hits > bestHits) {
                bestHits = hits;
                best = int(i);
            }
        }
        taken[size_t(best)] = true;
        for (int k = 0; k < 3; ++k)
            cache.Add(loose[size_t(best)]->v[k]);
        out.leftovers.push_back(ToStripFace(*loose[size_t(best)]));
    }

    // Strips: first the one whose faces have the fewest neighbours, then
    // each time the one that finds most of its vertices cached.
    out.strips.clear();
    VertexCache stripCache(m_cacheSize);
    std::vector<bool> used(kept.size(), false);
    for (size_t n = 0; n < kept.size(); ++n) {
        int best = -1;
        if (n == 0) {
            float fewest = 10000.0f;
            for (size_t i = 0; i < kept.size(); ++i) {
                int neighbours = 0;
                for (const FaceRecord* f : kept[i])
                    neighbours += CountNeighbours(f);
                const float average = float(neighbours) / float(kept[i].size());
                if (average < fewest) {
                    fewest = average;
                    best = int(i);
                }
            }
        } else {
            float most = -1.0f;
            for (size_t i = 0; i < kept.size(); ++i) {
                if (used[i]) continue;
                int hits = 0;
                for (const FaceRecord* f : kept[i])
                    for (int k = 0; k < 3; ++k)
                        hits += stripCache.Contains(f->v[k]) ? 1 : 0;
                const float perFace = float(hits) / float(kept[i].size());
                if (perFace > most) {
                    most = perFace;
                    best = int(i);
                }
            }
        }
        if (best < 0) best = int(std::find(used.begin(), used.end(), false) - used.begin());
        used[size_t(best)] = true;
        std::vector<StripFace>& strip = out.strips.emplace_back();
        for (const FaceRecord* f : kept[size_t(best)]) {
            for (int k = 0; k < 3; ++k)
                stripCache.Add(f->v[k]);
            strip.push_back(ToStripFace(*f));
        }
    }
}

} // namespace

int GetNextIndex(const std::vector<int>& indices, const StripFace& face) {
    if (indices.size() < 2) return -1;
    const int a = indices[indices.size() - 2];
    const int b = indices.back();
    const int v[3] = {face.a, face.b, face.c};
    for (int i = 0; i < 3; ++i) {
        if (v[i] == a || v[i] == b) continue;
        const bool otherNew = (v[(i + 1) % 3] != a && v[(i + 1) % 3] != b) ||
                              (v[(i + 2) % 3] != a && v[(i + 2) % 3] != b);
        if (otherNew) {
            std::printf("GetNextIndex: Triangle doesn't have all of its vertices\n");
            std::printf("GetNextIndex: Duplicate triangle probably got us derailed\n");
        }
        return v[i];
    }
    std::printf("GetNextIndex: Duplicate triangle sent\n");
    return -1;
}

void Stripify(const uint16_t* indices, int numIndices, int cacheSize, int minStripLength,
              StripifyResult& out) {
    out.strips.clear();
    out.leftovers.clear();
    if (!indices || numIndices < 3) return;
    cacheSize = std::clamp(cacheSize, kMinCacheSize, VertexCache::kMaxSize);
    StripBuilder(indices, numIndices, cacheSize, minStripLength).Run(out);
}

} // namespace jentra::strips
