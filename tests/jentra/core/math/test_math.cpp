// Vector, matrix and quaternion operations in the engine's row-vector,
// left-handed convention.
#include "Jentra/JTMath.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr float kPi = 3.14159265358979f;

void ExpectVec(const JTVec3& v, float x, float y, float z, float eps = 1e-5f) {
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

void ExpectMatrix(const JTMatrix& a, const JTMatrix& b, float eps = 1e-5f) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(a.m[r][c], b.m[r][c], eps) << r << "," << c;
}

TEST(Vec3, Arithmetic) {
    JTVec3 a(1, 2, 3), b(4, -5, 6);
    ExpectVec(a + b, 5, -3, 9);
    ExpectVec(a - b, -3, 7, -3);
    ExpectVec(-a, -1, -2, -3);
    ExpectVec(a * 2, 2, 4, 6);
    ExpectVec(a / 4, 0.25f, 0.5f, 0.75f);
    JTVec3 c = a;
    c += b;
    ExpectVec(c, 5, -3, 9);
    EXPECT_FLOAT_EQ(JTVec3Dot(a, b), 4 - 10 + 18);
    ExpectVec(JTVec3Cross(a, b), 2 * 6 - 3 * -5, 3 * 4 - 1 * 6, 1 * -5 - 2 * 4);
    // Left-handed basis: x cross y is z.
    ExpectVec(JTVec3Cross(JTVec3(1, 0, 0), JTVec3(0, 1, 0)), 0, 0, 1);
    EXPECT_FLOAT_EQ(JTVec3(3, 4, 12).Length(), 13);
    ExpectVec(JTVec3Normalize(JTVec3(0, 0, -5)), 0, 0, -1);
    ExpectVec(JTVec3Normalize(JTVec3(0, 0, 0)), 0, 0, 0);
}

TEST(Vec3, DivisionByZeroGivesInfinities) {
    JTVec3 v = JTVec3(1, -2, 0) / 0.0f;
    EXPECT_TRUE(std::isinf(v.x) && v.x > 0);
    EXPECT_TRUE(std::isinf(v.y) && v.y < 0);
    EXPECT_TRUE(std::isnan(v.z)); // 0 x infinity
}

TEST(Matrix, MultiplyAppliesTheLeftOperandFirst) {
    JTMatrix scale = JTMatrixScaling(2, 2, 2);
    JTMatrix move = JTMatrixTranslation(10, 0, 0);
    // Scale then move: (1,0,0) -> (2,0,0) -> (12,0,0).
    ExpectVec(JTVec3TransformCoord(JTVec3(1, 0, 0), scale * move), 12, 0, 0);
    // Move then scale: (1,0,0) -> (11,0,0) -> (22,0,0).
    ExpectVec(JTVec3TransformCoord(JTVec3(1, 0, 0), move * scale), 22, 0, 0);

    JTMatrix m = scale;
    m.PostMultiply(move); // this = this x move
    ExpectMatrix(m, scale * move);
    m = scale;
    m.PreMultiply(move); // this = move x this
    ExpectMatrix(m, move * scale);
}

TEST(Matrix, TranslationLivesInTheFourthRow) {
    JTMatrix t;
    t.Translation(JTVec3(1, 2, 3));
    EXPECT_FLOAT_EQ(t.m[3][0], 1);
    EXPECT_FLOAT_EQ(t.m[3][1], 2);
    EXPECT_FLOAT_EQ(t.m[3][2], 3);
    EXPECT_FLOAT_EQ(t.m[0][3], 0);
    JTVec3 p(1, 1, 1), d(1, 1, 1);
    t.TransformCoord(p);
    t.TransformNormal(d); // directions ignore translation
    ExpectVec(p, 2, 3, 4);
    ExpectVec(d, 1, 1, 1);
}

TEST(Matrix, RotationsAreLeftHanded) {
    // A quarter turn about y takes +z to +x; about x takes +y to +z;
    // about z takes +x to +y.
    ExpectVec(JTVec3TransformNormal(JTVec3(0, 0, 1), JTMatrixRotationY(kPi / 2)), 1, 0, 0);
    ExpectVec(JTVec3TransformNormal(JTVec3(0, 1, 0), JTMatrixRotationX(kPi / 2)), 0, 0, 1);
    ExpectVec(JTVec3TransformNormal(JTVec3(1, 0, 0), JTMatrixRotationZ(kPi / 2)), 0, 1, 0);
    ExpectMatrix(JTMatrixRotationAxis(JTVec3(0, 2, 0), 0.7f), JTMatrixRotationY(0.7f));
    ExpectMatrix(JTMatrixRotationYawPitchRoll(0.3f, 0.2f, 0.1f),
                 JTMatrixRotationZ(0.1f) * JTMatrixRotationX(0.2f) * JTMatrixRotationY(0.3f));
}

TEST(Matrix, InverseUndoesATransform) {
    JTMatrix m = JTMatrixScaling(2, 3, 4) * JTMatrixRotationYawPitchRoll(0.4f, -0.3f, 1.1f) *
                 JTMatrixTranslation(5, -6, 7);
    JTMatrix inv;
    float det = 0;
    ASSERT_TRUE(JTMatrixInverse(inv, m, &det));
    EXPECT_NEAR(det, 24.0f, 1e-3f);
    ExpectMatrix(m * inv, JTMatrix(), 1e-5f);
    ExpectMatrix(inv * m, JTMatrix(), 1e-5f);
    JTVec3 p(1, 2, 3);
    ExpectVec(JTVec3TransformCoord(JTVec3TransformCoord(p, m), inv), 1, 2, 3, 1e-4f);

    JTMatrix singular = JTMatrixScaling(1, 0, 1);
    JTMatrix untouched = JTMatrixTranslation(9, 9, 9);
    EXPECT_FALSE(JTMatrixInverse(untouched, singular));
    EXPECT_FLOAT_EQ(untouched.m[3][0], 9);
}

