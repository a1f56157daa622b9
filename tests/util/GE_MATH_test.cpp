#include "util/GE_MATH.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <random>

namespace {

constexpr float kTolerance = 1e-5f;

void ExpectMatrixNear(const TMatrix& expected, const TMatrix& actual, float tolerance = kTolerance) {
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_NEAR(expected.m[i][j], actual.m[i][j], tolerance) << "element _" << i + 1 << j + 1;
        }
    }
}

TMatrix RandomMatrix(std::mt19937& rng) {
    std::uniform_real_distribution<float> dist(-3.0f, 3.0f);
    TMatrix r;
    for (auto& row : r.m) {
        for (float& e : row) {
            e = dist(rng);
        }
    }
    return r;
}

// Straightforward product by the definition, kept apart from the code under test.
TMatrix ReferenceProduct(const TMatrix& a, const TMatrix& b) {
    TMatrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) {
                sum += double(a.m[i][k]) * b.m[k][j];
            }
            r.m[i][j] = float(sum);
        }
    }
    return r;
}

}  // namespace

TEST(Layout, RecordsArePackedInDeclaredOrder) {
    EXPECT_EQ(offsetof(TVector3, Z), 8u);
    EXPECT_EQ(offsetof(TVector4, W), 12u);
    EXPECT_EQ(offsetof(TPlane, D), 12u);
    TMatrix m = MatrixIdentity();
    m._41 = 7.0f;
    m._23 = 5.0f;
    const float* raw = reinterpret_cast<const float*>(&m);
    EXPECT_EQ(raw[12], 7.0f);
    EXPECT_EQ(raw[6], 5.0f);
    EXPECT_EQ(m.m[3][0], 7.0f);
}

TEST(Vectors, CrossOfXAndYIsZ) {
    const TVector3 c = VectorCross(Vector3(1, 0, 0), Vector3(0, 1, 0));
    EXPECT_EQ(c.X, 0.0f);
    EXPECT_EQ(c.Y, 0.0f);
    EXPECT_EQ(c.Z, 1.0f);
}

TEST(Vectors, CrossIsAntiCommutativeAndPerpendicular) {
    const TVector3 a = Vector3(1.5f, -2.0f, 0.25f), b = Vector3(-0.5f, 3.0f, 4.0f);
    const TVector3 ab = VectorCross(a, b), ba = VectorCross(b, a);
    EXPECT_FLOAT_EQ(ab.X, -ba.X);
    EXPECT_FLOAT_EQ(ab.Y, -ba.Y);
    EXPECT_FLOAT_EQ(ab.Z, -ba.Z);
    EXPECT_NEAR(VectorDot(ab, a), 0.0f, kTolerance);
    EXPECT_NEAR(VectorDot(ab, b), 0.0f, kTolerance);
}

TEST(Vectors, ArithmeticComponentWise) {
    const TVector3 a = Vector3(1, 2, 3), b = Vector3(4, -5, 6);
    const TVector3 sum = VectorAdd(a, b), diff = VectorSub(a, b), scaled = VectorScale(a, -2);
    const TVector3 neg = VectorNegate(b);
    EXPECT_EQ(sum.Y, -3.0f);
    EXPECT_EQ(diff.X, -3.0f);
    EXPECT_EQ(diff.Z, -3.0f);
    EXPECT_EQ(scaled.Z, -6.0f);
    EXPECT_EQ(neg.Y, 5.0f);
    EXPECT_EQ(VectorDot(a, b), 4.0f - 10.0f + 18.0f);
}

TEST(Vectors, LengthDistanceNormalize) {
    EXPECT_FLOAT_EQ(VectorLength(Vector3(3, 4, 12)), 13.0f);
    EXPECT_FLOAT_EQ(VectorDistance(Vector3(1, 1, 1), Vector3(4, 5, 1)), 5.0f);
    const TVector3 n = VectorNormalize(Vector3(0, 3, 4));
    EXPECT_FLOAT_EQ(n.Y, 0.6f);
    EXPECT_FLOAT_EQ(n.Z, 0.8f);
}

