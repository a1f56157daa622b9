#include "shell/EditModel.h"

#include <gtest/gtest.h>

#include "world/LevelWriter.h"

namespace {

// The ground point at the centre of cell (x, y) of the model's level.
struct Cell {
    int32_t X, Y;
};

class EditModelTest : public ::testing::Test {
protected:
    EditModelTest() { model.NewLevel(20, 16); }
    float WorldX(Cell c) const { return c.X + 0.5f - model.Level().Width / 2.0f; }
    float WorldZ(Cell c) const { return model.Level().Height / 2.0f - c.Y - 0.5f; }
    void Click(TEditTool tool, Cell at) { Stroke(tool, {at}); }
    void Stroke(TEditTool tool, std::vector<Cell> cells) {
        model.SetTool(tool);
        model.Press(cells[0].X, cells[0].Y, WorldX(cells[0]), WorldZ(cells[0]));
        for (std::size_t i = 1; i < cells.size(); ++i) {
            model.Drag(cells[i].X, cells[i].Y, WorldX(cells[i]), WorldZ(cells[i]));
        }
        model.Release();
    }
    int32_t Code(int32_t x, int32_t y) const { return model.Level().Code(x, y); }

    TEditModel model;
};

TEST_F(EditModelTest, ANewLevelIsGroundOnlyAndNotPlayable) {
    EXPECT_EQ(model.Level().Width, 20);
    EXPECT_EQ(model.Level().Height, 16);
    // Ground meshes cover the map: 24 x 16 units of 4 x 4 tiles.
    ASSERT_EQ(model.Level().Decorations.size(), 6u * 4u);
    EXPECT_EQ(model.Level().Decorations[0].path, "Data\\Meshes\\ground.x");
    EXPECT_FALSE(Playable(model.Problems()));
    model.NewLevel(3, 100);
    EXPECT_EQ(model.Level().Width, kSmallestLevel);
    EXPECT_EQ(model.Level().Height, kLargestLevel);
    EXPECT_FALSE(model.CanUndo());
}

TEST_F(EditModelTest, ADragPaintsEveryCellItCrossesAsOneStep) {
    Stroke(TEditTool::Brick, {{2, 3}, {3, 3}, {4, 3}, {25, 3}});
    EXPECT_EQ(Code(2, 3), kCellBrickWall);
    EXPECT_EQ(Code(4, 3), kCellBrickWall);
    EXPECT_EQ(model.Steps(), 1u);
    model.SetBrushSize(2);
    Click(TEditTool::Water, {19, 15});  // the block is cut at the map's corner
    EXPECT_EQ(Code(19, 15), kCellWater);
    Click(TEditTool::Rock, {0, 0});
    EXPECT_EQ(Code(1, 1), kCellRockWall);
    Click(TEditTool::Rock, {0, 0});  // no change, no step
    EXPECT_EQ(model.Steps(), 3u);
    model.Undo();
    EXPECT_EQ(Code(1, 1), kCellEmpty);
}

TEST_F(EditModelTest, PiecesArePlacedMovedByDraggingAndErased) {
    Click(TEditTool::Base, {9, 14});
    Click(TEditTool::Base, {19, 15});  // one base: it moves, kept inside the map
    EXPECT_EQ(model.Level().Base, (TGridPoint{18, 14}));
    Click(TEditTool::Start, {4, 14});
    // A press on the start's second cell picks it up, whichever piece tool is in hand.
    Stroke(TEditTool::Spawn, {{5, 15}, {7, 15}, {8, 12}});
    EXPECT_EQ(model.Level().PlayerStart, (TGridPoint{7, 11}));
    ASSERT_TRUE(model.Level().SpawnPoints.empty());
    for (int32_t i = 0; i < kMostSpawnPoints + 2; ++i) {
        Click(TEditTool::Spawn, {(i % 9) * 2, (i / 9) * 2});
    }
    EXPECT_EQ(model.Level().SpawnPoints.size(), std::size_t(kMostSpawnPoints));
    Click(TEditTool::Eraser, {3, 1});
    EXPECT_EQ(model.Level().SpawnPoints.size(), std::size_t(kMostSpawnPoints) - 1);
    EXPECT_EQ(model.Level().SpawnPoints[1], (TGridPoint{4, 0}));
    Click(TEditTool::Eraser, {19, 15});
    EXPECT_FALSE(model.Level().HasBase);
    EXPECT_TRUE(Playable(model.Problems()));
}

// The second start: at most one, moved by dragging, erased, every change one step; saved only when placed.
TEST_F(EditModelTest, TheSecondStartIsPlacedMovedErasedAndUndone) {
    Click(TEditTool::Start, {4, 14});
    const std::string without = FormatLevel(model.Level());
    EXPECT_EQ(without.find("Second"), std::string::npos);
    Click(TEditTool::SecondStart, {8, 14});
    Click(TEditTool::SecondStart, {19, 2});  // one only: it moves, kept inside the map
    ASSERT_TRUE(model.Level().HasSecondStart);
    EXPECT_EQ(model.Level().SecondStart, (TGridPoint{18, 2}));
    Stroke(TEditTool::Spawn, {{19, 3}, {10, 6}});  // picked up by its last cell whatever the tool
    EXPECT_EQ(model.Level().SecondStart, (TGridPoint{9, 5}));
    EXPECT_TRUE(model.Level().SpawnPoints.empty());
    EXPECT_EQ(model.Level().PlayerStart, (TGridPoint{4, 14}));
    Click(TEditTool::Eraser, {9, 5});
    EXPECT_FALSE(model.Level().HasSecondStart);
    EXPECT_EQ(model.Steps(), 5u);
    ASSERT_TRUE(model.Undo());
    EXPECT_EQ(model.Level().SecondStart, (TGridPoint{9, 5}));
    ASSERT_TRUE(model.Undo());
    EXPECT_EQ(model.Level().SecondStart, (TGridPoint{18, 2}));
    ASSERT_TRUE(model.Undo());
    EXPECT_EQ(model.Level().SecondStart, (TGridPoint{8, 14}));
    ASSERT_TRUE(model.Undo());
    EXPECT_FALSE(model.Level().HasSecondStart);
    EXPECT_EQ(FormatLevel(model.Level()), without);
    ASSERT_TRUE(model.Redo());
    ASSERT_TRUE(model.Redo());
    TLevelDescription back;
    std::string error;
    ASSERT_TRUE(ParseLevel(FormatLevel(model.Level()), "saved.txt", back, error)) << error;
    EXPECT_TRUE(back.HasSecondStart);
    EXPECT_EQ(back.SecondStart, (TGridPoint{18, 2}));
}

TEST_F(EditModelTest, DecorationsArePlacedTurnedScaledAndErasedButNotTheGround) {
    const std::size_t ground = model.Level().Decorations.size();
    model.SetDecorationMesh(2);
    Click(TEditTool::Decoration, {5, 5});
    ASSERT_EQ(model.Level().Decorations.size(), ground + 1);
    const TLevelDecoration& pine = model.Level().Decorations.back();
    EXPECT_EQ(pine.meshName, "pine.x");
    EXPECT_FLOAT_EQ(pine.position.X, WorldX({5, 5}));
    model.TurnDecoration(-15.0f);
    model.ScaleDecoration(10.0f);
    EXPECT_FLOAT_EQ(model.Level().Decorations.back().rotation.Y, 345.0f);
    EXPECT_FLOAT_EQ(model.Level().Decorations.back().scale.X, 4.0f);
    Click(TEditTool::Eraser, {9, 9});  // nothing in reach but the ground
    EXPECT_EQ(model.Level().Decorations.size(), ground + 1);
    Click(TEditTool::Eraser, {5, 5});
    EXPECT_EQ(model.Level().Decorations.size(), ground);
    model.TurnDecoration(10.0f);  // nothing selected any more
    EXPECT_EQ(model.Steps(), 4u);
}

// Every kind of edit, undone to the start and redone to the end, passes through the same levels; a new
// edit after undoing drops the steps that were undone.
TEST_F(EditModelTest, UndoAndRedoWalkThroughMixedEdits) {
    std::vector<std::string> seen = {FormatLevel(model.Level())};
    auto step = [&](auto edit) {
        edit();
        seen.push_back(FormatLevel(model.Level()));
    };
    step([&] { Stroke(TEditTool::Water, {{1, 1}, {1, 2}}); });
    step([&] { Click(TEditTool::Base, {9, 14}); });
    step([&] { Stroke(TEditTool::Base, {{9, 14}, {11, 13}}); });
    step([&] { Click(TEditTool::Decoration, {3, 3}); });
    step([&] { model.ScaleDecoration(2.0f); });
    step([&] { Click(TEditTool::Eraser, {3, 3}); });
    model.ChangeEnemies(3, 2);
    model.ChangeEnemies(0, -10);
    EXPECT_EQ(model.Enemies()[0], 0);
    EXPECT_EQ(model.Steps(), 8u);
    model.Undo();
    model.Undo();
    EXPECT_EQ(model.Enemies()[3], 0);
    EXPECT_EQ(model.Enemies()[0], 4);
    for (std::size_t i = seen.size() - 1; i > 0; --i) {
        EXPECT_EQ(FormatLevel(model.Level()), seen[i]) << i;
        ASSERT_TRUE(model.Undo());
    }
    EXPECT_EQ(FormatLevel(model.Level()), seen[0]);
    EXPECT_FALSE(model.Undo());
    for (std::size_t i = 1; i < seen.size(); ++i) {
        ASSERT_TRUE(model.Redo());
        EXPECT_EQ(FormatLevel(model.Level()), seen[i]) << i;
    }
    model.MarkSaved();
    model.Undo();
    model.Undo();
    EXPECT_TRUE(model.Modified());
    Click(TEditTool::Rock, {0, 0});
    EXPECT_FALSE(model.CanRedo());
    model.Undo();
    EXPECT_TRUE(model.Modified());  // the saved level cannot be reached by redoing any more
    model.Undo();
    model.Redo();
    model.Redo();
    EXPECT_FALSE(model.Redo());
}

}  // namespace

