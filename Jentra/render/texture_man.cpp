// JTTextureMan: every texture of a display by name, loaded once, and the
// texture references of model files.
#include "Jentra/JTDataFolder.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTTexture.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <strings.h>

namespace {

constexpr uint16_t kRefVersion = 1;

// The folder a texture named without one is looked for in: the model
// file's own folder, relative to "modules\" when the model lies below it
// (so that the name saved again later still resolves there), else absolute.
std::string ModelFolder(const char* modelFile) {
    if (!modelFile || !*modelFile) return "";
    const std::string file = modelFile;
    if (file.front() != '/') {
        const size_t slash = file.find_last_of("\\/");
        return slash == std::string::npos ? "" : file.substr(0, slash + 1);
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = fs::weakly_canonical(fs::path(file).parent_path(), ec);
    const fs::path modules = fs::weakly_canonical(JTDataFolder() / "modules", ec);
    const fs::path relative = folder.lexically_relative(modules);
    if (!relative.empty() && *relative.begin() != "..") {
        std::string inside = relative == "." ? "" : relative.generic_string() + "/";
        for (char& c : inside)
            if (c == '/') c = '\\';
        return inside;
    }
    return folder.string() + "/";
}

} // namespace

JTTextureMan::JTTextureMan(JTDisplay* display) : display(display) {}

JTTextureMan::~JTTextureMan() {
    for (int i = 0; i < textures.GetCount(); ++i)
        delete textures[i];
    for (int i = 0; i < failedNames.GetCount(); ++i)
        std::free(failedNames[i]);
}

JTTexture* JTTextureMan::Lookup(const char* name) {
    for (int i = 0; i < textures.GetCount(); ++i)
        if (strcasecmp(textures[i]->GetName(), name) == 0) return textures[i];
    return nullptr;
}

JTTexture* JTTextureMan::Load(const char* name, const char*, bool reload) {
    if (!name || !*name) return nullptr;
    if (!reload)
        if (JTTexture* loaded = Lookup(name)) return loaded;
    auto* texture = new JTTexture;
    if (textures.Add(texture) < 0) {
        delete texture;
        return nullptr;
    }
    if (!texture->Load(display, name)) {
        textures.Remove(texture);
        delete texture;
        return nullptr;
    }
    return texture;
}

JTTexture* JTTextureMan::Create(int width, int height, D3DFORMAT format, bool mips,
                                unsigned long usage, int frames) {
    auto* texture = new JTTexture;
    if (textures.Add(texture) < 0) {
        delete texture;
        return nullptr;
    }
    texture->CreateFrames(display, width, height, format, mips, usage, frames);
    return texture;
}

JTTextureFrame* JTTextureMan::FindFrame(const char* name) {
    if (!name || !*name) return nullptr;
    if (JTTexture* loaded = Lookup(name)) return loaded->GetFrame(0);
    for (int i = 0; i < failedNames.GetCount(); ++i)
        if (strcasecmp(failedNames[i], name) == 0) return nullptr;
    if (JTTexture* texture = Load(name)) return texture->GetFrame(0);
    if (char* copy = strdup(name)) {
        if (failedNames.Add(copy) < 0) std::free(copy);
    }
    return nullptr;
}

bool JTTextureMan::SaveLoadRef(JTFile& file, JTTexture** ref) {
    uint16_t version = kRefVersion;
    if (!file.SaveLoadValue(version)) return false;
    if (file.Saving()) {
        uint32_t present = ref && *ref ? 1 : 0;
        if (!file.SaveLoadValue(present)) return false;
        if (!present) return true;
        // The whole field is written, zero-filled: files never differ
        // between runs and carry nothing but the name.
        char field[kJTTextureNameSize];
        CopyTextureName(field, (*ref)->GetName());
        return file.SaveLoad(field, sizeof field);
    }

    uint32_t present = 0;
    if (!file.SaveLoadValue(present)) return false;
    if (ref) *ref = nullptr;
    if (!present) return true;
    char field[kJTTextureNameSize];
    if (!file.SaveLoad(field, sizeof field)) return false;
    field[kJTTextureNameSize - 1] = '\0';
    std::string name = field;
    if (name.empty()) return true;
    if (name.find('\\') == std::string::npos && name.front() != '/')
        name = ModelFolder(file.GetFileName()) + name;
    // A joined name that does not fit a texture's name cannot be kept: the
    // reference stays empty rather than naming another file.
    JTTexture* texture = nullptr;
    if (name.size() < kJTTextureNameSize)
        texture = Load(name.c_str(), "", false);
    else
        std::fprintf(stderr, "Jentra: texture name too long: %.60s...\n", name.c_str());
    if (ref) *ref = texture;
    return true;
}
