#include "models/AnimationController.h"

#include <cmath>
#include <limits>

#include "models/GE_ResourceManager.h"

void TAnimationController::SetMesh(TMeshResource* resource) {
    if (resource == nullptr || !resource->Mesh || resource->Mesh->AnimationSets.empty()) {
        return;
    }
    Clear();
    MeshResource = resource;
    States.assign(resource->Mesh->AnimationSets.size(), TAnimationState());
}

void TAnimationController::Clear() {
    MeshResource = nullptr;
    States.clear();
}

void TAnimationController::Advance(int32_t elapsedMs) {
    if (MeshResource == nullptr || !MeshResource->Mesh) {
        return;
    }
    const std::vector<TAnimation>& sets = MeshResource->Mesh->AnimationSets;
    for (size_t i = 0; i < States.size() && i < sets.size(); ++i) {
        TAnimationState& state = States[i];
        if (state.Stopped) {
            continue;
        }
        const float length = static_cast<float>(sets[i].Length);
        const float step = static_cast<float>(elapsedMs) * state.Speed;
        state.Time += state.Forward ? step : -step;
        // A step longer than the whole set wraps as often as it needs to, so a slow frame cannot push
        // the time ever further past the end.
        if (state.Time < 0) {
            if (state.Loop && length > 0) {
                state.Time = std::fmod(state.Time, length) + length;
            } else {
                state.Time = 0;
                state.Stopped = !state.Loop;
            }
        }
        if (state.Time > length) {
            if (state.Loop && length > 0) {
                state.Time = std::fmod(state.Time, length);
            } else {
                state.Time = state.Loop ? 0 : length;
                state.Stopped = !state.Loop;
            }
        }
    }
}

// The nearest whole tick, halves to the even neighbour, kept inside the range of key times.
static uint32_t NearestTick(float time) {
    const double tick = std::nearbyint(static_cast<double>(time));
    if (!(tick > 0)) {
        return 0;
    }
    if (tick >= static_cast<double>(std::numeric_limits<uint32_t>::max())) {
        return std::numeric_limits<uint32_t>::max();
    }
    return static_cast<uint32_t>(tick);
}

void TAnimationController::Apply() {
    if (MeshResource == nullptr || !MeshResource->Mesh) {
        return;
    }
    TMeshDraw& mesh = *MeshResource->Mesh;
    mesh.MarkFrames();
    for (size_t i = 0; i < States.size() && i < mesh.AnimationSets.size(); ++i) {
        mesh.SampleAnimationSet(static_cast<int>(i), NearestTick(States[i].Time), States[i].Weight);
    }
    mesh.RestoreUnanimatedFrames();
    mesh.UpdateCombinedMatrices();
    if (mesh.HasBones()) {
        mesh.BuildBonePalette();
    }
}
