// Writes the models of the controls module under modules/JTControls through
// the scene classes' own save code: the button ("button.jtm"), the list's
// slot ("ListItem.jtm") and the edit box ("JTEdit.jtm"). Sizes are in the
// controls' units, where a line of text stands 40 high.
#include "tools/databuilder/shared/data_step.h"
#include "tools/databuilder/shared/channel_keys.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "Jentra/JTChannel.h"
#include "Jentra/JTEffects.h"
#include "Jentra/JTFile.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTSequencer.h"
#include "Jentra/JTTransNode.h"

namespace {

struct Colour {
    float r, g, b;
};

// A flat rectangle facing the viewer (-z), drawn unlit in one colour by the
// fixed-function material; seen from both sides.
JTGeoNode* Panel(const char* name, float width, float height, JTVec3 centre, Colour colour,
                 float opacity) {
    const float l = centre.x - width / 2, r = centre.x + width / 2;
    const float b = centre.y - height / 2, t = centre.y + height / 2, z = centre.z;
    // No normal: the lights of a scene (the game's interface has one) add
    // nothing, so the panel keeps its own colour.
    const Vert1 corners[4] = {{l, t, z, 0, 0, 0, 0, 0},
                              {r, t, z, 0, 0, 0, 1, 0},
                              {l, b, z, 0, 0, 0, 0, 1},
                              {r, b, z, 0, 0, 0, 1, 1}};
    const unsigned short indices[6] = {0, 1, 2, 2, 1, 3};
    auto mesh = std::make_unique<JTMesh>();
    if (!mesh->CreateBuffersFromData(nullptr, corners, 4, indices, 6, false, false)) return nullptr;
    auto* effect = new JTEffect_Simple;
    effect->twoSided = true;
    effect->emissive[0] = colour.r;
    effect->emissive[1] = colour.g;
    effect->emissive[2] = colour.b;
    auto* node = new JTGeoNode;
    node->SetName(name);
    node->SetMesh(mesh.release());
    node->SetEffect(effect, true);
    node->SetOpacity(opacity);
    return node;
}

JTTransNode* Attach(const char* name, JTVec3 at) {
    auto* node = new JTTransNode;
    node->SetName(name);
    node->SetMatrix(JTMatrixTranslation(at.x, at.y, at.z));
    return node;
}

using databuilder::MatrixKey;
using databuilder::OpacityKey;

// Keys only fail on programming mistakes here; the block is freed then.
void Key(JTChannel* channel, int sequence, float time, void* data) {
    if (!channel->AddKey(sequence, time, data)) std::free(data);
}

constexpr float kSelectSeconds = 0.2f;

// The mark beside a selected control: a gold bar at x that grows in with
// "select_on" and shrinks away with "select_off". At rest (no selection
// played yet) it is shrunk to almost nothing, yet still invertible, so the
// cursor's ray test can pass through its frame.
JTTransNode* SelectionMark(float x, int selectOn, int selectOff, int numSequences) {
    const JTMatrix hidden = JTMatrixScaling(0.001f, 0.001f, 0.001f) * JTMatrixTranslation(x, 0, 0);
    const JTMatrix shown = JTMatrixTranslation(x, 0, 0);
    auto* mark = new JTTransNode;
    mark->SetName("selmark");
    mark->SetMatrix(hidden);
    auto* frames = new JTFrameChannel;
    frames->SetNumSequences(numSequences);
    Key(frames, selectOn, 0.0f, MatrixKey(hidden));
    Key(frames, selectOn, kSelectSeconds, MatrixKey(shown));
    Key(frames, selectOff, 0.0f, MatrixKey(shown));
    Key(frames, selectOff, kSelectSeconds, MatrixKey(hidden));
    if (!mark->AddChannel(frames)) delete frames;
    if (JTGeoNode* bar = Panel("selbar", 14, 44, JTVec3(0, 0, -1), {1.0f, 0.8f, 0.25f}, 1.0f))
        mark->AddChild(bar);
    return mark;
}

// A button's plate: a line of text (40 high) with a little room around it,
// narrow enough that two buttons 200 apart (the chess game's "Up" and
// "Down") keep a gap between them, and low enough that a button just under
// a list's last line or 50 below another does not touch it.
constexpr float kButtonWidth = 196.0f;
constexpr float kButtonHeight = 44.0f;

// A panel with the selection sequences and the mark, the text hung in
// front of it.
JTTransNode* Button() {
    auto* root = new JTTransNode;
    root->SetName("button");
    auto* sequencer = new JTSequencer;
    sequencer->AddSequence("select_on", kSelectSeconds, 0.0f);
    sequencer->AddSequence("select_off", kSelectSeconds, kSelectSeconds);
    root->SetSequencer(sequencer);
    if (JTGeoNode* plate = Panel("plate", kButtonWidth, kButtonHeight, JTVec3(0, 0, 4),
                                 {0.1f, 0.18f, 0.42f}, 0.8f))
        root->AddChild(plate);
    root->AddChild(SelectionMark(-kButtonWidth / 2 - 15, 0, 1, 2));
    root->AddChild(Attach("textattach", JTVec3(0, 0, -2)));
    return root;
}

// A list line fades in with "on" while a menu may already mark it: the fade
// ends before the mark's "select_on" does, since a sequence that stops while
// another still plays lets go of its channels (the mark would vanish).
constexpr float kFadeInSeconds = 0.15f;
static_assert(kFadeInSeconds < kSelectSeconds);
// Lines follow each other this far apart (the text is 40 high): six lines of
// the recorded-games menu end above its "Up" and "Down" buttons.
constexpr float kLinePitch = 45.0f;
constexpr float kPlateHeight = 42.0f;

// A list line: it fades in with "on", shows the selection mark, and says
// with "NextItem" where the next line hangs.
JTTransNode* ListItem() {
    auto* root = new JTTransNode;
    root->SetName("listitem");
    auto* sequencer = new JTSequencer;
    sequencer->AddSequence("on", kFadeInSeconds, 0.0f);
    sequencer->AddSequence("select_on", kSelectSeconds, kFadeInSeconds);
    sequencer->AddSequence("select_off", kSelectSeconds, kFadeInSeconds + kSelectSeconds);
    root->SetSequencer(sequencer);
    auto* fade = new JTVisChannel;
    fade->SetNumSequences(3);
    Key(fade, 0, 0.0f, OpacityKey(0.0f));
    Key(fade, 0, kFadeInSeconds, OpacityKey(1.0f));
    if (!root->AddChannel(fade)) delete fade;
    if (JTGeoNode* plate =
            Panel("plate", 420, kPlateHeight, JTVec3(0, 0, 4), {0.08f, 0.12f, 0.3f}, 0.6f))
        root->AddChild(plate);
    root->AddChild(SelectionMark(-225, 1, 2, 3));
    root->AddChild(Attach("textattach", JTVec3(0, 0, -2)));
    root->AddChild(Attach("NextItem", JTVec3(0, -kLinePitch, 0)));
    return root;
}

// A dark field with the text and the caret, a thin bar that the edit box
// moves after the last letter.
JTTransNode* EditBox() {
    auto* root = new JTTransNode;
    root->SetName("edit");
    if (JTGeoNode* field = Panel("field", 560, 56, JTVec3(0, 0, 4), {0.04f, 0.05f, 0.14f}, 0.85f))
        root->AddChild(field);
    root->AddChild(Attach("textattach", JTVec3(0, 0, -2)));
    JTTransNode* caret = Attach("caret", JTVec3(3, 0, -3));
    if (JTGeoNode* bar = Panel("caretbar", 5, 44, JTVec3(0, 0, 0), {1, 1, 1}, 1.0f))
        caret->AddChild(bar);
    root->AddChild(caret);
    return root;
}

bool Write(const std::filesystem::path& file, JTTransNode* root) {
    JTFile out(file.c_str(), true);
    bool ok = out.Opened() && root->SaveLoad(out) && !out.Failed();
    ok = out.Close() && ok;
    delete root;
    if (!ok) std::fprintf(stderr, "databuilder: cannot write %s\n", file.c_str());
    return ok;
}

} // namespace

DATABUILDER_STEP(WriteControlModels, "controls") {
    const std::filesystem::path folder = context.runtime / "modules" / "JTControls";
    bool ok = Write(folder / "button.jtm", Button());
    ok = Write(folder / "ListItem.jtm", ListItem()) && ok;
    ok = Write(folder / "JTEdit.jtm", EditBox()) && ok;
    return ok;
}
