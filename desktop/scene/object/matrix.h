// Matrix: 4 x 4 single-precision matrix in row order, element (r, c) at 4r + c.
// Points are row vectors multiplied on the left (p' = p x M), the translation
// sits in elements 12..14, and A x B applies A first, then B.
#pragma once

#include "desktop/scene/object/vec3.h"

namespace lumivane {

struct Matrix {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

    static Matrix Identity() { return Matrix{}; }
    // Full 4 x 4 product a x b.
    friend Matrix operator*(const Matrix& a, const Matrix& b);
    friend bool operator==(const Matrix& a, const Matrix& b);

    void MakeIdentity();
    // True only when every off-diagonal element is 0 and every diagonal one
    // is exactly 1.0.
    bool IsIdentity() const;
    void MakeTranslation(float x, float y, float z);
    void MakeScale(float x, float y, float z);
    // The rotation of quaternion (x, y, z, w), no translation.
    void MakeRotation(float x, float y, float z, float w);
    void MakeRotation(const Quat& q) { MakeRotation(q.x, q.y, q.z, q.w); }

    // this = this x m, both affine (column 3 keeps its values).
    void PostMultiply(const Matrix& b);
    // this = m x this, both affine.
    void PreMultiply(const Matrix& a);
    // this = m x this with this a full projective matrix and m affine.
    void PreMultiplyFull(const Matrix& a);

    // p' = (p, 1) x M divided by its w (no divide when w is 0).
    Vec3& TransformPoint(Vec3& p) const;
    // v' = v x the 3 x 3 part.
    Vec3& TransformVector(Vec3& v) const;
    Vec3 GetTranslation() const { return {m[12], m[13], m[14]}; }
    void SetTranslation(const Vec3& t) {
        m[12] = t.x;
        m[13] = t.y;
        m[14] = t.z;
    }
    // Distance between the transformed points (0, 0, 0) and (1, 0, 0).
    float GetScale() const;

    // Inverse of an affine matrix through the cofactors. A singular 3 x 3
    // part leaves the matrix as it was and answers false, so no NaN spreads.
    bool InvertAffine();
    // General inverse through LU decomposition. A singular matrix is not
    // reported: its zero pivot is replaced by 1e-20.
    void Invert();
    // Crout's method with implicit scaling, in place. pivots[j] is the row
    // swapped into place j; parity is +1 or -1.
    static void LUDecompose(float a[4][4], int pivots[4], float& parity);
    static void LUBackSubstitute(const float lu[4][4], const int pivots[4], float b[4]);

    void MakePerspective(float nearPlane, float farPlane, float fov, float aspect);
    // Columns 0..2 of the rotation part are right = Normalize(up x look), up
    // and look; the translation brings eye to the origin.
    void MakeView(const Vec3& eye, const Vec3& look, const Vec3& up);
    // Translation and the rotation made of two arcs: X onto the transformed
    // X axis, then the turned Y onto the transformed Y axis.
    void GetPosRot(Vec3& position, Quat& rotation) const;
};

} // namespace lumivane
