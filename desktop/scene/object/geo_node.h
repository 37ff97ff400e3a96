// GeoNode: a node with drawable geometry: 44-byte vertices built from the
// lists of its file record, a triangle index list, optional index sets (the
// detail levels), textures and the drawing options the display reads. A
// clone shares its prototype's geometry (the vertex array while
// sharesVertices, index lists, sets, rotations) and gets its own vertices
// only when it animates them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "desktop/scene/object/node.h"
#include "desktop/scene/object/vec3.h"

namespace lumivane {

class TextureSet;

struct Vertex {
    Vec3 position;
    Vec3 normal;
    uint32_t colour = 0xFFFFFFFF; // alpha in the top byte
    float u = 0.0f;
    float v = 0.0f;
    float u2 = 0.0f;
    float v2 = 0.0f;
};
static_assert(sizeof(Vertex) == 44, "the display draws 44-byte vertices");

inline constexpr int kMaxVertices = 32767;

// The lists of a GeoNode record as written in a file (or made by code);
// BuildGeometry turns them into vertices.
struct GeoLists {
    std::vector<Vec3> positions;
    std::vector<uint16_t> indices;
    std::vector<Vec3> normals;
    std::vector<uint32_t> colours;
    std::vector<float> texCoords; // u, v pairs
    std::vector<uint16_t> texCoordIndices;
    std::vector<std::vector<uint16_t>> setIndices;
    std::vector<std::vector<uint16_t>> setTexCoordIndices;
};

// The index sets of a node (its detail levels), shared by clones.
struct GeoSets {
    std::vector<std::vector<uint16_t>> indices;
    // Vertices used by each set: the set draws vertices [0, drawRange).
    std::vector<int32_t> drawRanges;
};

class GeoNode : public Node {
public:
    GeoNode();

    int Save(platform::BinaryWriter& file, ObjectTable& table) override;
    bool Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) override;
    Node* Clone() override;
    void InitClone(Node* source) override;
    void Animate(Entity* entity) override;
    void Transform(TransformState state) override;
    Node* Collapse(Node* parent, Node* after) override;
    void CountVertPoly(int& vertices, int& polygons) override;

    // Turns record lists into vertices: coordinate splits, sets, textures,
    // transparency, colours and the name-derived kinds. False (nothing
    // changed) when an index points past its list or the vertices would
    // pass kMaxVertices. `objectPath` names the file for texture requests.
    bool BuildGeometry(GeoLists lists, std::string_view objectPath);

    // Shows the node drawing the index set of that detail level: its index
    // list and count, and the vertices the set uses.
    void ShowDetailLevel(int level);

    // Gives the node vertices and a triangle list of its own, made by code
    // (text nodes); it shares and animates nothing of a prototype's then.
    void SetGeometry(std::vector<Vertex> newVertices, std::vector<uint16_t> newIndices);

    // One animation step of a clone that builds its vertices each frame
    // (channels applied, then the entity's callback), copied into `out`;
    // false for a node that keeps its vertices.
    bool AnimateInto(Entity* entity, std::vector<Vertex>& out);

    // Only while sharing the prototype's vertices: stops sharing, and either
    // drops the array (dropOnly) or copies the prototype's.
    void DetachVertices(bool dropOnly);

    // The vertices drawn and animated: this node's own array, the
    // prototype's while shared, or the animation scratch array; null for a
    // clone that builds its vertices each frame.
    Vertex* Vertices() { return vertices ? vertices->data() : nullptr; }
    const Vertex* Vertices() const { return vertices ? vertices->data() : nullptr; }
    // The first vertex array up the prototype chain, this node excluded:
    // what a clone's animation starts from.
    const std::vector<Vertex>* PrototypeVertices() const;
    // This node's own array, else its prototype's.
    const std::vector<Vertex>* SourceVertices() const;
    const uint16_t* Indices() const { return indices ? indices->data() : nullptr; }
    const GeoSets* Sets() const { return sets.get(); }
    // The rotation that turns each built vertex's normal onto the display's
    // axis, where the display asked for them; as many as the vertices built.
    const Matrix* VertexRotations() const { return rotations ? rotations->data() : nullptr; }
    size_t VertexRotationCount() const { return rotations ? rotations->size() : 0; }
    const std::string& TexturePath() const { return texturePath; }
    const std::string& SecondTexturePath() const { return secondTexturePath; }
    void SetTexturePath(std::string_view path, int32_t user = 0);
    void SetSecondTexturePath(std::string_view path) { secondTexturePath = path; }

    // Geometry.
    int vertexCount = 0;
    int indexCount = 0;
    int32_t indexed = 0;
    uint8_t inSharedBuffer = 0;
    int32_t firstSharedVertex = 0;
    uint8_t sharesVertices = 0;

    // Textures (owned by the texture manager) and the animated frames.
    TextureSet* texture = nullptr;
    TextureSet* detailTextureSet = nullptr;
    TextureSet* envTextureSet = nullptr;
    TextureSet* secondTexture = nullptr; // the blend partner of a texture morph
    int textureFrame = 0;
    int secondTextureFrame = 0;
    float blendFactor = 0.0f;
    uint8_t blending = 0;

    // Values of the file record kept for saving the node again.
    float red = 255.0f;
    float green = 255.0f;
    float blue = 255.0f;
    int32_t alpha = 255;
    int32_t normalMode = 1;
    int32_t colourMode = 1;
    int32_t textured = 0; // as written; `texture` says whether one loaded
    int32_t textureUser = 0;
    int32_t textureExtra = 0;
    int32_t texCoordSwitch = 1;

    // Drawing options, in file order.
    uint8_t fixedTextureLevel = 0;
    uint8_t textureLevel = 0;
    int32_t twoSided = 0;
    int32_t displayOption24 = 0;
    int32_t transparent = 0;
    uint8_t blendMode = 0;
    int32_t lighting = 1;
    float brightness = 0.0f;
    uint8_t depthTest = 1;
    uint8_t depthWrite = 1;
    int32_t envMapped = 0;
    int32_t detailTexture = 0;
    float detailScale = 10.0f;
    float displayOption38 = 10.0f;

    // Drawing kinds from the node's name.
    uint8_t billboard = 0;
    uint8_t pane = 0;
    uint8_t kite = 0;
    uint8_t perFrameWork = 0;
    // Geometry rebuilt by code every frame, drawn as a strip of vertex pairs
    // (two triangles per index sextet) uploaded through the display's
    // dynamic vertex buffer.
    uint8_t streamed = 0;

protected:
    GeoNode(const GeoNode& other) = default;
    bool SaveGeoRecord(platform::BinaryWriter& file, ObjectTable& table);
    bool LoadGeoRecord(platform::BinaryReader& file, ObjectTable& table, uint32_t version);
    // Points the node at a program-wide scratch copy of the prototype's
    // vertices for one animation step (null to stop).
    void UseScratchVertices(bool on);

    std::shared_ptr<std::vector<Vertex>> vertices;
    std::shared_ptr<std::vector<uint16_t>> indices;
    std::shared_ptr<GeoSets> sets;
    std::shared_ptr<std::vector<Matrix>> rotations;
    std::string texturePath;
    std::string secondTexturePath;
};

} // namespace lumivane
