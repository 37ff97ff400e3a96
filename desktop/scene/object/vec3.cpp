// Vector and quaternion operations.
#include "desktop/scene/object/vec3.h"

#include <algorithm>
#include <cmath>

#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/matrix.h"

namespace lumivane {

float Vec3::Length() const {
    return std::sqrt(x * x + y * y + z * z);
}

Vec3& Vec3::Normalize() {
    float length = Length();
    if (!(length > 1e-7f)) {
        *this = {0.0f, 1.0f, 0.0f};
        return *this;
    }
    x /= length;
    y /= length;
    z /= length;
    return *this;
}

void Vec3::GetYawPitch(float& yaw, float& pitch) const {
    yaw = z == 0.0f ? 0.0f : std::atan2(x, z);
    pitch = std::asin(std::clamp(y, -1.0f, 1.0f));
}

Quat operator*(const Quat& a, const Quat& b) {
    return {a.w * b.x + a.x * b.w + a.y * b.z - a.z * b.y,
            a.w * b.y - a.x * b.z + a.y * b.w + a.z * b.x,
            a.w * b.z + a.x * b.y - a.y * b.x + a.z * b.w,
            a.w * b.w - a.x * b.x - a.y * b.y - a.z * b.z};
}

Quat Quat::MakeAxisAngle(const Vec3& axis, float angle) {
    const float half = angle * 0.5f;
    const float s = TableSin(half);
    return {axis.x * s, axis.y * s, axis.z * s, TableCos(half)};
}

Quat Quat::MakeRotationArc(const Vec3& u, const Vec3& v) {
    Vec3 axis = Vec3::Cross(u, v);
    axis.Normalize();
    float half = FastAcos(Vec3::Dot(u, v)) * 0.5f;
    float s = TableSin(half);
    return {axis.x * s, axis.y * s, axis.z * s, TableCos(half)};
}

void Quat::Pow(float t) {
    float vectorLength = std::sqrt(x * x + y * y + z * z);
    float halfAngle = std::atan2(vectorLength, w) * t; // (2 atan2 x t) / 2
    float s = TableSin(halfAngle);
    if (vectorLength < 1e-7f) {
        x = 0.0f;
        y = s;
        z = 0.0f;
    } else {
        float scale = s / vectorLength;
        x *= scale;
        y *= scale;
        z *= scale;
    }
    w = TableCos(halfAngle);
}

void Quat::RotateVector(Vec3& v) const {
    Matrix rotation;
    rotation.MakeRotation(x, y, z, w);
    rotation.TransformVector(v);
}

Quat Quat::Slerp(const Quat& a, const Quat& b, float t) {
    float cosine = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    const float sign = cosine < 0.0f ? -1.0f : 1.0f;
    cosine *= sign;
    float wa = 1.0f - t;
    float wb = t;
    if (1.0f - cosine > 0.01f) {
        const float angle = FastAcos(cosine);
        const float sine = TableSin(angle);
        wa = TableSin((1.0f - t) * angle) / sine;
        wb = TableSin(t * angle) / sine;
    }
    wb *= sign;
    return {a.x * wa + b.x * wb, a.y * wa + b.y * wb, a.z * wa + b.z * wb, a.w * wa + b.w * wb};
}

Quat Quat::Divide(const Quat& a, const Quat& b) {
    const float norm = b.x * b.x + b.y * b.y + b.z * b.z + b.w * b.w;
    if (!(norm > 0.0f)) return a; // no rotation to undo
    const Quat product = a * Quat(-b.x, -b.y, -b.z, b.w);
    return {product.x / norm, product.y / norm, product.z / norm, product.w / norm};
}

int RayTriangle(const Vec3& origin, const Vec3& direction, const Vec3 triangle[3], float* t,
                Vec3* hit) {
    const Vec3& a = triangle[0];
    const Vec3& b = triangle[1];
    const Vec3& c = triangle[2];
    Vec3 normal = Vec3::Cross(b - a, c - a);
    float facing = Vec3::Dot(normal, direction);
    if (facing == 0.0f) return 0;
    float along = Vec3::Dot(normal, a - origin) / facing;
    Vec3 point = origin + direction * along;
    float s0 = Vec3::Dot(normal, Vec3::Cross(b - a, point - a));
    float s1 = Vec3::Dot(normal, Vec3::Cross(c - b, point - b));
    float s2 = Vec3::Dot(normal, Vec3::Cross(a - c, point - c));
    bool allInside = s0 >= 0.0f && s1 >= 0.0f && s2 >= 0.0f;
    bool allOutside = s0 < 0.0f && s1 < 0.0f && s2 < 0.0f;
    if (!allInside && !allOutside) return 0;
    if (t) *t = along;
    if (hit) *hit = point;
    return 1;
}

} // namespace lumivane
