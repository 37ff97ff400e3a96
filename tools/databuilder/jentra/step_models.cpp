// Writes the engine's own model files (.jtm) through the scene classes' own
// save code: a small sample model under modules/test that the tests and
// tools load.
#include "tools/databuilder/shared/data_step.h"
#include "tools/databuilder/shared/channel_keys.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "Jentra/JTChannel.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTLight.h"
#include "Jentra/JTSequencer.h"
#include "Jentra/JTTransNode.h"

namespace {

using databuilder::MatrixKey;
using databuilder::OpacityKey;

// A root with an "idle" loop (2 s) that lifts an arm to 2 at 1 s and back
// and fades a hand out over the first second, and a "wave" (1 s, starting at
// 2 s on the common time line) that turns the arm; a light above the origin
// at scale 2; a half-faded geometry node; and a blade of grass. The engine's
// tests load this model and pose it, so what they check is what ships.
JTTransNode* BuildSample() {
    auto* root = new JTTransNode;
    root->SetName("sample");
    auto* sequencer = new JTSequencer;
    sequencer->AddSequence("idle", 2.0f, 0.0f);
    sequencer->AddSequence("wave", 1.0f, 2.0f);
    root->SetSequencer(sequencer);

    auto* arm = new JTTransNode;
    arm->SetName("arm");
    auto* frames = new JTFrameChannel;
    frames->SetNumSequences(2);
    frames->AddKey(0, 0.0f, MatrixKey(JTMatrixTranslation(0, 0, 0)));
    frames->AddKey(0, 1.0f, MatrixKey(JTMatrixTranslation(0, 2, 0)));
    frames->AddKey(0, 2.0f, MatrixKey(JTMatrixTranslation(0, 0, 0)));
    frames->AddKey(1, 0.0f, MatrixKey(JTMatrixRotationZ(0.0f)));
    frames->AddKey(1, 1.0f, MatrixKey(JTMatrixRotationZ(1.0f)));
    arm->AddChannel(frames);
    root->AddChild(arm);

    auto* hand = new JTGeoNode;
    hand->SetName("hand");
    auto* fade = new JTVisChannel;
    fade->SetNumSequences(2);
    fade->AddKey(0, 0.0f, OpacityKey(1.0f));
    fade->AddKey(0, 1.0f, OpacityKey(0.0f));
    hand->AddChannel(fade);
    arm->AddChild(hand);

    auto* lamp = new JTLight;
    lamp->SetName("lamp");
    lamp->SetPos(JTVec3(0, 10, 0));
    lamp->SetScale(2.0f);
    root->AddChild(lamp);

    auto* body = new JTGeoNode;
    body->SetName("body");
    body->SetOpacity(0.5f);
    root->AddChild(body);

    auto* grass = new JTTransNode;
    grass->SetName("GrassBlade1");
    grass->SetMatrix(JTMatrixTranslation(1, 0, 1));
    root->AddChild(grass);
    return root;
}

bool WriteModel(const std::filesystem::path& path, JTUnknown* root) {
    JTFile f(nullptr, nullptr, 0, true);
    if (!root->SaveLoad(f) || f.Failed()) {
        std::fprintf(stderr, "models: cannot save %s\n", path.c_str());
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(f.GetCurrentMemBuffer()),
              std::streamsize(f.GetCurrentMemBufferUsed()));
    if (!out) {
        std::fprintf(stderr, "models: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace

DATABUILDER_STEP(WriteEngineModels, "models") {
    JTTransNode* sample = BuildSample();
    bool ok = WriteModel(context.runtime / "modules" / "test" / "sample.jtm", sample);
    delete sample;
    return ok;
}
