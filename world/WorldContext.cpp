#include "world/WorldContext.h"

#include <cmath>

#include "audio/GE_AUDIO.h"
#include "models/GE_ResourceManager.h"
#include "scene/GE_MOVEABLEOBJECT.h"
#include "world/GameState.h"

namespace {
TWorldContext context;
}  // namespace

TWorldContext& World() {
    return context;
}

void ResetWorld() {
    context = TWorldContext{};
}

void PlaySound(const std::string& name) {
    if (context.Audio != nullptr)
        context.Audio->Play(name, 0);
    if (context.SoundPlayed)
        context.SoundPlayed(name);
}

TMeshResource* FindMesh(const std::string& name) {
    return context.Meshes != nullptr ? context.Meshes->FindMesh(name) : nullptr;
}

TMoveableObject* LevelNode() {
    return context.SceneRoot != nullptr ? context.SceneRoot->FindObject("Level") : nullptr;
}

void SetGameLabel(const std::string& label, const std::string& text) {
    if (context.SetGameLabel)
        context.SetGameLabel(label, text);
}

int32_t RoundHalfEven(double value) {
    // The default rounding mode is to nearest, ties to even.
    return static_cast<int32_t>(std::nearbyint(value));
}

TMap* CurrentMap() {
    return GameState().Map.get();
}

TVector3 CellCentre(int32_t x, int32_t y) {
    TMap* map = CurrentMap();
    return map != nullptr ? map->CellCentre(x, y) : Vector3(0.0f, 0.0f, 0.0f);
}

TVector3 FootprintCentre(int32_t x, int32_t y) {
    TMap* map = CurrentMap();
    return map != nullptr ? map->FootprintCentre(x, y) : Vector3(0.0f, 0.0f, 0.0f);
}

TGridPoint NeighbourFootprint(int32_t x, int32_t y, uint16_t heading) {
    switch (heading) {
        case 0:
            return TGridPoint{x, y - 1};
        case 90:
            return TGridPoint{x + 1, y};
        case 180:
            return TGridPoint{x, y + 1};
        default:
            return TGridPoint{x - 1, y};
    }
}
