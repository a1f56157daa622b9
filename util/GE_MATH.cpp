#include "util/GE_MATH.h"

#include <cmath>

float DegToRad(float degrees) {
    return static_cast<float>(static_cast<long double>(degrees) * kPi / 180.0L);
}

TVector2 Vector2(float x, float y) {
    return TVector2{x, y};
}
TVector3 Vector3(float x, float y, float z) {
    return TVector3{x, y, z};
}
TVector4 Vector4(float x, float y, float z, float w) {
    return TVector4{x, y, z, w};
}
TPlane Plane(float a, float b, float c, float d) {
    return TPlane{a, b, c, d};
}
TVector3 Vector4ToVector3(const TVector4& v) {
    return TVector3{v.X, v.Y, v.Z};
}
TVector4 Vector3ToVector4(const TVector3& v, float w) {
    return TVector4{v.X, v.Y, v.Z, w};
}

TVector3 VectorAdd(const TVector3& a, const TVector3& b) {
    return {a.X + b.X, a.Y + b.Y, a.Z + b.Z};
}
TVector3 VectorSub(const TVector3& a, const TVector3& b) {
    return {a.X - b.X, a.Y - b.Y, a.Z - b.Z};
}
TVector3 VectorScale(const TVector3& v, float s) {
    return {v.X * s, v.Y * s, v.Z * s};
}
TVector3 VectorNegate(const TVector3& v) {
    return {-v.X, -v.Y, -v.Z};
}
float VectorDot(const TVector3& a, const TVector3& b) {
    return a.X * b.X + a.Y * b.Y + a.Z * b.Z;
}

TVector3 VectorCross(const TVector3& a, const TVector3& b) {
    return {a.Y * b.Z - b.Y * a.Z, a.Z * b.X - b.Z * a.X, a.X * b.Y - b.X * a.Y};
}

float VectorLength(const TVector3& v) {
    return std::sqrt(v.X * v.X + v.Y * v.Y + v.Z * v.Z);
}

TVector3 VectorNormalize(const TVector3& v) {
    const float length = VectorLength(v);
    if (length == 0.0f) {
        return v;
    }
    return {v.X / length, v.Y / length, v.Z / length};
}

float VectorDistance(const TVector3& a, const TVector3& b) {
    return VectorLength(VectorSub(b, a));
}

TVector3 VectorTransformNormal(const TVector3& v, const TMatrix& m) {
    return {v.X * m._11 + v.Y * m._21 + v.Z * m._31, v.X * m._12 + v.Y * m._22 + v.Z * m._32,
            v.X * m._13 + v.Y * m._23 + v.Z * m._33};
}

TVector4 Vector4Transform(const TVector4& v, const TMatrix& m) {
    const float in[4] = {v.X, v.Y, v.Z, v.W};
    float out[4];
    for (int j = 0; j < 4; ++j) {
        out[j] = in[0] * m.m[0][j] + in[1] * m.m[1][j] + in[2] * m.m[2][j] + in[3] * m.m[3][j];
    }
    return {out[0], out[1], out[2], out[3]};
}

float PlaneDotCoord(const TPlane& p, const TVector3& v) {
    return p.A * v.X + p.B * v.Y + p.C * v.Z + p.D;
}

TPlane PlaneNormalize(const TPlane& p) {
    const float length = std::sqrt(p.A * p.A + p.B * p.B + p.C * p.C);
    if (length == 0.0f) {
        return p;
    }
    return {p.A / length, p.B / length, p.C / length, p.D / length};
}

static TMatrix ZeroMatrix() {
    TMatrix r;
    for (auto& row : r.m) {
        for (float& e : row) {
            e = 0.0f;
        }
    }
    return r;
}

TMatrix MatrixIdentity() {
    TMatrix r = ZeroMatrix();
    r._11 = r._22 = r._33 = r._44 = 1.0f;
    return r;
}

TMatrix MatrixAdd(const TMatrix& a, const TMatrix& b) {
    TMatrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][j] + b.m[i][j];
        }
    }
    return r;
}

TMatrix MatrixSub(const TMatrix& a, const TMatrix& b) {
    TMatrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = a.m[i][j] - b.m[i][j];
        }
    }
    return r;
}

TMatrix MatrixScale(const TMatrix& m, float s) {
    TMatrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = m.m[i][j] * s;
        }
    }
    return r;
}

