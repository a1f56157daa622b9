// Geometry value types and every vector, plane and matrix operation of the engine.
//
// Conventions:
// - All components are 32-bit floats, packed in the order declared; the records are laid directly into
//   vertex buffers, shader constants and animation keys, so their layout is a storage format.
// - Row vectors: a point p is transformed as (x, y, z, 1) * M, a direction as (x, y, z, 0) * M; the
//   translation of a matrix sits in _41, _42, _43. A * B applies A first, then B.
// - Left-handed coordinates, +Y up, the camera looks along +Z in view space, projected depth 0..1.
// - The rotation builders take radians; objects store degrees and convert with DegToRad.
// - No operation keeps state. Operations that write through an output argument read all of their
//   inputs first, so the output may be the same object as an input.
#pragma once

namespace ge_math_detail {
constexpr long double kPiExtended = 3.14159265358979323846264338327950288L;
}

// pi at 80-bit extended precision, as the game converts its angles with it.
constexpr long double kPi = ge_math_detail::kPiExtended;

// Float-only records have no padding on any target we build for; the asserts below hold us to it,
// and leaving them naturally aligned lets callers take references to their fields.

struct TVector2 {
    float X, Y;
};

struct TVector3 {
    float X, Y, Z;
};

struct TVector4 {
    float X, Y, Z, W;
};

// The set of points with A*x + B*y + C*z + D = 0; (A, B, C) is the normal.
struct TPlane {
    float A, B, C, D;
};

// 16 floats row by row. m[i][j] is row i + 1, column j + 1 (m[3][0] is _41).
struct TMatrix {
    union {
        struct {
            float _11, _12, _13, _14;
            float _21, _22, _23, _24;
            float _31, _32, _33, _34;
            float _41, _42, _43, _44;
        };
        float m[4][4];
    };
};

static_assert(sizeof(TVector2) == 8, "TVector2 is a storage format of 8 bytes");
static_assert(sizeof(TVector3) == 12, "TVector3 is a storage format of 12 bytes");
static_assert(sizeof(TVector4) == 16, "TVector4 is a storage format of 16 bytes");
static_assert(sizeof(TPlane) == 16, "TPlane is a storage format of 16 bytes");
static_assert(sizeof(TMatrix) == 64, "TMatrix is a storage format of 64 bytes");
static_assert(alignof(TMatrix) == alignof(float), "TMatrix must lie in float arrays");

// Degrees to radians with pi at extended precision, rounded once to float.
float DegToRad(float degrees);

// Constructors and conversions.
TVector2 Vector2(float x, float y);
TVector3 Vector3(float x, float y, float z);
TVector4 Vector4(float x, float y, float z, float w);
TPlane Plane(float a, float b, float c, float d);
TVector3 Vector4ToVector3(const TVector4& v);
TVector4 Vector3ToVector4(const TVector3& v, float w);

// Vector operations.
TVector3 VectorAdd(const TVector3& a, const TVector3& b);
TVector3 VectorSub(const TVector3& a, const TVector3& b);
TVector3 VectorScale(const TVector3& v, float s);
TVector3 VectorNegate(const TVector3& v);
float VectorDot(const TVector3& a, const TVector3& b);
TVector3 VectorCross(const TVector3& a, const TVector3& b);
float VectorLength(const TVector3& v);
// A zero vector is returned unchanged (no division by zero).
TVector3 VectorNormalize(const TVector3& v);
float VectorDistance(const TVector3& a, const TVector3& b);
// The upper 3x3 part of M only: no translation, no renormalisation.
TVector3 VectorTransformNormal(const TVector3& v, const TMatrix& m);
// Full row vector times matrix, no division by W.
TVector4 Vector4Transform(const TVector4& v, const TMatrix& m);

// Plane operations.
// Positive on the side the normal points to.
float PlaneDotCoord(const TPlane& p, const TVector3& v);
// All four of A, B, C, D divided by the length of the normal; a zero normal is returned unchanged.
TPlane PlaneNormalize(const TPlane& p);

// Matrix operations.
TMatrix MatrixIdentity();
TMatrix MatrixAdd(const TMatrix& a, const TMatrix& b);
TMatrix MatrixSub(const TMatrix& a, const TMatrix& b);
TMatrix MatrixScale(const TMatrix& m, float s);
// Left-handed perspective projection, fovY in radians; depth 0 at zNear, 1 at zFar.
TMatrix MatrixPerspectiveFov(float fovY, float aspect, float zNear, float zFar);
// View matrix from a position, a viewing direction (not a target point) and an up vector that is
// already perpendicular to the direction (it is only normalised).
TMatrix MatrixView(const TVector3& eye, const TVector3& dir, const TVector3& up);

// Geometry.
// Heading in degrees of the direction from `from` to `to`, in (0, 360]: +X (and two equal points)
// give 360, -X gives 180, +Y just under 90.
float Angle2D(const TVector2& from, const TVector2& to);
// World-space direction of the ray through pixel (mouseX, mouseY) of a width x height client area, for
// the projection and view in use; the origin is the camera position. Not normalised after the view
// transform. A zero width or height is taken as 1 (no division by zero).
TVector3 PickRayDirection(int mouseX, int mouseY, int width, int height, const TMatrix& proj,
                          const TMatrix& view);
// Where the ray origin + t * dir (t >= 0) meets the plane. False, with `hit` unchanged, when the plane
// is behind the origin or the ray is parallel to it; t = 0 counts as a hit.
bool RayPlaneIntersect(const TVector3& origin, const TVector3& dir, const TPlane& plane, TVector3& hit);

// The matrix builders of the D3DX library, with the same results. `out` may alias any input.
void D3DXMatrixRotationX(TMatrix& out, float angle);
void D3DXMatrixRotationY(TMatrix& out, float angle);
void D3DXMatrixRotationZ(TMatrix& out, float angle);
// The axis is normalised first.
void D3DXMatrixRotationAxis(TMatrix& out, const TVector3& axis, float angle);
void D3DXMatrixTranslation(TMatrix& out, float x, float y, float z);
void D3DXMatrixScaling(TMatrix& out, float sx, float sy, float sz);
void D3DXMatrixMultiply(TMatrix& out, const TMatrix& a, const TMatrix& b);
void D3DXMatrixTranspose(TMatrix& out, const TMatrix& m);
// General 4x4 inverse. `determinant`, when not null, receives the determinant. A singular matrix
// leaves `out` unchanged and returns false.
bool D3DXMatrixInverse(TMatrix& out, float* determinant, const TMatrix& m);

// Value-returning forms of the same builders, for expressions.
TMatrix MatrixMultiply(const TMatrix& a, const TMatrix& b);
TMatrix MatrixTranspose(const TMatrix& m);
TMatrix MatrixInverse(const TMatrix& m);  // identity for a singular matrix
