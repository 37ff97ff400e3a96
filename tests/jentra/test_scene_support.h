// Shared fixtures of the scene-graph and animation tests: an identifier map
// per test, a small triangle mesh class with the geometry-part hooks that a
// geometry node uses, a recording draw queue, and memory-stream helpers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "Jentra/JTFile.h"
#include "Jentra/JTFrameClock.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTGlobals.h"
#include "Jentra/JTTransNode.h"
#include "Jentra/JTID.h"
#include "Jentra/JTUnknown.h"
#include "Jentra/JTClassMap.h"
#include "Jentra/core/scene/draw_queue.h"
#include "Jentra/core/scene/geo_parts.h"
#include "Jentra/core/scene/load_owned.h"

// A mesh stand-in: a list of triangles, saved as a count and the corners.
class TestMesh : public JTUnknown {
    JT_CLASS(TestMesh, JTUnknown)
public:
    std::vector<JTVec3> corners; // three per face

    void AddFace(JTVec3 a, JTVec3 b, JTVec3 c) {
        corners.push_back(a);
        corners.push_back(b);
        corners.push_back(c);
    }
    bool SaveLoad(JTFile& f) override {
        if (!JTUnknown::SaveLoad(f)) return false;
        uint32_t count = uint32_t(corners.size());
        if (!f.SaveLoadValue(count) || count > 3000) return false;
        corners.resize(count);
        for (JTVec3& v : corners)
            if (!f.SaveLoadValue(v.x) || !f.SaveLoadValue(v.y) || !f.SaveLoadValue(v.z))
                return false;
        return true;
    }
};

// An effect stand-in that counts how many of its kind are alive.
class TestEffect : public JTUnknown {
    JT_CLASS(TestEffect, JTUnknown)
public:
    TestEffect() { ++alive; }
    TestEffect(const TestEffect&) : JTUnknown() { ++alive; }
    TestEffect& operator=(const TestEffect&) = default;
    ~TestEffect() override { --alive; }
    static inline int alive = 0;
};

inline JTEffect* AsJTEffect(TestEffect* effect) {
    return reinterpret_cast<JTEffect*>(effect);
}

inline JTMesh* AsJTMesh(TestMesh* mesh) {
    return reinterpret_cast<JTMesh*>(mesh);
}
inline TestMesh* AsTestMesh(JTMesh* mesh) {
    return reinterpret_cast<TestMesh*>(mesh);
}

class TestGeoParts : public JTGeoParts {
public:
    int MeshClassType() override { return TestMesh::nType; }
    int EffectClassType() override { return TestEffect::nType; }
    JTUnknown* MeshObject(JTMesh* mesh) override { return AsTestMesh(mesh); }
    JTMesh* AsMesh(JTUnknown* object) override {
        return object->IsDerived(TestMesh::nType) ? AsJTMesh(static_cast<TestMesh*>(object))
                                                  : nullptr;
    }
    JTUnknown* EffectObject(JTEffect* effect) override {
        return reinterpret_cast<TestEffect*>(effect);
    }
    JTEffect* AsEffect(JTUnknown* object) override {
        return object && object->IsDerived(TestEffect::nType)
                   ? AsJTEffect(static_cast<TestEffect*>(object))
                   : nullptr;
    }
    int MeshVertexCount(JTMesh* mesh) override { return int(AsTestMesh(mesh)->corners.size()); }
    int MeshFaceCount(JTMesh* mesh) override { return int(AsTestMesh(mesh)->corners.size() / 3); }
    float MeshBoundRadius(JTMesh* mesh) override {
        float r = 0;
        for (const JTVec3& v : AsTestMesh(mesh)->corners)
            r = std::max(r, v.Length());
        return r;
    }
    bool MeshFace(JTMesh* mesh, int face, JTVec3 out[3]) override {
        auto& c = AsTestMesh(mesh)->corners;
        if (face < 0 || size_t(face) * 3 + 3 > c.size()) return false;
        for (int i = 0; i < 3; i++)
            out[i] = c[size_t(face) * 3 + i];
        return true;
    }
    bool MeshVertex(JTMesh* mesh, int index, JTVec3& out) override {
        auto& c = AsTestMesh(mesh)->corners;
        if (index < 0 || size_t(index) >= c.size()) return false;
        out = c[size_t(index)];
        return true;
    }
    void MeshDrawPrimitives(JTMesh*, JTDrawQueue*, bool dynamic, JTGeoNode*) override {
        draws.push_back(dynamic);
    }
    void MeshCreateStrip(JTMesh*) override {}
    void MeshSetUseStrips(JTMesh*, bool) override {}
    bool EffectTransparent(JTEffect*) override { return false; }
    void EffectRender(JTEffect*, JTDrawQueue*, JTGeoNode*) override {}

