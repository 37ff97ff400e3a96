// ModelLibrary: every prototype of the installation, read at start-up from
// the object files under "models\" and "objects\", with their property files
// from "properties\". Scenes, units and effects are made by name as clones of
// these prototypes. The library also gathers the vertices of all models into
// the display's one shared vertex buffer, and lists the files the loaders
// could not find while it was loading.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace lumivane {

class Entity;
class Node;

inline constexpr int32_t kMissingTexture = 1;
inline constexpr int32_t kMissingSound = 2;
inline constexpr int kRequesterSize = 32;
inline constexpr int kMissingPathSize = 260;

struct MissingFile {
    std::string requester; // at most 31 characters, " ..." once repeated
    std::string path;      // at most 259 characters
    int32_t kind = 0;      // kMissingTexture or kMissingSound
};

class ModelLibrary {
public:
    ModelLibrary();
    ~ModelLibrary();
    ModelLibrary(const ModelLibrary&) = delete;
    ModelLibrary& operator=(const ModelLibrary&) = delete;

    // The load screen's progress (0..1) and the abort test asked after
    // every file; both optional.
    std::function<void(float)> onProgress;
    std::function<bool()> shouldAbort;

    // Loads every prototype and its properties below `dataRoot`. 0 when the
    // load was abandoned (the caller then ends the program).
    int LoadAll(const std::filesystem::path& dataRoot);
    // Reads one object file and appends what it holds; null when it cannot.
    Node* LoadFile(const std::filesystem::path& path);

    // The first prototype of that name, ignoring case; null for none.
    Node* FindPrototype(std::string_view name) const;
    // The first prototype of exactly that class number.
    Node* FindByClass(int classNumber) const;
    int Count() const;
    Node* GetAt(int index) const;
    // Clones the entity prototype of that name (see InstantiatePrototype);
    // null for a name that names no entity.
    Entity* CreateInstance(std::string_view name, bool registerInWorld) const;

    // Notes a file a loader could not find; only while LoadAll runs.
    void AddMissingFile(int32_t kind, std::string_view path, std::string_view requester);
    const std::vector<MissingFile>& MissingFiles() const { return missing; }
    bool IsLoading() const { return loading; }

    // Hands every model's vertices to the display's shared vertex buffer.
    void BuildVertexBuffer();
    // Releases the shared buffer and forgets the missing files.
    void Shutdown();

    Node* Root() const { return root; }

private:
    void Progress(float fraction) const;
    bool Abort() const;
    // Loads the ".vrn" files of one folder; false when aborted.
    bool LoadFolder(const std::filesystem::path& dataRoot, std::string_view folder, float base,
                    float share);

    Node* root = nullptr;
    std::vector<MissingFile> missing;
    bool loading = false;
    bool bufferHeld = false;
};

// A clone of the library prototype at the end of `node`'s prototype chain:
// an entity, or a plain node. Registered, it joins the world; null then
// when an entity got no handle or the world could not take it.
Node* InstantiatePrototype(Node* node, bool registerInWorld);

// The program's library; null until start-up makes it.
ModelLibrary* GetModelLibrary();
void SetModelLibrary(ModelLibrary* library);

} // namespace lumivane
