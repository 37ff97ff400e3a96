// The sample model shared by the node, file and animation tests: the one
// the data builder writes, with a triangle mesh on its hand.
#include "tests/jentra/test_scene_support.h"

#include <fstream>
#include <iterator>

#include "platform/paths.h"

JT_CLASS_IMPL(TestMesh)
JT_CLASS_IMPL(TestEffect)

std::vector<unsigned char> LoadSampleModelBytes() {
    std::ifstream in(platform::ProgramFolder() / "modules" / "test" / "sample.jtm",
                     std::ios::binary);
    return std::vector<unsigned char>((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
}

JTTransNode* BuildSampleTree() {
    JTNode* model = LoadNodeFromBytes(LoadSampleModelBytes());
    auto* hand = model ? model->FindChildRecursive("hand") : nullptr;
    if (!model || !model->IsDerived(JTTransNode::nType) || !hand ||
        !hand->IsDerived(JTGeoNode::nType)) {
        ADD_FAILURE() << "the data builder writes modules/test/sample.jtm";
        delete model;
        return nullptr;
    }
    auto* mesh = new TestMesh;
    mesh->AddFace(JTVec3(-1, -1, 0), JTVec3(-1, 1, 0), JTVec3(1, 1, 0));
    static_cast<JTGeoNode*>(hand)->SetMesh(AsJTMesh(mesh));
    return static_cast<JTTransNode*>(model);
}
