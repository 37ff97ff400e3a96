// 4x4 matrix operations in the engine's row-vector convention: p' = p x M,
// translation in row 3, A x B applies A first.
#include "Jentra/JTMath.h"

JTMatrix::JTMatrix() {
    Identity();
}

JTMatrix::JTMatrix(float m00, float m01, float m02, float m03, float m10, float m11, float m12,
                   float m13, float m20, float m21, float m22, float m23, float m30, float m31,
                   float m32, float m33)
    : m{{m00, m01, m02, m03}, {m10, m11, m12, m13}, {m20, m21, m22, m23}, {m30, m31, m32, m33}} {}

void JTMatrix::Identity() {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            m[r][c] = (r == c) ? 1.0f : 0.0f;
}

void JTMatrix::Translation(const JTVec3& v) {
    Identity();
    m[3][0] = v.x;
    m[3][1] = v.y;
    m[3][2] = v.z;
}

void JTMatrix::PreMultiply(const JTMatrix& a) {
    *this = JTMatrixMultiply(a, *this);
}

void JTMatrix::PostMultiply(const JTMatrix& a) {
    *this = JTMatrixMultiply(*this, a);
}

void JTMatrix::TransformCoord(JTVec3& v) const {
    v = JTVec3TransformCoord(v, *this);
}

void JTMatrix::TransformNormal(JTVec3& v) const {
    v = JTVec3TransformNormal(v, *this);
}

void JTMatrix::Perspective(float nearPlane, float farPlane, float fov, float aspect) {
    float cot = 1.0f / std::tan(fov * 0.5f);
    for (auto& row : m)
        for (float& f : row)
            f = 0.0f;
    m[0][0] = cot;
    m[1][1] = cot * aspect;
    m[2][2] = farPlane / (farPlane - nearPlane);
    m[2][3] = 1.0f;
    m[3][2] = -nearPlane * farPlane / (farPlane - nearPlane);
}

void JTMatrix::LookTo(const JTVec3& position, const JTVec3& dir, const JTVec3& up) {
    JTVec3 right = JTVec3Normalize(JTVec3Cross(up, dir));
    const JTVec3* cols[3] = {&right, &up, &dir};
    for (int c = 0; c < 3; ++c) {
        m[0][c] = cols[c]->x;
        m[1][c] = cols[c]->y;
        m[2][c] = cols[c]->z;
        m[c][3] = 0.0f;
    }
    m[3][0] = -JTVec3Dot(right, position);
    m[3][1] = -JTVec3Dot(up, position);
    m[3][2] = -JTVec3Dot(dir, position);
    m[3][3] = 1.0f;
}

float JTMatrix::GetMaxScale() const {
    float best = 0.0f;
    for (int r = 0; r < 3; ++r) {
        JTVec3 axis(r == 0 ? 1.0f : 0.0f, r == 1 ? 1.0f : 0.0f, r == 2 ? 1.0f : 0.0f);
        float len = JTVec3TransformNormal(axis, *this).Length();
        if (len > best) best = len;
    }
    return best;
}

void JTMatrix::RemoveScale() {
    JTVec3 o = JTVec3TransformCoord(JTVec3(0, 0, 0), *this);
    JTVec3 x = JTVec3TransformCoord(JTVec3(1, 0, 0), *this);
    float scale = (x - o).Length();
    float inv = 1.0f / scale;
    PreMultiply(JTMatrixScaling(inv, inv, inv));
}

JTQuat JTMatrix::Decompose(JTVec3& translation) const {
    translation = GetTranslation();
    JTMatrix r = *this;
    r.m[3][0] = r.m[3][1] = r.m[3][2] = 0.0f;
    for (int row = 0; row < 3; ++row) {
        JTVec3 axis = JTVec3Normalize(JTVec3(r.m[row][0], r.m[row][1], r.m[row][2]));
        r.m[row][0] = axis.x;
        r.m[row][1] = axis.y;
        r.m[row][2] = axis.z;
    }
    return JTQuaternionRotationMatrix(r);
}

