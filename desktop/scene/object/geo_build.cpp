// Building a GeoNode's drawable vertices from the lists of its record: one
// vertex per position, split where a position is used with different
// texture coordinates, index sets renumbered so every detail level draws a
// prefix of the vertices, then textures, transparency, colours and the kinds
// a node's name selects.
#include <algorithm>
#include <cmath>

#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/vertex_channels.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

bool AllBelow(const std::vector<uint16_t>& list, size_t limit) {
    return std::all_of(list.begin(), list.end(), [&](uint16_t i) { return i < limit; });
}

// Every coordinate index a position list uses must exist and name a pair.
bool TexCoordsValid(const std::vector<uint16_t>& positions, const std::vector<uint16_t>& pairs,
                    size_t pairCount) {
    if (pairs.size() < positions.size()) return false;
    for (size_t k = 0; k < positions.size(); ++k)
        if (pairs[k] >= pairCount) return false;
    return true;
}

uint32_t ColourByte(float value) {
    if (!(value > 0.0f)) return 0;
    return value >= 255.0f ? 255u : uint32_t(value);
}

std::string_view FileNameOf(std::string_view path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

TextureSet* LoadModelTexture(std::string_view path, std::string_view group, int32_t user,
                             int32_t extra) {
    TextureSource* source = GetTextureSource();
    if (!source) return nullptr;
    std::string full = "models\\textures\\" + std::string(FileNameOf(path));
    return source->GetTexture(full, group, user, extra);
}

struct Building {
    std::vector<Vertex> vertices;
    std::vector<uint16_t> origin; // the position each vertex came from
    std::vector<uint8_t> hasTexCoords;
    std::vector<std::vector<int>> byPosition; // vertices made from each position
};

} // namespace