TEST(Vectors, NormalizeOfZeroStaysZero) {
    const TVector3 n = VectorNormalize(Vector3(0, 0, 0));
    EXPECT_EQ(n.X, 0.0f);
    EXPECT_EQ(n.Y, 0.0f);
    EXPECT_EQ(n.Z, 0.0f);
}

TEST(Vectors, TransformNormalIgnoresTranslation) {
    TMatrix t;
    D3DXMatrixTranslation(t, 10, 20, 30);
    const TVector3 v = VectorTransformNormal(Vector3(1, 2, 3), t);
    EXPECT_EQ(v.X, 1.0f);
    EXPECT_EQ(v.Y, 2.0f);
    EXPECT_EQ(v.Z, 3.0f);
}

TEST(Vectors, Vector4TransformIsRowVectorTimesMatrix) {
    TMatrix t;
    D3DXMatrixTranslation(t, 10, 20, 30);
    const TVector4 p = Vector4Transform(Vector4(1, 2, 3, 1), t);
    EXPECT_EQ(p.X, 11.0f);
    EXPECT_EQ(p.Y, 22.0f);
    EXPECT_EQ(p.Z, 33.0f);
    EXPECT_EQ(p.W, 1.0f);
    const TMatrix proj = MatrixPerspectiveFov(float(kPi / 2), 1, 1, 101);
    const TVector4 q = Vector4Transform(Vector4(0, 0, 101, 1), proj);
    EXPECT_FLOAT_EQ(q.W, 101.0f);  // no division by W
    EXPECT_NEAR(q.Z / q.W, 1.0f, kTolerance);
}

TEST(Vectors, ConversionsKeepComponents) {
    const TVector3 v = Vector4ToVector3(Vector4(1, 2, 3, 4));
    EXPECT_EQ(v.Z, 3.0f);
    const TVector4 w = Vector3ToVector4(v, 9);
    EXPECT_EQ(w.X, 1.0f);
    EXPECT_EQ(w.W, 9.0f);
}

TEST(Planes, DotCoordIsPositiveOnNormalSide) {
    const TPlane ground = Plane(0, 1, 0, 0);
    EXPECT_GT(PlaneDotCoord(ground, Vector3(5, 2, -1)), 0.0f);
    EXPECT_LT(PlaneDotCoord(ground, Vector3(5, -2, -1)), 0.0f);
    EXPECT_EQ(PlaneDotCoord(Plane(1, 2, 3, 4), Vector3(1, 1, 1)), 10.0f);
}

TEST(Planes, NormalizeDividesAllFourByNormalLength) {
    const TPlane p = PlaneNormalize(Plane(0, 3, 4, 10));
    EXPECT_FLOAT_EQ(p.B, 0.6f);
    EXPECT_FLOAT_EQ(p.C, 0.8f);
    EXPECT_FLOAT_EQ(p.D, 2.0f);
}

TEST(Matrices, IdentityAddSubScale) {
    const TMatrix i = MatrixIdentity();
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(i.m[r][c], r == c ? 1.0f : 0.0f);
        }
    }
    std::mt19937 rng(1);
    const TMatrix a = RandomMatrix(rng), b = RandomMatrix(rng);
    const TMatrix sum = MatrixAdd(a, b), diff = MatrixSub(a, b), scaled = MatrixScale(a, 0.5f);
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(sum.m[r][c], a.m[r][c] + b.m[r][c]);
            EXPECT_EQ(diff.m[r][c], a.m[r][c] - b.m[r][c]);
            EXPECT_EQ(scaled.m[r][c], a.m[r][c] * 0.5f);
        }
    }
}

TEST(Matrices, PerspectiveFovOfRightAngle) {
    const TMatrix p = MatrixPerspectiveFov(float(kPi / 2), 1, 1, 101);
    EXPECT_NEAR(p._11, 1.0f, kTolerance);
    EXPECT_NEAR(p._22, 1.0f, kTolerance);
    EXPECT_FLOAT_EQ(p._33, 1.01f);
    EXPECT_FLOAT_EQ(p._43, -1.01f);
    EXPECT_EQ(p._34, 1.0f);
    EXPECT_EQ(p._44, 0.0f);
    EXPECT_EQ(p._12, 0.0f);
    EXPECT_EQ(p._41, 0.0f);
}

