#include "scene/GE_CAMERA.h"

#include <utility>

TCamera::TCamera(std::string name, int32_t mode) : Mode(mode), Name(std::move(name)) {
    Projection = MatrixPerspectiveFov(FovY, Aspect, ZNear, ZFar);
}

void TCamera::SetPosition(float x, float y, float z) {
    Position = Vector3(x, y, z);
}

void TCamera::SetRotation(float x, float y, float z) {
    Rotation = Vector3(x, y, z);
    AxesDirty = true;
}

void TCamera::SetProjection(float fovY, float aspect, float zNear, float zFar) {
    FovY = fovY;
    Aspect = aspect;
    ZNear = zNear;
    ZFar = zFar;
    ProjectionDirty = true;
}

TMatrix TCamera::GetView() {
    if (AxesDirty) {
        UpdateAxes();
    }
    return MatrixView(Position, Look, Up);
}

TMatrix TCamera::GetProjection() {
    if (ProjectionDirty) {
        Projection = MatrixPerspectiveFov(FovY, Aspect, ZNear, ZFar);
        ProjectionDirty = false;
    }
    return Projection;
}

void TCamera::UpdateAxes() {
    AxesDirty = false;
    Look = Vector3(0, 0, 1);
    Right = Vector3(1, 0, 0);
    Up = Vector3(0, 1, 0);
    const bool worldAxes = Mode == 1;
    TMatrix r;

    // Pitch.
    if (worldAxes) {
        D3DXMatrixRotationX(r, DegToRad(Rotation.X));
    } else {
        D3DXMatrixRotationAxis(r, Right, DegToRad(Rotation.X));
    }
    Up = VectorTransformNormal(Up, r);
    Look = VectorTransformNormal(Look, r);

    // Yaw.
    if (worldAxes) {
        D3DXMatrixRotationY(r, DegToRad(Rotation.Y));
    } else {
        D3DXMatrixRotationAxis(r, Up, DegToRad(Rotation.Y));
    }
    Look = VectorTransformNormal(Look, r);
    Right = VectorTransformNormal(Right, r);
    Up = VectorTransformNormal(Up, r);

    // Roll (ignored about the world axes).
    if (!worldAxes) {
        D3DXMatrixRotationAxis(r, Look, DegToRad(Rotation.Z));
        Up = VectorTransformNormal(Up, r);
        Right = VectorTransformNormal(Right, r);
    }
}
