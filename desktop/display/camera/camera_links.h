// What the camera controller reads from the parts around it besides the
// scene engine's globals: the shape of the picture from the display that
// owns it, and the cursor, the unit under it and the selection from the
// command interface. Both are small interfaces so the camera runs headless.
#pragma once

#include <span>

namespace lumivane {

class Entity;

class CameraScreen {
public:
    virtual ~CameraScreen() = default;
    // Width / height of the picture drawn.
    virtual float AspectRatio() const = 0;
};

// A picture of a fixed shape: tools and tests.
class FixedCameraScreen : public CameraScreen {
public:
    explicit FixedCameraScreen(float aspect = 4.0f / 3.0f) : aspect_(aspect) {}
    float AspectRatio() const override { return aspect_; }

private:
    float aspect_;
};

class CameraCommands {
public:
    virtual ~CameraCommands() = default;
    // The cursor: x from -1 (left edge) to 1 (right edge), y from -0.75
    // (top) to 0.75 (bottom).
    virtual float CursorX() const = 0;
    virtual float CursorY() const = 0;
    // Null when no unit lies under the cursor.
    virtual Entity* UnitUnderCursor() const = 0;
    virtual std::span<Entity* const> Selection() const = 0;
    // The command interface keeps its cursor shape while the camera is
    // being dragged (off) and follows the cursor again afterwards (on).
    virtual void SetCursorShapeTracking(bool on) = 0;
};

} // namespace lumivane
