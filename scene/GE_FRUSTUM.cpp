#include "scene/GE_FRUSTUM.h"

#include <cstring>

TFrustum::TFrustum() {
    std::memset(&View, 0, sizeof View);
    std::memset(&Projection, 0, sizeof Projection);
    std::memset(Planes, 0, sizeof Planes);
}

void TFrustum::Update() {
    const TMatrix c = MatrixMultiply(View, Projection);
    // Column j of C is (_1j, _2j, _3j, _4j); each plane is column 4 plus or minus another column.
    auto combine = [&c](int column, float sign) {
        return Plane(c.m[0][3] + sign * c.m[0][column], c.m[1][3] + sign * c.m[1][column],
                     c.m[2][3] + sign * c.m[2][column], c.m[3][3] + sign * c.m[3][column]);
    };
    Planes[Near] = combine(2, 1.0f);
    Planes[Far] = combine(2, -1.0f);
    Planes[Left] = combine(0, 1.0f);
    Planes[Right] = combine(0, -1.0f);
    Planes[Top] = combine(1, -1.0f);
    Planes[Bottom] = combine(1, 1.0f);
    for (TPlane& plane : Planes) {
        plane = PlaneNormalize(plane);
    }
}

bool TFrustum::IsSphereVisible(const TVector3& center, float radius) const {
    for (const TPlane& plane : Planes) {
        if (PlaneDotCoord(plane, center) < -radius) {
            return false;
        }
    }
    return true;
}
