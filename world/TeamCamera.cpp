#include "world/TeamCamera.h"

#include <cmath>

#include "scene/GE_CAMERA.h"

namespace {

// A tank's footprint reaches this far from its centre; the view keeps it this far inside the edge (in
// normalised screen units), clear of the HUD's icons.
constexpr float kTankReach = 1.0f;
constexpr float kEdge = 0.85f;
// The camera rises in steps this fine.
constexpr int kScaleSteps = 64;

// How far in front of the single-player camera its tank stands (along the line of sight).
float SinglePlayerDepth() {
    const float pitch = kCameraPitch * static_cast<float>(kPi) / 180.0f;
    return kCameraHeight * std::sin(pitch) + kCameraBehind * std::cos(pitch);
}

TVector3 CameraAt(const TVector3& target, float scale) {
    return Vector3(target.X, target.Y + kCameraHeight * scale, target.Z - kCameraBehind * scale);
}

}  // namespace

bool TankInView(const TVector3& position, const TVector3& tank, float aspect) {
    TCamera camera("team", 1);
    camera.SetPosition(position.X, position.Y, position.Z);
    camera.SetRotation(kCameraPitch, 0.0f, 0.0f);
    camera.SetProjection(kCameraFovY, aspect, kCameraNear, kCameraFar);
    const TMatrix viewProjection = MatrixMultiply(camera.GetView(), camera.GetProjection());
    // A tank twice as far away as the single-player camera's looks half its size.
    const TVector4 centre = Vector4Transform(Vector4(tank.X, tank.Y, tank.Z, 1.0f), viewProjection);
    if (!(centre.W <= kTeamCameraMostScale * SinglePlayerDepth() * 1.0001f)) {
        return false;
    }
    for (float dx : {-kTankReach, kTankReach}) {
        for (float dz : {-kTankReach, kTankReach}) {
            const TVector4 clip =
                Vector4Transform(Vector4(tank.X + dx, tank.Y, tank.Z + dz, 1.0f), viewProjection);
            if (!(clip.W > 0.0f) || std::fabs(clip.X) > kEdge * clip.W ||
                std::fabs(clip.Y) > kEdge * clip.W || clip.Z < 0.0f || clip.Z > clip.W) {
                return false;
            }
        }
    }
    return true;
}

TTeamView FrameTeam(const TVector3& a, const TVector3& b, float aspect) {
    const TVector3 middle = Vector3((a.X + b.X) * 0.5f, (a.Y + b.Y) * 0.5f, (a.Z + b.Z) * 0.5f);
    TTeamView view;
    for (int step = 0; step <= kScaleSteps; ++step) {
        view.Scale = 1.0f + (kTeamCameraMostScale - 1.0f) * static_cast<float>(step) / kScaleSteps;
        view.Position = CameraAt(middle, view.Scale);
        if (TankInView(view.Position, a, aspect) && TankInView(view.Position, b, aspect)) {
            view.BothInView = true;
            return view;
        }
    }
    return view;
}

bool TeamFitsInView(const TVector3& a, const TVector3& b, float aspect) {
    return FrameTeam(a, b, aspect).BothInView;
}
