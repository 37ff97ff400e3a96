// GeoNode: cloning, animation, transformation, counting and the record.
#include "desktop/scene/object/geo_node.h"

#include <string>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/object/vertex_channels.h"
#include "platform/binary_io.h"

namespace lumivane {

namespace {

constexpr int kPathSize = 260;
constexpr int32_t kUnusedFieldNine = 4; // always written as 4, never read

// The program-wide array a clone's vertices are built in for one animation
// step.
std::shared_ptr<std::vector<Vertex>>& ScratchVertices() {
    static auto scratch = std::make_shared<std::vector<Vertex>>();
    return scratch;
}

bool ReadU16List(platform::BinaryReader& file, std::vector<uint16_t>& list, int32_t count) {
    if (count < 0 || uint64_t(count) * 2 > file.Remaining()) return false;
    list.resize(size_t(count));
    for (uint16_t& value : list)
        if (!file.ReadU16(value)) return false;
    return true;
}

bool ReadCountedU16List(platform::BinaryReader& file, std::vector<uint16_t>& list) {
    int32_t count;
    return file.ReadI32(count) && ReadU16List(file, list, count);
}

void WriteU16List(platform::BinaryWriter& file, const std::vector<uint16_t>& list) {
    file.WriteI32(int32_t(list.size()));
    for (uint16_t value : list)
        file.WriteU16(value);
}

} // namespace

GeoNode::GeoNode() {
    classId = uint8_t(ClassId::GeoNode);
}

Node* GeoNode::Clone() {
    GeoNode* copy = new GeoNode(*this);
    copy->InitClone(this);
    return copy;
}

void GeoNode::InitClone(Node* source) {
    Node::InitClone(source);
    if (!fixedTextureLevel) textureLevel = 1;
    sharesVertices = 1;
    if (HasChannelOfClass(int(ClassId::MorphChannel)) ||
        HasChannelOfClass(int(ClassId::UVChannel)) || HasChannelOfClass(int(ClassId::VisChannel))) {
        sharesVertices = 0;
        inSharedBuffer = 0;
        vertices.reset();
    }
}

const std::vector<Vertex>* GeoNode::PrototypeVertices() const {
    for (const Node* p = prototype; p; p = p->Prototype()) {
        if (!IsA(p, ClassId::GeoNode)) return nullptr;
        const auto* geo = static_cast<const GeoNode*>(p);
        if (geo->vertices && geo->vertices != ScratchVertices()) return geo->vertices.get();
    }
    return nullptr;
}

const std::vector<Vertex>* GeoNode::SourceVertices() const {
    if (vertices && vertices != ScratchVertices()) return vertices.get();
    return PrototypeVertices();
}

void GeoNode::SetTexturePath(std::string_view path, int32_t user) {
    texturePath = path;
    textured = path.empty() ? 0 : 1;
    textureUser = user;
}

void GeoNode::ShowDetailLevel(int level) {
    visible = 1;
    if (!sets || level < 0 || level >= int(sets->indices.size())) return;
    indices = std::shared_ptr<std::vector<uint16_t>>(sets, &sets->indices[size_t(level)]);
    indexCount = int(indices->size());
    if (level < int(sets->drawRanges.size())) vertexCount = sets->drawRanges[size_t(level)];
}

void GeoNode::SetGeometry(std::vector<Vertex> newVertices, std::vector<uint16_t> newIndices) {
    sharesVertices = 0;
    inSharedBuffer = 0;
    sets.reset();
    rotations.reset();
    indexed = 1;
    vertexCount = int(newVertices.size());
    indexCount = int(newIndices.size());
    vertices = std::make_shared<std::vector<Vertex>>(std::move(newVertices));
    indices = std::make_shared<std::vector<uint16_t>>(std::move(newIndices));
}

void GeoNode::DetachVertices(bool dropOnly) {
    if (!sharesVertices) return;
    sharesVertices = 0;
    inSharedBuffer = 0;
    if (dropOnly) {
        vertices.reset();
        return;
    }
    const std::vector<Vertex>* source = PrototypeVertices();
    if (!source) source = vertices.get();
    vertices = std::make_shared<std::vector<Vertex>>(source ? *source : std::vector<Vertex>());
}

void GeoNode::UseScratchVertices(bool on) {
    if (!on) {
        vertices.reset();
        return;
    }
    std::shared_ptr<std::vector<Vertex>>& scratch = ScratchVertices();
    const std::vector<Vertex>* source = PrototypeVertices();
    if (source)
        *scratch = *source;
    else
        scratch->assign(size_t(vertexCount), Vertex{});
    vertices = scratch;
}

void GeoNode::Animate(Entity* entity) {
    if (vertices || inSharedBuffer) {
        Node::Animate(entity);
        return;
    }
    UseScratchVertices(true);
    Node::Animate(entity);
    if (entity) entity->NodeCallback(this, Vertices());
    UseScratchVertices(false);
}

bool GeoNode::AnimateInto(Entity* entity, std::vector<Vertex>& out) {
    if (vertices || inSharedBuffer) return false;
    UseScratchVertices(true);
    Node::Animate(entity);
    if (entity) entity->NodeCallback(this, Vertices());
    out = *vertices;
    UseScratchVertices(false);
    return true;
}

void GeoNode::Transform(TransformState state) {
    if (sharesVertices) DetachVertices(false);
    if (vertices) {
        for (Vertex& vertex : *vertices) {
            state.m.TransformPoint(vertex.position);
            if (!state.keepLocals) state.m.TransformVector(vertex.normal).Normalize();
        }
    }
    if (!state.keepLocals && channels) {
        for (int i = 0; i < channels->count; ++i)
            if (IsA(channels->channels[i], ClassId::MorphChannel))
                static_cast<MorphChannel*>(channels->channels[i])->TransformTargets(state.m);
    }
    TransformChildren(state);
}

Node* GeoNode::Collapse(Node*, Node*) {
    CollapseChildren();
    return this;
}

void GeoNode::CountVertPoly(int& vertexTotal, int& polygonTotal) {
    if (!visible) return;
    if (childrenVisible) Node::CountVertPoly(vertexTotal, polygonTotal);
    vertexTotal += vertexCount;
    polygonTotal += indexed ? indexCount / 3 : vertexCount / 3;
}

// --- Record -----------------------------------------------------------------

int GeoNode::Save(platform::BinaryWriter& file, ObjectTable& table) {
    if (!Unknown::Save(file, table)) return 0;
    SaveGeoRecord(file, table);
    return 1;
}

bool GeoNode::Load(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    return LoadGeoRecord(file, table, version);
}

// The loader keeps no copy of the lists as read, so the writer rebuilds them
// from the vertices: one position, normal, colour and coordinate pair per
// vertex, and every coordinate index equal to its vertex index. Loading that
// gives the same vertices back.
bool GeoNode::SaveGeoRecord(platform::BinaryWriter& file, ObjectTable& table) {
    SaveNodeRecord(file, table);
    static const std::vector<Vertex> kNone;
    const std::vector<Vertex>& drawn = SourceVertices() ? *SourceVertices() : kNone;
    static const std::vector<uint16_t> kNoIndices;
    const std::vector<uint16_t>& list =
        sets && !sets->indices.empty() ? sets->indices[0] : (indices ? *indices : kNoIndices);

    file.WriteI32(int32_t(drawn.size()));
    for (const Vertex& v : drawn)
        WriteVec3(file, v.position);
    WriteU16List(file, list);
    file.WriteI32(indexed);
    file.WriteI32(0); // the dropped u16 list
    file.WriteI32(0); // normal indices, not used for building
    file.WriteI32(int32_t(drawn.size()));
    for (const Vertex& v : drawn)
        WriteVec3(file, v.normal);
    file.WriteI32(int32_t(drawn.size()));
    for (const Vertex& v : drawn)
        file.WriteU32(v.colour);
    file.WriteF32(red);
    file.WriteF32(green);
    file.WriteF32(blue);
    file.WriteI32(alpha);
    file.WriteI32(kUnusedFieldNine);
    file.WriteI32(normalMode);
    file.WriteI32(colourMode);
    file.WriteI32(textured);
    file.WriteI32(int32_t(drawn.size()));
    for (const Vertex& v : drawn) {
        file.WriteF32(v.u);
        file.WriteF32(v.v);
    }
    file.WriteFixedString(texturePath, kPathSize);
    file.WriteFixedString(secondTexturePath, kPathSize);
    file.WriteI32(0);
    file.WriteI32(textureUser);
    file.WriteI32(textureExtra);
    file.WriteI32(fixedTextureLevel);
    file.WriteI32(textureLevel);
    WriteU16List(file, list); // coordinate indices: each vertex has its own pair
    file.WriteI32(texCoordSwitch);
    file.WriteI32(twoSided);
    file.WriteI32(displayOption24);
    for (int unused = 0; unused < 3; ++unused)
        file.WriteI32(0);
    file.WriteI32(transparent);
    file.WriteI32(blendMode);
    file.WriteI32(lighting);
    file.WriteF32(brightness);
    file.WriteI32(depthTest);
    file.WriteI32(depthWrite);
    file.WriteI32(envMapped);
    file.WriteI32(0);
    file.WriteI32(detailTexture);
    file.WriteF32(detailScale);
    file.WriteF32(displayOption38);
    int setCount = sets ? int(sets->indices.size()) : 0;
    file.WriteI32(setCount);
    if (setCount > 0) {
        for (const auto& set : sets->indices)
            file.WriteI32(int32_t(set.size()));
        for (const auto& set : sets->indices)
            for (uint16_t value : set)
                file.WriteU16(value);
        for (int s = 0; s < setCount; ++s)
            file.WriteI32(0); // normal indices per set
        for (const auto& set : sets->indices)
            file.WriteI32(int32_t(set.size()));
        for (const auto& set : sets->indices)
            for (uint16_t value : set)
                file.WriteU16(value);
    }
    return file.Good();
}

bool GeoNode::LoadGeoRecord(platform::BinaryReader& file, ObjectTable& table, uint32_t version) {
    if (!LoadNodeRecord(file, table, version)) return false;
    GeoLists lists;
    int32_t count;
    if (!file.ReadI32(count) || count < 0 || count > kMaxVertices ||
        uint64_t(count) * 12 > file.Remaining())
        return false;
    lists.positions.resize(size_t(count));
    for (Vec3& p : lists.positions)
        if (!ReadVec3(file, p)) return false;
    if (!ReadCountedU16List(file, lists.indices) || lists.indices.size() > size_t(kMaxVertices))
        return false;
    std::vector<uint16_t> dropped;
    if (!file.ReadI32(indexed) || !ReadCountedU16List(file, dropped) ||
        !ReadCountedU16List(file, dropped))
        return false;
    if (!file.ReadI32(count) || count < 0 || uint64_t(count) * 12 > file.Remaining()) return false;
    lists.normals.resize(size_t(count));
    for (Vec3& n : lists.normals)
        if (!ReadVec3(file, n)) return false;
    if (!file.ReadI32(count) || count < 0 || uint64_t(count) * 4 > file.Remaining()) return false;
    lists.colours.resize(size_t(count));
    for (uint32_t& c : lists.colours)
        if (!file.ReadU32(c)) return false;
    int32_t unused;
    if (!file.ReadF32(red) || !file.ReadF32(green) || !file.ReadF32(blue) || !file.ReadI32(alpha) ||
        !file.ReadI32(unused) || !file.ReadI32(normalMode) || !file.ReadI32(colourMode) ||
        !file.ReadI32(textured))
        return false;
    if (!file.ReadI32(count) || count < 0 || uint64_t(count) * 8 > file.Remaining()) return false;
    lists.texCoords.resize(size_t(count) * 2);
    for (float& value : lists.texCoords)
        if (!file.ReadF32(value)) return false;
    if (!file.ReadFixedString(texturePath, kPathSize) ||
        !file.ReadFixedString(secondTexturePath, kPathSize))
        return false;
    // A path fills its field at most: 259 characters and the terminator.
    if (texturePath.size() >= kPathSize) texturePath.resize(kPathSize - 1);
    if (secondTexturePath.size() >= kPathSize) secondTexturePath.resize(kPathSize - 1);
    int32_t fixedLevel, level;
    if (!file.ReadI32(unused) || !file.ReadI32(textureUser) || !file.ReadI32(textureExtra) ||
        !file.ReadI32(fixedLevel) || !file.ReadI32(level))
        return false;
    fixedTextureLevel = fixedLevel != 0 ? 1 : 0;
    textureLevel = uint8_t(level);
    if (!ReadCountedU16List(file, lists.texCoordIndices)) return false;
    int32_t blend, test, write;
    if (!file.ReadI32(texCoordSwitch) || !file.ReadI32(twoSided) ||
        !file.ReadI32(displayOption24) || !file.ReadI32(unused) || !file.ReadI32(unused) ||
        !file.ReadI32(unused) || !file.ReadI32(transparent) || !file.ReadI32(blend) ||
        !file.ReadI32(lighting) || !file.ReadF32(brightness) || !file.ReadI32(test) ||
        !file.ReadI32(write) || !file.ReadI32(envMapped) || !file.ReadI32(unused) ||
        !file.ReadI32(detailTexture) || !file.ReadF32(detailScale) ||
        !file.ReadF32(displayOption38))
        return false;
    blendMode = uint8_t(blend);
    depthTest = uint8_t(test);
    depthWrite = uint8_t(write);
    int32_t setWord;
    if (!file.ReadI32(setWord)) return false;
    int setCount = setWord & 0xFF;
    if (setCount > 0) {
        std::vector<int32_t> counts(static_cast<size_t>(setCount));
        auto readSetLists = [&](std::vector<std::vector<uint16_t>>* out) {
            for (int32_t& c : counts)
                if (!file.ReadI32(c) || c < 0 || c > kMaxVertices) return false;
            if (out) out->resize(size_t(setCount));
            std::vector<uint16_t> skipped;
            for (int s = 0; s < setCount; ++s)
                if (!ReadU16List(file, out ? (*out)[size_t(s)] : skipped, counts[size_t(s)]))
                    return false;
            return true;
        };
        if (!readSetLists(&lists.setIndices) || !readSetLists(nullptr) ||
            !readSetLists(&lists.setTexCoordIndices))
            return false;
    }
    return BuildGeometry(std::move(lists), GetModelLoadState().currentFile);
}

} // namespace lumivane