TMatrix MatrixPerspectiveFov(float fovY, float aspect, float zNear, float zFar) {
    const float yScale = 1.0f / std::tan(fovY / 2.0f);
    const float xScale = yScale / aspect;
    TMatrix r = ZeroMatrix();
    r._11 = xScale;
    r._22 = yScale;
    r._33 = zFar / (zFar - zNear);
    r._34 = 1.0f;
    r._43 = -zNear * zFar / (zFar - zNear);
    return r;
}

TMatrix MatrixView(const TVector3& eye, const TVector3& dir, const TVector3& up) {
    const TVector3 z = VectorNormalize(dir);
    const TVector3 y = VectorNormalize(up);
    const TVector3 x = VectorNormalize(VectorCross(y, z));
    TMatrix r;
    r._11 = x.X, r._12 = y.X, r._13 = z.X, r._14 = 0.0f;
    r._21 = x.Y, r._22 = y.Y, r._23 = z.Y, r._24 = 0.0f;
    r._31 = x.Z, r._32 = y.Z, r._33 = z.Z, r._34 = 0.0f;
    r._41 = -VectorDot(eye, x), r._42 = -VectorDot(eye, y), r._43 = -VectorDot(eye, z), r._44 = 1.0f;
    return r;
}

float Angle2D(const TVector2& from, const TVector2& to) {
    float dx = to.X - from.X;
    const float dy = to.Y - from.Y;
    if (dx == 0.0f) {
        dx = 0.00001f;
    }
    const float a =
        static_cast<float>(std::atan(static_cast<long double>(std::fabs(dy)) / std::fabs(dx)) * 180.0L / kPi);
    if (dx > 0.0f) {
        return dy > 0.0f ? a : 360.0f - a;
    }
    return dy > 0.0f ? 180.0f - a : 180.0f + a;
}

TVector3 PickRayDirection(int mouseX, int mouseY, int width, int height, const TMatrix& proj,
                          const TMatrix& view) {
    const float w = width != 0 ? static_cast<float>(width) : 1.0f;
    const float h = height != 0 ? static_cast<float>(height) : 1.0f;
    const float nx = (static_cast<float>(mouseX) / w) * 2.0f - 1.0f;
    const float ny = -((static_cast<float>(mouseY) / h) * 2.0f - 1.0f);
    TVector3 d = {(1.0f / proj._22) * nx * (w / h), (1.0f / proj._22) * ny, 1.0f};
    d = VectorNormalize(d);
    return VectorTransformNormal(d, MatrixInverse(view));
}

bool RayPlaneIntersect(const TVector3& origin, const TVector3& dir, const TPlane& plane, TVector3& hit) {
    const TVector3 n = {plane.A, plane.B, plane.C};
    const float denominator = VectorDot(n, dir);
    if (denominator == 0.0f) {
        return false;
    }
    const float t = -(VectorDot(n, origin) + plane.D) / denominator;
    if (!(t >= 0.0f)) {
        return false;
    }
    hit = VectorAdd(origin, VectorScale(dir, t));
    return true;
}

void D3DXMatrixRotationX(TMatrix& out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    out = MatrixIdentity();
    out._22 = c, out._23 = s, out._32 = -s, out._33 = c;
}

void D3DXMatrixRotationY(TMatrix& out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    out = MatrixIdentity();
    out._11 = c, out._13 = -s, out._31 = s, out._33 = c;
}

void D3DXMatrixRotationZ(TMatrix& out, float angle) {
    const float c = std::cos(angle), s = std::sin(angle);
    out = MatrixIdentity();
    out._11 = c, out._12 = s, out._21 = -s, out._22 = c;
}

void D3DXMatrixRotationAxis(TMatrix& out, const TVector3& axis, float angle) {
    const TVector3 a = VectorNormalize(axis);
    const float x = a.X, y = a.Y, z = a.Z;
    const float c = std::cos(angle), s = std::sin(angle), t = 1.0f - c;
    TMatrix r = MatrixIdentity();
    r._11 = t * x * x + c, r._12 = t * x * y + s * z, r._13 = t * x * z - s * y;
    r._21 = t * x * y - s * z, r._22 = t * y * y + c, r._23 = t * y * z + s * x;
    r._31 = t * x * z + s * y, r._32 = t * y * z - s * x, r._33 = t * z * z + c;
    out = r;
}

void D3DXMatrixTranslation(TMatrix& out, float x, float y, float z) {
    out = MatrixIdentity();
    out._41 = x, out._42 = y, out._43 = z;
}

