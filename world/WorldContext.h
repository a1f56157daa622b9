// The services the world's objects reach while they live: the scene root, the caches, the particle
// shaders, the renderer, the sound and the input, and the one GUI text they write (the shield's
// countdown). The shell owns every service and fills this in once at start-up; tests fill in what they
// use. Part of the world (world/World.h); the objects reach it through the world they were made in.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "util/GE_MATH.h"
#include "world/Map.h"

class TMoveableObject;
class TMeshManager;
class TTextureAtlas;
class TShaderManager;
class TRenderD3D9;
class TAudio;
class TInput;
struct TMeshResource;
struct TWorld;

struct TWorldContext {
    TMoveableObject* SceneRoot = nullptr;  // "Root" of the scene manager
    TMeshManager* Meshes = nullptr;        // also holds the texture cache
    TShaderManager* Shaders = nullptr;     // the "Particle" pair
    // The particle pictures in one texture; without it each effect draws with its own texture.
    const TTextureAtlas* ParticleAtlas = nullptr;
    TRenderD3D9* Render = nullptr;  // for the particle effects
    TAudio* Audio = nullptr;
    TInput* Input = nullptr;
    // Writes the text of a label of the "Game" screen ("Armour", "Clock", "Scores").
    std::function<void(const std::string& label, const std::string& text)> SetGameLabel;
    // Told of every sound the world plays, by name (tests listen here).
    std::function<void(const std::string& name)> SoundPlayed;
};

// Helpers over the world's context; each does nothing (or gives nullptr) when the service is missing.
void PlaySound(TWorld& world, const std::string& name);
TMeshResource* FindMesh(TWorld& world, const std::string& name);
// The node "Level" under the scene root.
TMoveableObject* LevelNode(TWorld& world);
void SetGameLabel(TWorld& world, const std::string& label, const std::string& text);

// The world's current level grid (its State.Map), or nullptr before the first level.
TMap* CurrentMap(TWorld& world);
// Ground-level centres on the world's current map (the origin without one).
TVector3 CellCentre(TWorld& world, int32_t x, int32_t y);
TVector3 FootprintCentre(TWorld& world, int32_t x, int32_t y);
// The footprint next to (x, y) in a heading of 0 (row - 1), 90 (column + 1), 180 (row + 1), 270 (column - 1).
TGridPoint NeighbourFootprint(int32_t x, int32_t y, uint16_t heading);

// Nearest integer, halves to the even neighbour (how the game rounds timers, colours and grid cells);
// saturates outside the 32-bit range, 0 for a NaN.
int32_t RoundHalfEven(double value);
