// Vectors, quaternions, matrices, the lookup tables and the generators.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "desktop/scene/object/math_tables.h"
#include "desktop/scene/object/matrix.h"
#include "desktop/scene/object/random_generator.h"
#include "desktop/scene/object/vec3.h"

namespace lumivane {
namespace {

void ExpectVec(const Vec3& v, float x, float y, float z, float eps = 1e-4f) {
    EXPECT_NEAR(v.x, x, eps);
    EXPECT_NEAR(v.y, y, eps);
    EXPECT_NEAR(v.z, z, eps);
}

bool AllFinite(const Matrix& m) {
    for (float e : m.m)
        if (!std::isfinite(e)) return false;
    return true;
}

TEST(LvMath, IdentityNeedsExactOnes) {
    Matrix m;
    EXPECT_TRUE(m.IsIdentity());
    m.m[5] = 0.99999994f;
    EXPECT_FALSE(m.IsIdentity());
    m.MakeIdentity();
    m.m[13] = 1e-30f;
    EXPECT_FALSE(m.IsIdentity());
}

TEST(LvMath, FastFunctionsHitTheirSpecialValues) {
    EXPECT_FLOAT_EQ(FastAcos(-1.0f), kPi);
    EXPECT_FLOAT_EQ(FastAcos(-2.0f), kPi);
    EXPECT_FLOAT_EQ(FastAcos(1.0f), 0.0f); // the last table entry is never read
    EXPECT_NEAR(FastAcos(0.5f), std::acos(0.5f), 1e-4f);
    EXPECT_FLOAT_EQ(FastTan(kPi / 4), 1.0f);
    EXPECT_NEAR(FastTan(kPi / 4 + 3 * kPi), 1.0f, 1e-3f); // period pi
    // Angles far outside one turn are reduced before they become indices.
    EXPECT_TRUE(std::isfinite(FastTan(1e30f)));
    EXPECT_TRUE(std::isfinite(TableCos(3e38f)));
    EXPECT_NEAR(TableCos(2 * kPi * 1000 + 1.0f), std::cos(1.0f), 2e-3f);
    EXPECT_NEAR(TableSin(0.5f), std::sin(0.5f), 1e-4f);
    EXPECT_FLOAT_EQ(CosTable()[8192], 0.0f);
    EXPECT_FLOAT_EQ(CosTable()[24576], 0.0f);
}

TEST(LvMath, YawPitchAndNormalize) {
    float yaw = -1, pitch = -1;
    Vec3(1, 0, 0).GetYawPitch(yaw, pitch);
    EXPECT_EQ(yaw, 0.0f); // z exactly 0
    Vec3(1, 0, 1e-30f).GetYawPitch(yaw, pitch);
    EXPECT_NEAR(yaw, kPi / 2, 1e-6f);
    Vec3(0, 2, 1).GetYawPitch(yaw, pitch); // not normalised: held at the pole
    EXPECT_FLOAT_EQ(pitch, kPi / 2);
    Vec3 tiny(1e-8f, 0, 0);
    ExpectVec(tiny.Normalize(), 0, 1, 0);
    Vec3 v(3, 0, 4);
    ExpectVec(v.Normalize(), 0.6f, 0, 0.8f);
}

TEST(LvMath, RayTriangleTestsTheWholeLine) {
    const Vec3 triangle[3] = {{0, 0, 5}, {1, 0, 5}, {0, 1, 5}};
    float t = 0;
    Vec3 hit;
    ASSERT_EQ(RayTriangle({0.2f, 0.2f, 0}, {0, 0, 1}, triangle, &t, &hit), 1);
    EXPECT_FLOAT_EQ(t, 5.0f);
    ExpectVec(hit, 0.2f, 0.2f, 5);
    // Behind the origin still counts.
    ASSERT_EQ(RayTriangle({0.2f, 0.2f, 10}, {0, 0, 1}, triangle, &t, nullptr), 1);
    EXPECT_FLOAT_EQ(t, -5.0f);
    EXPECT_EQ(RayTriangle({2, 2, 0}, {0, 0, 1}, triangle, &t, &hit), 0);
    EXPECT_EQ(RayTriangle({0, 0, 0}, {1, 0, 0}, triangle, nullptr, nullptr), 0); // parallel
}

TEST(LvMath, RotationsFollowTheRowVectorConvention) {
    Matrix r;
    r.MakeRotation(0, 0, 0, 1);
    EXPECT_TRUE(r.IsIdentity());
    float s = std::sin(kPi / 4), c = std::cos(kPi / 4);
    r.MakeRotation(0, 0, s, c);
    Vec3 v(1, 0, 0);
    ExpectVec(r.TransformVector(v), 0, 1, 0);

    Quat arc = Quat::MakeRotationArc({1, 0, 0}, {0, 0, 1});
    Vec3 turned(1, 0, 0);
    arc.RotateVector(turned);
    ExpectVec(turned, 0, 0, 1, 2e-3f);

    Quat half = arc;
    half.Pow(0.5f);
    Vec3 halfway(1, 0, 0);
    half.RotateVector(halfway);
    ExpectVec(halfway, std::sqrt(0.5f), 0, std::sqrt(0.5f), 2e-3f);

    // a * b turns by b first: a quarter turn about Z after one about X.
    Quat aboutX(s, 0, 0, c), aboutZ(0, 0, s, c);
    Vec3 y(0, 1, 0);
    (aboutZ * aboutX).RotateVector(y);
    ExpectVec(y, 0, 0, 1);
}

TEST(LvMath, SlerpTakesTheShortWayAndDivideUndoes) {
    const Quat start;
    const Quat quarter = Quat::MakeAxisAngle({0, 1, 0}, kPi / 2);
    Vec3 v(0, 0, 1);
    Quat::Slerp(start, quarter, 0.5f).RotateVector(v);
    ExpectVec(v, std::sqrt(0.5f), 0, std::sqrt(0.5f), 2e-3f);

    // The same rotation written with the opposite sign is not the long way.
    const Quat negated(-quarter.x, -quarter.y, -quarter.z, -quarter.w);
    Vec3 w(0, 0, 1);
    Quat::Slerp(start, negated, 0.5f).RotateVector(w);
    ExpectVec(w, std::sqrt(0.5f), 0, std::sqrt(0.5f), 2e-3f);

    // Nearly equal rotations blend linearly; the ends are the ends.
    const Quat tiny = Quat::MakeAxisAngle({1, 0, 0}, 0.01f);
    const Quat mid = Quat::Slerp(start, tiny, 0.5f);
    EXPECT_NEAR(mid.x, tiny.x / 2, 1e-6f);
    EXPECT_NEAR(mid.w, (1 + tiny.w) / 2, 1e-6f);
    const Quat end = Quat::Slerp(start, quarter, 1.0f);
    EXPECT_NEAR(end.y, quarter.y, 1e-4f);

    // (a * b) / b is a, even for a b of another length.
    const Quat a = Quat::MakeAxisAngle({0, 0, 1}, 0.7f);
    const Quat b(0.2f, 0.4f, -0.4f, 1.6f);
    const Quat back = Quat::Divide(a * b, b);
    EXPECT_NEAR(back.x, a.x, 1e-5f);
    EXPECT_NEAR(back.y, a.y, 1e-5f);
    EXPECT_NEAR(back.z, a.z, 1e-5f);
    EXPECT_NEAR(back.w, a.w, 1e-5f);
}

TEST(LvMath, PosRotRecoversPlacement) {
    Matrix turn;
    turn.MakeRotation(0, std::sin(0.6f), 0, std::cos(0.6f));
    Matrix move;
    move.MakeTranslation(3, -2, 7);
    Matrix placed = turn * move;
    Vec3 position;
    Quat rotation;
    placed.GetPosRot(position, rotation);
    ExpectVec(position, 3, -2, 7);
    Matrix back;
    back.MakeRotation(rotation);
    for (int i = 0; i < 12; ++i)
        EXPECT_NEAR(back.m[i], turn.m[i], 3e-3f) << i;
}

TEST(LvMath, AffineInverseAndLUInverse) {
    Matrix m;
    m.MakeRotation(0.1f, 0.2f, 0.3f, std::sqrt(1 - 0.14f));
    m.m[12] = 4;
    m.m[13] = 5;
    m.m[14] = -6;
    Matrix inverse = m;
    ASSERT_TRUE(inverse.InvertAffine());
    Matrix product = m * inverse;
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(product.m[i], Matrix().m[i], 1e-5f) << i;

    // A singular matrix is left alone instead of filling with NaN.
    Matrix flat;
    flat.MakeScale(1, 0, 1);
    Matrix kept = flat;
    EXPECT_FALSE(flat.InvertAffine());
    EXPECT_TRUE(flat == kept);

    Matrix projection;
    projection.MakePerspective(0.01f, 1600, kPi / 2, 0.75f);
    Matrix view;
    view.MakeView({1, 2, 3}, {0, 0, 1}, {0, 1, 0});
    Matrix full = view * projection;
    Matrix fullInverse = full;
    fullInverse.Invert();
    ASSERT_TRUE(AllFinite(fullInverse));
    Matrix unit = full * fullInverse;
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(unit.m[i], Matrix().m[i], 1e-3f) << i;
}

TEST(LvMath, ViewAndPerspective) {
    Matrix view;
    view.MakeView({1, 2, 3}, {0, 0, 1}, {0, 1, 0});
    Vec3 eye(1, 2, 3);
    ExpectVec(view.TransformPoint(eye), 0, 0, 0);
    Vec3 ahead(1, 2, 13);
    ExpectVec(view.TransformPoint(ahead), 0, 0, 10);

    Matrix projection;
    projection.MakePerspective(0.01f, 1600, kPi / 2, 1.0f);
    Vec3 nearPoint(0, 0, 0.01f), farPoint(0, 0, 1600);
    EXPECT_NEAR(projection.TransformPoint(nearPoint).z, 0.0f, 1e-5f);
    EXPECT_NEAR(projection.TransformPoint(farPoint).z, 1.0f, 1e-5f);

    Matrix scale;
    scale.MakeScale(2.5f, 1, 1);
    EXPECT_FLOAT_EQ(scale.GetScale(), 2.5f);
}

TEST(LvMath, GeneratorsRepeatFromTheirSeed) {
    RandomGenerator main;
    EXPECT_EQ(main.Next(), 1013904223u); // starts at 0
    RandomGenerator a(77), b(77);
    for (int i = 0; i < 100; ++i) {
        float u = a.NextUnit();
        EXPECT_EQ(u, b.NextUnit());
        EXPECT_GE(u, 0.0f);
        EXPECT_LT(u, 1.0f);
    }
    EXPECT_EQ(MainRandom().State(), 0u);
}

} // namespace
} // namespace lumivane
