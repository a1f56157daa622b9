#include "../world/WorldTestSupport.h"
#include "shell/Levels.h"
#include "world/LevelCheck.h"
#include "world/Wall.h"

namespace {

using ShippedLevelsTest = WorldTest;

// Every level of the shipped list loads, and from every spawn point a way to the base exists once the
// brick walls are shot away.
TEST_F(ShippedLevelsTest, ShippedLevelsLoadAndEveryEnemyCanReachTheBase) {
    TLevels levels;
    std::string error;
    ASSERT_TRUE(levels.LoadFromFile("data\\maps\\levels.txt", error)) << error;
    ASSERT_GE(levels.Count(), 6);
    for (const TLevelEntry& entry : levels.Entries()) {
        SCOPED_TRACE(entry.path);
        ASSERT_TRUE(LoadLevel(world, entry.path, error)) << error;
        TMap& map = Map();
        ASSERT_TRUE(map.HasBase);
        ASSERT_GE(map.SpawnCount, 1);
        for (TWall* wall : All<TWall>()) {
            if (wall->MaxHealth == 3.0f)
                map.SetCell(wall->CellX, wall->CellY, 0);
        }
        map.ClearAroundBase();
        for (const TGridPoint& spawn : map.SpawnPoints) {
            map.UpdateBlocked();
            map.ResetDistances();
            map.FindPath(spawn, TGridPoint{map.BaseX, map.BaseY});
            EXPECT_FALSE(map.Path().empty()) << "spawn " << spawn.X << "," << spawn.Y;
        }
        UnloadLevel(world);
    }
}

}  // namespace

namespace {

// Whatever levels the list ships pass every check of the editor, warnings included.
TEST(ShippedLevelChecks, EveryShippedLevelPassesTheEditorsChecks) {
    files::SetDataRoot(BRELVOX_SOURCE_DIR);
    TLevels levels;
    std::string error;
    ASSERT_TRUE(levels.LoadFromFile("data\\maps\\levels.txt", error)) << error;
    for (const TLevelEntry& entry : levels.Entries()) {
        TLevelDescription level;
        ASSERT_TRUE(ReadLevelFile(entry.path, level, error)) << error;
        for (const TLevelProblem& problem : CheckLevel(level, entry.enemies)) {
            ADD_FAILURE() << entry.path << ": " << LevelProblemText(problem);
        }
    }
}

}  // namespace
