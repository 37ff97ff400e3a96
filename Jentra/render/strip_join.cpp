// Joining strips into one strip index sequence. Each strip starts with its
// first face turned so that the strip can run on from it; repeated indices
// between strips make degenerate triangles, and one more repeat where needed
// keeps every face's winding (a strip's odd triangles read backwards).
#include "Jentra/render/stripify.h"

#include <cstddef>
#include <utility>

namespace jentra::strips {

namespace {

bool Holds(const StripFace& face, int v) {
    return face.a == v || face.b == v || face.c == v;
}

// (p, q) stands as (a, b), (b, c) or (c, a) of the face.
bool InFaceOrder(const StripFace& face, int p, int q) {
    return (face.a == p && face.b == q) || (face.b == p && face.c == q) ||
           (face.c == p && face.a == q);
}

} // namespace

std::vector<uint16_t> JoinStrips(const std::vector<std::vector<StripFace>>& strips) {
    std::vector<uint16_t> out;
    bool firstStrip = true;
    for (const std::vector<StripFace>& strip : strips) {
        if (strip.empty()) continue;
        const StripFace& face = strip[0];
        int v[3] = {face.a, face.b, face.c};
        if (strip.size() > 1) {
            // The vertex the second face lacks leads.
            for (int i = 0; i < 3; ++i)
                if (!Holds(strip[1], v[i])) {
                    std::swap(v[0], v[i]);
                    break;
                }
        }
        if (strip.size() > 2) {
            // The shared vertex the third face needs goes last.
            const int third[3] = {strip[2].a, strip[2].b, strip[2].c};
            for (int t : third)
                if (Holds(face, t)) {
                    if (t == v[1]) std::swap(v[1], v[2]);
                    break;
                }
        }
        const bool inOrder = InFaceOrder(face, v[0], v[1]);
        if (firstStrip) {
            if (!inOrder) out.push_back(uint16_t(v[0]));
        } else {
            out.push_back(uint16_t(v[0]));
            const bool even = out.size() % 2 == 0;
            if (even != inOrder) out.push_back(uint16_t(v[0]));
        }
        firstStrip = false;
        for (int i : v)
            out.push_back(uint16_t(i));
        for (size_t f = 1; f < strip.size(); ++f) {
            const size_t n = out.size();
            const StripFace& next = strip[f];
            for (int candidate : {next.a, next.b, next.c})
                if (candidate != out[n - 1] && candidate != out[n - 2] && candidate != out[n - 3]) {
                    out.push_back(uint16_t(candidate));
                    break;
                }
        }
        out.push_back(out.back());
    }
    return out;
}

} // namespace jentra::strips
