// The six clipping planes of the camera's view volume, and a bounding-sphere test against them.
// Planes are in the order near, far, left, right, top, bottom, normalised, normals pointing inwards.
// Culling is conservative: a sphere is rejected only when it lies wholly behind one plane.
#pragma once

#include "util/GE_MATH.h"

class TFrustum {
public:
    TFrustum();

    void SetView(const TMatrix& view) { View = view; }
    void SetProjection(const TMatrix& projection) { Projection = projection; }
    // Rebuilds the planes from View * Projection.
    void Update();
    bool IsSphereVisible(const TVector3& center, float radius) const;

    enum PlaneIndex { Near = 0, Far, Left, Right, Top, Bottom, PlaneCount };
    const TPlane& GetPlane(int index) const { return Planes[index]; }

private:
    TMatrix View;
    TMatrix Projection;
    TPlane Planes[PlaneCount];
};
