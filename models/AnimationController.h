// TAnimationController: the animation state of one animated scene object. One TAnimationState per
// animation set of the object's mesh; the owner sets Stopped, Loop, Forward, Speed and Weight to play,
// calls Advance with the elapsed game time every update, and Apply before the object is drawn.
//
// Times are key ticks of the model file; Speed is ticks per millisecond. The weights of several sets
// are summed, not normalised: the owner keeps their sum at 1 when blending. The mesh is shared by every
// object that shows it, so Apply writes the mesh's frames and palette for this object just before it is
// drawn.
#pragma once

#include <cstdint>
#include <vector>

struct TMeshResource;

struct TAnimationState {
    float Time = 0;       // position in the set, key ticks, 0 .. the set's length
    bool Stopped = true;  // the time does not advance
    bool Loop = true;     // wrap at the ends instead of stopping
    bool Forward = true;  // direction of play
    float Speed = 1.0f;   // ticks per millisecond of game time
    float Weight = 1.0f;  // factor of this set in the blend
};

class TAnimationController {
public:
    // A mesh without animation sets (or none) changes nothing; otherwise the controller starts over on
    // it with every set stopped at time 0.
    void SetMesh(TMeshResource* resource);
    // No mesh, no states.
    void Clear();
    // Moves the time of every playing set by elapsedMs * Speed, wrapping (Loop) or stopping at the ends.
    void Advance(int32_t elapsedMs);
    // Samples every set at its time (rounded to the nearest tick, halves to even) into the mesh's
    // frames, restores the frames no set animates, recomputes the combined matrices and, for a skinned
    // mesh, the bone palette.
    void Apply();

    TMeshResource* MeshResource = nullptr;
    std::vector<TAnimationState> States;
};
