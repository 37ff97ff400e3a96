// Helpers the scene engine's tests share: a message sink that records what
// it is told, a texture source of fake sets, and ownership of test objects.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "desktop/scene/object/engine_services.h"
#include "desktop/scene/object/geo_node.h"
#include "desktop/scene/object/unknown.h"

namespace lumivane {

// The texture manager's set, as far as these tests need one.
class TextureSet {
public:
    std::string path;
    int pixelKind = kPixelKindPlain;
    int frames = 1;
};

namespace test {

struct ReleaseObject {
    void operator()(Unknown* object) const {
        if (object) object->Release();
    }
};
template <class T> using Owned = std::unique_ptr<T, ReleaseObject>;

template <class T> Owned<T> Own(T* object) {
    return Owned<T>(object);
}

// One triangle in the XY plane, each corner with its own coordinate pair.
inline GeoLists TriangleLists() {
    GeoLists lists;
    lists.positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    lists.indices = {0, 1, 2};
    lists.texCoords = {0, 0, 1, 0, 0, 1};
    lists.texCoordIndices = {0, 1, 2};
    return lists;
}

// Installs itself for its lifetime.
class RecordingSink : public MessageSink {
public:
    RecordingSink() { SetMessageSink(this); }
    ~RecordingSink() override { SetMessageSink(nullptr); }
    void ShowWarning(int entry, std::string_view detail) override {
        warnings.emplace_back(entry, std::string(detail));
    }
    void ShowFatalError(int entry, std::string_view detail) override {
        fatals.emplace_back(entry, std::string(detail));
    }
    std::vector<std::pair<int, std::string>> warnings;
    std::vector<std::pair<int, std::string>> fatals;
};

// Answers every request with a set it owns; paths listed in `missing` fail.
class FakeTextureSource : public TextureSource {
public:
    FakeTextureSource() { SetTextureSource(this); }
    ~FakeTextureSource() override { SetTextureSource(nullptr); }
    TextureSet* GetTexture(std::string_view path, std::string_view group, int32_t,
                           int32_t) override {
        requests.emplace_back(std::string(path), std::string(group));
        for (const std::string& gone : missing)
            if (gone == path) return nullptr;
        auto& set = sets[std::string(path)];
        if (!set) {
            set = std::make_unique<TextureSet>();
            set->path = path;
            set->pixelKind = pixelKind;
            set->frames = frames;
        }
        return set.get();
    }
    int GetPixelKind(const TextureSet* set) override { return set->pixelKind; }
    int GetFrameCount(const TextureSet* set) override { return set->frames; }

    int pixelKind = kPixelKindPlain;
    int frames = 1;
    std::vector<std::string> missing;
    std::vector<std::pair<std::string, std::string>> requests;
    std::map<std::string, std::unique_ptr<TextureSet>> sets;
};

} // namespace test
} // namespace lumivane
