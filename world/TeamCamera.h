// The camera two players share: one view that keeps both tanks in sight. It looks at the point between
// them as the single-player camera looks at the one tank (as high, as far behind, as steeply down) and
// rises along its line of sight as they part, just enough to show both, but never past twice that
// distance, and never so that a tank stands farther away than twice the single-player distance, where
// it would look less than half its single-player size. Beyond that the tanks are held: a step that
// would take them out of such a view is refused (world/Team.h), so the view never splits.
//
// A pure function of the two positions and the screen's shape; world units, the game camera's own
// projection (a 90-degree vertical field of view, near 1, far 100, pitched 60 degrees down).
#pragma once

#include "util/GE_MATH.h"

// The single-player camera stands this high over the tank and this far behind it.
inline constexpr float kCameraHeight = 23.0f;
inline constexpr float kCameraBehind = 12.0f;
inline constexpr float kCameraPitch = 60.0f;
inline constexpr float kCameraFovY = 1.5707964f;
inline constexpr float kCameraNear = 1.0f;
inline constexpr float kCameraFar = 100.0f;
// How far the shared camera may rise, as a multiple of the single-player distance.
inline constexpr float kTeamCameraMostScale = 2.0f;

struct TTeamView {
    TVector3 Position{0.0f, 0.0f, 0.0f};
    float Scale = 1.0f;       // 1 .. kTeamCameraMostScale
    bool BothInView = false;  // false only when the tanks stand farther apart than the highest view shows
};

// The camera for tanks at `a` and `b` (ground positions) on a screen of `aspect` (width / height).
TTeamView FrameTeam(const TVector3& a, const TVector3& b, float aspect);
// Whether a shared view shows both tanks (their whole footprints, clear of the screen's edge).
bool TeamFitsInView(const TVector3& a, const TVector3& b, float aspect);
// Whether the camera at `position` (pitched as the game's) shows the whole footprint of a tank at
// `tank`, clear of the screen's edge, and no farther away along its line of sight than twice the
// single-player tank (no smaller than half its single-player size).
bool TankInView(const TVector3& position, const TVector3& tank, float aspect);