JTMatrix JTMatrixMultiply(const JTMatrix& a, const JTMatrix& b) {
    JTMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = a.m[r][0] * b.m[0][c] + a.m[r][1] * b.m[1][c] + a.m[r][2] * b.m[2][c] +
                          a.m[r][3] * b.m[3][c];
    return out;
}

JTMatrix JTMatrixTranspose(const JTMatrix& a) {
    JTMatrix out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[r][c] = a.m[c][r];
    return out;
}

bool JTMatrixInverse(JTMatrix& out, const JTMatrix& a, float* det) {
    // Cofactor expansion through 2x2 sub-determinants, in double precision
    // so nearly singular transforms still invert sensibly.
    const float* s = &a.m[0][0];
    double inv[16];
    double s0 = double(s[0]) * s[5] - double(s[4]) * s[1];
    double s1 = double(s[0]) * s[6] - double(s[4]) * s[2];
    double s2 = double(s[0]) * s[7] - double(s[4]) * s[3];
    double s3 = double(s[1]) * s[6] - double(s[5]) * s[2];
    double s4 = double(s[1]) * s[7] - double(s[5]) * s[3];
    double s5 = double(s[2]) * s[7] - double(s[6]) * s[3];
    double c5 = double(s[10]) * s[15] - double(s[14]) * s[11];
    double c4 = double(s[9]) * s[15] - double(s[13]) * s[11];
    double c3 = double(s[9]) * s[14] - double(s[13]) * s[10];
    double c2 = double(s[8]) * s[15] - double(s[12]) * s[11];
    double c1 = double(s[8]) * s[14] - double(s[12]) * s[10];
    double c0 = double(s[8]) * s[13] - double(s[12]) * s[9];
    double d = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (det) *det = float(d);
    if (d == 0.0 || !std::isfinite(d)) return false;
    double id = 1.0 / d;
    inv[0] = (s[5] * c5 - s[6] * c4 + s[7] * c3) * id;
    inv[1] = (-s[1] * c5 + s[2] * c4 - s[3] * c3) * id;
    inv[2] = (s[13] * s5 - s[14] * s4 + s[15] * s3) * id;
    inv[3] = (-s[9] * s5 + s[10] * s4 - s[11] * s3) * id;
    inv[4] = (-s[4] * c5 + s[6] * c2 - s[7] * c1) * id;
    inv[5] = (s[0] * c5 - s[2] * c2 + s[3] * c1) * id;
    inv[6] = (-s[12] * s5 + s[14] * s2 - s[15] * s1) * id;
    inv[7] = (s[8] * s5 - s[10] * s2 + s[11] * s1) * id;
    inv[8] = (s[4] * c4 - s[5] * c2 + s[7] * c0) * id;
    inv[9] = (-s[0] * c4 + s[1] * c2 - s[3] * c0) * id;
    inv[10] = (s[12] * s4 - s[13] * s2 + s[15] * s0) * id;
    inv[11] = (-s[8] * s4 + s[9] * s2 - s[11] * s0) * id;
    inv[12] = (-s[4] * c3 + s[5] * c1 - s[6] * c0) * id;
    inv[13] = (s[0] * c3 - s[1] * c1 + s[2] * c0) * id;
    inv[14] = (-s[12] * s3 + s[13] * s1 - s[14] * s0) * id;
    inv[15] = (s[8] * s3 - s[9] * s1 + s[10] * s0) * id;
    for (int i = 0; i < 16; ++i)
        out.m[i / 4][i % 4] = float(inv[i]);
    return true;
}

JTMatrix JTMatrixScaling(float sx, float sy, float sz) {
    JTMatrix out;
    out.m[0][0] = sx;
    out.m[1][1] = sy;
    out.m[2][2] = sz;
    return out;
}

JTMatrix JTMatrixTranslation(float tx, float ty, float tz) {
    JTMatrix out;
    out.Translation(JTVec3(tx, ty, tz));
    return out;
}

