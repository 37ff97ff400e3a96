// JTView: what one rectangle of a display shows: a scene, through a camera,
// at a place given as fractions of the display (so it keeps its place when
// the display or the render target changes size), with a depth range.
// Views are plain records owned by whoever makes them; displays and the
// cursor keep lists of pointers to them.
#pragma once

#include "platform/render/device_types.h"

class JTScene;
class JTCamera;

class JTView {
public:
    // Stores the values as given; nothing is checked.
    JTView(JTScene* scene, JTCamera* camera, float x, float y, float width, float height,
           float minZ, float maxZ);
    ~JTView() = default;
    JTView(const JTView&) = default;
    JTView& operator=(const JTView&) = default;

    // The rectangle in pixels of a target of that size, each product
    // truncated towards zero.
    void GetViewport(D3DVIEWPORT8& out, int targetWidth, int targetHeight) const;

    JTScene* GetScene() const { return scene; }
    JTCamera* GetCamera() const { return camera; }
    float GetX() const { return x; }
    float GetY() const { return y; }
    float GetWidth() const { return width; }
    float GetHeight() const { return height; }
    float GetMinZ() const { return minZ; }
    float GetMaxZ() const { return maxZ; }

private:
    JTScene* scene;
    JTCamera* camera;
    float x, y;
    float width, height;
    float minZ, maxZ;
};
