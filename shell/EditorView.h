// What the level editor shows: the level in the game's own scene (the same walls, base, water and
// decorations, built by the level loader), the player's tank at the start and an enemy tank at each
// spawn point, seen from straight above, with the grid of cells drawn over the ground. The camera pans
// and zooms; the cell under the cursor is found by the camera's pick ray, as the game aims.
#pragma once

#include <cstdint>
#include <vector>

#include "shell/GameServices.h"
#include "world/LevelCheck.h"
#include "world/LevelFile.h"
#include "world/World.h"

// The editor's camera over a level: the ground point it looks down on and its height.
struct TEditorCamera {
    static constexpr float kLowest = 8.0f;
    static constexpr float kHighest = 90.0f;

    float X = 0.0f;
    float Z = 0.0f;
    float Height = 30.0f;

    // Over the middle of a width x height level, high enough to see most of it.
    static TEditorCamera Over(int32_t width, int32_t height);
    // Moves by (dx, dz) screen heights (right and up on the screen are +x and +z), kept over the level.
    void Pan(float dx, float dz, int32_t width, int32_t height);
    // Each notch away from the player comes 15% nearer; kept within kLowest..kHighest.
    void Zoom(int32_t notches);
};

// The cell (X, Y) of a width x height level under the ground point (x, z); it may lie outside the map.
TGridPoint CellAt(float x, float z, int32_t width, int32_t height);

class TEditorView {
public:
    TEditorView(TWorld& world, TGameServices& services) : World_(world), Services_(services) {}

    // The level in the scene, replacing whatever level is there. The game's meshes must be loaded.
    void Show(const TLevelDescription& level);
    // Takes it out of the scene.
    void Hide();
    bool Shown() const { return Shown_; }

    // The scene's camera looks straight down from `camera`; Leave gives the game's camera its
    // tilt back.
    void Aim(const TEditorCamera& camera);
    void Leave();

    // The ground point under the cursor (back-buffer pixels of a width x height area); false when the
    // ray misses the ground.
    bool GroundPoint(int32_t cursorX, int32_t cursorY, int32_t width, int32_t height, float& x, float& z);

    // Over the scene of a screenWidth x screenHeight back buffer: the grid, the cells of `marked` (the
    // problems' cells) and the `brush` x `brush` cells at `hover` when it is inside the map.
    void DrawOverlay(const TLevelDescription& level, const std::vector<TGridPoint>& marked, TGridPoint hover,
                     int32_t brush, int32_t screenWidth, int32_t screenHeight);

private:
    TWorld& World_;
    TGameServices& Services_;
    bool Shown_ = false;
    std::vector<TScreenQuad> Quads_;
};
