// ModelLibrary: loading the prototypes, finding and cloning them, the missing
// files and the shared vertex buffer.
#include "desktop/scene/world/model_library.h"

#include <algorithm>
#include <system_error>

#include "desktop/scene/entity/entity.h"
#include "desktop/scene/object/class_table.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/model_load_state.h"
#include "desktop/scene/object/object_file.h"
#include "desktop/scene/world/scene_services.h"
#include "desktop/scene/world/world.h"
#include "platform/binary_io.h"
#include "platform/paths.h"

namespace lumivane {

namespace {

ModelLibrary* gLibrary = nullptr;

constexpr std::string_view kRepeatMark = " ...";

bool HasVrnExtension(const std::filesystem::path& path) {
    return platform::EqualsIgnoreCase(path.extension().string(), ".vrn");
}

// The ".vrn" files of a folder in name order.
std::vector<std::filesystem::path> ObjectFilesIn(const std::filesystem::path& dataRoot,
                                                 std::string_view folder) {
    std::vector<std::filesystem::path> files;
    auto dir = platform::ResolvePath(dataRoot, folder);
    if (!dir) return files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(*dir, error))
        if (entry.is_regular_file(error) && HasVrnExtension(entry.path()))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

ModelLibrary* GetModelLibrary() {
    return gLibrary;
}

void SetModelLibrary(ModelLibrary* library) {
    gLibrary = library;
}

ModelLibrary::ModelLibrary() {
    root = new Node;
    root->AddRef();
}

ModelLibrary::~ModelLibrary() {
    Shutdown();
    if (root) root->Release();
    if (gLibrary == this) gLibrary = nullptr;
}

void ModelLibrary::Progress(float fraction) const {
    if (onProgress) onProgress(fraction);
}

bool ModelLibrary::Abort() const {
    return shouldAbort && shouldAbort();
}

Node* ModelLibrary::LoadFile(const std::filesystem::path& path) {
    platform::FileReader file;
    if (!file.Open(path)) return nullptr;
    ModelLoadState& state = GetModelLoadState();
    state.currentFile = path.string();
    Unknown* object = ReadObject(file, nullptr, path.string(), 0);
    state.currentFile.clear();
    if (!object) return nullptr;
    if (!IsA(object, ClassId::Node)) {
        object->Release();
        return nullptr;
    }
    Node* node = static_cast<Node*>(object);
    root->AddChild(node);
    return node;
}

bool ModelLibrary::LoadFolder(const std::filesystem::path& dataRoot, std::string_view folder,
                              float base, float share) {
    const std::vector<std::filesystem::path> files = ObjectFilesIn(dataRoot, folder);
    for (size_t n = 0; n < files.size(); ++n) {
        LoadFile(files[n]);
        if ((n + 1) % 10 == 0) Progress(base + float(n + 1) / float(files.size()) * share);
        if (Abort()) return false;
    }
    return true;
}

int ModelLibrary::LoadAll(const std::filesystem::path& dataRoot) {
    loading = true;
    Progress(0.0f);
    if (root) root->Release();
    root = new Node;
    root->AddRef();
    ModelLoadState& state = GetModelLoadState();
    state.vertexCount = 0;
    state.dataRoot = dataRoot;
    if (!LoadFolder(dataRoot, "models", 0.0f, 0.3f) ||
        !LoadFolder(dataRoot, "objects", 0.3f, 0.25f)) {
        loading = false;
        return 0;
    }
    const int count = Count();
    for (int i = 0; i < count; ++i) {
        Node* prototype = GetAt(i);
        if (IsA(prototype, ClassId::Entity)) {
            auto* entity = static_cast<Entity*>(prototype);
            entity->CreateProps();
            entity->LoadProps(nullptr);
        }
        if (i % 10 == 0) Progress(0.55f + float(i) * 0.4f / float(count));
        if (Abort()) {
            loading = false;
            return 0;
        }
    }
    // Prototypes are no live entities: none keeps a world slot.
    if (World* world = GetWorld()) world->ClearSlots();
    BuildVertexBuffer();
    loading = false;
    return 1;
}

Node* ModelLibrary::FindPrototype(std::string_view name) const {
    if (name.empty() || !root) return nullptr;
    for (int i = 0; i < root->ChildCount(); ++i)
        if (Node* node = root->ChildAt(i); platform::EqualsIgnoreCase(node->Name(), name))
            return node;
    return nullptr;
}

Node* ModelLibrary::FindByClass(int classNumber) const {
    if (!root) return nullptr;
    for (int i = 0; i < root->ChildCount(); ++i)
        if (Node* node = root->ChildAt(i); node->classId == classNumber) return node;
    return nullptr;
}

int ModelLibrary::Count() const {
    return root ? root->ChildCount() : 0;
}

Node* ModelLibrary::GetAt(int index) const {
    return root ? root->ChildAt(index) : nullptr;
}

Entity* ModelLibrary::CreateInstance(std::string_view name, bool registerInWorld) const {
    Node* prototype = FindPrototype(name);
    if (!IsA(prototype, ClassId::Entity)) return nullptr;
    return static_cast<Entity*>(InstantiatePrototype(prototype, registerInWorld));
}

Node* InstantiatePrototype(Node* node, bool registerInWorld) {
    if (!node) return nullptr;
    while (node->Prototype())
        node = node->Prototype();
    Node* made = node->Clone();
    if (!registerInWorld) return made;
    World* world = GetWorld();
    if (!world) {
        made->Release();
        return nullptr;
    }
    if (!IsA(made, ClassId::Entity)) return world->AddNode(made) ? made : nullptr;
    auto* clone = static_cast<Entity*>(made);
    // A clone without a handle is queued for removal already; the world
    // holds it until then.
    const bool noHandle = clone->handle < 0;
    if (!world->AddEntity(clone) || noHandle) return nullptr;
    return clone;
}

void ModelLibrary::AddMissingFile(int32_t kind, std::string_view path, std::string_view requester) {
    if (!loading) return;
    for (MissingFile& entry : missing)
        if (platform::EqualsIgnoreCase(entry.path, path)) {
            if (entry.requester.find("...") == std::string::npos) {
                const size_t room = kRequesterSize - 1 - kRepeatMark.size();
                if (entry.requester.size() > room) entry.requester.resize(room);
                entry.requester += kRepeatMark;
            }
            return;
        }
    MissingFile entry;
    entry.kind = kind;
    entry.path = std::string(path.substr(0, kMissingPathSize - 1));
    entry.requester = std::string(requester.substr(0, kRequesterSize - 1));
    missing.push_back(std::move(entry));
}

void ModelLibrary::BuildVertexBuffer() {
    VertexBufferSink* sink = GetVertexBufferSink();
    if (sink && bufferHeld) sink->Release();
    bufferHeld = false;
    // Every model's GeoNodes, depth first; none is in a buffer until the
    // new one stands.
    std::vector<GeoNode*> nodes;
    std::vector<Node*> pending;
    if (root) pending.push_back(root);
    while (!pending.empty()) {
        Node* node = pending.back();
        pending.pop_back();
        if (IsA(node, ClassId::GeoNode)) {
            auto* geo = static_cast<GeoNode*>(node);
            geo->inSharedBuffer = 0;
            nodes.push_back(geo);
        }
        for (int i = node->ChildCount() - 1; i >= 0; --i)
            pending.push_back(node->ChildAt(i));
    }
    DisplayState& display = GetDisplayState();
    if (GetModelLoadState().vertexCount == 0) {
        display.vertexBuffer = false;
        return;
    }
    if (!display.vertexBuffer || !sink) return;

    std::vector<Vertex> all;
    std::vector<GeoNode*> placed;
    for (GeoNode* geo : nodes) {
        const std::vector<Vertex>* vertices = geo->SourceVertices();
        const size_t count =
            vertices ? std::min(vertices->size(), size_t(std::max(geo->vertexCount, 0))) : 0;
        if (count == 0) continue;
        geo->firstSharedVertex = int32_t(all.size());
        all.insert(all.end(), vertices->begin(), vertices->begin() + ptrdiff_t(count));
        placed.push_back(geo);
    }
    if (all.empty() || !sink->Upload(all)) return;
    bufferHeld = true;
    for (GeoNode* geo : placed)
        geo->inSharedBuffer = 1;
}

void ModelLibrary::Shutdown() {
    if (VertexBufferSink* sink = GetVertexBufferSink(); sink && bufferHeld) sink->Release();
    bufferHeld = false;
    missing.clear();
}

} // namespace lumivane