void D3DXMatrixScaling(TMatrix& out, float sx, float sy, float sz) {
    out = ZeroMatrix();
    out._11 = sx, out._22 = sy, out._33 = sz, out._44 = 1.0f;
}

void D3DXMatrixMultiply(TMatrix& out, const TMatrix& a, const TMatrix& b) {
    out = MatrixMultiply(a, b);
}

void D3DXMatrixTranspose(TMatrix& out, const TMatrix& m) {
    out = MatrixTranspose(m);
}

bool D3DXMatrixInverse(TMatrix& out, float* determinant, const TMatrix& m) {
    // Cofactor expansion in double; the 2x2 minors of the top and bottom row pairs are shared.
    double a[4][4];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            a[i][j] = m.m[i][j];
        }
    }
    const double s0 = a[0][0] * a[1][1] - a[1][0] * a[0][1];
    const double s1 = a[0][0] * a[1][2] - a[1][0] * a[0][2];
    const double s2 = a[0][0] * a[1][3] - a[1][0] * a[0][3];
    const double s3 = a[0][1] * a[1][2] - a[1][1] * a[0][2];
    const double s4 = a[0][1] * a[1][3] - a[1][1] * a[0][3];
    const double s5 = a[0][2] * a[1][3] - a[1][2] * a[0][3];
    const double c5 = a[2][2] * a[3][3] - a[3][2] * a[2][3];
    const double c4 = a[2][1] * a[3][3] - a[3][1] * a[2][3];
    const double c3 = a[2][1] * a[3][2] - a[3][1] * a[2][2];
    const double c2 = a[2][0] * a[3][3] - a[3][0] * a[2][3];
    const double c1 = a[2][0] * a[3][2] - a[3][0] * a[2][2];
    const double c0 = a[2][0] * a[3][1] - a[3][0] * a[2][1];
    const double det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    if (determinant != nullptr) {
        *determinant = static_cast<float>(det);
    }
    if (det == 0.0 || !std::isfinite(det)) {
        return false;
    }
    const double k = 1.0 / det;
    double r[4][4];
    r[0][0] = (a[1][1] * c5 - a[1][2] * c4 + a[1][3] * c3) * k;
    r[0][1] = (-a[0][1] * c5 + a[0][2] * c4 - a[0][3] * c3) * k;
    r[0][2] = (a[3][1] * s5 - a[3][2] * s4 + a[3][3] * s3) * k;
    r[0][3] = (-a[2][1] * s5 + a[2][2] * s4 - a[2][3] * s3) * k;
    r[1][0] = (-a[1][0] * c5 + a[1][2] * c2 - a[1][3] * c1) * k;
    r[1][1] = (a[0][0] * c5 - a[0][2] * c2 + a[0][3] * c1) * k;
    r[1][2] = (-a[3][0] * s5 + a[3][2] * s2 - a[3][3] * s1) * k;
    r[1][3] = (a[2][0] * s5 - a[2][2] * s2 + a[2][3] * s1) * k;
    r[2][0] = (a[1][0] * c4 - a[1][1] * c2 + a[1][3] * c0) * k;
    r[2][1] = (-a[0][0] * c4 + a[0][1] * c2 - a[0][3] * c0) * k;
    r[2][2] = (a[3][0] * s4 - a[3][1] * s2 + a[3][3] * s0) * k;
    r[2][3] = (-a[2][0] * s4 + a[2][1] * s2 - a[2][3] * s0) * k;
    r[3][0] = (-a[1][0] * c3 + a[1][1] * c1 - a[1][2] * c0) * k;
    r[3][1] = (a[0][0] * c3 - a[0][1] * c1 + a[0][2] * c0) * k;
    r[3][2] = (-a[3][0] * s3 + a[3][1] * s1 - a[3][2] * s0) * k;
    r[3][3] = (a[2][0] * s3 - a[2][1] * s1 + a[2][2] * s0) * k;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            out.m[i][j] = static_cast<float>(r[i][j]);
        }
    }
    return true;
}

TMatrix MatrixMultiply(const TMatrix& a, const TMatrix& b) {
    TMatrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] =
                a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
        }
    }
    return r;
}

TMatrix MatrixTranspose(const TMatrix& m) {
    TMatrix r;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            r.m[i][j] = m.m[j][i];
        }
    }
    return r;
}

TMatrix MatrixInverse(const TMatrix& m) {
    TMatrix r = MatrixIdentity();
    D3DXMatrixInverse(r, nullptr, m);
    return r;
}