TEST(Matrices, PerspectiveFovMapsNearToZeroAndFarToOne) {
    const TMatrix p = MatrixPerspectiveFov(0.8f, 4.0f / 3.0f, 0.5f, 300.0f);
    EXPECT_FLOAT_EQ(p._11, p._22 / (4.0f / 3.0f));
    const TVector4 n = Vector4Transform(Vector4(0, 0, 0.5f, 1), p);
    const TVector4 f = Vector4Transform(Vector4(0, 0, 300.0f, 1), p);
    EXPECT_NEAR(n.Z / n.W, 0.0f, kTolerance);
    EXPECT_NEAR(f.Z / f.W, 1.0f, kTolerance);
}

TEST(Matrices, ViewLookingAlongZFromOriginIsIdentity) {
    ExpectMatrixNear(MatrixIdentity(), MatrixView(Vector3(0, 0, 0), Vector3(0, 0, 1), Vector3(0, 1, 0)));
}

TEST(Matrices, ViewFourthRowIsMinusEyeDotAxes) {
    const TMatrix v = MatrixView(Vector3(1, 2, 3), Vector3(0, 0, 1), Vector3(0, 1, 0));
    EXPECT_FLOAT_EQ(v._41, -1.0f);
    EXPECT_FLOAT_EQ(v._42, -2.0f);
    EXPECT_FLOAT_EQ(v._43, -3.0f);
    EXPECT_FLOAT_EQ(v._44, 1.0f);
}

TEST(Matrices, ViewPutsTheEyeAtOriginAndDirectionOnPlusZ) {
    const TVector3 eye = Vector3(4, 10, -6), dir = Vector3(0, -1, 1);
    const TVector3 up = VectorNormalize(Vector3(0, 1, 1));  // perpendicular to dir
    const TMatrix v = MatrixView(eye, dir, up);
    const TVector4 e = Vector4Transform(Vector3ToVector4(eye, 1), v);
    EXPECT_NEAR(e.X, 0, kTolerance);
    EXPECT_NEAR(e.Y, 0, kTolerance);
    EXPECT_NEAR(e.Z, 0, kTolerance);
    const TVector4 ahead = Vector4Transform(Vector3ToVector4(VectorAdd(eye, dir), 1), v);
    EXPECT_NEAR(ahead.X, 0, kTolerance);
    EXPECT_NEAR(ahead.Y, 0, kTolerance);
    EXPECT_NEAR(ahead.Z, std::sqrt(2.0f), kTolerance);
    // Left-handed: +X in view space is to the right of a camera with +Y up looking along +Z.
    const TMatrix plain = MatrixView(Vector3(0, 0, 0), Vector3(0, 0, 1), Vector3(0, 1, 0));
    EXPECT_FLOAT_EQ(Vector4Transform(Vector4(1, 0, 0, 1), plain).X, 1.0f);
}

TEST(Builders, RotationsMatchTheirTables) {
    const float angle = 0.7f, c = std::cos(angle), s = std::sin(angle);
    TMatrix x, y, z;
    D3DXMatrixRotationX(x, angle);
    D3DXMatrixRotationY(y, angle);
    D3DXMatrixRotationZ(z, angle);
    EXPECT_FLOAT_EQ(x._22, c);
    EXPECT_FLOAT_EQ(x._23, s);
    EXPECT_FLOAT_EQ(x._32, -s);
    EXPECT_FLOAT_EQ(x._11, 1.0f);
    EXPECT_FLOAT_EQ(y._13, -s);
    EXPECT_FLOAT_EQ(y._31, s);
    EXPECT_FLOAT_EQ(z._12, s);
    EXPECT_FLOAT_EQ(z._21, -s);
    EXPECT_FLOAT_EQ(z._44, 1.0f);
    EXPECT_FLOAT_EQ(z._33, 1.0f);
    // Rotating +X by 90 degrees about Y (left-handed) gives -Z.
    TMatrix quarter;
    D3DXMatrixRotationY(quarter, float(kPi / 2));
    const TVector3 r = VectorTransformNormal(Vector3(1, 0, 0), quarter);
    EXPECT_NEAR(r.Z, -1.0f, kTolerance);
}

