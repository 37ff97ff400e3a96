// The panel behind the F1 help: a dark, half-seen plate that the five help
// lines stand on, so that they can be read over the light and the dark
// squares alike. It is made here rather than from a model file, as its size
// follows the lines as the font sets them.
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
// Room around the lines, in interface units.
constexpr float kPanelMargin = 0.03f;
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
    JTGeoNode* plate = UnitPlate();
    if (!plate) return;
    helpPanel = new JTEntity();
    helpPanelFrame = new JTTransNode();
    helpPanelFrame->AddChild(plate);
    helpPanel->AddChild(helpPanelFrame);
    helpPanel->SetPickable(false);
    helpPanel->SetVisible(false);
    interfaceScene->Add(helpPanel);
}

void ChessGame::PlaceHelpPanel() {
    if (!helpPanel || !helpPanelFrame) return;
    Extent extent;
    // The lines as set now, about the help text's own place.
    if (helpOn && helpText) {
        const JTVec3 at = helpText->GetPos();
        const float scale = helpText->GetScale();
        AddExtent(helpText, JTMatrixScaling(scale, scale, scale), extent);
        if (!extent.Empty()) {
            const float width = extent.right - extent.left + 2 * kPanelMargin;
            const float height = extent.high - extent.low + 2 * kPanelMargin;
            helpPanelFrame->SetMatrix(JTMatrixScaling(width, height, 1.0f));
            helpPanel->SetPos(JTVec3(at.x + (extent.left + extent.right) / 2,
                                     at.y + (extent.low + extent.high) / 2, at.z + kPanelDepth));
        }
    }
    helpPanel->SetVisible(helpOn && !extent.Empty());
}
