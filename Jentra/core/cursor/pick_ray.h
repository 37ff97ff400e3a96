// The pick ray of the 3D cursor: from a screen position through one view's
// rectangle and camera into the world. Works on plain matrices, so any
// camera that can give its view and projection matrices and its position
// can be picked through.
#pragma once

#include "Jentra/JTMath.h"

namespace jentra::cursor {

// What the ray needs of a view and its camera.
struct RayView {
    // The view's rectangle as fractions of the display: left, top, width,
    // height.
    float left = 0.0f, top = 0.0f, width = 1.0f, height = 1.0f;
    JTMatrix view;       // the camera's view matrix
    JTMatrix projection; // the camera's projection matrix
    JTVec3 eye;          // the camera's position
    bool hud = false;    // screen-overlay camera: rays start at the origin
};

// x grows to the right and y upwards, both 0..1 over the display. False
// when the point lies outside the view's rectangle (or the rectangle or the
// camera's matrices are degenerate); otherwise origin and unit dir.
bool ComputeRay(float x, float y, const RayView& view, JTVec3& origin, JTVec3& dir);

} // namespace jentra::cursor
