// JTMesh bump matrices: a tangent frame per vertex from the texture
// coordinates of its faces, smoothed across texture seams, for the effects
// that light normal maps.
#include "Jentra/JTMesh.h"

#include <cmath>
#include <map>
#include <tuple>

namespace {

// Seam twins: same position, texture coordinates equal up to whole
// repeats within these distances.
constexpr float kSeamU = 0.1f;
constexpr float kSeamV = 0.01f;

struct FrameSums {
    JTVec3 s, t, n;
    float sLength = 0, tLength = 0, nLength = 0;
    uint32_t count = 0;

    void Add(const FrameSums& o) {
        s += o.s;
        t += o.t;
        n += o.n;
        sLength += o.sLength;
        tLength += o.tLength;
        nLength += o.nLength;
        count += o.count;
    }
};

// The plane through three points as (A, B, C) of its unit normal.
JTVec3 PlaneNormal(const JTVec3& p1, const JTVec3& p2, const JTVec3& p3) {
    return JTVec3Normalize(JTVec3Cross(p2 - p1, p3 - p1));
}

float Frac(float t) {
    return t - std::floor(t);
}

// The rotation that turns the frame into the layout the effect files read:
// the quaternion (0, 0, 1, -1.5707964) taken as it is (not normalised).
const JTMatrix kFrameTurn = JTMatrixRotationQuaternion(JTQuat(0.0f, 0.0f, 1.0f, -1.5707964f));

// The face's S and T directions (texture u and v across the face) and its
// normal N = T x S, turned to the side of the face's own winding.
void FaceFrame(const Vert1& v0, const Vert1& v1, const Vert1& v2, FrameSums& out) {
    const Vert1* v[3] = {&v0, &v1, &v2};
    float sComp[3], tComp[3];
    for (int c = 0; c < 3; ++c) {
        JTVec3 p[3];
        for (int k = 0; k < 3; ++k) {
            const float pos[3] = {v[k]->x, v[k]->y, v[k]->z};
            p[k] = JTVec3(pos[c], v[k]->u, v[k]->v);
        }
        JTVec3 plane = PlaneNormal(p[0], p[1], p[2]);
        sComp[c] = plane.x != 0.0f ? -plane.y / plane.x : 0.0f;
        tComp[c] = plane.x != 0.0f ? -plane.z / plane.x : 0.0f;
    }
    out.s = JTVec3Normalize(JTVec3(sComp[0], sComp[1], sComp[2]));
    out.t = JTVec3Normalize(JTVec3(tComp[0], tComp[1], tComp[2]));
    out.n = JTVec3Normalize(JTVec3Cross(out.t, out.s));
    JTVec3 a(v0.x, v0.y, v0.z), b(v1.x, v1.y, v1.z), c(v2.x, v2.y, v2.z);
    JTVec3 face = JTVec3Cross(b - a, c - b);
    if (JTVec3Dot(face, out.n) < 0.0f) out.n = -out.n;
    out.sLength = out.s.Length();
    out.tLength = out.t.Length();
    out.nLength = out.n.Length();
    out.count = 1;
}

} // namespace

void JTMesh::GenerateBumpMatrices(JTDisplay* display) {
    bool keepUseStrip = useStrip;
    useStrip = false; // faces come from the list
    std::vector<FrameSums> sums(numVertices);

    LockSMBuffers(true);
    unsigned faces = GetNumFaces();
    for (unsigned f = 0; f < faces; ++f) {
        unsigned short *i0, *i1, *i2;
        if (!GetFaceIndices(f, &i0, &i1, &i2)) continue;
        FrameSums face;
        FaceFrame(smVertices[*i0], smVertices[*i1], smVertices[*i2], face);
        sums[*i0].Add(face);
        sums[*i1].Add(face);
        sums[*i2].Add(face);
    }
    UnlockSMBuffers();

    // Seam smoothing in vertex order, each vertex taking the sums of its
    // twins as they stand at that moment. Only vertices at one position can
    // be twins, so each is compared with those alone.
    std::map<std::tuple<float, float, float>, std::vector<unsigned>> atPosition;
    for (unsigned i = 0; i < numVertices; ++i) {
        const Vert1& v = smVertices[i];
        if (std::isnan(v.x) || std::isnan(v.y) || std::isnan(v.z)) continue; // equals nothing
        // Adding zero folds -0 into +0, which compare equal.
        atPosition[{v.x + 0.0f, v.y + 0.0f, v.z + 0.0f}].push_back(i);
    }
    for (unsigned i = 0; i < numVertices; ++i) {
        const Vert1& vi = smVertices[i];
        if (std::isnan(vi.x) || std::isnan(vi.y) || std::isnan(vi.z)) continue;
        for (unsigned j : atPosition[{vi.x + 0.0f, vi.y + 0.0f, vi.z + 0.0f}]) {
            if (j == i) continue;
            const Vert1& vj = smVertices[j];
            if (std::fabs(Frac(vi.u) - Frac(vj.u)) < kSeamU &&
                std::fabs(Frac(vi.v) - Frac(vj.v)) < kSeamV)
                sums[i].Add(sums[j]);
        }
    }

    bumpMatrices.assign(numVertices, JTMatrix());
    for (unsigned i = 0; i < numVertices; ++i) {
        JTMatrix& m = bumpMatrices[i];
        for (auto& row : m.m)
            for (float& e : row)
                e = 0.0f;
        const FrameSums& sum = sums[i];
        // A vertex of no face has no frame: its matrix stays zero.
        if (sum.count == 0) continue;
        float count = float(sum.count);
        JTVec3 s = JTVec3Normalize(sum.s) * (sum.sLength / count);
        JTVec3 t = JTVec3Normalize(sum.t) * (sum.tLength / count);
        JTVec3 n = JTVec3Normalize(sum.n) * (sum.nLength / count);
        const JTVec3 columns[3] = {s, t, n};
        for (int c = 0; c < 3; ++c) {
            m.m[0][c] = columns[c].x;
            m.m[1][c] = columns[c].y;
            m.m[2][c] = columns[c].z;
        }
        m = m * kFrameTurn;
    }
    useStrip = keepUseStrip;
    hasBumpMatrices = true;
    CreateBumpMatricesBuffer(display);
}

void JTMesh::CreateBumpMatricesBuffer(JTDisplay*) {
    // The stream is made from the matrices with the other device buffers.
    vmBump.reset();
    vmStale = true;
}
