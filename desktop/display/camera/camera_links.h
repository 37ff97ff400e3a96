// What the camera controller reads from the display that owns it: the
// shape of the picture. A small interface, so the camera runs headless.
#pragma once

namespace lumivane {

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

} // namespace lumivane
