// The level editor's model: the level being built, the tool in hand, every edit as one undoable step,
// and the level's checks (world/LevelCheck.h). It knows nothing of windows or input; the Construction
// screen (shell/Construction.h) turns the player's clicks and keys into these calls, and tests call
// them directly.
//
// Cells are painted with the cell tools (empty ground, brick, rock, water), one cell or a 2 x 2 block,
// over as many cells as a drag covers: a whole drag is one step. The base, the player start and the
// spawn points are 2 x 2 footprints: pressing on one picks it up and dragging moves it; pressing
// elsewhere puts the base or the start there (there is at most one of each) or adds a spawn point (up
// to kMostSpawnPoints). Decorations are placed where clicked (world units on the ground), the last one
// placed or picked can be turned and scaled, and the eraser removes the decoration or the piece under
// the cursor. Undo and redo walk through every step of the session.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "world/LevelCheck.h"
#include "world/LevelFile.h"

enum class TEditTool : uint8_t {
    Empty,
    Brick,
    Rock,
    Water,
    Base,
    Start,
    SecondStart,
    Spawn,
    Decoration,
    Eraser,
};
inline constexpr int kEditToolCount = 10;

inline constexpr int32_t kSmallestLevel = 12;
inline constexpr int32_t kLargestLevel = 64;

// The decoration meshes a level may hold (every one the shipped levels use), as a level file names them.
inline constexpr const char* kDecorationMeshes[] = {
    "Data\\Meshes\\grass.x", "Data\\Meshes\\bush.x", "Data\\Meshes\\pine.x",
    "Data\\Meshes\\tree.x",  "Data\\Meshes\\rock.x", "Data\\Meshes\\ground.x",
};
inline constexpr int kDecorationMeshCount = 6;

class TEditModel {
public:
    struct TState {
        TLevelDescription Level;
        uint8_t Enemies[4] = {4, 0, 0, 0};
    };

    TEditModel();

    // A new level of width x height cells (each clamped to kSmallestLevel..kLargestLevel): empty ground
    // under the ground meshes, no base, start or spawn point, four enemies of kind 0. The history starts
    // afresh.
    void NewLevel(int32_t width, int32_t height);
    // An existing level and its enemy counts; the history starts afresh.
    void Open(const TLevelDescription& level, const uint8_t (&enemies)[4]);

    const TLevelDescription& Level() const { return State_.Level; }
    const uint8_t (&Enemies() const)[4] { return State_.Enemies; }

    TEditTool Tool() const { return Tool_; }
    void SetTool(TEditTool tool) { Tool_ = tool; }
    // 1 or 2: the cell tools paint one cell or the 2 x 2 block whose first cell is pressed.
    int32_t BrushSize() const { return BrushSize_; }
    void SetBrushSize(int32_t size) { BrushSize_ = size == 2 ? 2 : 1; }
    int DecorationMesh() const { return DecorationMesh_; }
    void SetDecorationMesh(int index) {
        DecorationMesh_ = ((index % kDecorationMeshCount) + kDecorationMeshCount) % kDecorationMeshCount;
    }

    // The mouse: pressed on cell (x, y) at ground point (worldX, worldZ), dragged to further cells,
    // released. Cells outside the map are ignored. Every change between a press and its release is
    // one step of the history.
    void Press(int32_t x, int32_t y, float worldX, float worldZ);
    void Drag(int32_t x, int32_t y, float worldX, float worldZ);
    void Release();
    bool Dragging() const { return Pressed_; }

    // The last decoration placed or picked: turned about y by `degrees`, scaled by `factor` (kept
    // within 0.25..4). One step each; nothing without one.
    void TurnDecoration(float degrees);
    void ScaleDecoration(float factor);
    int32_t SelectedDecoration() const { return Selected_; }

    // Enemies of `kind` (0..3) by `change`, kept within 0..255. One step.
    void ChangeEnemies(int kind, int change);

    bool Undo();
    bool Redo();
    bool CanUndo() const { return Current_ > 0; }
    bool CanRedo() const { return Current_ + 1 < History_.size(); }
    // Steps so far; the level changed since the last MarkSaved when the count moved.
    std::size_t Steps() const { return Current_; }
    bool Modified() const { return Current_ != Saved_; }
    void MarkSaved() { Saved_ = Current_; }

    // The checks of the level as it stands.
    std::vector<TLevelProblem> Problems() const { return CheckLevel(State_.Level, State_.Enemies); }

    // Bumped by every change of the level (edits, undo, redo, opening): the view rebuilds when it moves.
    uint32_t Revision() const { return Revision_; }

private:
    void Commit();
    void Restart();
    void PaintAt(int32_t x, int32_t y);
    // The water plane shows only where no ground mesh covers it: the 4 x 4 ground tiles over water
    // give way to 1 x 1 pieces on the land cells they covered, and come back when the water goes.
    // Left alone when the level's ground is not laid on the tiles' grid.
    void SyncGround();
    void MovePieceTo(int32_t x, int32_t y);
    // The footprint of the map nearest to the one whose first cell is (x, y).
    TGridPoint Footprint(int32_t x, int32_t y) const;

    TState State_;
    std::vector<TState> History_;  // History_[Current_] is State_ as of the last step
    std::size_t Current_ = 0;
    std::size_t Saved_ = 0;
    TEditTool Tool_ = TEditTool::Brick;
    int32_t BrushSize_ = 1;
    int DecorationMesh_ = 0;
    bool Pressed_ = false;
    // What the press picked up: -1 nothing, else a TLevelPiece kind with its index.
    int Moving_ = -1;
    int32_t MovingIndex_ = 0;
    TGridPoint Grab_;  // the offset of the pressed cell inside the footprint picked up
    int32_t Selected_ = -1;
    uint32_t Revision_ = 0;
};
