// The narrow view of a display that scene nodes use while they prepare a
// frame: a matrix stack, the two draw queues, the shadow-pass state, the
// current camera and the drawing of a queued geometry node. The display of
// the renderer implements it.
#pragma once

#include "Jentra/JTMath.h"

class JTNode;
class JTGeoNode;

class JTDrawQueue {
public:
    virtual ~JTDrawQueue() = default;

    virtual void PushMatrix(const JTMatrix& m) = 0;
    // Drops the top matrix; nothing on an empty stack.
    virtual void PopMatrix() = 0;
    virtual bool MatrixStackEmpty() const = 0;
    // The top of the matrix stack; identity when it is empty.
    virtual JTMatrix GetMatrix() const = 0;

    virtual void AddToQueue(JTNode* node, bool transparent) = 0;
    virtual bool GetRenderingShadow() const = 0;

    // Position and unit view direction of the camera drawing this view;
    // false when there is none.
    virtual bool GetCameraView(JTVec3& position, JTVec3& direction) const = 0;

    // Draws a geometry node with the display's shadow effect (shadow pass).
    virtual void RenderShadow(JTGeoNode* node) = 0;
};