TEST(Matrix, PerspectiveUsesTheHorizontalFieldOfView) {
    JTMatrix p;
    p.Perspective(1.0f, 101.0f, kPi / 2, 4.0f / 3.0f);
    EXPECT_NEAR(p.m[0][0], 1.0f, 1e-6f); // cot(45 degrees)
    EXPECT_NEAR(p.m[1][1], 4.0f / 3.0f, 1e-6f);
    EXPECT_NEAR(p.m[2][2], 101.0f / 100.0f, 1e-6f);
    EXPECT_FLOAT_EQ(p.m[2][3], 1.0f);
    EXPECT_NEAR(p.m[3][2], -101.0f / 100.0f, 1e-6f);
    EXPECT_FLOAT_EQ(p.m[3][3], 0.0f);
    EXPECT_FLOAT_EQ(p.m[0][1], 0.0f);
    // Depth runs 0 at the near plane to 1 at the far plane.
    EXPECT_NEAR(JTVec3TransformCoord(JTVec3(0, 0, 1), p).z, 0.0f, 1e-6f);
    EXPECT_NEAR(JTVec3TransformCoord(JTVec3(0, 0, 101), p).z, 1.0f, 1e-6f);
}

TEST(Matrix, LookToBuildsAViewMatrix) {
    JTMatrix view;
    JTVec3 eye(0, 0, -10), dir(0, 0, 1), up(0, 1, 0);
    view.LookTo(eye, dir, up);
    // The eye goes to the origin, a point ahead lies on +z, right on +x.
    ExpectVec(JTVec3TransformCoord(eye, view), 0, 0, 0);
    ExpectVec(JTVec3TransformCoord(JTVec3(0, 0, 0), view), 0, 0, 10);
    ExpectVec(JTVec3TransformCoord(JTVec3(1, 0, -10), view), 1, 0, 0);
    ExpectMatrix(view, JTMatrixLookAtLH(eye, JTVec3(0, 0, 0), up));
}

TEST(Matrix, ScaleQueriesAndRemoval) {
    JTMatrix m = JTMatrixScaling(2, 5, 3) * JTMatrixRotationY(0.5f);
    EXPECT_NEAR(m.GetMaxScale(), 5.0f, 1e-5f);

    JTMatrix uniform =
        JTMatrixScaling(4, 4, 4) * JTMatrixRotationZ(0.3f) * JTMatrixTranslation(1, 2, 3);
    uniform.RemoveScale();
    // The scale is divided out before the rest of the transform.
    ExpectMatrix(uniform, JTMatrixRotationZ(0.3f) * JTMatrixTranslation(1, 2, 3));
    EXPECT_NEAR(uniform.GetMaxScale(), 1.0f, 1e-5f);
}

TEST(Matrix, DecomposeRecoversRotationAndTranslation) {
    JTQuat q = JTQuaternionRotationAxis(JTVec3(1, 2, -1), 1.2f);
    JTMatrix m =
        JTMatrixScaling(3, 3, 3) * JTMatrixRotationQuaternion(q) * JTMatrixTranslation(4, 5, 6);
    JTVec3 t;
    JTQuat r = m.Decompose(t);
    ExpectVec(t, 4, 5, 6);
    ExpectMatrix(JTMatrixRotationQuaternion(r), JTMatrixRotationQuaternion(q), 1e-5f);
}

TEST(Quaternion, AgreesWithMatrices) {
    JTQuat a = JTQuaternionRotationAxis(JTVec3(0, 1, 0), 0.8f);
    JTQuat b = JTQuaternionRotationAxis(JTVec3(1, 0, 1), -0.5f);
    ExpectMatrix(JTMatrixRotationQuaternion(a), JTMatrixRotationY(0.8f));
    // a then b, like a x b for matrices.
    ExpectMatrix(JTMatrixRotationQuaternion(JTQuaternionMultiply(a, b)),
                 JTMatrixRotationQuaternion(a) * JTMatrixRotationQuaternion(b));
    for (float angle : {0.3f, 2.0f, 3.1f}) {
        for (JTVec3 axis : {JTVec3(1, 0, 0), JTVec3(0, 1, 0), JTVec3(0, 0, 1), JTVec3(1, 1, 1)}) {
            JTMatrix m = JTMatrixRotationAxis(axis, angle);
            ExpectMatrix(JTMatrixRotationQuaternion(JTQuaternionRotationMatrix(m)), m, 1e-5f);
        }
    }
}

TEST(Quaternion, SlerpTakesTheShortArc) {
    JTQuat a = JTQuaternionRotationAxis(JTVec3(0, 1, 0), 0.0f);
    JTQuat b = JTQuaternionRotationAxis(JTVec3(0, 1, 0), 1.0f);
    ExpectMatrix(JTMatrixRotationQuaternion(JTQuaternionSlerp(a, b, 0.5f)),
                 JTMatrixRotationY(0.5f));
    JTQuat negB(-b.x, -b.y, -b.z, -b.w); // the same rotation
    ExpectMatrix(JTMatrixRotationQuaternion(JTQuaternionSlerp(a, negB, 0.25f)),
                 JTMatrixRotationY(0.25f));
    JTQuat n = JTQuaternionNormalize(JTQuat(0, 0, 3, 4));
    EXPECT_FLOAT_EQ(n.z, 0.6f);
    EXPECT_FLOAT_EQ(n.w, 0.8f);
}

} // namespace
