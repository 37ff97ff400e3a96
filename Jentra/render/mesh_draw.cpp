// JTMesh::DrawPrimitives: the static path straight from the device buffers,
// and the dynamic path through the display's shared dynamic buffers, where
// a geometry node may bend the copy first.
#include "Jentra/JTMesh.h"

#include <cstring>

#include "Jentra/JTDisplay.h"

void JTMesh::DrawPrimitives(JTDisplay* display, bool forceDynamic, JTGeoNode* node) {
    using namespace platform::render;
    Device* device = display ? display->GetDevice() : nullptr;
    if (!device || numVertices == 0) return;
    const bool strip = useStrip;
    if (strip ? !hasStrip : !hasList) return;
    const std::vector<unsigned short>& indices = strip ? smStrip : smList;
    const unsigned count = strip ? numStripIndices : numListIndices;
    const unsigned primitives = strip ? count - 2 : count / 3;
    // The statistics count a strip's faces as the list has them.
    const int counted = int(strip ? numListIndices / 3 : primitives);
    const D3DPRIMITIVETYPE type = strip ? D3DPT_TRIANGLESTRIP : D3DPT_TRIANGLELIST;
    if (primitives == 0) return;
    // Also makes the bump stream an effect may have bound.
    PrepareDeviceBuffers(device);

    if (!forceDynamic && !dynamic) {
        IndexBuffer* ib = strip ? vmStrip.get() : vmList.get();
        if (!vmVertices || !ib) return;
        device->SetStreamSource(0, vmVertices.get(), sizeof(Vert1));
        device->SetIndices(ib, 0);
        display->DrawIndexedPrimitive(type, 0, numVertices, 0, primitives, counted);
        return;
    }

    DynamicVB* vb = display->GetDynamicVB();
    DynamicIB* ib = display->GetDynamicIB();
    unsigned vertexStart = 0, indexStart = 0;
    unsigned char* vertices = vb ? vb->Lock(numVertices * sizeof(Vert1), vertexStart) : nullptr;
    unsigned short* copied = ib ? ib->Lock(count, indexStart) : nullptr;
    if (vertices && copied) {
        std::memcpy(vertices, smVertices.data(), numVertices * sizeof(Vert1));
        std::memcpy(copied, indices.data(), count * sizeof(unsigned short));
        if (node) node->AnimateVerts(reinterpret_cast<Vert1*>(vertices), int(numVertices));
    }
    if (vb) vb->Unlock();
    if (ib) ib->Unlock();
    if (vertices && copied) {
        device->SetIndices(ib->GetBuffer(), vertexStart / sizeof(Vert1));
        device->SetStreamSource(0, vb->GetBuffer(), sizeof(Vert1));
        display->DrawIndexedPrimitive(type, 0, numVertices, indexStart, primitives, counted);
        return;
    }
    // Larger than the shared buffers: drawn from a copy of its own rather
    // than not at all.
    std::vector<Vert1> copy(smVertices);
    if (node) node->AnimateVerts(copy.data(), int(numVertices));
    device->DrawIndexedPrimitiveUP(type, 0, numVertices, primitives, indices.data(), D3DFMT_INDEX16,
                                   copy.data(), sizeof(Vert1));
}
