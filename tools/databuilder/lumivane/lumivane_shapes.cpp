// Sphere, quad, ring and wedge geometry for Lumivane's models.
#include "tools/databuilder/lumivane/lumivane_shapes.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace databuilder {

namespace {

constexpr float kPi = 3.14159265358979f;

lumivane::GeoNode* Finish(std::string_view name, lumivane::GeoLists& lists, const ShapeLook& look) {
    auto* geo = new lumivane::GeoNode;
    geo->SetName(name);
    geo->indexed = 1;
    // The brightness is the node's own glow, added to what the lights give:
    // a lit shape has none (it would wash its colours out to white), an
    // unlit one shows its colours in full.
    geo->brightness = look.lit ? 0.0f : 1.0f;
    geo->lighting = look.lit ? 1 : 0;
    if (!look.texture.empty())
        geo->SetTexturePath("models\\textures\\" + std::string(look.texture));
    if (!look.bump.empty()) {
        geo->SetSecondTexturePath("models\\textures\\" + std::string(look.bump));
        geo->envMapped = 1; // marked for the bump pass
    }
    lists.colours.assign(lists.positions.size(), look.colour);
    lists.texCoordIndices = lists.indices; // one coordinate pair per position
    if (!geo->BuildGeometry(lists, "databuilder")) {
        std::fprintf(stderr, "databuilder: shape \"%.*s\" does not build\n", int(name.size()),
                     name.data());
        std::abort();
    }
    return geo;
}

lumivane::GeoNode* Sphere(std::string_view name, float radius, int rings, int segments,
                          const ShapeLook& look, bool inside) {
    lumivane::GeoLists lists;
    for (int ring = 0; ring <= rings; ++ring) {
        float polar = kPi * float(ring) / float(rings);
        for (int segment = 0; segment <= segments; ++segment) {
            float azimuth = 2.0f * kPi * float(segment) / float(segments);
            lumivane::Vec3 normal(std::sin(polar) * std::cos(azimuth), std::cos(polar),
                                  std::sin(polar) * std::sin(azimuth));
            lists.positions.push_back(normal * radius);
            lists.normals.push_back(normal);
            lists.texCoords.push_back(float(segment) / float(segments));
            lists.texCoords.push_back(float(ring) / float(rings));
        }
    }
    const int row = segments + 1;
    for (int ring = 0; ring < rings; ++ring)
        for (int segment = 0; segment < segments; ++segment) {
            auto at = [&](int r, int s) { return uint16_t(r * row + s); };
            // Clockwise seen from outside (or, turned, from inside): the
            // front faces of the display.
            const uint16_t corner = at(ring, segment + 1), across = at(ring + 1, segment);
            lists.indices.insert(lists.indices.end(),
                                 {at(ring, segment), inside ? across : corner,
                                  inside ? corner : across, across,
                                  inside ? at(ring + 1, segment + 1) : corner,
                                  inside ? corner : at(ring + 1, segment + 1)});
        }
    return Finish(name, lists, look);
}

} // namespace

lumivane::GeoNode* MakeSphere(std::string_view name, float radius, int rings, int segments,
                              const ShapeLook& look) {
    return Sphere(name, radius, rings, segments, look, false);
}

lumivane::GeoNode* MakeInsideSphere(std::string_view name, float radius, int rings, int segments,
                                    const ShapeLook& look) {
    return Sphere(name, radius, rings, segments, look, true);
}

lumivane::GeoNode* MakeSkyDome(std::string_view name, float radius, int divisions, float tiles,
                               const ShapeLook& look) {
    using lumivane::Vec3;
    // Each face: the axis it is centred on and the two across it.
    const Vec3 faces[6][3] = {
        {{1, 0, 0}, {0, 0, -1}, {0, -1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, -1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}},   {{0, -1, 0}, {1, 0, 0}, {0, 0, -1}},
        {{0, 0, 1}, {1, 0, 0}, {0, -1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, -1, 0}}};
    lumivane::GeoLists lists;
    const int row = divisions + 1;
    for (const auto& face : faces) {
        const uint16_t first = uint16_t(lists.positions.size());
        for (int j = 0; j <= divisions; ++j)
            for (int i = 0; i <= divisions; ++i) {
                const float s = float(i) / float(divisions), t = float(j) / float(divisions);
                // Equal steps of angle across the face, not of distance.
                const float a = std::tan((s - 0.5f) * kPi / 2.0f);
                const float b = std::tan((t - 0.5f) * kPi / 2.0f);
                Vec3 direction = face[0] + face[1] * a + face[2] * b;
                direction.Normalize();
                lists.positions.push_back(direction * radius);
                lists.normals.push_back(direction * -1.0f);
                lists.texCoords.push_back(s * tiles);
                lists.texCoords.push_back(t * tiles);
            }
        for (int j = 0; j < divisions; ++j)
            for (int i = 0; i < divisions; ++i) {
                auto at = [&](int x, int y) { return uint16_t(first + y * row + x); };
                lists.indices.insert(lists.indices.end(),
                                     {at(i, j), at(i + 1, j), at(i, j + 1), at(i, j + 1),
                                      at(i + 1, j), at(i + 1, j + 1)});
            }
    }
    return Finish(name, lists, look);
}

