// Display::DrawParticleQuads: a run of a particle node's quads, drawn with
// the node's own depth, blend, lighting and texture states like any other
// node, as one indexed triangle list.
#include "desktop/display/device/display.h"

#include "desktop/scene/object/geo_node.h"
#include "platform/render/device.h"

namespace lumivane {

void Display::DrawParticleQuads(const QueuedNode& item, const Vertex* vertices, int quads,
                                const uint16_t* indices) {
    if (!device3D_ || !item.node || !vertices || !indices || quads <= 0) return;
    bool lit = false;
    ApplyNodeStates(item, lit);
    SetNodeTextures(*item.node, item.node->textureFrame);
    device3D_->SetVertexShader(kModelVertexFormat);
    const auto vertexCount = uint32_t(quads) * 4;
    device3D_->DrawIndexedPrimitiveUP(D3DPT_TRIANGLELIST, 0, vertexCount, uint32_t(quads) * 2,
                                      indices, D3DFMT_INDEX16, vertices, sizeof(Vertex));
    frame_.statistics.vertices += vertexCount;
    frame_.statistics.indices += uint32_t(quads) * 6;
}

} // namespace lumivane