TEST(Builders, RotationAxisOnUnitAxesEqualsSingleAxisBuilders) {
    const float angle = -1.3f;
    TMatrix expected, actual;
    D3DXMatrixRotationX(expected, angle);
    D3DXMatrixRotationAxis(actual, Vector3(1, 0, 0), angle);
    ExpectMatrixNear(expected, actual);
    D3DXMatrixRotationY(expected, angle);
    D3DXMatrixRotationAxis(actual, Vector3(0, 2, 0), angle);  // normalised first
    ExpectMatrixNear(expected, actual);
    D3DXMatrixRotationZ(expected, angle);
    D3DXMatrixRotationAxis(actual, Vector3(0, 0, 5), angle);
    ExpectMatrixNear(expected, actual);
}

TEST(Builders, RotationAxisKeepsTheAxis) {
    TMatrix r;
    const TVector3 axis = VectorNormalize(Vector3(1, 2, 3));
    D3DXMatrixRotationAxis(r, axis, 2.1f);
    const TVector3 image = VectorTransformNormal(axis, r);
    EXPECT_NEAR(image.X, axis.X, kTolerance);
    EXPECT_NEAR(image.Y, axis.Y, kTolerance);
    EXPECT_NEAR(image.Z, axis.Z, kTolerance);
    EXPECT_EQ(r._44, 1.0f);
    EXPECT_EQ(r._41, 0.0f);
    EXPECT_EQ(r._14, 0.0f);
}

TEST(Builders, TranslationAndScaling) {
    TMatrix t, s;
    D3DXMatrixTranslation(t, 1, 2, 3);
    D3DXMatrixScaling(s, 2, 3, 4);
    EXPECT_EQ(t._41, 1.0f);
    EXPECT_EQ(t._43, 3.0f);
    EXPECT_EQ(t._11, 1.0f);
    EXPECT_EQ(s._22, 3.0f);
    EXPECT_EQ(s._44, 1.0f);
    EXPECT_EQ(s._41, 0.0f);
    // Scale then translate: the point is scaled first.
    TMatrix st;
    D3DXMatrixMultiply(st, s, t);
    const TVector4 p = Vector4Transform(Vector4(1, 1, 1, 1), st);
    EXPECT_EQ(p.X, 3.0f);
    EXPECT_EQ(p.Y, 5.0f);
    EXPECT_EQ(p.Z, 7.0f);
}

TEST(Builders, MultiplyMatchesDefinitionAndAllowsAliasing) {
    std::mt19937 rng(7);
    const TMatrix a = RandomMatrix(rng), b = RandomMatrix(rng);
    const TMatrix expected = ReferenceProduct(a, b);
    TMatrix fresh;
    D3DXMatrixMultiply(fresh, a, b);
    ExpectMatrixNear(expected, fresh);
    TMatrix left = a;
    D3DXMatrixMultiply(left, left, b);
    ExpectMatrixNear(expected, left);
    TMatrix right = b;
    D3DXMatrixMultiply(right, a, right);
    ExpectMatrixNear(expected, right);
    TMatrix both = a;
    D3DXMatrixMultiply(both, both, both);
    ExpectMatrixNear(ReferenceProduct(a, a), both);
}

TEST(Builders, TransposeAllowsAliasing) {
    std::mt19937 rng(3);
    const TMatrix a = RandomMatrix(rng);
    TMatrix t = a;
    D3DXMatrixTranspose(t, t);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            EXPECT_EQ(t.m[i][j], a.m[j][i]);
        }
    }
}

