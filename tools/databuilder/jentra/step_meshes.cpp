// Writes the engine's own mesh model "modules/testcube.jtm": a transform
// node "cube" holding the geometry node "body", a bump-mapped cube (its
// faces also as strips) drawn with JTEffect_ParkPiece on "marble.jpg",
// which lies beside it. Saved through the mesh's and effects' own save
// code, it is what the renderer's tests and tools load.
#include "tools/databuilder/shared/data_step.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include "Jentra/JTEffects.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTTexture.h"
#include "Jentra/JTTransNode.h"

namespace {

// A cube of half-size 1, four vertices a face with u across and v down as
// seen from outside, wound clockwise from outside.
std::unique_ptr<JTMesh> Cube() {
    struct Side {
        JTVec3 n, up;
    } const sides[6] = {{{0, 0, -1}, {0, 1, 0}}, {{0, 0, 1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 1, 0}},
                        {{1, 0, 0}, {0, 1, 0}},  {{0, 1, 0}, {0, 0, 1}}, {{0, -1, 0}, {0, 0, -1}}};
    std::vector<Vert1> vertices;
    std::vector<unsigned short> indices;
    for (const Side& s : sides) {
        const JTVec3 right = JTVec3Cross(s.n, s.up);
        const auto k = static_cast<unsigned short>(vertices.size());
        const float corners[4][4] = {{-1, 1, 0, 0}, {1, 1, 1, 0}, {-1, -1, 0, 1}, {1, -1, 1, 1}};
        for (const auto& c : corners) {
            const JTVec3 p = s.n + right * c[0] + s.up * c[1];
            vertices.push_back({p.x, p.y, p.z, s.n.x, s.n.y, s.n.z, c[2], c[3]});
        }
        for (unsigned short i : {0, 1, 2, 2, 1, 3})
            indices.push_back(static_cast<unsigned short>(k + i));
    }
    auto mesh = std::make_unique<JTMesh>();
    if (!mesh->CreateBuffersFromData(nullptr, vertices.data(), unsigned(vertices.size()),
                                     indices.data(), unsigned(indices.size()), false, true))
        return nullptr;
    mesh->CreateStrip(nullptr);
    return mesh;
}

} // namespace

DATABUILDER_STEP(WriteMeshModels, "meshes") {
    const std::filesystem::path file = context.runtime / "modules" / "testcube.jtm";
    std::unique_ptr<JTMesh> mesh = Cube();
    if (!mesh) {
        std::fprintf(stderr, "databuilder: the cube mesh cannot be made\n");
        return false;
    }
    JTTexture marble; // named only: the model refers to it by name
    marble.SetName("marble.jpg");
    auto* effect = new JTEffect_ParkPiece;
    effect->diffuse = &marble;

    JTTransNode root;
    root.SetName("cube");
    auto* body = new JTGeoNode;
    body->SetName("body");
    body->SetMesh(mesh.release());
    body->SetEffect(effect, true);
    root.AddChild(body);

    JTFile out(file.c_str(), true);
    bool ok = out.Opened() && root.SaveLoad(out) && !out.Failed();
    ok = out.Close() && ok;
    // The texture is the step's own; the effect must not keep it.
    effect->diffuse = nullptr;
    if (!ok) std::fprintf(stderr, "databuilder: cannot write %s\n", file.c_str());
    return ok;
}
