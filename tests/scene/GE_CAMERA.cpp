#include "scene/GE_CAMERA.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

void ExpectVectorNear(const TVector3& v, float x, float y, float z) {
    EXPECT_NEAR(v.X, x, 1e-6f);
    EXPECT_NEAR(v.Y, y, 1e-6f);
    EXPECT_NEAR(v.Z, z, 1e-6f);
}

TEST(CameraCreate, ViewIsIdentity) {
    TCamera camera("camera", 1);
    TMatrix view = camera.GetView();
    TMatrix identity = MatrixIdentity();
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_FLOAT_EQ(view.m[i][j], identity.m[i][j]);
        }
    }
}

TEST(CameraCreate, DefaultProjectionValues) {
    TCamera camera("camera", 1);
    TMatrix p = camera.GetProjection();
    EXPECT_NEAR(p._22, 2.4142137f, 1e-6f);
    EXPECT_NEAR(p._11, 1.8106602f, 1e-6f);
    EXPECT_NEAR(p._33, 100.0f / 99.0f, 1e-6f);
    EXPECT_NEAR(p._43, -100.0f / 99.0f, 1e-6f);
    EXPECT_EQ(p._34, 1.0f);
    EXPECT_EQ(p._44, 0.0f);
}

TEST(CameraAxes, PitchNinetyLooksStraightDown) {
    TCamera camera("camera", 1);
    camera.SetRotation(90, 0, 0);
    camera.GetView();
    ExpectVectorNear(camera.GetLook(), 0, -1, 0);
    ExpectVectorNear(camera.GetUp(), 0, 0, 1);
    ExpectVectorNear(camera.GetRight(), 1, 0, 0);
}

TEST(CameraAxes, YawNinetyLooksAlongPlusX) {
    TCamera camera("camera", 1);
    camera.SetRotation(0, 90, 0);
    camera.GetView();
    ExpectVectorNear(camera.GetLook(), 1, 0, 0);
    ExpectVectorNear(camera.GetRight(), 0, 0, -1);
}

TEST(CameraAxes, WorldModeIgnoresRoll) {
    TCamera camera("camera", 1);
    camera.SetRotation(0, 0, 45);
    camera.GetView();
    ExpectVectorNear(camera.GetUp(), 0, 1, 0);
    ExpectVectorNear(camera.GetRight(), 1, 0, 0);
}

TEST(CameraAxes, OwnAxesModeRollsAboutLook) {
    TCamera camera("camera", 0);
    camera.SetRotation(0, 0, 90);
    camera.GetView();
    ExpectVectorNear(camera.GetLook(), 0, 0, 1);
    // Rolling 90 degrees about +Z (row vectors) takes Up (0, 1, 0) to (-1, 0, 0).
    ExpectVectorNear(camera.GetUp(), -1, 0, 0);
    ExpectVectorNear(camera.GetRight(), 0, 1, 0);
}

TEST(CameraAxes, RebuildStartsFromDefaultAxesEachTime) {
    TCamera camera("camera", 1);
    camera.SetRotation(0, 90, 0);
    camera.GetView();
    camera.SetRotation(0, 90, 0);
    camera.GetView();
    ExpectVectorNear(camera.GetLook(), 1, 0, 0);  // not turned twice
}

TEST(CameraAxes, AxesStayOrthonormalForGameAngles) {
    TCamera camera("camera", 0);
    camera.SetRotation(60, 30, 10);
    camera.GetView();
    EXPECT_NEAR(VectorDot(camera.GetLook(), camera.GetUp()), 0.0f, 1e-6f);
    EXPECT_NEAR(VectorDot(camera.GetLook(), camera.GetRight()), 0.0f, 1e-6f);
    EXPECT_NEAR(VectorLength(camera.GetUp()), 1.0f, 1e-6f);
}

TEST(CameraLazy, ProjectionRebuildIsIndependentOfView) {
    TCamera camera("camera", 1);
    camera.SetProjection(static_cast<float>(kPi / 2), 1.0f, 1.0f, 101.0f);
    camera.GetView();
    TMatrix p = camera.GetProjection();
    EXPECT_NEAR(p._11, 1.0f, 1e-6f);
    EXPECT_NEAR(p._22, 1.0f, 1e-6f);
    EXPECT_NEAR(p._33, 1.01f, 1e-6f);
}

TEST(CameraLazy, PositionAloneChangesViewWithoutTouchingAxes) {
    TCamera camera("camera", 1);
    camera.SetPosition(1, 2, 3);
    TMatrix view = camera.GetView();
    EXPECT_FLOAT_EQ(view._41, -1.0f);
    EXPECT_FLOAT_EQ(view._42, -2.0f);
    EXPECT_FLOAT_EQ(view._43, -3.0f);
    ExpectVectorNear(camera.GetLook(), 0, 0, 1);
}

TEST(CameraLazy, GameCameraSeesPointBelowAndAhead) {
    // The game's camera: 60 degrees down, 23 above and 12 behind the tank. The tank is straight ahead
    // in view space (centred horizontally, in front of the eye).
    TCamera camera("camera", 1);
    camera.SetRotation(60, 0, 0);
    camera.SetPosition(0, 23, -12);
    TVector4 tank = Vector4Transform(Vector4(0, 0, 0, 1), camera.GetView());
    EXPECT_NEAR(tank.X, 0.0f, 1e-5f);
    EXPECT_GT(tank.Z, 0.0f);
}

}  // namespace
