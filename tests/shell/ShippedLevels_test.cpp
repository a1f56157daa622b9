#include "../world/WorldTestSupport.h"
#include "shell/Levels.h"
#include "world/LevelCheck.h"
#include "world/Wall.h"

namespace {

using ShippedLevelsTest = WorldTest;

bool Overlap(const TGridPoint& a, const TGridPoint& b) {
    return std::abs(a.X - b.X) < 2 && std::abs(a.Y - b.Y) < 2;
}

bool Reaches(TMap& map, const TGridPoint& from, const TGridPoint& to) {
    map.UpdateBlocked();
    map.ResetDistances();
    map.FindPath(from, to);
    return !map.Path().empty();
}

// Every level of the shipped list loads through the game's loader and is playable: a start, at least
// one spawn point and one enemy; the base, the start and the spawn points on free cells inside the map,
// none on another; and every spawn point reaches the start and the base over land once the brick walls
// are shot away (rock and water stay).
TEST_F(ShippedLevelsTest, EveryShippedLevelLoadsAndEverySpawnPointReachesTheStartAndTheBase) {
    TLevels levels;
    std::string error;
    ASSERT_TRUE(levels.LoadFromFile("data\\maps\\levels.txt", error)) << error;
    ASSERT_GE(levels.Count(), 30);
    for (const TLevelEntry& entry : levels.Entries()) {
        SCOPED_TRACE(entry.path);
        EXPECT_GT(entry.enemies[0] + entry.enemies[1] + entry.enemies[2] + entry.enemies[3], 0);
        TLevelDescription level;
        ASSERT_TRUE(ReadLevelFile(entry.path, level, error)) << error;
        ASSERT_TRUE(level.HasPlayerStart);
        ASSERT_FALSE(level.SpawnPoints.empty());
        std::vector<std::pair<const char*, TGridPoint>> points{{"start", level.PlayerStart}};
        if (level.HasBase) {
            points.push_back({"base", level.Base});
        }
        for (const TGridPoint& spawn : level.SpawnPoints) {
            points.push_back({"spawn", spawn});
        }
        for (std::size_t i = 0; i < points.size(); ++i) {
            const auto& [what, p] = points[i];
            ASSERT_TRUE(p.X >= 0 && p.Y >= 0 && p.X <= level.Width - 2 && p.Y <= level.Height - 2)
                << what << " " << p.X << "," << p.Y << " outside the map";
            for (int32_t dx = 0; dx < 2; ++dx) {
                for (int32_t dy = 0; dy < 2; ++dy) {
                    const int32_t code = level.Code(p.X + dx, p.Y + dy);
                    EXPECT_TRUE(code != kCellBrickWall && code != kCellRockWall && code != kCellWater)
                        << what << " " << p.X << "," << p.Y << " on a taken cell";
                }
            }
            for (std::size_t j = i + 1; j < points.size(); ++j) {
                EXPECT_FALSE(Overlap(p, points[j].second))
                    << what << " " << p.X << "," << p.Y << " on the " << points[j].first;
            }
        }

        ASSERT_TRUE(LoadLevel(world, entry.path, error)) << error;
        TMap& map = Map();
        for (TWall* wall : All<TWall>()) {
            if (wall->MaxHealth == 3.0f) {
                map.SetCell(wall->CellX, wall->CellY, 0);
            }
        }
        const TGridPoint start{map.PlayerStartX, map.PlayerStartY};
        for (const TGridPoint& spawn : map.SpawnPoints) {
            EXPECT_TRUE(Reaches(map, spawn, start))
                << "spawn " << spawn.X << "," << spawn.Y << " to the start";
            if (map.HasBase) {
                map.ClearAroundBase();
                EXPECT_TRUE(Reaches(map, spawn, TGridPoint{map.BaseX, map.BaseY}))
                    << "spawn " << spawn.X << "," << spawn.Y << " to the base";
                map.RestoreAroundBase();
            }
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
