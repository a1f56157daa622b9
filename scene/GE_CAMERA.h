// The one camera of the scene: a position, three Euler angles in degrees, the orientation axes derived
// from them, and a left-handed perspective projection (util/GE_MATH.h conventions).
//
// Mode 1 turns about the world axes (pitch about X, then yaw about Y, roll ignored): the game's camera.
// Any other mode turns about the camera's own axes (pitch, yaw, then roll).
// The axes and the projection are rebuilt lazily and independently: SetRotation takes effect at the
// next GetView, SetProjection at the next GetProjection.
#pragma once

#include <cstdint>
#include <string>

#include "util/GE_MATH.h"

class TCamera {
public:
    TCamera(std::string name, int32_t mode);

    void SetPosition(float x, float y, float z);
    // Degrees: X pitch, Y yaw, Z roll.
    void SetRotation(float x, float y, float z);
    // Field of view in radians, width / height, near and far distances.
    void SetProjection(float fovY, float aspect, float zNear, float zFar);

    TVector3 GetPosition() const { return Position; }
    TVector3 GetRotation() const { return Rotation; }
    TMatrix GetView();
    TMatrix GetProjection();

    // The axes as last rebuilt (GetView rebuilds them when needed).
    TVector3 GetLook() const { return Look; }
    TVector3 GetRight() const { return Right; }
    TVector3 GetUp() const { return Up; }
    const std::string& GetName() const { return Name; }
    int32_t GetMode() const { return Mode; }

private:
    void UpdateAxes();

    int32_t Mode;
    std::string Name;
    TVector3 Position{0.0f, 0.0f, 0.0f};
    TVector3 Rotation{0.0f, 0.0f, 0.0f};
    TVector3 Look{0.0f, 0.0f, 1.0f};
    TVector3 Right{1.0f, 0.0f, 0.0f};
    TVector3 Up{0.0f, 1.0f, 0.0f};
    TMatrix Projection;
    float FovY = static_cast<float>(kPi / 4);
    float Aspect = 4.0f / 3.0f;
    float ZNear = 1.0f;
    float ZFar = 100.0f;
    bool AxesDirty = false;
    bool ProjectionDirty = false;
};