TEST(Builders, InverseTimesMatrixIsIdentity) {
    std::mt19937 rng(11);
    for (int n = 0; n < 20; ++n) {
        const TMatrix a = RandomMatrix(rng);
        TMatrix inv;
        float det = 0;
        ASSERT_TRUE(D3DXMatrixInverse(inv, &det, a));
        EXPECT_NE(det, 0.0f);
        ExpectMatrixNear(MatrixIdentity(), ReferenceProduct(a, inv), 2e-3f);
        ExpectMatrixNear(MatrixIdentity(), ReferenceProduct(inv, a), 2e-3f);
    }
}

TEST(Builders, InverseAllowsAliasingAndUndoesAView) {
    const TMatrix view = MatrixView(Vector3(3, 7, -2), Vector3(1, -1, 0.5f), Vector3(1, 1, 0));
    TMatrix inv = view;
    ASSERT_TRUE(D3DXMatrixInverse(inv, nullptr, inv));
    // The inverse of a view matrix holds the eye in its translation row.
    EXPECT_NEAR(inv._41, 3.0f, 1e-4f);
    EXPECT_NEAR(inv._42, 7.0f, 1e-4f);
    EXPECT_NEAR(inv._43, -2.0f, 1e-4f);
}

TEST(Builders, InverseOfSingularMatrixLeavesOutputUnchanged) {
    TMatrix singular;
    D3DXMatrixScaling(singular, 1, 0, 1);
    TMatrix out;
    D3DXMatrixTranslation(out, 5, 6, 7);
    float det = 1;
    EXPECT_FALSE(D3DXMatrixInverse(out, &det, singular));
    EXPECT_EQ(det, 0.0f);
    EXPECT_EQ(out._41, 5.0f);
    ExpectMatrixNear(MatrixIdentity(), MatrixInverse(singular));
}

TEST(Angles, Angle2DQuadrants) {
    const TVector2 o = Vector2(0, 0);
    EXPECT_NEAR(Angle2D(o, Vector2(1, 1)), 45.0f, 1e-4f);
    EXPECT_NEAR(Angle2D(o, Vector2(-1, 1)), 135.0f, 1e-4f);
    EXPECT_NEAR(Angle2D(o, Vector2(-1, -1)), 225.0f, 1e-4f);
    EXPECT_NEAR(Angle2D(o, Vector2(1, -1)), 315.0f, 1e-4f);
    EXPECT_EQ(Angle2D(o, Vector2(1, 0)), 360.0f);
    EXPECT_EQ(Angle2D(o, Vector2(-1, 0)), 180.0f);
    EXPECT_EQ(Angle2D(Vector2(2, 3), Vector2(2, 3)), 360.0f);
}

TEST(Angles, Angle2DVerticalIsJustBelowNinetyAndAbove270) {
    const float up = Angle2D(Vector2(0, 0), Vector2(0, 1));
    EXPECT_LT(up, 90.0f);
    EXPECT_GT(up, 89.99f);
    const float down = Angle2D(Vector2(0, 0), Vector2(0, -1));
    EXPECT_GT(down, 270.0f);
    EXPECT_LT(down, 270.01f);
}

TEST(Angles, Angle2DIsRelativeToFrom) {
    EXPECT_NEAR(Angle2D(Vector2(5, 5), Vector2(6, 6)), 45.0f, 1e-4f);
    EXPECT_NEAR(Angle2D(Vector2(0, 0), Vector2(std::sqrt(3.0f), 1)), 30.0f, 1e-4f);
}

TEST(Angles, DegToRadUsesExtendedPi) {
    EXPECT_FLOAT_EQ(DegToRad(180.0f), 3.14159265f);
    EXPECT_FLOAT_EQ(DegToRad(90.0f), 1.57079633f);
    EXPECT_EQ(DegToRad(0.0f), 0.0f);
}

TEST(Picking, CentreOfWindowWithIdentityViewLooksAlongZ) {
    const TMatrix proj = MatrixPerspectiveFov(0.8f, 800.0f / 600.0f, 1, 100);
    const TVector3 d = PickRayDirection(400, 300, 800, 600, proj, MatrixIdentity());
    EXPECT_NEAR(d.X, 0.0f, kTolerance);
    EXPECT_NEAR(d.Y, 0.0f, kTolerance);
    EXPECT_NEAR(d.Z, 1.0f, kTolerance);
}

