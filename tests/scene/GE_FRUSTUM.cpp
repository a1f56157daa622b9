#include "scene/GE_FRUSTUM.h"

#include <gtest/gtest.h>

namespace {

TFrustum MakeFrustum() {
    TFrustum frustum;
    frustum.SetView(MatrixIdentity());
    frustum.SetProjection(MatrixPerspectiveFov(static_cast<float>(kPi / 2), 1.0f, 1.0f, 100.0f));
    frustum.Update();
    return frustum;
}

TEST(FrustumSphere, InsideIsVisible) {
    EXPECT_TRUE(MakeFrustum().IsSphereVisible(Vector3(0, 0, 50), 1.0f));
}

TEST(FrustumSphere, BehindNearPlaneIsNot) {
    EXPECT_FALSE(MakeFrustum().IsSphereVisible(Vector3(0, 0, -5), 1.0f));
}

TEST(FrustumSphere, BeyondFarPlaneIsNot) {
    EXPECT_FALSE(MakeFrustum().IsSphereVisible(Vector3(0, 0, 101.5f), 1.0f));
}

TEST(FrustumSphere, StraddlingFarPlaneIsVisible) {
    EXPECT_TRUE(MakeFrustum().IsSphereVisible(Vector3(0, 0, 100.5f), 1.0f));
}

TEST(FrustumSphere, FarLeftIsRejected) {
    EXPECT_FALSE(MakeFrustum().IsSphereVisible(Vector3(-1000, 0, 50), 1.0f));
}

TEST(FrustumSphere, ZeroRadiusOnPlaneIsVisible) {
    TFrustum frustum = MakeFrustum();
    // With a 90-degree field of view the left plane passes through (-z, *, z); the two products of
    // its normal with such a point are equal and opposite, so the distance is exactly zero.
    const TPlane& left = frustum.GetPlane(TFrustum::Left);
    ASSERT_EQ(PlaneDotCoord(left, Vector3(-10, 0, 10)), 0.0f);
    EXPECT_TRUE(frustum.IsSphereVisible(Vector3(-10, 0, 10), 0.0f));
    EXPECT_FALSE(frustum.IsSphereVisible(Vector3(-10.01f, 0, 10), 0.0f));
}

TEST(FrustumPlanes, AreNormalisedAndPointInwards) {
    TFrustum frustum = MakeFrustum();
    for (int i = 0; i < TFrustum::PlaneCount; ++i) {
        const TPlane& p = frustum.GetPlane(i);
        EXPECT_NEAR(p.A * p.A + p.B * p.B + p.C * p.C, 1.0f, 1e-5f) << "plane " << i;
        EXPECT_GT(PlaneDotCoord(p, Vector3(0, 0, 50)), 0.0f) << "plane " << i;
    }
}

TEST(FrustumPlanes, NearPlaneLiesAtHundredOver199) {
    TFrustum frustum = MakeFrustum();
    const TPlane& nearPlane = frustum.GetPlane(TFrustum::Near);
    EXPECT_NEAR(-nearPlane.D / nearPlane.C, 100.0f / 199.0f, 1e-5f);
}

TEST(FrustumPlanes, FollowTheView) {
    // Camera moved to z = 200: what was in view at z = 50 is now behind it.
    TFrustum frustum;
    frustum.SetView(MatrixView(Vector3(0, 0, 200), Vector3(0, 0, 1), Vector3(0, 1, 0)));
    frustum.SetProjection(MatrixPerspectiveFov(static_cast<float>(kPi / 2), 1.0f, 1.0f, 100.0f));
    frustum.Update();
    EXPECT_FALSE(frustum.IsSphereVisible(Vector3(0, 0, 50), 1.0f));
    EXPECT_TRUE(frustum.IsSphereVisible(Vector3(0, 0, 250), 1.0f));
}

}  // namespace
