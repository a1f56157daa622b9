#include "world/LevelCheck.h"

#include <gtest/gtest.h>

namespace {

// A 12 x 12 field that passes every check: base (5, 10), start (1, 10), one spawn point (5, 0).
class LevelCheckTest : public ::testing::Test {
protected:
    LevelCheckTest() {
        level.Width = 12;
        level.Height = 12;
        level.Codes.assign(144, kCellEmpty);
        level.HasBase = true;
        level.Base = {5, 10};
        level.HasPlayerStart = true;
        level.PlayerStart = {1, 10};
        level.SpawnPoints = {{5, 0}};
    }
    void SetCode(int32_t x, int32_t y, int32_t code) { level.Codes[std::size_t(y * level.Width + x)] = code; }
    std::vector<TLevelProblem> Check() { return CheckLevel(level, enemies); }
    // The one problem found, with its text.
    TLevelProblem Only() {
        const std::vector<TLevelProblem> problems = Check();
        if (problems.size() != 1u) {
            for (const TLevelProblem& problem : problems) {
                ADD_FAILURE() << LevelProblemText(problem);
            }
        }
        return problems.empty() ? TLevelProblem() : problems[0];
    }

    TLevelDescription level;
    uint8_t enemies[4] = {2, 0, 1, 0};
};

TEST_F(LevelCheckTest, AGoodLevelHasNoProblemAndWallsDoNotStopTheEnemies) {
    for (int32_t x = 0; x < 12; ++x) {
        SetCode(x, 5, x % 2 == 0 ? kCellRockWall : kCellBrickWall);
    }
    SetCode(3, 3, 7);  // an unknown code is free ground
    level.SpawnPoints.push_back({2, 2});
    EXPECT_TRUE(Check().empty());
}

TEST_F(LevelCheckTest, PiecesOnWallsOrWaterNameTheCell) {
    SetCode(6, 11, kCellWater);
    SetCode(2, 11, kCellBrickWall);
    SetCode(5, 1, kCellRockWall);
    const std::vector<TLevelProblem> problems = Check();
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_EQ(LevelProblemText(problems[0]), "The base at (5, 10) stands on a wall or water at cell (6, 11)");
    EXPECT_EQ(LevelProblemText(problems[1]),
              "The player start at (1, 10) stands on a wall or water at cell (2, 11)");
    EXPECT_EQ(LevelProblemText(problems[2]),
              "Spawn point 1 at (5, 0) stands on a wall or water at cell (5, 1)");
    EXPECT_EQ(problems[2].Cell, (TGridPoint{5, 1}));
    EXPECT_FALSE(Playable(problems));
}

TEST_F(LevelCheckTest, OverlapsAndPiecesOutsideTheMap) {
    level.PlayerStart = {6, 9};                     // overlaps the base
    level.SpawnPoints = {{5, 0}, {6, 1}, {11, 3}};  // the second overlaps the first, the third is outside
    const std::vector<TLevelProblem> problems = Check();
    ASSERT_EQ(problems.size(), 3u) << LevelProblemText(problems[0]);
    EXPECT_EQ(LevelProblemText(problems[0]), "Spawn point 3 at (11, 3) lies outside the map");
    EXPECT_EQ(LevelProblemText(problems[1]), "The player start at (6, 9) overlaps the base at (5, 10)");
    EXPECT_EQ(LevelProblemText(problems[2]), "Spawn point 2 at (6, 1) overlaps spawn point 1 at (5, 0)");
    level.SpawnPoints = {{5, 0}, {7, 0}};  // side by side is fine
    level.PlayerStart = {3, 10};
    EXPECT_TRUE(Check().empty());
}

TEST_F(LevelCheckTest, MissingStartSpawnOrEnemiesAndTooManySpawnPoints) {
    level.HasPlayerStart = false;
    EXPECT_EQ(Only().Kind, TLevelProblemKind::NoStart);
    level.HasPlayerStart = true;
    level.SpawnPoints.clear();
    EXPECT_EQ(Only().Kind, TLevelProblemKind::NoSpawnPoint);
    for (int32_t i = 0; i < 17; ++i) {
        level.SpawnPoints.push_back({(i % 6) * 2, (i / 6) * 2});
    }
    EXPECT_EQ(Only().Kind, TLevelProblemKind::TooManySpawnPoints);
    level.SpawnPoints.resize(16);
    EXPECT_TRUE(Check().empty());
    enemies[0] = enemies[2] = 0;
    EXPECT_EQ(LevelProblemText(Only()), "The level has no enemy");
}

// A river across the map: the enemies cannot drive over it, which is worth a warning but the level
// can still be played. A ford in the river ends the warnings; a level without a base only asks for
// the start.
TEST_F(LevelCheckTest, WaterBetweenSpawnAndStartOrBaseIsAWarning) {
    for (int32_t x = 0; x < 12; ++x) {
        SetCode(x, 6, kCellWater);
    }
    std::vector<TLevelProblem> problems = Check();
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_TRUE(problems[0].IsWarning());
    EXPECT_EQ(LevelProblemText(problems[0]),
              "Warning: Spawn point 1 at (5, 0) cannot reach the start over land");
    EXPECT_EQ(problems[1].Kind, TLevelProblemKind::BaseUnreachable);
    EXPECT_TRUE(Playable(problems));
    level.HasBase = false;
    EXPECT_EQ(Only().Kind, TLevelProblemKind::StartUnreachable);
    SetCode(10, 6, kCellEmpty);  // one cell is too narrow for a tank
    EXPECT_EQ(Only().Kind, TLevelProblemKind::StartUnreachable);
    SetCode(11, 6, kCellEmpty);
    EXPECT_TRUE(Check().empty());
}

// The second start is optional, and checked like the first where there is one.
TEST_F(LevelCheckTest, TheSecondStartIsCheckedLikeTheStart) {
    level.HasSecondStart = true;
    level.SecondStart = {2, 10};
    TLevelProblem problem = Only();
    EXPECT_EQ(LevelProblemText(problem), "The second start at (2, 10) overlaps the player start at (1, 10)");
    level.SecondStart = {11, 3};
    EXPECT_EQ(LevelProblemText(Only()), "The second start at (11, 3) lies outside the map");
    level.SecondStart = {8, 8};
    SetCode(9, 9, kCellRockWall);
    problem = Only();
    EXPECT_EQ(problem.Kind, TLevelProblemKind::NotFree);
    EXPECT_EQ(problem.Cell, (TGridPoint{9, 9}));
    SetCode(9, 9, kCellEmpty);
    EXPECT_TRUE(Check().empty());
    // Water all round it: the base cannot be reached, a warning only.
    for (int32_t x = 6; x < 12; ++x) {
        SetCode(x, 7, kCellWater);
    }
    SetCode(7, 8, kCellWater);
    SetCode(7, 9, kCellWater);
    SetCode(7, 10, kCellWater);
    SetCode(7, 11, kCellWater);
    problem = Only();
    EXPECT_EQ(LevelProblemText(problem),
              "Warning: The second start at (8, 8) cannot reach the base over land");
    EXPECT_TRUE(Playable({problem}));
}

TEST_F(LevelCheckTest, TranslatedLinesTakeThePiecesInTheirOwnOrder) {
    SetCode(1, 0, kCellWater);
    level.SpawnPoints = {{0, 0}};
    const TLevelProblem problem = Only();
    const std::string text = LevelProblemText(problem, [](std::string_view key) -> std::string {
        if (key == "%1 stands on a wall or water at cell %2") {
            return "cell %2 under %1 is taken";
        }
        if (key == "spawn point %1 at %2") {
            return "\xF2\xEE\xF7\xEA\xE0 %1 %2";  // Windows-1251 lower-case letters first
        }
        return std::string(key);
    });
    EXPECT_EQ(text, "Cell (1, 0) under \xF2\xEE\xF7\xEA\xE0 1 (0, 0) is taken");
    EXPECT_EQ(LevelProblemText(problem, [](std::string_view) { return std::string("\xF2%1"); }),
              "\xD2\xF2"
              "1");  // a line may leave a piece out
}

}  // namespace