namespace {

// Water shows only where no ground mesh lies over it: a 4 x 4 tile over painted water gives way to
// pieces on its land cells, and comes back, turned as it was, when the water is gone.
TEST_F(EditModelTest, GroundMakesWayForWater) {
    auto groundAt = [&](float x, float z, float scale) {
        int found = 0;
        for (const TLevelDecoration& d : model.Level().Decorations) {
            found += d.meshName == "ground.x" && d.position.X == x && d.position.Z == z && d.scale.X == scale;
        }
        return found;
    };
    // The tile centred on (-2, 2) covers cells 6..9 x 4..7 of the 20 x 16 map.
    ASSERT_EQ(groundAt(-2.0f, 2.0f, 1.0f), 1);
    Click(TEditTool::Decoration, {1, 1});
    Click(TEditTool::Water, {7, 5});
    EXPECT_EQ(groundAt(-2.0f, 2.0f, 1.0f), 0);
    EXPECT_EQ(groundAt(WorldX({6, 4}), WorldZ({6, 4}), 0.25f), 1);
    EXPECT_EQ(groundAt(WorldX({7, 5}), WorldZ({7, 5}), 0.25f), 0);  // the water cell stays open
    EXPECT_EQ(model.Level().Decorations.size(), 24u - 1u + 15u + 1u);
    EXPECT_EQ(model.Level().Decorations.back().meshName, "grass.x");
    Click(TEditTool::Empty, {7, 5});
    EXPECT_EQ(groundAt(-2.0f, 2.0f, 1.0f), 1);
    EXPECT_EQ(model.Level().Decorations.size(), 25u);
}

}  // namespace
