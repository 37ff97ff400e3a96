// Views as fractions of their target and the camera's matrices.
#include "Jentra/JTCamera.h"
#include "Jentra/JTView.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(View, ViewportsAreTruncatedFractionsOfTheTarget) {
    D3DVIEWPORT8 v;
    JTView(nullptr, nullptr, 0.5f, 0.0f, 0.5f, 1.0f, 0.0f, 1.0f).GetViewport(v, 800, 600);
    EXPECT_EQ(v.X, 400u);
    EXPECT_EQ(v.Y, 0u);
    EXPECT_EQ(v.Width, 400u);
    EXPECT_EQ(v.Height, 600u);
    JTView third(nullptr, nullptr, 1.0f / 3, 0.25f, 1.0f / 3, 0.5f, 0.2f, 0.7f);
    third.GetViewport(v, 1000, 512);
    EXPECT_EQ(v.X, 333u);
    EXPECT_EQ(v.Width, 333u);
    EXPECT_EQ(v.Y, 128u);
    EXPECT_EQ(v.Height, 256u);
    EXPECT_FLOAT_EQ(v.MinZ, 0.2f);
    EXPECT_FLOAT_EQ(v.MaxZ, 0.7f);
}

TEST(Camera, MatricesFollowTheViewTheFieldOfViewAndTheAspect) {
    JTCamera camera;
    camera.SetHUD(true); // a HUD camera's matrices still follow SetView
    camera.SetAspect(2.0f);
    camera.SetFOV(1.2f);
    camera.SetClip(1.0f, 11.0f);
    // A direction, not a point: from (0, 0, -5) along +x.
    camera.SetView(JTVec3(0, 0, -5), JTVec3(3, 0, 0), JTVec3(0, 1, 0));
    camera.Update();
    EXPECT_FLOAT_EQ(camera.GetFOVv(), 2.0f * std::atan(std::tan(0.6f) / 2.0f));
    const JTMatrix& p = camera.GetPerspective();
    // The horizontal field of view is the one given.
    EXPECT_NEAR(p.m[0][0], 1.0f / std::tan(0.6f), 1e-5f);
    EXPECT_NEAR(p.m[1][1], 2.0f / std::tan(0.6f), 1e-5f);
    EXPECT_NEAR(p.m[2][2], 11.0f / 10.0f, 1e-6f);
    EXPECT_NEAR(p.m[3][2], -11.0f / 10.0f, 1e-6f);
    EXPECT_FLOAT_EQ(p.m[2][3], 1.0f);
    // A point ahead of the eye lands on the view's z axis.
    const JTVec3 ahead = JTVec3TransformCoord(JTVec3(4, 0, -5), camera.GetView());
    EXPECT_NEAR(ahead.x, 0.0f, 1e-5f);
    EXPECT_NEAR(ahead.z, 4.0f, 1e-5f);
    EXPECT_NEAR(camera.GetDir().x, 1.0f, 1e-6f);
    EXPECT_NEAR(camera.GetRight().z, -1.0f, 1e-6f);
}

TEST(Camera, AnUpAlongTheDirectionGivesZeroVectorsNotNaN) {
    JTCamera camera;
    camera.SetView(JTVec3(1, 2, 3), JTVec3(0, 2, 0), JTVec3(0, 1, 0));
    EXPECT_EQ(camera.GetRight().Length(), 0.0f);
    EXPECT_EQ(camera.GetUp().Length(), 0.0f);
    camera.Update();
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_FALSE(std::isnan(camera.GetView().m[r][c]));
}
