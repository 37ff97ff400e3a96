// JTView: the record and its viewport.
#include "Jentra/JTView.h"

JTView::JTView(JTScene* scene, JTCamera* camera, float x, float y, float width, float height,
               float minZ, float maxZ)
    : scene(scene), camera(camera), x(x), y(y), width(width), height(height), minZ(minZ),
      maxZ(maxZ) {}

void JTView::GetViewport(D3DVIEWPORT8& out, int targetWidth, int targetHeight) const {
    // A view outside the target is handed on as it is; negative products
    // wrap like the unsigned fields they go into.
    out.X = uint32_t(int(x * float(targetWidth)));
    out.Y = uint32_t(int(y * float(targetHeight)));
    out.Width = uint32_t(int(width * float(targetWidth)));
    out.Height = uint32_t(int(height * float(targetHeight)));
    out.MinZ = minZ;
    out.MaxZ = maxZ;
}
