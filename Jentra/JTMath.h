// The engine's value types for geometry: a 3-float vector, a 4x4 matrix and
// a quaternion, with the matrix helpers the scene and renderer use.
//
// Conventions (the engine's data and every transform in it rely on them):
// points are row vectors multiplied on the left (p x M), matrices are
// row-major with the axes in rows 0..2 and the translation in row 3, the
// coordinate system is left-handed and A x B applies A first.
#pragma once

#include <cmath>

struct JTVec3 {
    float x, y, z;

    JTVec3() : x(0), y(0), z(0) {}
    JTVec3(float ax, float ay, float az) : x(ax), y(ay), z(az) {}

    JTVec3& operator+=(const JTVec3& v) {
        x += v.x;
        y += v.y;
        z += v.z;
        return *this;
    }
    JTVec3& operator-=(const JTVec3& v) {
        x -= v.x;
        y -= v.y;
        z -= v.z;
        return *this;
    }
    JTVec3 operator-() const { return JTVec3(-x, -y, -z); }
    JTVec3 operator+(const JTVec3& v) const { return JTVec3(x + v.x, y + v.y, z + v.z); }
    JTVec3 operator-(const JTVec3& v) const { return JTVec3(x - v.x, y - v.y, z - v.z); }
    JTVec3 operator*(float s) const { return JTVec3(x * s, y * s, z * s); }
    // Division multiplies by the reciprocal, so a zero divisor gives
    // infinities rather than an error.
    JTVec3 operator/(float s) const {
        float r = 1.0f / s;
        return JTVec3(x * r, y * r, z * r);
    }
    float Length() const { return std::sqrt(x * x + y * y + z * z); }
};

inline JTVec3 operator*(float s, const JTVec3& v) {
    return v * s;
}
inline float JTVec3Length(const JTVec3& v) {
    return v.Length();
}
inline float JTVec3Dot(const JTVec3& a, const JTVec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline JTVec3 JTVec3Cross(const JTVec3& a, const JTVec3& b) {
    return JTVec3(a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x);
}
// Unit vector in the direction of v; the zero vector stays zero.
JTVec3 JTVec3Normalize(const JTVec3& v);
JTVec3 JTVec3Lerp(const JTVec3& a, const JTVec3& b, float t);

struct JTQuat {
    float x, y, z, w;

    JTQuat() : x(0), y(0), z(0), w(1) {}
    JTQuat(float ax, float ay, float az, float aw) : x(ax), y(ay), z(az), w(aw) {}
};

struct JTMatrix {
    float m[4][4];

    // A new matrix is the identity.
    JTMatrix();
    JTMatrix(float m00, float m01, float m02, float m03, float m10, float m11, float m12, float m13,
             float m20, float m21, float m22, float m23, float m30, float m31, float m32,
             float m33);

    float& operator()(int row, int col) { return m[row][col]; }
    float operator()(int row, int col) const { return m[row][col]; }

    // Sets this matrix to the identity.
    void Identity();
    // Sets this matrix to the identity with v in the translation row.
    void Translation(const JTVec3& v);
    JTVec3 GetTranslation() const { return JTVec3(m[3][0], m[3][1], m[3][2]); }

    // this = a x this (a applies first).
    void PreMultiply(const JTMatrix& a);
    // this = this x a (a applies last).
    void PostMultiply(const JTMatrix& a);

    // Transforms a point (w = 1, divided by the resulting w) in place.
    void TransformCoord(JTVec3& v) const;
    // Transforms a direction (w = 0) in place.
    void TransformNormal(JTVec3& v) const;

    // Left-handed projection, depth 0..1; fov is the horizontal field of
    // view and aspect multiplies the vertical scale.
    void Perspective(float nearPlane, float farPlane, float fov, float aspect);
    // View matrix of an eye at position looking along dir.
    void LookTo(const JTVec3& position, const JTVec3& dir, const JTVec3& up);
    // Largest scale this matrix applies along its three axes.
    float GetMaxScale() const;
    // Divides out a uniform scale measured along the x axis.
    void RemoveScale();
    // Splits off the translation and returns the rotation.
    JTQuat Decompose(JTVec3& translation) const;
};

// a x b: the transform that applies a first, then b.
JTMatrix JTMatrixMultiply(const JTMatrix& a, const JTMatrix& b);
inline JTMatrix operator*(const JTMatrix& a, const JTMatrix& b) {
    return JTMatrixMultiply(a, b);
}
JTMatrix JTMatrixTranspose(const JTMatrix& a);
// Writes the inverse of a into out and returns true; a singular matrix
// leaves out untouched and returns false. det receives the determinant.
bool JTMatrixInverse(JTMatrix& out, const JTMatrix& a, float* det = nullptr);
JTMatrix JTMatrixScaling(float sx, float sy, float sz);
JTMatrix JTMatrixTranslation(float tx, float ty, float tz);
JTMatrix JTMatrixRotationX(float angle);
JTMatrix JTMatrixRotationY(float angle);
JTMatrix JTMatrixRotationZ(float angle);
JTMatrix JTMatrixRotationAxis(const JTVec3& axis, float angle);
// Roll about z, then pitch about x, then yaw about y.
JTMatrix JTMatrixRotationYawPitchRoll(float yaw, float pitch, float roll);
JTMatrix JTMatrixRotationQuaternion(const JTQuat& q);
JTMatrix JTMatrixLookAtLH(const JTVec3& eye, const JTVec3& at, const JTVec3& up);
// fovy is the vertical field of view; aspect is width / height.
JTMatrix JTMatrixPerspectiveFovLH(float fovy, float aspect, float zn, float zf);
JTMatrix JTMatrixOrthoLH(float w, float h, float zn, float zf);

JTVec3 JTVec3TransformCoord(const JTVec3& v, const JTMatrix& m);
JTVec3 JTVec3TransformNormal(const JTVec3& v, const JTMatrix& m);

// Rotation of the upper 3x3 of m (whose rows must be orthonormal).
JTQuat JTQuaternionRotationMatrix(const JTMatrix& m);
JTQuat JTQuaternionRotationAxis(const JTVec3& axis, float angle);
// The rotation a followed by b.
JTQuat JTQuaternionMultiply(const JTQuat& a, const JTQuat& b);
JTQuat JTQuaternionNormalize(const JTQuat& q);
// Spherical interpolation along the shorter arc; t = 0 gives a, 1 gives b.
JTQuat JTQuaternionSlerp(const JTQuat& a, const JTQuat& b, float t);
