// Vector normalisation and quaternion operations, in the same row-vector,
// "first operand applies first" convention as the matrices.
#include "Jentra/JTMath.h"

JTVec3 JTVec3Normalize(const JTVec3& v) {
    float len = v.Length();
    if (len == 0.0f) return v;
    return v * (1.0f / len);
}

JTVec3 JTVec3Lerp(const JTVec3& a, const JTVec3& b, float t) {
    return a + (b - a) * t;
}

JTQuat JTQuaternionRotationMatrix(const JTMatrix& m) {
    // Shepperd's method: pick the largest of w, x, y, z to divide by.
    JTQuat q;
    float trace = m.m[0][0] + m.m[1][1] + m.m[2][2];
    if (trace > 0.0f) {
        float s = std::sqrt(trace + 1.0f) * 2.0f;
        q.w = 0.25f * s;
        q.x = (m.m[1][2] - m.m[2][1]) / s;
        q.y = (m.m[2][0] - m.m[0][2]) / s;
        q.z = (m.m[0][1] - m.m[1][0]) / s;
    } else if (m.m[0][0] > m.m[1][1] && m.m[0][0] > m.m[2][2]) {
        float s = std::sqrt(1.0f + m.m[0][0] - m.m[1][1] - m.m[2][2]) * 2.0f;
        q.w = (m.m[1][2] - m.m[2][1]) / s;
        q.x = 0.25f * s;
        q.y = (m.m[1][0] + m.m[0][1]) / s;
        q.z = (m.m[2][0] + m.m[0][2]) / s;
    } else if (m.m[1][1] > m.m[2][2]) {
        float s = std::sqrt(1.0f + m.m[1][1] - m.m[0][0] - m.m[2][2]) * 2.0f;
        q.w = (m.m[2][0] - m.m[0][2]) / s;
        q.x = (m.m[1][0] + m.m[0][1]) / s;
        q.y = 0.25f * s;
        q.z = (m.m[2][1] + m.m[1][2]) / s;
    } else {
        float s = std::sqrt(1.0f + m.m[2][2] - m.m[0][0] - m.m[1][1]) * 2.0f;
        q.w = (m.m[0][1] - m.m[1][0]) / s;
        q.x = (m.m[2][0] + m.m[0][2]) / s;
        q.y = (m.m[2][1] + m.m[1][2]) / s;
        q.z = 0.25f * s;
    }
    return q;
}

JTQuat JTQuaternionRotationAxis(const JTVec3& axis, float angle) {
    JTVec3 n = JTVec3Normalize(axis);
    float s = std::sin(angle * 0.5f);
    return JTQuat(n.x * s, n.y * s, n.z * s, std::cos(angle * 0.5f));
}

JTQuat JTQuaternionMultiply(const JTQuat& a, const JTQuat& b) {
    // Hamilton product b * a, so that a is applied first.
    return JTQuat(b.w * a.x + b.x * a.w + b.y * a.z - b.z * a.y,
                  b.w * a.y - b.x * a.z + b.y * a.w + b.z * a.x,
                  b.w * a.z + b.x * a.y - b.y * a.x + b.z * a.w,
                  b.w * a.w - b.x * a.x - b.y * a.y - b.z * a.z);
}

JTQuat JTQuaternionNormalize(const JTQuat& q) {
    float len = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (len == 0.0f) return q;
    float r = 1.0f / len;
    return JTQuat(q.x * r, q.y * r, q.z * r, q.w * r);
}

JTQuat JTQuaternionSlerp(const JTQuat& a, const JTQuat& b, float t) {
    float cosom = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
    float sign = 1.0f;
    if (cosom < 0.0f) {
        cosom = -cosom;
        sign = -1.0f;
    }
    float k0, k1;
    if (cosom > 0.9999f) {
        // Nearly the same rotation: linear blend avoids dividing by ~0.
        k0 = 1.0f - t;
        k1 = t;
    } else {
        float omega = std::acos(cosom);
        float sinom = std::sin(omega);
        k0 = std::sin((1.0f - t) * omega) / sinom;
        k1 = std::sin(t * omega) / sinom;
    }
    k1 *= sign;
    return JTQuat(a.x * k0 + b.x * k1, a.y * k0 + b.y * k1, a.z * k0 + b.z * k1,
                  a.w * k0 + b.w * k1);
}
