// The chess models' shapes, effects and model writing.
#include "tools/databuilder/rookfall/chess_shapes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <memory>

#include "Jentra/JTEffects.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTTexture.h"
#include "Jentra/JTTransNode.h"

namespace databuilder::chess {

namespace {

constexpr float kPi = 3.14159265f;

Vert1 MakeVertex(const JTVec3& p, const JTVec3& n, float u, float v) {
    return {p.x, p.y, p.z, n.x, n.y, n.z, u, v};
}

JTVec3 Position(const Vert1& v) {
    return JTVec3(v.x, v.y, v.z);
}

// Twice the signed area of a 2D outline: positive when counter-clockwise.
float SignedArea(const std::vector<std::pair<float, float>>& outline) {
    float area = 0;
    for (size_t i = 0; i < outline.size(); ++i) {
        const auto& a = outline[i];
        const auto& b = outline[(i + 1) % outline.size()];
        area += a.first * b.second - b.first * a.second;
    }
    return area;
}

float Cross2(std::pair<float, float> o, std::pair<float, float> a, std::pair<float, float> b) {
    return (a.first - o.first) * (b.second - o.second) -
           (a.second - o.second) * (b.first - o.first);
}

bool InTriangle(std::pair<float, float> p, std::pair<float, float> a, std::pair<float, float> b,
                std::pair<float, float> c) {
    return Cross2(a, b, p) >= 0 && Cross2(b, c, p) >= 0 && Cross2(c, a, p) >= 0;
}

// Ear clipping of a simple outline into index triples.
std::vector<int> Triangulate(std::vector<std::pair<float, float>> outline) {
    std::vector<int> order(outline.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    if (SignedArea(outline) < 0) std::reverse(order.begin(), order.end());
    std::vector<int> triangles;
    size_t guard = 0;
    while (order.size() > 3 && guard++ < 10000) {
        bool clipped = false;
        for (size_t i = 0; i < order.size(); ++i) {
            const int a = order[(i + order.size() - 1) % order.size()];
            const int b = order[i];
            const int c = order[(i + 1) % order.size()];
            if (Cross2(outline[size_t(a)], outline[size_t(b)], outline[size_t(c)]) <= 0) continue;
            bool inside = false;
            for (int other : order)
                if (other != a && other != b && other != c &&
                    InTriangle(outline[size_t(other)], outline[size_t(a)], outline[size_t(b)],
                               outline[size_t(c)]))
                    inside = true;
            if (inside) continue;
            triangles.insert(triangles.end(), {a, b, c});
            order.erase(order.begin() + long(i));
            clipped = true;
            break;
        }
        if (!clipped) break;
    }
    if (order.size() == 3) triangles.insert(triangles.end(), {order[0], order[1], order[2]});
    return triangles;
}

std::map<std::string, std::unique_ptr<JTTexture>>& Textures() {
    static std::map<std::string, std::unique_ptr<JTTexture>> textures;
    return textures;
}

} // namespace

void Shape::Triangle(const Vert1& a, const Vert1& b, const Vert1& c, const JTVec3& outward) {
    const auto base = uint16_t(vertices.size());
    const JTVec3 n = JTVec3Cross(Position(b) - Position(a), Position(c) - Position(a));
    vertices.push_back(a);
    if (JTVec3Dot(n, outward) >= 0) {
        vertices.push_back(b);
        vertices.push_back(c);
    } else {
        vertices.push_back(c);
        vertices.push_back(b);
    }
    indices.insert(indices.end(), {base, uint16_t(base + 1), uint16_t(base + 2)});
}

void Shape::Append(const Shape& other) {
    const auto base = uint16_t(vertices.size());
    vertices.insert(vertices.end(), other.vertices.begin(), other.vertices.end());
    for (uint16_t i : other.indices)
        indices.push_back(uint16_t(base + i));
}

void Shape::Transform(const JTMatrix& m) {
    for (Vert1& v : vertices) {
        const JTVec3 p = JTVec3TransformCoord(Position(v), m);
        const JTVec3 n = JTVec3Normalize(JTVec3TransformNormal(JTVec3(v.nx, v.ny, v.nz), m));
        v = MakeVertex(p, n, v.u, v.v);
    }
}

Shape Lathe(const std::vector<std::pair<float, float>>& profile, int segments) {
    Shape shape;
    const float top = profile.empty() ? 1.0f : profile.back().second;
    for (size_t k = 0; k + 1 < profile.size(); ++k) {
        const auto [r0, y0] = profile[k];
        const auto [r1, y1] = profile[k + 1];
        // The span's outward normal in the (radius, height) plane.
        float nr = y1 - y0, ny = r0 - r1;
        const float length = std::sqrt(nr * nr + ny * ny);
        if (length <= 0) continue;
        nr /= length;
        ny /= length;
        for (int s = 0; s < segments; ++s) {
            const float a0 = 2 * kPi * float(s) / float(segments);
            const float a1 = 2 * kPi * float(s + 1) / float(segments);
            auto at = [&](float r, float y, float a) {
                const JTVec3 n(nr * std::cos(a), ny, nr * std::sin(a));
                return MakeVertex(JTVec3(r * std::cos(a), y, r * std::sin(a)), n, a / (2 * kPi),
                                  1.0f - y / top);
            };
            const Vert1 p00 = at(r0, y0, a0), p01 = at(r0, y0, a1);
            const Vert1 p10 = at(r1, y1, a0), p11 = at(r1, y1, a1);
            const JTVec3 out(nr * std::cos(0.5f * (a0 + a1)), ny, nr * std::sin(0.5f * (a0 + a1)));
            if (r0 > 0) shape.Triangle(p00, p01, p10, out);
            if (r1 > 0) shape.Triangle(p10, p01, p11, out);
        }
    }
    return shape;
}

Shape Extrude(const std::vector<std::pair<float, float>>& outline, float half) {
    Shape shape;
    const std::vector<int> triangles = Triangulate(outline);
    const float scale = 1.0f;
    for (int side = -1; side <= 1; side += 2) {
        const JTVec3 n(float(side), 0, 0);
        for (size_t i = 0; i + 2 < triangles.size(); i += 3) {
            Vert1 v[3];
            for (int k = 0; k < 3; ++k) {
                const auto& p = outline[size_t(triangles[i + size_t(k)])];
                v[k] = MakeVertex(JTVec3(half * float(side), p.second, p.first), n,
                                  p.first * scale + 0.5f, 1.0f - p.second * scale);
            }
            shape.Triangle(v[0], v[1], v[2], n);
        }
    }
    const float area = SignedArea(outline);
    for (size_t i = 0; i < outline.size(); ++i) {
        const auto& a = outline[i];
        const auto& b = outline[(i + 1) % outline.size()];
        // Outward in the (z, y) plane for a counter-clockwise outline.
        JTVec3 n(0, -(b.first - a.first), b.second - a.second);
        if (area < 0) n = -n;
        n = JTVec3Normalize(n);
        const float u0 = float(i) / float(outline.size()),
                    u1 = float(i + 1) / float(outline.size());
        const Vert1 a0 = MakeVertex(JTVec3(-half, a.second, a.first), n, u0, 0);
        const Vert1 a1 = MakeVertex(JTVec3(half, a.second, a.first), n, u0, 1);
        const Vert1 b0 = MakeVertex(JTVec3(-half, b.second, b.first), n, u1, 0);
        const Vert1 b1 = MakeVertex(JTVec3(half, b.second, b.first), n, u1, 1);
        shape.Triangle(a0, a1, b0, n);
        shape.Triangle(b0, a1, b1, n);
    }
    return shape;
}

namespace {

// The top face of a box as Quad lays it (u along x from the low side, v
// along -z from the high side) around the covered footprint: nothing when
// that covers the face, else a ring of eight triangles, each of the face's
// edges whole in one of them so that its pixels stay as they were.
Shape TopAround(const JTVec3& c, const JTVec3& size, float uvScale, const Footprint& covered) {
    const JTVec3 up(0, 1, 0);
    const float uRepeat = size.x * uvScale, vRepeat = size.z * uvScale;
    const float x0 = c.x - 0.5f * size.x, x1 = c.x + 0.5f * size.x;
    const float z0 = c.z + 0.5f * size.z, z1 = c.z - 0.5f * size.z;
    Shape shape;
    if (covered.loX <= x0 && covered.hiX >= x1 && covered.loZ <= z1 && covered.hiZ >= z0)
        return shape;
    const bool inside =
        covered.loX > x0 && covered.hiX < x1 && covered.loZ > z1 && covered.hiZ < z0;
    if (!inside) return Quad(c, size.x, size.z, up, uRepeat, vRepeat);
    auto at = [&](float x, float z) {
        return MakeVertex(JTVec3(x, c.y, z), up, uRepeat * (x - x0) / size.x,
                          vRepeat * (z0 - z) / size.z);
    };
    // Clockwise from the corner at low x and high z; the face's own corners
    // keep their exact texture coordinates.
    const Vert1 outer[4] = {MakeVertex(JTVec3(x0, c.y, z0), up, 0.0f, 0.0f),
                            MakeVertex(JTVec3(x1, c.y, z0), up, uRepeat, 0.0f),
                            MakeVertex(JTVec3(x1, c.y, z1), up, uRepeat, vRepeat),
                            MakeVertex(JTVec3(x0, c.y, z1), up, 0.0f, vRepeat)};
    const Vert1 inner[4] = {at(covered.loX, covered.hiZ), at(covered.hiX, covered.hiZ),
                            at(covered.hiX, covered.loZ), at(covered.loX, covered.loZ)};
    for (int k = 0; k < 4; ++k) {
        const int next = (k + 1) % 4;
        shape.Triangle(outer[k], outer[next], inner[k], up);
        shape.Triangle(inner[k], outer[next], inner[next], up);
    }
    return shape;
}

} // namespace

Shape Box(const JTVec3& lo, const JTVec3& hi, float uvScale, const Footprint* covered) {
    Shape shape;
    const JTVec3 size = hi - lo;
    const JTVec3 c = (lo + hi) * 0.5f;
    if (covered)
        shape.Append(TopAround(JTVec3(c.x, hi.y, c.z), size, uvScale, *covered));
    else
        shape.Append(Quad(JTVec3(c.x, hi.y, c.z), size.x, size.z, JTVec3(0, 1, 0), size.x * uvScale,
                          size.z * uvScale));
    shape.Append(Quad(JTVec3(c.x, lo.y, c.z), size.x, size.z, JTVec3(0, -1, 0), size.x * uvScale,
                      size.z * uvScale));
    shape.Append(Quad(JTVec3(hi.x, c.y, c.z), size.z, size.y, JTVec3(1, 0, 0), size.z * uvScale,
                      size.y * uvScale));
    shape.Append(Quad(JTVec3(lo.x, c.y, c.z), size.z, size.y, JTVec3(-1, 0, 0), size.z * uvScale,
                      size.y * uvScale));
    shape.Append(Quad(JTVec3(c.x, c.y, hi.z), size.x, size.y, JTVec3(0, 0, 1), size.x * uvScale,
                      size.y * uvScale));
    shape.Append(Quad(JTVec3(c.x, c.y, lo.z), size.x, size.y, JTVec3(0, 0, -1), size.x * uvScale,
                      size.y * uvScale));
    return shape;
}

namespace {

// Rings `first` to `last` (excluded) of a sphere of `rings` rings from the
// top.
Shape SphereRings(const JTVec3& centre, float radius, int segments, int rings, bool inward,
                  int last) {
    Shape shape;
    auto at = [&](int s, int r) {
        const float a = 2 * kPi * float(s) / float(segments);
        const float b = kPi * float(r) / float(rings);
        const JTVec3 n(std::sin(b) * std::cos(a), std::cos(b), std::sin(b) * std::sin(a));
        return MakeVertex(centre + n * radius, inward ? -n : n, float(s) / float(segments),
                          float(r) / float(rings));
    };
    for (int r = 0; r < last; ++r)
        for (int s = 0; s < segments; ++s) {
            const Vert1 a = at(s, r), b = at(s + 1, r), c = at(s, r + 1), d = at(s + 1, r + 1);
            const JTVec3 mid = JTVec3Normalize(Position(a) + Position(d) - centre * 2.0f);
            const JTVec3 out = inward ? -mid : mid;
            if (r > 0) shape.Triangle(a, b, c, out);
            if (r < rings - 1) shape.Triangle(c, b, d, out);
        }
    return shape;
}

} // namespace

Shape Sphere(const JTVec3& centre, float radius, int segments, int rings, bool inward) {
    return SphereRings(centre, radius, segments, rings, inward, rings);
}

Shape Dome(const JTVec3& centre, float radius, int segments, int rings) {
    return SphereRings(centre, radius, segments, rings, true, std::min(rings, rings / 2 + 1));
}

Shape Quad(const JTVec3& c, float width, float height, const JTVec3& normal, float uRepeat,
           float vRepeat) {
    // Two axes across the face: "up" is y unless the face looks along y.
    const JTVec3 up =
        std::fabs(normal.y) > 0.5f ? JTVec3(0, 0, normal.y > 0 ? 1.0f : -1.0f) : JTVec3(0, 1, 0);
    const JTVec3 right = JTVec3Cross(normal, up); // u runs to the viewer's right
    Shape shape;
    auto corner = [&](float sx, float sy, float u, float v) {
        return MakeVertex(c + right * (sx * 0.5f * width) + up * (sy * 0.5f * height), normal,
                          u * uRepeat, v * vRepeat);
    };
    const Vert1 tl = corner(-1, 1, 0, 0), tr = corner(1, 1, 1, 0);
    const Vert1 bl = corner(-1, -1, 0, 1), br = corner(1, -1, 1, 1);
    shape.Triangle(tl, tr, bl, normal);
    shape.Triangle(bl, tr, br, normal);
    return shape;
}

Shape Disc(float radius, float y, int segments, float uvScale) {
    Shape shape;
    const JTVec3 up(0, 1, 0);
    const Vert1 centre = MakeVertex(JTVec3(0, y, 0), up, 0.5f * uvScale, 0.5f * uvScale);
    for (int s = 0; s < segments; ++s) {
        auto rim = [&](int k) {
            const float a = 2 * kPi * float(k) / float(segments);
            return MakeVertex(JTVec3(radius * std::cos(a), y, radius * std::sin(a)), up,
                              (0.5f + 0.5f * std::cos(a)) * uvScale,
                              (0.5f + 0.5f * std::sin(a)) * uvScale);
        };
        shape.Triangle(centre, rim(s), rim(s + 1), up);
    }
    return shape;
}

JTGeoNode* MakeGeoNode(Part& part) {
    auto mesh = std::make_unique<JTMesh>();
    if (!mesh->CreateBuffersFromData(
            nullptr, part.shape.vertices.data(), unsigned(part.shape.vertices.size()),
            part.shape.indices.data(), unsigned(part.shape.indices.size()), false, false)) {
        std::fprintf(stderr, "databuilder: the mesh %s cannot be made\n", part.name.c_str());
        delete part.effect;
        part.effect = nullptr;
        return nullptr;
    }
    auto* node = new JTGeoNode;
    node->SetName(part.name.c_str());
    node->SetMesh(mesh.release());
    node->SetEffect(part.effect, true);
    part.effect = nullptr;
    return node;
}

bool SaveModel(const std::filesystem::path& file, JTNode& root) {
    std::error_code made;
    std::filesystem::create_directories(file.parent_path(), made);
    JTFile out(file.c_str(), true);
    bool ok = out.Opened() && root.SaveLoad(out) && !out.Failed();
    ok = out.Close() && ok;
    if (!ok) std::fprintf(stderr, "databuilder: cannot write %s\n", file.c_str());
    return ok;
}

bool WriteModel(const std::filesystem::path& file, const std::string& rootName,
                std::vector<Part>& parts) {
    JTTransNode root;
    root.SetName(rootName.c_str());
    bool ok = true;
    for (Part& part : parts) {
        JTGeoNode* node = MakeGeoNode(part);
        if (!node) {
            ok = false;
            continue;
        }
        if (part.placed) {
            auto* holder = new JTTransNode;
            holder->SetName(part.name.c_str());
            holder->SetMatrix(part.placement);
            holder->AddChild(node);
            root.AddChild(holder);
        } else {
            root.AddChild(node);
        }
    }
    return ok && SaveModel(file, root);
}

JTTexture* NamedTexture(const char* name) {
    if (!name || !*name) return nullptr;
    auto& textures = Textures();
    auto found = textures.find(name);
    if (found != textures.end()) return found->second.get();
    auto texture = std::make_unique<JTTexture>();
    texture->SetName(name);
    JTTexture* result = texture.get();
    textures.emplace(name, std::move(texture));
    return result;
}

JTEffect* SimpleEffect(const char* texture, float er, float eg, float eb, bool twoSided) {
    auto* effect = new JTEffect_Simple;
    effect->texture = NamedTexture(texture);
    effect->emissive[0] = er;
    effect->emissive[1] = eg;
    effect->emissive[2] = eb;
    effect->twoSided = twoSided;
    return effect;
}

JTEffect* ParkPieceEffect(const char* diffuse) {
    auto* effect = new JTEffect_ParkPiece;
    effect->diffuse = NamedTexture(diffuse);
    return effect;
}

JTEffect* FireKnightEffect(const char* diffuse) {
    auto* effect = new JTEffect_FireKnight;
    effect->diffuse = NamedTexture(diffuse);
    return effect;
}

JTEffect* WetIceEffect(const char* surface) {
    auto* effect = new JTEffect_WetIce;
    effect->surface = NamedTexture(surface);
    return effect;
}

void ReleaseNamedTextures() {
    Textures().clear();
}

} // namespace databuilder::chess