    std::vector<bool> draws; // the dynamic flag of every mesh draw
};

// Records what nodes queue; the matrix stack starts with the root's identity.
class RecordingDrawQueue : public JTDrawQueue {
public:
    std::vector<JTMatrix> stack{JTMatrix()};
    std::vector<std::pair<JTNode*, bool>> queued;
    bool shadow = false;
    JTVec3 cameraPos{0, 0, 0};
    JTVec3 cameraDir{0, 0, 1};

    void PushMatrix(const JTMatrix& m) override { stack.push_back(m); }
    void PopMatrix() override {
        if (!stack.empty()) stack.pop_back();
    }
    bool MatrixStackEmpty() const override { return stack.empty(); }
    JTMatrix GetMatrix() const override { return stack.empty() ? JTMatrix() : stack.back(); }
    void AddToQueue(JTNode* node, bool transparent) override {
        queued.emplace_back(node, transparent);
    }
    bool GetRenderingShadow() const override { return shadow; }
    bool GetCameraView(JTVec3& p, JTVec3& d) const override {
        p = cameraPos;
        d = cameraDir;
        return true;
    }
    void RenderShadow(JTGeoNode* node) override { shadowDrawn.push_back(node); }
    std::vector<JTGeoNode*> shadowDrawn;
};

// Each test gets its own identifier map, mesh hooks and a clock at zero.
class SceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        JTRegisterClass<TestMesh>();
        JTRegisterClass<TestEffect>();
        map = std::make_unique<JTIDMap>();
        gpJTIDMap = map.get();
        SetGeoParts(&parts);
        dt = 0.0f;
        gdwTime = 0;
    }
    void TearDown() override {
        SetGeoParts(nullptr);
        gpJTIDMap = nullptr;
        map.reset();
    }

    std::unique_ptr<JTIDMap> map;
    TestGeoParts parts;
};

// The bytes a saving memory stream holds after root saved itself.
inline std::vector<unsigned char> SaveToBytes(JTUnknown* root) {
    JTFile f(nullptr, nullptr, 0, true);
    EXPECT_TRUE(root->SaveLoad(f));
    EXPECT_FALSE(f.Failed());
    unsigned char* data = f.GetCurrentMemBuffer();
    return std::vector<unsigned char>(data, data + f.GetCurrentMemBufferUsed());
}

// Loads one owned node from bytes; null when the stream is refused.
inline JTNode* LoadNodeFromBytes(const std::vector<unsigned char>& bytes) {
    auto* buffer = static_cast<unsigned char*>(std::malloc(bytes.size() ? bytes.size() : 1));
    if (!bytes.empty()) std::memcpy(buffer, bytes.data(), bytes.size());
    JTFile f(nullptr, buffer, unsigned(bytes.size()), false);
    JTNode* node = LoadOwned<JTNode>(f);
    if (node && f.Failed()) {
        delete node;
        return nullptr;
    }
    return node;
}

// The bytes of the sample model the data builder writes (modules/test/
// sample.jtm in the runtime folder); empty when it is missing.
std::vector<unsigned char> LoadSampleModelBytes();

// That model, loaded, with a triangle mesh given to its hand: a root
// transform node named "sample" with a sequencer ("idle", 2 s; "wave", 1 s),
// an "arm" moved by matrix keys, a "hand" faded by opacity keys, a "lamp"
// at scale 2, a "body" geometry node at opacity 0.5 and a grass blade. Null
// (and a test failure) when the model cannot be read.
JTTransNode* BuildSampleTree();