JTMatrix JTMatrixRotationX(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    JTMatrix out;
    out.m[1][1] = c;
    out.m[1][2] = s;
    out.m[2][1] = -s;
    out.m[2][2] = c;
    return out;
}

JTMatrix JTMatrixRotationY(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    JTMatrix out;
    out.m[0][0] = c;
    out.m[0][2] = -s;
    out.m[2][0] = s;
    out.m[2][2] = c;
    return out;
}

JTMatrix JTMatrixRotationZ(float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    JTMatrix out;
    out.m[0][0] = c;
    out.m[0][1] = s;
    out.m[1][0] = -s;
    out.m[1][1] = c;
    return out;
}

JTMatrix JTMatrixRotationAxis(const JTVec3& axis, float angle) {
    return JTMatrixRotationQuaternion(JTQuaternionRotationAxis(axis, angle));
}

JTMatrix JTMatrixRotationYawPitchRoll(float yaw, float pitch, float roll) {
    return JTMatrixRotationZ(roll) * JTMatrixRotationX(pitch) * JTMatrixRotationY(yaw);
}

JTMatrix JTMatrixRotationQuaternion(const JTQuat& q) {
    float xx = q.x * q.x, yy = q.y * q.y, zz = q.z * q.z;
    float xy = q.x * q.y, xz = q.x * q.z, yz = q.y * q.z;
    float xw = q.x * q.w, yw = q.y * q.w, zw = q.z * q.w;
    return JTMatrix(1 - 2 * (yy + zz), 2 * (xy + zw), 2 * (xz - yw), 0, //
                    2 * (xy - zw), 1 - 2 * (xx + zz), 2 * (yz + xw), 0, //
                    2 * (xz + yw), 2 * (yz - xw), 1 - 2 * (xx + yy), 0, //
                    0, 0, 0, 1);
}

JTMatrix JTMatrixLookAtLH(const JTVec3& eye, const JTVec3& at, const JTVec3& up) {
    JTVec3 zaxis = JTVec3Normalize(at - eye);
    JTVec3 xaxis = JTVec3Normalize(JTVec3Cross(up, zaxis));
    JTVec3 yaxis = JTVec3Cross(zaxis, xaxis);
    return JTMatrix(xaxis.x, yaxis.x, zaxis.x, 0, //
                    xaxis.y, yaxis.y, zaxis.y, 0, //
                    xaxis.z, yaxis.z, zaxis.z, 0, //
                    -JTVec3Dot(xaxis, eye), -JTVec3Dot(yaxis, eye), -JTVec3Dot(zaxis, eye), 1);
}

JTMatrix JTMatrixPerspectiveFovLH(float fovy, float aspect, float zn, float zf) {
    float yscale = 1.0f / std::tan(fovy * 0.5f);
    JTMatrix out(yscale / aspect, 0, 0, 0, //
                 0, yscale, 0, 0,          //
                 0, 0, zf / (zf - zn), 1,  //
                 0, 0, -zn * zf / (zf - zn), 0);
    return out;
}

JTMatrix JTMatrixOrthoLH(float w, float h, float zn, float zf) {
    JTMatrix out;
    out.m[0][0] = 2.0f / w;
    out.m[1][1] = 2.0f / h;
    out.m[2][2] = 1.0f / (zf - zn);
    out.m[3][2] = zn / (zn - zf);
    return out;
}

JTVec3 JTVec3TransformCoord(const JTVec3& v, const JTMatrix& m) {
    float x = v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0];
    float y = v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1];
    float z = v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2];
    float w = v.x * m.m[0][3] + v.y * m.m[1][3] + v.z * m.m[2][3] + m.m[3][3];
    float iw = 1.0f / w;
    return JTVec3(x * iw, y * iw, z * iw);
}

JTVec3 JTVec3TransformNormal(const JTVec3& v, const JTMatrix& m) {
    return JTVec3(v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0],
                  v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
                  v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]);
}