bool GeoNode::BuildGeometry(GeoLists lists, std::string_view objectPath) {
    const size_t positionCount = lists.positions.size();
    const size_t pairCount = lists.texCoords.size() / 2;
    const size_t setCount = std::min<size_t>(lists.setIndices.size(), 255);
    if (positionCount > size_t(kMaxVertices)) return false;
    if (setCount > 0 && lists.setTexCoordIndices.size() < setCount)
        lists.setTexCoordIndices.resize(setCount);

    // 1. The first set stands for the whole index list.
    std::vector<uint16_t> index = setCount > 0 ? lists.setIndices[0] : lists.indices;
    std::vector<uint16_t> pairIndex =
        setCount > 0 ? lists.setTexCoordIndices[0] : lists.texCoordIndices;
    if (!AllBelow(index, positionCount)) return false;
    for (size_t s = 1; s < setCount; ++s)
        if (!AllBelow(lists.setIndices[s], positionCount)) return false;
    if (texCoordSwitch) {
        if (!TexCoordsValid(index, pairIndex, pairCount)) return false;
        for (size_t s = 1; s < setCount; ++s)
            if (!TexCoordsValid(lists.setIndices[s], lists.setTexCoordIndices[s], pairCount))
                return false;
    }

    // 2. One vertex per position.
    Building b;
    b.vertices.resize(positionCount);
    b.origin.resize(positionCount);
    b.hasTexCoords.assign(positionCount, 0);
    b.byPosition.resize(positionCount);
    const bool listColours = colourMode == 1 || colourMode == 5;
    std::vector<uint32_t> colours = lists.colours;

    // 3. Where vertex alpha is not drawn, alpha shows as grey.
    if (listColours && !GetDisplaySwitches().vertexAlpha && !colours.empty()) {
        uint32_t firstAlpha = colours[0] >> 24;
        bool allEqual = std::all_of(colours.begin(), colours.end(),
                                    [&](uint32_t c) { return (c >> 24) == firstAlpha; });
        if (!allEqual)
            for (uint32_t& c : colours)
                c = 0xFF000000u | ((c >> 24) * 0x010101u);
    }
    const uint32_t alphaByte = uint32_t(alpha) & 0xFF;
    for (size_t i = 0; i < positionCount; ++i) {
        Vertex& v = b.vertices[i];
        v.position = lists.positions[i];
        v.normal = normalMode == 1 && i < lists.normals.size() ? lists.normals[i] : Vec3(1, 0, 0);
        switch (colourMode) {
        case 1:
        case 5:
            v.colour = i < colours.size() ? colours[i] : 0xFFFFFFFFu;
            break;
        case 3:
            v.colour =
                alphaByte << 24 | ColourByte(red) << 16 | ColourByte(green) << 8 | ColourByte(blue);
            break;
        case 4:
            v.colour = alphaByte << 24 | 0x00FFFFFFu;
            break;
        default:
            v.colour = 0xFFFFFFFFu;
        }
        b.origin[i] = uint16_t(i);
        b.byPosition[i].push_back(int(i));
    }

    auto pairAt = [&](uint16_t pair) {
        return std::pair<float, float>(lists.texCoords[size_t(pair) * 2],
                                       lists.texCoords[size_t(pair) * 2 + 1]);
    };
    std::vector<std::vector<uint16_t>> setLists;
    if (setCount > 0)
        setLists.assign(lists.setIndices.begin(), lists.setIndices.begin() + long(setCount));

    if (texCoordSwitch) {
        // 4. Each use of a position with a new coordinate pair gets a vertex.
        for (size_t k = 0; k < index.size(); ++k) {
            uint16_t position = index[k];
            auto [u, v] = pairAt(pairIndex[k]);
            int chosen = -1;
            for (int candidate : b.byPosition[position]) {
                Vertex& vertex = b.vertices[size_t(candidate)];
                if (!b.hasTexCoords[size_t(candidate)]) {
                    vertex.u = u;
                    vertex.v = v;
                    b.hasTexCoords[size_t(candidate)] = 1;
                    chosen = candidate;
                    break;
                }
                if (vertex.u == u && vertex.v == v) {
                    chosen = candidate;
                    break;
                }
            }
            if (chosen < 0) {
                if (b.vertices.size() >= size_t(kMaxVertices)) return false;
                Vertex copy = b.vertices[size_t(b.byPosition[position][0])];
                copy.u = u;
                copy.v = v;
                chosen = int(b.vertices.size());
                b.vertices.push_back(copy);
                b.origin.push_back(position);
                b.hasTexCoords.push_back(1);
                b.byPosition[position].push_back(chosen);
            }
            index[k] = uint16_t(chosen);
        }
        if (setCount > 0) setLists[0] = index;
        // 5. The other sets find the last vertex of their position and pair.
        for (size_t s = 1; s < setCount; ++s) {
            std::vector<uint16_t>& list = setLists[s];
            for (size_t k = 0; k < list.size(); ++k) {
                auto [u, v] = pairAt(lists.setTexCoordIndices[s][k]);
                const std::vector<int>& made = b.byPosition[list[k]];
                for (auto it = made.rbegin(); it != made.rend(); ++it) {
                    const Vertex& vertex = b.vertices[size_t(*it)];
                    if (vertex.u == u && vertex.v == v) {
                        list[k] = uint16_t(*it);
                        break;
                    }
                }
            }
        }
    }

    std::vector<int32_t> drawRanges(setCount, int32_t(b.vertices.size()));
    if (texCoordSwitch && setCount > 0) {
        // 6. Keep the vertices the sets use, coarsest set first, so every
        // set draws a prefix of the array.
        std::vector<int> renumbered(b.vertices.size(), -1);
        std::vector<uint16_t> order;
        for (size_t s = setCount; s-- > 0;) {
            for (uint16_t& value : setLists[s]) {
                if (renumbered[value] < 0) {
                    renumbered[value] = int(order.size());
                    order.push_back(value);
                }
            }
            drawRanges[s] = int32_t(order.size());
        }
        for (auto& list : setLists)
            for (uint16_t& value : list)
                value = uint16_t(renumbered[value]);
        Building kept;
        for (uint16_t old : order) {
            kept.vertices.push_back(b.vertices[old]);
            kept.origin.push_back(b.origin[old]);
        }
        b.vertices = std::move(kept.vertices);
        b.origin = std::move(kept.origin);
        index = setLists[0];
    }

    // 7. Morph targets follow the new vertex order.
    if (texCoordSwitch && channels) {
        for (int i = 0; i < channels->count; ++i)
            if (channels->channels[i]->classId == uint8_t(ClassId::MorphChannel))
                static_cast<MorphChannel*>(channels->channels[i])->RebuildTargets(b.origin);
    }

    // 8. Detail coordinates.
    if (detailTexture)
        for (Vertex& v : b.vertices) {
            v.u2 = v.u * detailScale;
            v.v2 = v.v * detailScale;
        }

    // 9. Textures. An empty path means none; a texture that does not load
    // leaves the node untextured but keeps its path and flag for saving.
    if (texturePath.empty()) textured = 0;
    texture =
        textured ? LoadModelTexture(texturePath, objectPath, textureUser, textureExtra) : nullptr;
    detailTextureSet = nullptr;
    envTextureSet = nullptr;
    if (!secondTexturePath.empty()) {
        TextureSet* second =
            LoadModelTexture(secondTexturePath, objectPath, textureUser, textureExtra);
        (detailTexture ? detailTextureSet : envTextureSet) = second;
    }

    // 10. Transparency from the colours as read, the record colour or the
    // texture's pixels.
    bool seeThrough = std::any_of(lists.colours.begin(), lists.colours.end(),
                                  [](uint32_t c) { return (c >> 24) < 255; }) ||
                      ((colourMode == 3 || colourMode == 4) && alpha < 255) ||
                      (texture && GetTextureSource()->GetPixelKind(texture) != kPixelKindPlain);
    if (seeThrough) {
        transparent = 1;
        blendMode = 1;
        depthWrite = 0;
    }

    // 11. Drawing kinds named by the node.
    std::string_view title = Name();
    auto is = [&](std::string_view word) { return platform::EqualsIgnoreCase(title, word); };
    billboard = is("billboard") || is("billboardpane") ? 1 : 0;
    pane = is("pane") || is("billboardpane") ? 1 : 0;
    kite = is("kite") ? 1 : 0;
    if (is("sunblock")) billboard = pane = 2;
    perFrameWork = billboard || HasChannelOfClass(int(ClassId::UVChannel)) ||
                           HasChannelOfClass(int(ClassId::TexAnimChannel))
                       ? 1
                       : 0;

    // 12. Counted for the shared vertex buffer; rotations where the display
    // turns normals onto an axis.
    GetModelLoadState().vertexCount += int32_t(b.vertices.size());
    rotations.reset();
    if (int mode = GetDisplaySwitches().vertexRotationMode) {
        Vec3 axis = mode == 2 ? Vec3(1, 0, 0) : Vec3(0, 0, 1);
        auto table = std::make_shared<std::vector<Matrix>>(b.vertices.size());
        for (size_t i = 0; i < b.vertices.size(); ++i)
            (*table)[i].MakeRotation(Quat::MakeRotationArc(b.vertices[i].normal, axis));
        rotations = table;
    }

    vertexCount = int(b.vertices.size());
    vertices = std::make_shared<std::vector<Vertex>>(std::move(b.vertices));
    indexCount = int(index.size());
    indices = std::make_shared<std::vector<uint16_t>>(std::move(index));
    if (setCount > 0) {
        auto built = std::make_shared<GeoSets>();
        built->indices = std::move(setLists);
        built->drawRanges = std::move(drawRanges);
        sets = built;
    } else {
        sets.reset();
    }
    sharesVertices = 0;
    inSharedBuffer = 0;
    return true;
}

} // namespace lumivane