TEST(Picking, CornerRayProjectsBackToTheCorner) {
    const float aspect = 800.0f / 600.0f;
    const TMatrix proj = MatrixPerspectiveFov(0.8f, aspect, 1, 100);
    const TVector3 d = PickRayDirection(0, 0, 800, 600, proj, MatrixIdentity());
    const TVector4 clip = Vector4Transform(Vector3ToVector4(VectorScale(d, 10), 1), proj);
    EXPECT_NEAR(clip.X / clip.W, -1.0f, 1e-4f);
    EXPECT_NEAR(clip.Y / clip.W, 1.0f, 1e-4f);
    EXPECT_NEAR(VectorLength(d), 1.0f, kTolerance);
}

TEST(Picking, RayIsRotatedIntoWorldByTheView) {
    const TMatrix proj = MatrixPerspectiveFov(0.8f, 1, 1, 100);
    // A camera looking straight down: the centre ray points along -Y in the world.
    const TMatrix view = MatrixView(Vector3(0, 10, 0), Vector3(0, -1, 0), Vector3(0, 0, 1));
    const TVector3 d = PickRayDirection(50, 50, 100, 100, proj, view);
    EXPECT_NEAR(d.X, 0.0f, kTolerance);
    EXPECT_NEAR(d.Y, -1.0f, kTolerance);
    EXPECT_NEAR(d.Z, 0.0f, kTolerance);
}

TEST(Picking, ZeroSizeDoesNotProduceNaN) {
    const TMatrix proj = MatrixPerspectiveFov(0.8f, 1, 1, 100);
    const TVector3 d = PickRayDirection(0, 0, 0, 0, proj, MatrixIdentity());
    EXPECT_FALSE(std::isnan(d.X) || std::isnan(d.Y) || std::isnan(d.Z));
}

TEST(RayPlane, HitsTheGroundBelow) {
    TVector3 hit = Vector3(9, 9, 9);
    ASSERT_TRUE(RayPlaneIntersect(Vector3(0, 10, 0), Vector3(0, -1, 0), Plane(0, 1, 0, 0), hit));
    EXPECT_EQ(hit.X, 0.0f);
    EXPECT_EQ(hit.Y, 0.0f);
    EXPECT_EQ(hit.Z, 0.0f);
}

TEST(RayPlane, PlaneBehindReturnsFalseAndKeepsHit) {
    TVector3 hit = Vector3(9, 8, 7);
    EXPECT_FALSE(RayPlaneIntersect(Vector3(0, 10, 0), Vector3(0, 1, 0), Plane(0, 1, 0, 0), hit));
    EXPECT_EQ(hit.X, 9.0f);
    EXPECT_EQ(hit.Y, 8.0f);
    EXPECT_EQ(hit.Z, 7.0f);
}

TEST(RayPlane, OriginOnPlaneCountsAsHit) {
    TVector3 hit = Vector3(9, 9, 9);
    ASSERT_TRUE(RayPlaneIntersect(Vector3(2, 0, 3), Vector3(0, -1, 0), Plane(0, 1, 0, 0), hit));
    EXPECT_EQ(hit.X, 2.0f);
    EXPECT_EQ(hit.Z, 3.0f);
}

TEST(RayPlane, SlantedRayAndParallelRay) {
    TVector3 hit{};
    ASSERT_TRUE(RayPlaneIntersect(Vector3(1, 4, 1), Vector3(1, -2, 0.5f), Plane(0, 1, 0, 0), hit));
    EXPECT_FLOAT_EQ(hit.X, 3.0f);
    EXPECT_FLOAT_EQ(hit.Y, 0.0f);
    EXPECT_FLOAT_EQ(hit.Z, 2.0f);
    TVector3 kept = Vector3(1, 1, 1);
    EXPECT_FALSE(RayPlaneIntersect(Vector3(0, 4, 0), Vector3(1, 0, 0), Plane(0, 1, 0, 0), kept));
    EXPECT_EQ(kept.X, 1.0f);
}