lumivane::GeoNode* MakeQuad(std::string_view name, float size, const ShapeLook& look) {
    const float h = size * 0.5f;
    return MakeRect(name, -h, h, h, -h, 0, 0, 1, 1, look);
}

lumivane::GeoNode* MakeRect(std::string_view name, float left, float top, float right, float bottom,
                            float u0, float v0, float u1, float v1, const ShapeLook& look) {
    lumivane::GeoLists lists;
    lists.positions = {{left, bottom, 0}, {left, top, 0}, {right, bottom, 0}, {right, top, 0}};
    lists.normals.assign(4, lumivane::Vec3(0, 0, -1));
    lists.texCoords = {u0, v1, u0, v0, u1, v1, u1, v0};
    lists.indices = {0, 1, 2, 2, 1, 3};
    return Finish(name, lists, look);
}

lumivane::GeoNode* MakeRing(std::string_view name, float inner, float outer, int segments,
                            const ShapeLook& look) {
    lumivane::GeoLists lists;
    for (int segment = 0; segment <= segments; ++segment) {
        float azimuth = 2.0f * kPi * float(segment) / float(segments);
        float c = std::cos(azimuth), s = std::sin(azimuth);
        lists.positions.push_back({c * inner, 0, s * inner});
        lists.positions.push_back({c * outer, 0, s * outer});
        lists.normals.push_back({0, 1, 0});
        lists.normals.push_back({0, 1, 0});
        float u = float(segment) / float(segments);
        lists.texCoords.insert(lists.texCoords.end(), {u, 0, u, 1});
    }
    for (int segment = 0; segment < segments; ++segment) {
        uint16_t a = uint16_t(segment * 2);
        lists.indices.insert(lists.indices.end(),
                             {a, uint16_t(a + 1), uint16_t(a + 2), uint16_t(a + 2), uint16_t(a + 1),
                              uint16_t(a + 3)});
    }
    lumivane::GeoNode* geo = Finish(name, lists, look);
    geo->twoSided = 1;
    return geo;
}

lumivane::GeoNode* MakeWedge(std::string_view name, float length, float width, float height,
                             const ShapeLook& look) {
    using lumivane::Vec3;
    const float back = -0.4f * length;
    const Vec3 nose(0, 0, 0.6f * length), left(-0.5f * width, 0, back),
        right(0.5f * width, 0, back), top(0, 0.6f * height, back), bottom(0, -0.4f * height, back);
    const Vec3 centre(0, 0.05f * height, -0.15f * length);
    const Vec3 faces[][3] = {{nose, left, top},    {nose, top, right},  {nose, right, bottom},
                             {nose, bottom, left}, {left, bottom, top}, {top, bottom, right}};
    lumivane::GeoLists lists;
    for (const auto& face : faces) {
        Vec3 a = face[0], b = face[1], c = face[2];
        Vec3 normal = Vec3::Cross(b - a, c - a);
        // Front faces turn their normal outward.
        if (Vec3::Dot(normal, (a + b + c) * (1.0f / 3.0f) - centre) < 0.0f) {
            std::swap(b, c);
            normal = normal * -1.0f;
        }
        normal.Normalize();
        for (const Vec3& corner : {a, b, c}) {
            lists.indices.push_back(uint16_t(lists.positions.size()));
            lists.positions.push_back(corner);
            lists.normals.push_back(normal);
            lists.texCoords.push_back(corner.x / width + 0.5f);
            lists.texCoords.push_back(corner.z / length + 0.5f);
        }
    }
    return Finish(name, lists, look);
}

} // namespace databuilder
