// Vec3 and Quat: the scene engine's single-precision vector and rotation
// values. Rotations follow the row-vector convention of Matrix: a quaternion
// (u sin(a/2), cos(a/2)) turns a point by a about the unit axis u.
#pragma once

namespace lumivane {

struct Vec3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    constexpr Vec3() = default;
    constexpr Vec3(float xv, float yv, float zv) : x(xv), y(yv), z(zv) {}

    friend constexpr Vec3 operator+(const Vec3& a, const Vec3& b) {
        return {a.x + b.x, a.y + b.y, a.z + b.z};
    }
    friend constexpr Vec3 operator-(const Vec3& a, const Vec3& b) {
        return {a.x - b.x, a.y - b.y, a.z - b.z};
    }
    friend constexpr Vec3 operator*(const Vec3& a, float s) { return {a.x * s, a.y * s, a.z * s}; }
    friend constexpr bool operator==(const Vec3& a, const Vec3& b) = default;
    Vec3& operator+=(const Vec3& b) {
        x += b.x;
        y += b.y;
        z += b.z;
        return *this;
    }

    static constexpr float Dot(const Vec3& a, const Vec3& b) {
        return a.x * b.x + a.y * b.y + a.z * b.z;
    }
    static constexpr Vec3 Cross(const Vec3& a, const Vec3& b) {
        return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    }
    float Length() const;
    // In place; a length of at most 1e-7 gives (0, 1, 0).
    Vec3& Normalize();
    // yaw = atan2(x, z) (0 when z is exactly 0), pitch = asin(y). An
    // unnormalised y beyond +-1 is held to the nearest pole, not NaN.
    void GetYawPitch(float& yaw, float& pitch) const;
};

struct Quat {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 1.0f;

    constexpr Quat() = default;
    constexpr Quat(float xv, float yv, float zv, float wv) : x(xv), y(yv), z(zv), w(wv) {}

    // Hamilton product: a * b turns by b first, then by a.
    friend Quat operator*(const Quat& a, const Quat& b);

    // The shortest rotation turning unit vector u into unit vector v.
    static Quat MakeRotationArc(const Vec3& u, const Vec3& v);
    // The turn by `angle` about `axis` (not normalised: its length scales
    // the vector part), half-angle sine and cosine from the cosine table.
    static Quat MakeAxisAngle(const Vec3& axis, float angle);
    // Raises the rotation to the power t (scales its angle), in place.
    void Pow(float t);
    // Turns v by this rotation, in place.
    void RotateVector(Vec3& v) const;

    // Spherical interpolation from a (t = 0) to b (t = 1) the short way
    // round; nearly equal rotations are blended linearly.
    static Quat Slerp(const Quat& a, const Quat& b, float t);
    // a x b^-1: the turn that leads from b to a.
    static Quat Divide(const Quat& a, const Quat& b);
};

// Line-triangle test over the whole line through origin along direction
// (t may be negative). Returns 1 on a hit and writes t and the hit point
// where asked, else 0.
int RayTriangle(const Vec3& origin, const Vec3& direction, const Vec3 triangle[3], float* t,
                Vec3* hit);

} // namespace lumivane
