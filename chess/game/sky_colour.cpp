// Tinting the sky's model.
#include "chess/game/sky_colour.h"

#include "Jentra/JTEffects.h"
#include "Jentra/JTGeoNode.h"

void SetSkyColour(JTNode* node, const ChessSunColour& colour) {
    if (!node) return;
    if (node->IsDerived(JTGeoNode::nType)) {
        JTEffect* effect = static_cast<JTGeoNode*>(node)->GetEffect();
        if (effect && effect->IsDerived(JTEffect_Simple::nType)) {
            auto* simple = static_cast<JTEffect_Simple*>(effect);
            simple->emissive[0] = colour.r;
            simple->emissive[1] = colour.g;
            simple->emissive[2] = colour.b;
        }
    }
    for (int i = 0; i < node->GetNumChildren(); ++i)
        SetSkyColour(node->GetChild(i), colour);
}
