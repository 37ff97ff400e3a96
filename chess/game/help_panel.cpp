// The plates behind the F1 help: dark and half seen, one behind each of the
// help's two columns of lines in the top corners of the screen, so that the
// lines can be read over the sky, the table and the board alike. Each runs
// from its corner's edges to just past its lines, and no further: between
// them the banner's word stands, and under them the far pieces begin. They
// are made here rather than from a model file, as their size follows the
// lines as the font sets them.
#include <algorithm>
#include <memory>

#include "Jentra/JTEffects.h"
#include "Jentra/JTEntity.h"
#include "Jentra/JTGeoNode.h"
#include "Jentra/JTMesh.h"
#include "Jentra/JTScene.h"
#include "Jentra/JTTransNode.h"
#include "chess/game/chess_game.h"

namespace {

// The colour of the menus' list lines, a little darker and less seen through.
constexpr float kPanelColour[3] = {0.05f, 0.08f, 0.22f};
constexpr float kPanelOpacity = 0.75f;
// Room beside and under the lines, in interface units.
constexpr float kPanelMargin = 0.012f;
// A plate runs past the screen's edges (the interface's half width is 1):
// no edge of it shows at the side or the top.
constexpr float kPanelOverhang = 0.1f;
// Behind the text (the interface camera looks along +z).
constexpr float kPanelDepth = 0.01f;

// A square of side 1 about the origin, facing the camera, in one unlit colour.
JTGeoNode* UnitPlate() {
    const Vert1 corners[4] = {{-0.5f, 0.5f, 0, 0, 0, 0, 0, 0},
                              {0.5f, 0.5f, 0, 0, 0, 0, 1, 0},
                              {-0.5f, -0.5f, 0, 0, 0, 0, 0, 1},
                              {0.5f, -0.5f, 0, 0, 0, 0, 1, 1}};
    const unsigned short indices[6] = {0, 1, 2, 2, 1, 3};
    auto mesh = std::make_unique<JTMesh>();
    if (!mesh->CreateBuffersFromData(nullptr, corners, 4, indices, 6, false, false)) return nullptr;
    auto* effect = new JTEffect_Simple;
    effect->twoSided = true;
    for (int i = 0; i < 3; ++i)
        effect->emissive[i] = kPanelColour[i];
    auto* plate = new JTGeoNode;
    plate->SetName("plate");
    plate->SetMesh(mesh.release());
    plate->SetEffect(effect, true);
    plate->SetOpacity(kPanelOpacity);
    return plate;
}

struct Extent {
    float left = 1e9f, right = -1e9f, low = 1e9f, high = -1e9f;
    bool Empty() const { return left > right; }
};

// What the node and its children draw, through their matrices.
void AddExtent(JTNode* node, const JTMatrix& world, Extent& extent) {
    if (!node) return;
    if (node->IsDerived(JTGeoNode::nType))
        if (JTMesh* mesh = static_cast<JTGeoNode*>(node)->GetMesh())
            for (unsigned i = 0; i < mesh->GetNumVertices(); ++i) {
                Vert1 v;
                if (!mesh->GetVertex(i, v)) continue;
                const JTVec3 p = JTVec3TransformCoord(JTVec3(v.x, v.y, v.z), world);
                extent.left = std::min(extent.left, p.x);
                extent.right = std::max(extent.right, p.x);
                extent.low = std::min(extent.low, p.y);
                extent.high = std::max(extent.high, p.y);
            }
    for (int i = 0; i < node->GetNumChildren(); ++i) {
        JTNode* child = node->GetChild(i);
        if (child && child->IsDerived(JTTransNode::nType))
            AddExtent(child, static_cast<JTTransNode*>(child)->GetMatrix() * world, extent);
        else
            AddExtent(child, world, extent);
    }
}

} // namespace

void ChessGame::CreateHelpPanel() {
    if (!interfaceScene) return;
    helpPanel = new JTEntity();
    for (JTTransNode*& frame : helpPanelFrames) {
        frame = new JTTransNode();
        if (JTGeoNode* plate = UnitPlate()) frame->AddChild(plate);
        helpPanel->AddChild(frame);
    }
    helpPanel->SetPickable(false);
    helpPanel->SetVisible(false);
    interfaceScene->Add(helpPanel);
}

void ChessGame::PlaceHelpPanel() {
    if (!helpPanel) return;
    bool shown = false;
    for (int column = 0; column < 2; ++column) {
        JTEntity* text = helpColumns[column];
        Extent extent;
        // The lines as set now, about the text's own place.
        if (helpOn && text) {
            const JTVec3 at = text->GetPos();
            const float scale = text->GetScale();
            AddExtent(text,
                      JTMatrixScaling(scale, scale, scale) * JTMatrixTranslation(at.x, at.y, 0.0f),
                      extent);
        }
        if (extent.Empty()) {
            // Nothing to stand on it: the plate draws nothing.
            helpPanelFrames[column]->SetMatrix(JTMatrixScaling(0.0f, 0.0f, 0.0f));
            continue;
        }
        shown = true;
        // The first column's plate from past the left edge, the second's to
        // past the right edge; both from past the top edge down to just under
        // their lowest line.
        const float left = column == 0 ? -1.0f - kPanelOverhang : extent.left - kPanelMargin;
        const float right = column == 0 ? extent.right + kPanelMargin : 1.0f + kPanelOverhang;
        const float top = extent.high + kPanelOverhang;
        const float bottom = extent.low - kPanelMargin;
        helpPanelFrames[column]->SetMatrix(
            JTMatrixScaling(right - left, top - bottom, 1.0f) *
            JTMatrixTranslation((left + right) / 2, (top + bottom) / 2, 0.0f));
        helpPanel->SetPos(JTVec3(0.0f, 0.0f, text->GetPos().z + kPanelDepth));
    }
    helpPanel->SetVisible(shown && !helpHidden);
}
